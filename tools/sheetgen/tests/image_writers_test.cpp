#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

namespace fs = std::filesystem;

constexpr int kDpi = 200;
constexpr unsigned kPelsPerMetre = 7874;  // round(200 / 0.0254)

class ImageWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(VELMORA_BINARY_DIR) / "sheetgen-writers-test" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // 7 x 5 (odd width: BMP rows need padding), a gradient with a dark pixel.
        image_.width = 7;
        image_.height = 5;
        for (int y = 0; y < image_.height; ++y) {
            for (int x = 0; x < image_.width; ++x) {
                const auto v = static_cast<std::uint8_t>(x == 2 && y == 1 ? 10 : 100 + 20 * y + x);
                image_.bgr.insert(image_.bgr.end(), {v, v, v});
            }
        }
    }

    std::string path(const char* name) const { return (dir_ / name).string(); }

    static std::vector<unsigned char> bytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    int blueAt(int x, int y) const { return image_.bgr[(y * image_.width + x) * 3]; }

    fs::path dir_;
    Image image_;
};

unsigned le32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<unsigned>(b[at + 3]) << 24;
}

TEST_F(ImageWritersTest, JpegCarriesJfifDensityInDotsPerInch) {
    std::string error;
    ASSERT_TRUE(saveImage(path("a.jpg"), image_, Format::Jpeg, kDpi, 90, &error)) << error;
    const auto b = bytes(path("a.jpg"));
    ASSERT_GE(b.size(), 20u);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1], 0xD8);
    EXPECT_EQ(std::string(b.begin() + 6, b.begin() + 10), "JFIF");
    EXPECT_EQ(b[13], 1) << "units: dots per inch";
    EXPECT_EQ(b[14] * 256 + b[15], kDpi);
    EXPECT_EQ(b[16] * 256 + b[17], kDpi);
}

TEST_F(ImageWritersTest, BmpIsBottomUpWithPelsPerMetre) {
    std::string error;
    ASSERT_TRUE(saveImage(path("a.bmp"), image_, Format::Bmp, kDpi, 75, &error)) << error;
    const auto b = bytes(path("a.bmp"));
    const std::size_t rowBytes = 24;  // 7 * 3 = 21 padded to 24
    ASSERT_EQ(b.size(), 54 + rowBytes * 5);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size());
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 18), 7u);
    EXPECT_EQ(le32(b, 22), 5u);
    EXPECT_EQ(b[28], 24);
    EXPECT_EQ(le32(b, 38), kPelsPerMetre);
    EXPECT_EQ(le32(b, 42), kPelsPerMetre);
    // The first stored row is the image's bottom row; the dark pixel is in row 1.
    EXPECT_EQ(b[54], blueAt(0, 4));
    EXPECT_EQ(b[54 + 3 * rowBytes + 2 * 3], 10);
}

TEST_F(ImageWritersTest, PngRecordsPhysAndKeepsPixels) {
    std::string error;
    ASSERT_TRUE(saveImage(path("a.png"), image_, Format::Png, kDpi, 75, &error)) << error;
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&read, path("a.png").c_str()));
    read.format = PNG_FORMAT_BGR;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(pixels, image_.bgr);

    std::FILE* f = std::fopen(path("a.png").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_info(png, info);
    png_uint_32 xres = 0, yres = 0;
    int unit = -1;
    ASSERT_NE(png_get_pHYs(png, info, &xres, &yres, &unit), 0u);
    EXPECT_EQ(xres, kPelsPerMetre);
    EXPECT_EQ(yres, kPelsPerMetre);
    EXPECT_EQ(unit, PNG_RESOLUTION_METER);
    EXPECT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGB);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
}

TEST_F(ImageWritersTest, TiffRecordsResolutionInInchesAndKeepsPixels) {
    std::string error;
    ASSERT_TRUE(saveImage(path("a.tif"), image_, Format::Tiff, kDpi, 75, &error)) << error;
    const auto b = bytes(path("a.tif"));
    ASSERT_GE(b.size(), 4u);
    EXPECT_TRUE((b[0] == 'I' && b[1] == 'I') || (b[0] == 'M' && b[1] == 'M'));
    TIFF* tif = TIFFOpen(path("a.tif").c_str(), "r");
    ASSERT_NE(tif, nullptr);
    float xres = 0, yres = 0;
    std::uint16_t unit = 0;
    std::uint32_t width = 0, height = 0;
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit), 1);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    EXPECT_FLOAT_EQ(xres, static_cast<float>(kDpi));
    EXPECT_FLOAT_EQ(yres, static_cast<float>(kDpi));
    EXPECT_EQ(unit, RESUNIT_INCH);
    EXPECT_EQ(width, 7u);
    EXPECT_EQ(height, 5u);
    std::vector<std::uint8_t> row(TIFFScanlineSize(tif));
    // LZW strips are read in order: row 0, then row 1 with the dark pixel.
    ASSERT_EQ(TIFFReadScanline(tif, row.data(), 0, 0), 1);
    EXPECT_EQ(row[0], blueAt(0, 0));
    ASSERT_EQ(TIFFReadScanline(tif, row.data(), 1, 0), 1);
    EXPECT_EQ(row[2 * 3], 10);
    EXPECT_EQ(row[3 * 3], blueAt(3, 1));
    TIFFClose(tif);
}

TEST_F(ImageWritersTest, GifIsAnEightBitGreyPaletteImage) {
    std::string error;
    ASSERT_TRUE(saveImage(path("a.gif"), image_, Format::Gif, kDpi, 75, &error)) << error;
    const auto b = bytes(path("a.gif"));
    ASSERT_GE(b.size(), 10u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 3), "GIF");
    EXPECT_EQ(b[6] | b[7] << 8, 7);
    EXPECT_EQ(b[8] | b[9] << 8, 5);
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path("a.gif").c_str(), &code);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_NE(gif->SColorMap, nullptr);
    EXPECT_EQ(gif->SColorMap->ColorCount, 256);
    EXPECT_EQ(gif->SColorMap->Colors[77].Red, 77);
    EXPECT_EQ(gif->SColorMap->Colors[77].Blue, 77);
    ASSERT_EQ(gif->ImageCount, 1);
    const GifByteType* raster = gif->SavedImages[0].RasterBits;
    EXPECT_EQ(raster[1 * 7 + 2], 10);
    EXPECT_EQ(raster[4 * 7 + 6], blueAt(6, 4));
    DGifCloseFile(gif, &code);
}

TEST_F(ImageWritersTest, UnwritablePathOrEmptyImageFailsWithMessage) {
    const std::string bad = (dir_ / "missing-folder" / "x").string();
    for (Format f : {Format::Jpeg, Format::Bmp, Format::Gif, Format::Png, Format::Tiff}) {
        std::string error;
        EXPECT_FALSE(saveImage(bad, image_, f, kDpi, 75, &error)) << formatExtension(f);
        EXPECT_NE(error.find("missing-folder"), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(saveImage(path("e.jpg"), Image{}, Format::Jpeg, kDpi, 75, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(saveImage(bad, image_, Format::Png, kDpi)) << "no error pointer is fine";
}

}  // namespace
}  // namespace sheetgen
