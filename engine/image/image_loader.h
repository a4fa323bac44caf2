// Turns an image file into the working raster. JPEG (libjpeg-turbo), Windows
// bitmap (our own reader), GIF (giflib, first frame), PNG (libpng) and TIFF
// (libtiff, first page) are recognised by their leading bytes, not by name.
// Every decoder checks the claimed size against what the file could hold
// before it allocates, and no decoder lets an error escape: a file that
// cannot be opened, read or fully decoded is a failure.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/image/raster.h"

namespace strovik {

/// Largest image the loaders accept, in pixels (about 2.5 times an A3 page
/// scanned at 600 dpi).
inline constexpr std::int64_t kMaxImagePixels = 180'000'000;

/// Largest image file the loader reads: what the richest layout a decoder
/// accepts (a 32-bit bitmap, four bytes a pixel) needs for kMaxImagePixels,
/// with room for headers, palettes and metadata. A larger file is refused
/// from its size, before it is read.
inline constexpr std::int64_t kMaxImageFileBytes = kMaxImagePixels * 4 + (std::int64_t(1) << 26);

/// Decodes a whole file held in memory. `error` receives a one-line reason on
/// failure. With a `spare`, a JPEG or PNG is decoded into its memory when it
/// is large enough; the spare is left empty whenever it was used.
std::optional<Raster> decodeImage(std::span<const std::uint8_t> bytes, std::string* error = nullptr,
                                  Raster* spare = nullptr);

/// Reads the file whole and decodes it. Only a regular file is read (a FIFO
/// or a device gives a failure at once).
std::optional<Raster> loadImageFile(const std::string& path, std::string* error = nullptr,
                                    Raster* spare = nullptr);

}  // namespace strovik
