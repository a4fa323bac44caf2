#include "common/image/image_writers.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    int densityUnit = -1;
    int xDensity = 0;
    int yDensity = 0;
    std::vector<std::uint8_t> pixels;  ///< top-down, as stored by the decoder (RGB or grey)
};

Decoded decodeJpeg(const fs::path& path) {
    Decoded out;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return out;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    out.densityUnit = cinfo.density_unit;
    out.xDensity = cinfo.X_density;
    out.yDensity = cinfo.Y_density;
    jpeg_start_decompress(&cinfo);
    out.width = int(cinfo.output_width);
    out.height = int(cinfo.output_height);
    out.components = cinfo.output_components;
    const std::size_t row = std::size_t(out.width) * std::size_t(out.components);
    out.pixels.resize(row * std::size_t(out.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW at = out.pixels.data() + cinfo.output_scanline * row;
        jpeg_read_scanlines(&cinfo, &at, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return out;
}

struct DecodedPng {
    png_uint_32 width = 0, height = 0;
    bool hasPhys = false;
    png_uint_32 xRes = 0, yRes = 0;
    int unit = -1;
    std::vector<std::uint8_t> rgb;
};

DecodedPng decodePng(const fs::path& path) {
    DecodedPng out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return out;
    image.format = PNG_FORMAT_RGB;
    out.width = image.width;
    out.height = image.height;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr);
    // The pHYs chunk through the classic interface.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_read_info(png, info);
    out.hasPhys = png_get_pHYs(png, info, &out.xRes, &out.yRes, &out.unit) != 0;
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return out;
}

class ImageWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("velmora_image_writers_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        // 5 x 3 blue-green-red pixels (a width whose rows need BMP padding),
        // stored with a 4-byte gap after each row, the top row first.
        stride_ = kWidth * 3 + 4;
        pixels_.assign(stride_ * kHeight, 0xEE);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                std::uint8_t* p = &pixels_[std::size_t(y) * stride_ + std::size_t(x) * 3];
                p[0] = std::uint8_t(10 + 40 * x);   // blue
                p[1] = std::uint8_t(20 + 70 * y);   // green
                p[2] = std::uint8_t(200 - 30 * x);  // red
            }
        }
    }
    void TearDown() override { fs::remove_all(dir_); }

    PixelView view(bool bottomUp = false) const {
        return PixelView{pixels_.data(), kWidth, kHeight, 3, stride_, bottomUp};
    }
    /// The blue, green, red bytes of the pixel shown at (x, y) from the top.
    const std::uint8_t* shown(int x, int y, bool bottomUp = false) const {
        const int stored = bottomUp ? kHeight - 1 - y : y;
        return &pixels_[std::size_t(stored) * stride_ + std::size_t(x) * 3];
    }

    static constexpr int kWidth = 5;
    static constexpr int kHeight = 3;
    fs::path dir_;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> pixels_;
};

TEST_F(ImageWritersTest, BmpHoldsPixelsPaddingAndNonSquareResolution) {
    for (const bool bottomUp : {false, true}) {
        const fs::path path = dir_ / "a.bmp";
        ImageWriteError error;
        ASSERT_TRUE(writeBmpFile(path, view(bottomUp), DotsPerMetre{7874, 11811}, &error))
            << error.reason;
        const std::vector<std::uint8_t> b = readBytes(path);
        const std::size_t row = 16;  // 15 bytes padded to 16
        ASSERT_EQ(b.size(), 54 + row * kHeight);
        EXPECT_EQ(le32(b, 2), b.size());
        EXPECT_EQ(le32(b, 10), 54u);
        EXPECT_EQ(le32(b, 18), std::uint32_t(kWidth));
        EXPECT_EQ(le32(b, 22), std::uint32_t(kHeight));
        EXPECT_EQ(le32(b, 34), row * kHeight);
        EXPECT_EQ(le32(b, 38), 7874u) << "x stays x";
        EXPECT_EQ(le32(b, 42), 11811u) << "y stays y";
        for (int y = 0; y < kHeight; ++y) {
            // The file's first row is the bottom one.
            const std::size_t fileRow = 54 + std::size_t(kHeight - 1 - y) * row;
            for (int x = 0; x < kWidth; ++x) {
                for (int c = 0; c < 3; ++c) {
                    ASSERT_EQ(b[fileRow + std::size_t(x) * 3 + std::size_t(c)],
                              shown(x, y, bottomUp)[c])
                        << "x " << x << " y " << y << " bottomUp " << bottomUp;
                }
            }
            EXPECT_EQ(b[fileRow + 15], 0) << "padding is zero, not the stride's gap";
        }
    }
}

