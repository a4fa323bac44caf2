// Baseline JPEG output with libjpeg-turbo's default settings.
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
/// "can't open <path>\n" on stderr. Any library error (an empty image, a full
/// disk) is reported by returning false and removing the partial file; it
/// never ends the process.
bool saveJpeg(const std::string& path, const JpegImage& image, int quality, int densityDpi = 0);

}  // namespace strovik
