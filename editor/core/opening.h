// What a file given to the editor is, by its name, and the image decoding
// and resolution rules of opening a scan.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "engine/image/image_density.h"
#include "engine/image/raster.h"
#include "engine/recognition/definition_format.h"

namespace dravel {

enum class FileKind { Image, Definition, Pdf, Other };

/// By the extension, without regard to case: .jpg .jpeg .bmp .gif .tif
/// .tiff .png are images, .ini a definition, .pdf a PDF file.
FileKind fileKindOf(const QString& path);

struct DecodedScan {
    strovik::Raster raster;
    /// The resolution the file records (JFIF, PNG pHYs, TIFF, BMP), when it
    /// carries one (see image_density.h).
    std::optional<strovik::Density> density;
};

/// Decodes an image through the engine's decoders (with their size
/// limits). Only regular files are read, so a FIFO or a folder never
/// blocks or half-reads. nullopt with a reason in `error` on failure.
std::optional<DecodedScan> decodeScan(const QString& path, std::string* error = nullptr);

struct SheetSizes {
    int ovalWidth = 0;
    int ovalHeight = 0;
    int zeroRadius = 0;
};

/// Oval and zero-mark sizes scaled from their 300-dpi references (36 x 66,
/// radius 14) with integer division; nullopt unless both densities are at
/// least 72.
std::optional<SheetSizes> sizesForDensity(strovik::Density density);

/// Scans below this density get a notice.
inline constexpr int kReferenceDpi = strovik::kReferenceDpi;

}  // namespace dravel
