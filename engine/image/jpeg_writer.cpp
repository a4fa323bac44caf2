#include "engine/image/jpeg_writer.h"

#include <cstdio>
#include <optional>

#include "common/image/image_writers.h"

namespace strovik {

bool saveJpeg(const std::string& path, const JpegImage& image, int quality, int densityDpi) {
    const velmora::PixelView pixels{image.pixels,        image.width, image.height,
                                    image.bytesPerPixel, 0,           image.bottomUp};
    velmora::JpegSettings settings;
    settings.quality = quality;
    if (densityDpi > 0) settings.density = velmora::DotsPerInch{densityDpi, densityDpi};
    velmora::ImageWriteError error;
    if (velmora::writeJpegFile(path, pixels, settings, &error)) return true;
    using Stage = velmora::ImageWriteError::Stage;
    if (error.stage == Stage::Open) {
        std::fprintf(stderr, "can't open %s\n", path.c_str());
        if (error.linkRefused) std::fprintf(stderr, "%s\n", error.reason.c_str());
    } else if (error.stage == Stage::Write) {
        std::fprintf(stderr, "can't write %s: %s\n", path.c_str(), error.reason.c_str());
    }
    return false;
}

}  // namespace strovik
