// GIF through giflib: one 8-bit frame over a 256-level grey palette. The
// palette index is the pixel's blue value, the component the reader measures.
#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/sheetgen/image_writers.h"

namespace sheetgen {
namespace {

constexpr int kPaletteSize = 256;
constexpr int kBitsPerPixel = 8;

ColorMapObject* greyPalette() {
    ColorMapObject* map = GifMakeMapObject(kPaletteSize, nullptr);
    if (map == nullptr) return nullptr;
    for (int i = 0; i < kPaletteSize; ++i) {
        const auto v = static_cast<GifByteType>(i);
        map->Colors[i] = {v, v, v};
    }
    return map;
}

bool encode(GifFileType* gif, const Image& image) {
    ColorMapObject* palette = greyPalette();
    if (palette == nullptr) return false;
    bool ok =
        EGifPutScreenDesc(gif, image.width, image.height, kBitsPerPixel, 0, palette) == GIF_OK &&
        EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    GifFreeMapObject(palette);
    std::vector<GifPixelType> row(static_cast<std::size_t>(image.width));
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; ok && y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) row[x] = image.bgr[y * stride + 3 * x];
        ok = EGifPutLine(gif, row.data(), image.width) == GIF_OK;
    }
    return ok;
}

}  // namespace

bool writeGif(const std::string& path, const Image& image, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    int code = 0;
    GifFileType* gif = EGifOpenFileHandle(fd, &code);
    if (gif == nullptr) {
        ::close(fd);
        error = "cannot write " + path + ": " + GifErrorString(code);
        return false;
    }
    EGifSetGifVersion(gif, true);
    bool ok = encode(gif, image);
    if (!ok) code = gif->Error;
    if (EGifCloseFile(gif, &code) != GIF_OK) ok = false;  // also closes fd
    if (!ok) {
        const char* text = GifErrorString(code);
        error = "writing " + path + " failed: " + (text != nullptr ? text : "unknown error");
    }
    return ok;
}

}  // namespace sheetgen
