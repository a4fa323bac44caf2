#include "tools/sheetgen/image_writers.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace sheetgen {
namespace {

constexpr double kMetresPerInch = 0.0254;

bool checkImage(const Image& image, std::string& error) {
    const auto expected = static_cast<std::size_t>(image.width) * image.height * 3;
    if (image.width <= 0 || image.height <= 0 || image.bgr.size() != expected) {
        error = "image is empty or its pixel buffer does not match its size";
        return false;
    }
    return true;
}

}  // namespace

std::FILE* openForWriting(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) error = "cannot write " + path + ": " + std::strerror(errno);
    return file;
}

unsigned pixelsPerMetre(int dpi) {
    return static_cast<unsigned>(std::lround(std::max(0, dpi) / kMetresPerInch));
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
