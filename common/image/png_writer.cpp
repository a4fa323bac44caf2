// PNG output: 8-bit RGB from blue-green-red rows with libpng's default
// compression, the resolution in a pHYs chunk (metre unit) when given.
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "common/image/image_writers.h"
#include "common/image/output_file.h"

namespace velmora {

namespace {

constexpr int kBitDepth = 8;

struct PngState {
    std::FILE* file = nullptr;
    std::jmp_buf jump;
    char message[128] = {};
    int errorNumber = 0;
};

void onError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    std::longjmp(state->jump, 1);
}

void onWarning(png_structp, png_const_charp) {}

void writeData(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    errno = 0;
    if (std::fwrite(data, 1, length, state->file) != length) {
        state->errorNumber = errno != 0 ? errno : EIO;
        png_error(png, "Write Error");
    }
}

void flushData(png_structp png) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    std::fflush(state->file);
}

// Runs between setjmp and the end of writing: no objects with destructors.
bool compress(PngState& state, const PixelView& pixels,
              const std::optional<DotsPerMetre>& density) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onError, onWarning);
    if (png == nullptr) {
        std::snprintf(state.message, sizeof state.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(state.jump) != 0) {
        if (info == nullptr) std::snprintf(state.message, sizeof state.message, "out of memory");
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &state, writeData, flushData);
    png_set_IHDR(png, info, png_uint_32(pixels.width), png_uint_32(pixels.height), kBitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (density) {
        png_set_pHYs(png, info, png_uint_32(density->x), png_uint_32(density->y),
                     PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < pixels.height; ++y) {
        png_write_row(png, pixels.row(y));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePngFile(const std::string& path, const PixelView& pixels,
                  std::optional<DotsPerMetre> density, ImageWriteError* error) {
    if (!detail::checkPixels(pixels, false, error)) return false;
    std::FILE* file = detail::openImageFile(path, error);
    if (file == nullptr) return false;
    PngState state;
    state.file = file;
    const bool written = compress(state, pixels, density);
    const ImageWriteError failure{state.message, state.errorNumber};
    return detail::closeImageFile(file, path, written, failure, error);
}

}  // namespace velmora
