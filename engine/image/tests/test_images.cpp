#include "engine/image/tests/test_images.h"

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace strovik::testing {

ByteVector encodeJpeg(const PlainImage& image, JpegOptions options) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = image.components;
    cinfo.in_color_space = image.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&cinfo);
    cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = std::size_t(image.width) * std::size_t(image.components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    ByteVector bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<ByteVector*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

int appendGif(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<ByteVector*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

ColorMapObject* makeColourMap(const std::vector<Rgb>& colours) {
    int size = 2;
    while (size < int(colours.size())) size *= 2;
    std::vector<GifColorType> entries(std::size_t(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i) {
        entries[i] = GifColorType{colours[i].r, colours[i].g, colours[i].b};
    }
    return GifMakeMapObject(size, entries.data());
}

std::vector<int> gifRowOrder(int height, bool interlaced) {
    std::vector<int> order;
    if (!interlaced) {
        for (int y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < height; y += steps[pass]) order.push_back(y);
    }
    return order;
}

}  // namespace

ByteVector encodePng(int width, int height, const std::vector<ByteVector>& rows,
                     const PngOptions& options) {
    ByteVector out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("png encoding failed");
    }
    png_set_write_fn(png, &out, appendToVector, flushNothing);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), options.bitDepth,
                 options.colorType, options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const auto& c : options.palette) palette.push_back(png_color{c[0], c[1], c[2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!options.transparency.empty()) {
        png_set_tRNS(png, info, options.transparency.data(), int(options.transparency.size()),
                     nullptr);
    }
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& row : rows) pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

ByteVector encodeGif(int width, int height, const ByteVector& indices,
                     const std::vector<Rgb>& colours, const GifOptions& options) {
    ByteVector out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGif, &error);
    ColorMapObject* map = makeColourMap(colours);
    const int screenWidth = options.screenWidth > 0 ? options.screenWidth : width;
    const int screenHeight = options.screenHeight > 0 ? options.screenHeight : height;
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, options.localMap ? nullptr : map);
    if (options.transparentIndex >= 0) {
        const GifByteType control[4] = {0x01, 0, 0, GifByteType(options.transparentIndex)};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    }
    EGifPutImageDesc(gif, options.left, options.top, width, height, options.interlaced,
                     options.localMap ? map : nullptr);
    for (int y : gifRowOrder(height, options.interlaced)) {
        auto* line =
            const_cast<GifPixelType*>(indices.data() + std::size_t(y) * std::size_t(width));
        EGifPutLine(gif, line, width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

ByteVector encodeTiff(int width, int height, int bits, int samples, int photometric,
                      int compression, const std::vector<ByteVector>& rows) {
    TempDir dir;
    const std::string path = (dir.path() / "image.tif").string();
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, std::uint16_t(bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(samples));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, std::uint16_t(photometric));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, std::uint16_t(compression));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(height));
    for (int y = 0; y < height; ++y) {
        TIFFWriteScanline(tif, const_cast<std::uint8_t*>(rows[std::size_t(y)].data()),
                          std::uint32_t(y), 0);
    }
    TIFFClose(tif);
    return readFileBytes(path);
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velmora-image-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace strovik::testing
