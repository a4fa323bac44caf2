#include "tools/sheetgen/image_writers.h"

#include <algorithm>

#include "common/image/image_writers.h"
#include "common/resolution.h"

namespace sheetgen {
namespace {

constexpr int kMinQuality = 1;
constexpr int kMaxQuality = 100;

bool checkImage(const Image& image, std::string& error) {
    const auto expected = static_cast<std::size_t>(image.width) * image.height * 3;
    if (image.width <= 0 || image.height <= 0 || image.bgr.size() != expected) {
        error = "image is empty or its pixel buffer does not match its size";
        return false;
    }
    return true;
}

velmora::PixelView viewOf(const Image& image) {
    return velmora::PixelView{image.bgr.data(), image.width, image.height};
}

bool report(bool written, const std::string& path, const velmora::ImageWriteError& failure,
            std::string& error) {
    if (!written) error = "writing " + path + " failed: " + failure.reason;
    return written;
}

}  // namespace

bool writeJpeg(const std::string& path, const Image& image, int dpi, int quality,
               std::string& error) {
    velmora::JpegSettings settings;
    settings.quality = std::clamp(quality, kMinQuality, kMaxQuality);
    settings.density = velmora::DotsPerInch{dpi, dpi};
    velmora::ImageWriteError failure;
    return report(velmora::writeJpegFile(path, viewOf(image), settings, &failure), path, failure,
                  error);
}

bool writeBmp(const std::string& path, const Image& image, int dpi, std::string& error) {
    const velmora::DotsPerMetre density =
        velmora::dotsPerMetreFromDpi(velmora::DotsPerInch{dpi, dpi});
    velmora::ImageWriteError failure;
    return report(velmora::writeBmpFile(path, viewOf(image), density, &failure), path, failure,
                  error);
}

bool writePng(const std::string& path, const Image& image, int dpi, std::string& error) {
    const velmora::DotsPerMetre density =
        velmora::dotsPerMetreFromDpi(velmora::DotsPerInch{dpi, dpi});
    velmora::ImageWriteError failure;
    return report(velmora::writePngFile(path, viewOf(image), density, &failure), path, failure,
                  error);
}

const char* formatExtension(Format format) {
    switch (format) {
        case Format::Jpeg:
            return "jpg";
        case Format::Bmp:
            return "bmp";
        case Format::Gif:
            return "gif";
        case Format::Png:
            return "png";
        case Format::Tiff:
            return "tif";
    }
    return "img";
}

bool saveImage(const std::string& path, const Image& image, Format format, int dpi, int jpegQuality,
               std::string* error) {
    std::string message;
    bool ok = checkImage(image, message);
    if (ok) {
        switch (format) {
            case Format::Jpeg:
                ok = writeJpeg(path, image, dpi, jpegQuality, message);
                break;
            case Format::Bmp:
                ok = writeBmp(path, image, dpi, message);
                break;
            case Format::Gif:
                ok = writeGif(path, image, message);
                break;
            case Format::Png:
                ok = writePng(path, image, dpi, message);
                break;
            case Format::Tiff:
                ok = writeTiff(path, image, dpi, message);
                break;
        }
    }
    if (!ok && error != nullptr) *error = message;
    return ok;
}

}  // namespace sheetgen
