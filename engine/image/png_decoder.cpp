// PNG through libpng: every colour type becomes 8-bit blue-green-red, with
// any transparency composited over white.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/image/decoders.h"
#include "engine/image/image_loader.h"

namespace strovik::detail {

namespace {

// Deflate expands at most about 1032 to 1; a pixel takes at least one bit.
constexpr std::int64_t kPixelsPerFileByte = 8 * 1032;
constexpr std::int64_t kPixelAllowance = 1'000'000;
constexpr unsigned kMaxSample = 255;
constexpr int kBgraBytes = 4;

struct Context {
    Bytes bytes;
    std::size_t pos = 0;
    char message[200] = {};
};

void onError(png_structp png, png_const_charp message) {
    auto* context = static_cast<Context*>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "%s",
                  message != nullptr ? message : "decoding failed");
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readFromMemory(png_structp png, png_bytep out, png_size_t wanted) {
    auto* context = static_cast<Context*>(png_get_io_ptr(png));
    if (wanted > context->bytes.size() - context->pos) png_error(png, "file is truncated");
    std::memcpy(out, context->bytes.data() + context->pos, wanted);
    context->pos += wanted;
}

struct ReadStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStruct() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};

// Expands palette, low-depth grey and tRNS, drops 16-bit precision and orders
// the bytes blue, green, red (then alpha when the image has any).
bool setTransforms(png_structp png, png_infop info) {
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0;
}

std::uint8_t overWhite(unsigned value, unsigned alpha) {
    return static_cast<std::uint8_t>(
        (value * alpha + kMaxSample * (kMaxSample - alpha) + kMaxSample / 2) / kMaxSample);
}

void compositeRow(const std::uint8_t* bgra, std::uint8_t* bgr, int width) {
    for (int x = 0; x < width; ++x, bgra += kBgraBytes, bgr += 3) {
        const unsigned alpha = bgra[3];
        bgr[0] = overWhite(bgra[0], alpha);
        bgr[1] = overWhite(bgra[1], alpha);
        bgr[2] = overWhite(bgra[2], alpha);
    }
}

// Opaque images land straight in the raster. Images with alpha go through a
// blue-green-red-alpha buffer: one row, or the whole image when interlaced
// passes have to be combined first.
void readPixels(png_structp png, Raster& raster, bool alpha, bool interlaced,
                std::vector<std::uint8_t>& buffer, std::vector<png_bytep>& rows) {
    const int height = raster.height();
    const std::size_t bgraRow = std::size_t(raster.width()) * kBgraBytes;
    if (!alpha) {
        rows.resize(std::size_t(height));
        for (int y = 0; y < height; ++y) rows[std::size_t(y)] = imageRow(raster, y);
        png_read_image(png, rows.data());
        return;
    }
    if (!interlaced) {
        buffer.resize(bgraRow);
        for (int y = 0; y < height; ++y) {
            png_read_row(png, buffer.data(), nullptr);
            compositeRow(buffer.data(), imageRow(raster, y), raster.width());
        }
        return;
    }
    buffer.resize(bgraRow * std::size_t(height));
    rows.resize(std::size_t(height));
    for (int y = 0; y < height; ++y)
        rows[std::size_t(y)] = buffer.data() + bgraRow * std::size_t(y);
    png_read_image(png, rows.data());
    for (int y = 0; y < height; ++y) {
        compositeRow(rows[std::size_t(y)], imageRow(raster, y), raster.width());
    }
}

}  // namespace

std::optional<Raster> decodePng(Bytes bytes, std::string& error, Raster* spare) {
    Context context{bytes};
    ReadStruct read;
    std::optional<Raster> raster;
    std::vector<std::uint8_t> buffer;
    std::vector<png_bytep> rows;

    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, onError, onWarning);
    if (read.png == nullptr || (read.info = png_create_info_struct(read.png)) == nullptr) {
        error = "PNG: out of memory";
        return std::nullopt;
    }
    if (setjmp(png_jmpbuf(read.png)) != 0) {
        raster.reset();
        error = std::string("PNG: ") + context.message;
        return std::nullopt;
    }
    png_set_read_fn(read.png, &context, readFromMemory);
    png_read_info(read.png, read.info);
    const std::int64_t width = png_get_image_width(read.png, read.info);
    const std::int64_t height = png_get_image_height(read.png, read.info);
    const std::int64_t limit =
        kPixelsPerFileByte * static_cast<std::int64_t>(bytes.size()) + kPixelAllowance;
    if (!checkImageSize(width, height, limit, error)) {
        error = "PNG: " + error;
        return std::nullopt;
    }
    const bool interlaced = png_get_interlace_type(read.png, read.info) != PNG_INTERLACE_NONE;
    const bool alpha = setTransforms(read.png, read.info);
    raster.emplace(newRaster(int(width), int(height), spare));
    readPixels(read.png, *raster, alpha, interlaced, buffer, rows);
    png_read_end(read.png, nullptr);
    return raster;
}

}  // namespace strovik::detail
