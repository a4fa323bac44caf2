// The per-format decoders behind decodeImage. Each one takes the whole file,
// checks the claimed size against what the bytes could hold before it
// allocates, and reports failure through nullopt plus a one-line reason.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "engine/image/raster.h"

namespace strovik::detail {

using Bytes = std::span<const std::uint8_t>;

/// JPEG and PNG pixels go into the memory of `spare` when given and large
/// enough (see Raster's spare constructor).
std::optional<Raster> decodeJpeg(Bytes bytes, std::string& error, Raster* spare = nullptr);
std::optional<Raster> decodeBmp(Bytes bytes, std::string& error);
std::optional<Raster> decodeGif(Bytes bytes, std::string& error);
std::optional<Raster> decodePng(Bytes bytes, std::string& error, Raster* spare = nullptr);
std::optional<Raster> decodeTiff(Bytes bytes, std::string& error);

/// True when width x height is positive, at most kMaxImagePixels and at most
/// `pixelLimit` (the most pixels the file could encode); otherwise sets
/// `error` and returns false.
bool checkImageSize(std::int64_t width, std::int64_t height, std::int64_t pixelLimit,
                    std::string& error);

/// A raster of the given size, in the memory of `spare` when there is one.
inline Raster newRaster(int width, int height, Raster* spare) {
    return spare != nullptr ? Raster(width, height, std::move(*spare)) : Raster(width, height);
}

/// Stored row (bottom-up) of image row y (0 = top).
inline std::uint8_t* imageRow(Raster& raster, int y) {
    return raster.storedRow(raster.height() - 1 - y);
}

}  // namespace strovik::detail
