#include <gtest/gtest.h>

#include <functional>

#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

struct BmpSpec {
    int infoSize = 40;
    int width = 0;
    int height = 0;  // negative: top-down
    int bits = 24;
    std::uint32_t compression = kRgb;
    std::vector<Rgb> palette{};
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    ByteVector data{};
};

void put16(ByteVector& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(ByteVector& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

ByteVector buildBmp(const BmpSpec& layout) {
    const bool core = layout.infoSize == 12;
    const bool masksAfter = layout.compression == kBitfields && layout.infoSize == 40;
    const std::size_t paletteBytes = layout.palette.size() * (core ? 3 : 4);
    const std::size_t dataOffset =
        14 + std::size_t(layout.infoSize) + (masksAfter ? 12 : 0) + paletteBytes;
    ByteVector out{'B', 'M'};
    put32(out, std::uint32_t(dataOffset + layout.data.size()));
    put32(out, 0);
    put32(out, std::uint32_t(dataOffset));
    put32(out, std::uint32_t(layout.infoSize));
    if (core) {
        put16(out, std::uint32_t(layout.width));
        put16(out, std::uint32_t(layout.height));
        put16(out, 1);
        put16(out, std::uint32_t(layout.bits));
    } else {
        put32(out, std::uint32_t(layout.width));
        put32(out, std::uint32_t(layout.height));
        put16(out, 1);
        put16(out, std::uint32_t(layout.bits));
        put32(out, layout.compression);
        put32(out, std::uint32_t(layout.data.size()));
        put32(out, 2835);
        put32(out, 2835);
        put32(out, std::uint32_t(layout.palette.size()));
        put32(out, 0);
        for (std::uint32_t mask : layout.masks) {
            if (layout.infoSize > 40 || masksAfter) put32(out, mask);
        }
        out.resize(14 + std::size_t(layout.infoSize) + (masksAfter ? 12 : 0), 0);
    }
    for (const Rgb& c : layout.palette) {
        out.insert(out.end(), {c.b, c.g, c.r});
        if (!core) out.push_back(0);
    }
    out.insert(out.end(), layout.data.begin(), layout.data.end());
    return out;
}

// Packs rows in file order, each padded to four bytes. value(x, fileRow)
// gives a palette index, a packed 16/32-bit word or 0xRRGGBB for 24 bits.
ByteVector packRows(int width, int rows, int bits,
                    const std::function<std::uint32_t(int, int)>& value) {
    ByteVector out;
    const std::size_t stride = std::size_t((width * bits + 31) / 32 * 4);
    for (int row = 0; row < rows; ++row) {
        ByteVector line(stride, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, row);
            if (bits < 8) {
                const int bit = x * bits;
                line[std::size_t(bit / 8)] |= std::uint8_t(v << (8 - bits - bit % 8));
            } else {
                for (int b = 0; b < bits / 8; ++b) {
                    line[std::size_t(x * bits / 8 + b)] = std::uint8_t(v >> (8 * b));
                }
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

std::vector<Rgb> makePalette(int count) {
    std::vector<Rgb> palette{};
    for (int i = 0; i < count; ++i) {
        palette.push_back(Rgb{std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 3 + 1)});
    }
    return palette;
}

Raster decodeOk(const ByteVector& bytes) {
    std::string error;
    auto raster = decodeBytes(bytes, &error);
    EXPECT_TRUE(raster) << error;
    return raster ? std::move(*raster) : Raster();
}

TEST(BmpDecoder, PaletteImagesAtOneFourAndEightBits) {
    for (int bits : {1, 4, 8}) {
        for (int infoSize : {40, 12, 124}) {
            const int width = 13, height = 5, colours = 1 << bits;
            auto index = [&](int x, int row) { return std::uint32_t((x + 3 * row) % colours); };
            BmpSpec layout{.infoSize = infoSize, .width = width, .height = height, .bits = bits};
            layout.palette = makePalette(colours);
            layout.data = packRows(width, height, bits, index);
            const Raster raster = decodeOk(buildBmp(layout));
            ASSERT_EQ(raster.width(), width);
            ASSERT_EQ(raster.height(), height);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    EXPECT_EQ(pixelAt(raster, x, y), layout.palette[index(x, height - 1 - y)])
                        << bits << " bits, header " << infoSize << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(BmpDecoder, TrueColourBottomUpAndTopDown) {
    const int width = 5, height = 4;
    auto colour = [](int x, int row) {
        const Rgb c = patternColour(x, row);
        return std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b;
    };
    for (int sign : {1, -1}) {
        for (int bits : {24, 32}) {
            BmpSpec layout{.width = width, .height = sign * height, .bits = bits};
            // 32-bit BI_RGB ignores the top byte.
            layout.data = packRows(width, height, bits, [&](int x, int row) {
                return colour(x, row) | (bits == 32 ? 0xAB000000u : 0u);
            });
            const Raster raster = decodeOk(buildBmp(layout));
            for (int y = 0; y < height; ++y) {
                const int row = sign > 0 ? height - 1 - y : y;
                for (int x = 0; x < width; ++x) {
                    EXPECT_EQ(pixelAt(raster, x, y), patternColour(x, row))
                        << bits << " bits, sign " << sign << " at " << x << "," << y;
                }
            }
        }
    }
}

std::uint8_t scale(std::uint32_t v, std::uint32_t max) {
    return std::uint8_t((v * 255 + max / 2) / max);
}

TEST(BmpDecoder, SixteenBitDefaultsToFiveFiveFive) {
    BmpSpec layout{.width = 3, .height = 1, .bits = 16};
    layout.data = packRows(3, 1, 16, [](int x, int) {
        const std::uint32_t words[] = {0x7C00, 0x03E0 | 0x0001, (10u << 10) | (20u << 5) | 30u};
        return words[x];
    });
    const Raster raster = decodeOk(buildBmp(layout));
    EXPECT_EQ(pixelAt(raster, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(raster, 1, 0), (Rgb{0, 255, scale(1, 31)}));
    EXPECT_EQ(pixelAt(raster, 2, 0), (Rgb{scale(10, 31), scale(20, 31), scale(30, 31)}));
}

TEST(BmpDecoder, BitfieldMasksAfterAndInsideTheHeader) {
    // 5-6-5 with the masks after a 40-byte header.
    BmpSpec rgb565{.width = 2, .height = 1, .bits = 16, .compression = kBitfields};
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.data = packRows(
        2, 1, 16, [](int x, int) { return x == 0 ? (3u << 11) | (40u << 5) | 17u : 0xFFFFu; });
    Raster raster = decodeOk(buildBmp(rgb565));
    EXPECT_EQ(pixelAt(raster, 0, 0), (Rgb{scale(3, 31), scale(40, 63), scale(17, 31)}));
    EXPECT_EQ(pixelAt(raster, 1, 0), (Rgb{255, 255, 255}));

    // 10-10-10 in 32 bits with the masks inside a 108-byte header.
    BmpSpec wide{.infoSize = 108, .width = 1, .height = 1, .bits = 32, .compression = kBitfields};
    wide.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    wide.data = packRows(1, 1, 32, [](int, int) { return (1023u << 20) | (512u << 10) | 0u; });
    raster = decodeOk(buildBmp(wide));
    EXPECT_EQ(pixelAt(raster, 0, 0), (Rgb{255, scale(512, 1023), 0}));
}

TEST(BmpDecoder, RunLengthEightWithEscapesAndClipping) {
    BmpSpec layout{.width = 6, .height = 4, .bits = 8, .compression = kRle8};
    layout.palette = makePalette(8);
    layout.data = {
        3, 5,              // row 0: three pixels of index 5
        0, 3, 1, 2, 3, 0,  //        absolute run 1 2 3, padded
        0, 0,              // end of line
        9, 4,              // row 1: nine pixels of 4, clipped at six
        0, 0,              // end of line
        0, 2, 2, 1,        // delta: right 2, down 1 -> row 3, x 2
        2, 6,              // two pixels of 6
        0, 1,              // end of bitmap
    };
    const Raster raster = decodeOk(buildBmp(layout));
    const auto& p = layout.palette;
    const std::vector<std::vector<int>> expected = {
        {5, 5, 5, 1, 2, 3}, {4, 4, 4, 4, 4, 4}, {0, 0, 0, 0, 0, 0}, {0, 0, 6, 6, 0, 0}};
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(pixelAt(raster, x, 3 - row), p[std::size_t(expected[row][x])])
                << "row " << row << " x " << x;
        }
    }
}

TEST(BmpDecoder, RunLengthFourAlternatesNibbles) {
    BmpSpec layout{.width = 7, .height = 2, .bits = 4, .compression = kRle4};
    layout.palette = makePalette(16);
    layout.data = {
        5, 0x12,                       // 1 2 1 2 1
        0, 3,    0x34, 0x50,           // absolute 3 4 5 (two bytes, already even)
        0, 0,                          // end of line
        0, 5,    0x9A, 0xBC, 0xD0, 0,  // absolute 9 A B C D, padded to four bytes
        0, 1,
    };
    const Raster raster = decodeOk(buildBmp(layout));
    const std::vector<std::vector<int>> expected = {{1, 2, 1, 2, 1, 3, 4},
                                                    {9, 10, 11, 12, 13, 0, 0}};
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(pixelAt(raster, x, 1 - row), layout.palette[std::size_t(expected[row][x])])
                << "row " << row << " x " << x;
        }
    }
}

TEST(BmpDecoder, RejectsInconsistentFiles) {
    BmpSpec rle{.width = 4, .height = -2, .bits = 8, .compression = kRle8};
    rle.palette = makePalette(2);
    rle.data = {4, 1, 0, 1};
    BmpSpec truncatedRle = rle;
    truncatedRle.height = 2;
    truncatedRle.data = {4, 1, 0, 0, 2};  // stream ends inside row 1
    BmpSpec huge{.width = 100000, .height = 100000, .bits = 24};
    huge.data = ByteVector(64, 0);
    BmpSpec hugeRle{.width = 100000, .height = 100000, .bits = 8, .compression = kRle8};
    hugeRle.palette = makePalette(2);
    hugeRle.data = {0, 1};
    BmpSpec badBits{.width = 2, .height = 2, .bits = 7};
    badBits.data = ByteVector(16, 0);
    BmpSpec shortData{.width = 10, .height = 10, .bits = 24};
    shortData.data = ByteVector(10 * 32 - 40, 0);

    for (const BmpSpec* layout : {&rle, &truncatedRle, &huge, &hugeRle, &badBits, &shortData}) {
        std::string error;
        EXPECT_FALSE(decodeBytes(buildBmp(*layout), &error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace strovik
