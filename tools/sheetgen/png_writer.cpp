// PNG through libpng: 8-bit RGB with the resolution in pHYs (pixels per metre).
#include <png.h>

#include "tools/sheetgen/image_writers.h"

namespace sheetgen {
namespace {

void onPngError(png_structp png, png_const_charp message) {
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    *text = message;
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Kept free of C++ objects with destructors because of the longjmp.
bool encode(std::FILE* file, const Image& image, int dpi, std::string* message) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, message, onPngError, onPngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, pixelsPerMetre(dpi), pixelsPerMetre(dpi), PNG_RESOLUTION_METER);
    png_write_info(png, info);
    png_set_bgr(png);  // our rows are blue, green, red
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, &image.bgr[static_cast<std::size_t>(y) * stride]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, const Image& image, int dpi, std::string& error) {
    std::FILE* file = openForWriting(path, error);
    if (file == nullptr) return false;
    std::string message;
    bool ok = encode(file, image, dpi, &message);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) error = "writing " + path + " failed: " + message;
    return ok;
}

}  // namespace sheetgen
