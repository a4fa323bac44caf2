#include <gtest/gtest.h>
#include <tiffio.h>

#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

// One packed bilevel row: bit set for every x where black(x) is true when
// `setIsBlack`, else the inverse.
ByteVector bilevelRow(int width, int y, bool setIsBlack) {
    ByteVector row(std::size_t((width + 7) / 8), 0);
    for (int x = 0; x < width; ++x) {
        const bool black = (x / 3 + y) % 2 == 0;
        if (black == setIsBlack) row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
    }
    return row;
}

TEST(TiffDecoder, BilevelFaxAndUncompressedBothPolarities) {
    const int width = 45, height = 12;
    struct Case {
        int compression;
        int photometric;
    };
    for (Case c : {Case{COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE},
                   Case{COMPRESSION_CCITTFAX3, PHOTOMETRIC_MINISWHITE},
                   Case{COMPRESSION_PACKBITS, PHOTOMETRIC_MINISBLACK},
                   Case{COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK}}) {
        const bool setIsBlack = c.photometric == PHOTOMETRIC_MINISWHITE;
        std::vector<ByteVector> rows;
        for (int y = 0; y < height; ++y) rows.push_back(bilevelRow(width, y, setIsBlack));
        std::string error;
        const auto raster = decodeBytes(
            encodeTiff(width, height, 1, 1, c.photometric, c.compression, rows), &error);
        ASSERT_TRUE(raster) << error;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t v = (x / 3 + y) % 2 == 0 ? 0 : 255;
                ASSERT_EQ(pixelAt(*raster, x, y), (Rgb{v, v, v}))
                    << "compression " << c.compression << " at " << x << "," << y;
            }
        }
    }
}

TEST(TiffDecoder, GreyAndRgbScanlines) {
    const int width = 6, height = 4;
    std::vector<ByteVector> grey, rgb;
    for (int y = 0; y < height; ++y) {
        ByteVector g, c;
        for (int x = 0; x < width; ++x) {
            g.push_back(std::uint8_t(x * 40 + y));
            const Rgb p = patternColour(x, y);
            c.insert(c.end(), {p.r, p.g, p.b});
        }
        grey.push_back(g);
        rgb.push_back(c);
    }
    auto raster =
        decodeBytes(encodeTiff(width, height, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, grey));
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 5, 3), (Rgb{203, 203, 203}));
    raster = decodeBytes(
        encodeTiff(width, height, 8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE, grey));
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 5, 3), (Rgb{52, 52, 52}));
    raster = decodeBytes(
        encodeTiff(width, height, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE, rgb));
    ASSERT_TRUE(raster);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) EXPECT_EQ(pixelAt(*raster, x, y), patternColour(x, y));
    }
}

TEST(TiffDecoder, OtherLayoutsGoThroughTheRgbaReader) {
    // 4-bit grey is not converted by hand.
    std::vector<ByteVector> rows{{0x0F, 0xF0}, {0x88, 0x00}};
    const auto raster =
        decodeBytes(encodeTiff(4, 2, 4, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, rows));
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(*raster, 1, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(*raster, 2, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(*raster, 0, 1), (Rgb{136, 136, 136}));
}

}  // namespace
}  // namespace strovik