TEST_F(ImageWritersTest, PngHoldsPixelsAndNonSquareResolution) {
    for (const bool bottomUp : {false, true}) {
        const fs::path path = dir_ / "a.png";
        ImageWriteError error;
        ASSERT_TRUE(writePngFile(path, view(bottomUp), DotsPerMetre{7874, 11811}, &error))
            << error.reason;
        const DecodedPng png = decodePng(path);
        ASSERT_EQ(png.width, png_uint_32(kWidth));
        ASSERT_EQ(png.height, png_uint_32(kHeight));
        EXPECT_TRUE(png.hasPhys);
        EXPECT_EQ(png.unit, PNG_RESOLUTION_METER);
        EXPECT_EQ(png.xRes, 7874u);
        EXPECT_EQ(png.yRes, 11811u);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint8_t* rgb = &png.rgb[(std::size_t(y) * kWidth + std::size_t(x)) * 3];
                const std::uint8_t* bgr = shown(x, y, bottomUp);
                ASSERT_EQ(rgb[0], bgr[2]);
                ASSERT_EQ(rgb[1], bgr[1]);
                ASSERT_EQ(rgb[2], bgr[0]);
            }
        }
    }
    ASSERT_TRUE(writePngFile(dir_ / "none.png", view(), std::nullopt));
    EXPECT_FALSE(decodePng(dir_ / "none.png").hasPhys) << "no resolution, no pHYs";
}

TEST_F(ImageWritersTest, JpegKeepsQualityDensityAndPixelsWithinTolerance) {
    // A flat 16 x 16 picture survives JPEG nearly exactly at quality 95.
    std::vector<std::uint8_t> flat(16 * 16 * 3);
    for (std::size_t i = 0; i < flat.size(); i += 3) {
        flat[i] = 40;
        flat[i + 1] = 120;
        flat[i + 2] = 220;
    }
    const PixelView picture{flat.data(), 16, 16};
    ASSERT_TRUE(writeJpegFile(dir_ / "a.jpg", picture, {95, DotsPerInch{200, 300}}));
    const Decoded d = decodeJpeg(dir_ / "a.jpg");
    ASSERT_EQ(d.width, 16);
    ASSERT_EQ(d.components, 3);
    EXPECT_EQ(d.densityUnit, 1);
    EXPECT_EQ(d.xDensity, 200);
    EXPECT_EQ(d.yDensity, 300);
    for (std::size_t i = 0; i < d.pixels.size(); i += 3) {
        ASSERT_NEAR(d.pixels[i], 220, 3);  // red
        ASSERT_NEAR(d.pixels[i + 1], 120, 3);
        ASSERT_NEAR(d.pixels[i + 2], 40, 3);
    }
    // A lower quality gives a smaller file of the same picture with detail.
    ASSERT_TRUE(writeJpegFile(dir_ / "q95.jpg", view(), {95, std::nullopt}));
    ASSERT_TRUE(writeJpegFile(dir_ / "q10.jpg", view(), {10, std::nullopt}));
    EXPECT_LT(fs::file_size(dir_ / "q10.jpg"), fs::file_size(dir_ / "q95.jpg"));
    // Without a density the library's default stays: no unit, 1:1.
    const Decoded plain = decodeJpeg(dir_ / "q95.jpg");
    EXPECT_EQ(plain.densityUnit, 0);
    EXPECT_EQ(plain.xDensity, 1);
    EXPECT_EQ(plain.yDensity, 1);
    // A density of 0 asked for is written as asked.
    ASSERT_TRUE(writeJpegFile(dir_ / "zero.jpg", view(), {75, DotsPerInch{0, 0}}));
    const Decoded zero = decodeJpeg(dir_ / "zero.jpg");
    EXPECT_EQ(zero.densityUnit, 1);
    EXPECT_EQ(zero.xDensity, 0);
}

