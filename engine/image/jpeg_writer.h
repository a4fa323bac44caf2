// The engine's JPEG output (area crops, diagnostic images): the suite's one
// JPEG writer, with the engine's way of reporting failures on stderr.
#pragma once

#include <cstdint>
#include <string>

namespace strovik {

struct JpegImage {
    const std::uint8_t* pixels = nullptr;  ///< rows without padding
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;  ///< 3: blue, green, red bytes (written as colour); 1: grey
    bool bottomUp = false;  ///< rows stored bottom row first (written top to bottom)
};

/// Writes `image` at `quality` (0..100). `densityDpi` > 0 records that
/// resolution in the JFIF header (units: dots per inch); otherwise the
/// library's default density is kept. A file that cannot be created prints
/// "can't open <path>\n" on stderr (and the link rule's reason on the next
/// line when that refused it). Any library error (an empty image, a full
/// disk) prints "can't write <path>: <reason>\n", returns false and removes
/// the partial file; it never ends the process. Refused pixels (no size, an
/// unknown depth) return false silently.
bool saveJpeg(const std::string& path, const JpegImage& image, int quality, int densityDpi = 0);

}  // namespace strovik
