// Writing one page to its file as JPEG (the engine's libjpeg-turbo writer,
// with the JFIF density), PNG (libpng, with a pHYs chunk) or BMP (our own
// writer, 24 bits). Every file is written to a temporary file in the same
// folder, flushed to disk and only then renamed to its name, so a crash or
// a full disk never leaves half a page under the final name.
#pragma once

#include <string>

#include "engine/image/raster.h"
#include "scanner/core/acquisition.h"
#include "scanner/core/page_naming.h"

namespace fenwary {

struct PageWriteOptions {
    ImageFormat format = ImageFormat::Jpeg;
    int jpegQuality = 75;
    /// Resolution recorded in JPEG (JFIF density) and PNG (pHYs); below 1
    /// records none.
    int dpi = 0;
    /// Pixels per metre recorded in a BMP header (the page's own values).
    PageResolution bmpResolution;
};

/// Writes `pixels` to `path` (replacing an existing file only once the new
/// one is complete). False with a one-line reason in `error` when any step
/// failed; the target is then untouched and no temporary file is left.
bool writePageFile(const std::string& path, const strovik::Raster& pixels,
                   const PageWriteOptions& options, std::string* error = nullptr);

/// The single-format writers, writing straight to `path` (no temporary
/// file). They are used by writePageFile and by the benchmark.
bool writePng(const std::string& path, const strovik::Raster& pixels, int dpi, std::string* error);
bool writeBmp(const std::string& path, const strovik::Raster& pixels,
              const PageResolution& resolution, std::string* error);
bool writeJpeg(const std::string& path, const strovik::Raster& pixels, int quality, int dpi,
               std::string* error);

}  // namespace fenwary