TEST_F(ImageWritersTest, JpegRowsComeOutUprightFromEitherOrder) {
    // Top half black, bottom half white, 8 x 16 grey.
    std::vector<std::uint8_t> grey(8 * 16, 0);
    std::fill(grey.begin() + 8 * 8, grey.end(), 255);
    for (const bool bottomUp : {false, true}) {
        ASSERT_TRUE(writeJpegFile(dir_ / "g.jpg", {grey.data(), 8, 16, 1, 0, bottomUp}, {90, {}}));
        const Decoded d = decodeJpeg(dir_ / "g.jpg");
        ASSERT_EQ(d.components, 1);
        const int top = d.pixels[0];
        const int bottom = d.pixels[15 * 8];
        EXPECT_LT(bottomUp ? bottom : top, 30) << bottomUp;
        EXPECT_GT(bottomUp ? top : bottom, 225) << bottomUp;
    }
}

TEST_F(ImageWritersTest, FailuresSayWhyAndLeaveNoFile) {
    const fs::path missing = dir_ / "no-such-folder" / "a.bmp";
    ImageWriteError error;
    EXPECT_FALSE(writeBmpFile(missing, view(), {}, &error));
    EXPECT_EQ(error.errorNumber, ENOENT);
    EXPECT_FALSE(error.reason.empty());
    EXPECT_FALSE(writePngFile(missing.string() + ".png", view(), std::nullopt, &error));
    EXPECT_EQ(error.errorNumber, ENOENT);
    EXPECT_FALSE(writeJpegFile(missing.string() + ".jpg", view(), {}, &error));
    EXPECT_EQ(error.errorNumber, ENOENT);

    // Empty or malformed views are refused before any file exists.
    const std::uint8_t one[3] = {};
    EXPECT_FALSE(writeBmpFile(dir_ / "e.bmp", {one, 0, 1}, {}, &error));
    EXPECT_FALSE(writePngFile(dir_ / "e.png", {nullptr, 1, 1}, std::nullopt, &error));
    EXPECT_FALSE(writeJpegFile(dir_ / "e.jpg", {one, 1, 0}, {}, &error));
    EXPECT_FALSE(writePngFile(dir_ / "g.png", {one, 1, 1, 1}, std::nullopt, &error))
        << "grey PNG is not offered";
    EXPECT_FALSE(writeBmpFile(dir_ / "s.bmp", {one, 2, 1, 3, 3}, {}, &error))
        << "a stride shorter than a row";
    EXPECT_FALSE(fs::exists(dir_ / "e.bmp") || fs::exists(dir_ / "e.png") ||
                 fs::exists(dir_ / "e.jpg") || fs::exists(dir_ / "g.png"));

    // A library failure (a width JPEG cannot hold) removes the partial file.
    std::vector<std::uint8_t> wide(70000 * 3);
    EXPECT_FALSE(writeJpegFile(dir_ / "wide.jpg", {wide.data(), 70000, 1}, {}, &error));
    EXPECT_FALSE(fs::exists(dir_ / "wide.jpg"));
    EXPECT_EQ(error.stage, ImageWriteError::Stage::Write);
    EXPECT_FALSE(error.reason.empty());
}

TEST_F(ImageWritersTest, FullDiskIsReportedAsSuch) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ImageWriteError error;
    EXPECT_FALSE(writeBmpFile("/dev/full", view(), {}, &error));
    EXPECT_EQ(error.errorNumber, ENOSPC) << error.reason;
    EXPECT_TRUE(fs::exists("/dev/full"));
}

}  // namespace
}  // namespace velmora
