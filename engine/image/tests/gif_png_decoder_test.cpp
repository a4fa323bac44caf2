#include <gtest/gtest.h>
#include <png.h>

#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

const Rgb kWhite{255, 255, 255};

std::vector<Rgb> gifColours() {
    return {{0, 0, 0}, {200, 10, 20}, {30, 220, 40}, {50, 60, 230}, {255, 255, 0}};
}

ByteVector gifIndices(int width, int height) {
    ByteVector indices;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) indices.push_back(std::uint8_t((x + 2 * y) % 5));
    }
    return indices;
}

TEST(GifDecoder, PlainAndInterlacedFramesLandOnTheRightRows) {
    const int width = 7, height = 11;
    const ByteVector indices = gifIndices(width, height);
    for (bool interlaced : {false, true}) {
        for (bool localMap : {false, true}) {
            GifOptions options{.interlaced = interlaced, .localMap = localMap};
            const auto raster =
                decodeBytes(encodeGif(width, height, indices, gifColours(), options));
            ASSERT_TRUE(raster);
            ASSERT_EQ(raster->width(), width);
            ASSERT_EQ(raster->height(), height);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    EXPECT_EQ(pixelAt(*raster, x, y),
                              gifColours()[indices[std::size_t(y * width + x)]])
                        << "interlaced " << interlaced << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(GifDecoder, FrameOffsetOnWhiteScreenAndTransparency) {
    const int width = 4, height = 3;
    const ByteVector indices = gifIndices(width, height);
    GifOptions options{
        .screenWidth = 6, .screenHeight = 5, .left = 1, .top = 2, .transparentIndex = 2};
    const auto raster = decodeBytes(encodeGif(width, height, indices, gifColours(), options));
    ASSERT_TRUE(raster);
    ASSERT_EQ(raster->width(), 6);
    ASSERT_EQ(raster->height(), 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 2 && y < 5;
            Rgb expected = kWhite;
            if (inside) {
                const int index = indices[std::size_t((y - 2) * width + (x - 1))];
                if (index != 2) expected = gifColours()[std::size_t(index)];
            }
            EXPECT_EQ(pixelAt(*raster, x, y), expected) << x << "," << y;
        }
    }
}

TEST(GifDecoder, FrameReachingPastTheScreenIsClipped) {
    GifOptions options{.screenWidth = 3, .screenHeight = 2, .left = 1, .top = 1};
    const auto raster = decodeBytes(encodeGif(5, 4, gifIndices(5, 4), gifColours(), options));
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 0, 0), kWhite);
    EXPECT_EQ(pixelAt(*raster, 1, 1), gifColours()[0]);
    EXPECT_EQ(pixelAt(*raster, 2, 1), gifColours()[1]);
}

std::vector<ByteVector> pngRows(int width, int height, int bytesPerPixel,
                                std::uint8_t (*sample)(int, int, int)) {
    std::vector<ByteVector> rows;
    for (int y = 0; y < height; ++y) {
        ByteVector row;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < bytesPerPixel; ++c) row.push_back(sample(x, y, c));
        }
        rows.push_back(row);
    }
    return rows;
}

std::uint8_t rgbSample(int x, int y, int c) {
    const Rgb p = patternColour(x, y);
    return c == 0 ? p.r : c == 1 ? p.g : p.b;
}

TEST(PngDecoder, RgbPlainAndInterlaced) {
    const int width = 9, height = 10;
    for (bool interlaced : {false, true}) {
        PngOptions options{.colorType = PNG_COLOR_TYPE_RGB, .interlaced = interlaced};
        const auto raster =
            decodeBytes(encodePng(width, height, pngRows(width, height, 3, rgbSample), options));
        ASSERT_TRUE(raster);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(pixelAt(*raster, x, y), patternColour(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(PngDecoder, GreyAndSixteenBitSamples) {
    auto grey = [](int x, int y, int) { return std::uint8_t(x * 20 + y); };
    auto raster =
        decodeBytes(encodePng(5, 3, pngRows(5, 3, 1, grey), {.colorType = PNG_COLOR_TYPE_GRAY}));
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 4, 2), (Rgb{82, 82, 82}));

    // 16-bit RGB: the high byte of each sample survives.
    auto wide = [](int x, int y, int c) {
        return std::uint8_t(c % 2 == 0 ? x * 50 + c * 10 + y : 0x99);
    };
    raster = decodeBytes(
        encodePng(3, 2, pngRows(3, 2, 6, wide), {.colorType = PNG_COLOR_TYPE_RGB, .bitDepth = 16}));
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 2, 1), (Rgb{101, 121, 141}));
}

TEST(PngDecoder, PaletteWithTransparencyAndAlphaOverWhite) {
    PngOptions palette{.colorType = PNG_COLOR_TYPE_PALETTE,
                       .palette = {{10, 20, 30}, {200, 100, 50}, {0, 0, 0}},
                       .transparency = {255, 0, 128}};
    auto index = [](int x, int, int) { return std::uint8_t(x % 3); };
    auto raster = decodeBytes(encodePng(3, 1, pngRows(3, 1, 1, index), palette));
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(pixelAt(*raster, 1, 0), kWhite);
    EXPECT_EQ(pixelAt(*raster, 2, 0), (Rgb{127, 127, 127}));

    // RGBA, also interlaced: alpha 0 gives white, 255 the colour itself.
    auto rgba = [](int x, int y, int c) {
        if (c == 3) return std::uint8_t(x == 0 ? 0 : x == 1 ? 255 : 51);
        return std::uint8_t(c == 0 ? 100 : c == 1 ? y * 10 : 0);
    };
    for (bool interlaced : {false, true}) {
        PngOptions options{.colorType = PNG_COLOR_TYPE_RGBA, .interlaced = interlaced};
        raster = decodeBytes(encodePng(3, 9, pngRows(3, 9, 4, rgba), options));
        ASSERT_TRUE(raster);
        EXPECT_EQ(pixelAt(*raster, 0, 8), kWhite);
        EXPECT_EQ(pixelAt(*raster, 1, 8), (Rgb{100, 80, 0}));
        // 20% cover: 0.2 * 100 + 0.8 * 255 = 224.
        EXPECT_EQ(pixelAt(*raster, 2, 8), (Rgb{224, 220, 204}));
    }
}

}  // namespace
}  // namespace strovik
