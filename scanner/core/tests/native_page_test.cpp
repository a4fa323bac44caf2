// Pages from native transfers: bitmaps of every depth with their colour
// tables, and headers that must be refused before anything is read beyond
// the transferred block.
#include "scanner/core/native_page.h"

#include <gtest/gtest.h>

#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

using testing::pixelAt;
using testing::Rgb;

struct DibHeader {
    std::uint32_t size = 40;
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPpm = 3937;
    std::int32_t yPpm = 3937;
    std::uint32_t coloursUsed = 0;
};

std::vector<std::uint8_t> headerBytes(const DibHeader& h) {
    std::vector<std::uint8_t> b(h.size >= 40 ? h.size : 40, 0);
    const auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    put(0, h.size, 4);
    put(4, std::uint32_t(h.width), 4);
    put(8, std::uint32_t(h.height), 4);
    put(12, h.planes, 2);
    put(14, h.bits, 2);
    put(16, h.compression, 4);
    put(20, h.imageSize, 4);
    put(24, std::uint32_t(h.xPpm), 4);
    put(28, std::uint32_t(h.yPpm), 4);
    put(32, h.coloursUsed, 4);
    return b;
}

TEST(NativePage, EightBitPageWithAShortColourTableUsesThatTable) {
    DibHeader h;
    h.coloursUsed = 2;  // two entries, not 256
    auto dib = headerBytes(h);
    dib.insert(dib.end(), {10, 20, 30, 0, 200, 100, 50, 0});  // blue, green, red, 0
    dib.insert(dib.end(), {1, 1, 1, 1});                      // bottom row: colour 1
    dib.insert(dib.end(), {0, 1, 0, 1});                      // top row
    const auto page = decodeNativePage(dib, nullptr);
    ASSERT_TRUE(page);
    EXPECT_EQ(pixelAt(page->pixels, 0, 0), (Rgb{30, 20, 10}));
    EXPECT_EQ(pixelAt(page->pixels, 1, 0), (Rgb{50, 100, 200}));
    EXPECT_EQ(pixelAt(page->pixels, 0, 1), (Rgb{50, 100, 200}));
    EXPECT_EQ(page->resolution.xPixelsPerMetre, 3937);
}

TEST(NativePage, TopDownTwentyFourBitPage) {
    DibHeader h;
    h.bits = 24;
    h.height = -2;
    h.width = 1;
    auto dib = headerBytes(h);
    dib.insert(dib.end(), {1, 2, 3, 0, 4, 5, 6, 0});  // top row first, padded to 4
    const auto page = decodeNativePage(dib, nullptr);
    ASSERT_TRUE(page);
    EXPECT_EQ(pixelAt(page->pixels, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(pixelAt(page->pixels, 0, 1), (Rgb{6, 5, 4}));
}

TEST(NativePage, ImplausibleHeadersAreRefusedWithAReason) {
    const auto refused = [](DibHeader h, std::size_t extra) {
        auto dib = headerBytes(h);
        dib.resize(dib.size() + extra);
        std::string error;
        const bool ok = decodeNativePage(dib, &error).has_value();
        return !ok && !error.empty();
    };
    DibHeader base;
    base.bits = 24;
    EXPECT_FALSE(refused(base, 64)) << "a good header for comparison";
    DibHeader h = base;
    h.size = 7;
    EXPECT_TRUE(refused(h, 64));
    h = base, h.width = 0;
    EXPECT_TRUE(refused(h, 64));
    h = base, h.width = -4;
    EXPECT_TRUE(refused(h, 64));
    h = base, h.height = 0;
    EXPECT_TRUE(refused(h, 64));
    h = base, h.bits = 13;
    EXPECT_TRUE(refused(h, 64));
    h = base, h.planes = 3;
    EXPECT_TRUE(refused(h, 64));
    h = base, h.compression = 1;  // run-length at 24 bits
    EXPECT_TRUE(refused(h, 64));
    h = base, h.width = 30000, h.height = 30000;  // beyond any page
    EXPECT_TRUE(refused(h, 64));
    h = base, h.width = 4000, h.height = 4000;  // more than was transferred
    EXPECT_TRUE(refused(h, 64));
    h = base, h.bits = 8, h.coloursUsed = 257;
    EXPECT_TRUE(refused(h, 2000));
    h = base, h.bits = 8, h.compression = 1, h.imageSize = 0;
    EXPECT_TRUE(refused(h, 2000));
    EXPECT_FALSE(decodeNativePage({}, nullptr));
    const std::vector<std::uint8_t> shortBlock(20, 0);
    EXPECT_FALSE(decodeNativePage(shortBlock, nullptr));
}

TEST(NativePage, TiffIsRecognisedByItsFirstBytes) {
    EXPECT_TRUE(looksLikeTiff(std::vector<std::uint8_t>{'I', 'I', 42, 0}));
    EXPECT_TRUE(looksLikeTiff(std::vector<std::uint8_t>{'M', 'M', 0, 42}));
    EXPECT_FALSE(looksLikeTiff(std::vector<std::uint8_t>{'B', 'M', 0, 0}));
    std::string error;
    EXPECT_FALSE(decodeNativePage(std::vector<std::uint8_t>{'I', 'I', 42, 0, 9, 9}, &error));
    EXPECT_NE(error.find("TIFF"), std::string::npos);
}

}  // namespace
}  // namespace fenwary
