// Assembling pages from SANE frames: grey at 1 bit (a set bit is black),
// 16-bit samples, RGB, three separate colour frames, an unknown number of
// lines, a short last line, and frames that cannot be taken.
#include "scanner/core/sane_page.h"

#include <gtest/gtest.h>

#include <cstring>

#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

using testing::pixelAt;
using testing::Rgb;

SANE_Parameters frame(SANE_Frame format, int width, int lines, int depth, int bytesPerLine,
                      bool last = true) {
    SANE_Parameters p{};
    p.format = format;
    p.last_frame = last ? SANE_TRUE : SANE_FALSE;
    p.pixels_per_line = width;
    p.lines = lines;
    p.depth = depth;
    p.bytes_per_line = bytesPerLine;
    return p;
}

std::optional<strovik::Raster> assemble(const SANE_Parameters& p,
                                        const std::vector<SANE_Byte>& data) {
    PageAssembler page;
    if (!page.beginFrame(p, nullptr) || !page.append(data.data(), data.size(), nullptr)) {
        return std::nullopt;
    }
    EXPECT_TRUE(page.endFrame());
    return page.finish(nullptr);
}

TEST(SanePage, OneBitGreyHasSetBitsBlack) {
    // 10 pixels a line in 2 bytes; line 0: first pixel set, line 1: none.
    const auto page = assemble(frame(SANE_FRAME_GRAY, 10, 2, 1, 2), {0x80, 0x00, 0x00, 0x00});
    ASSERT_TRUE(page);
    EXPECT_EQ(pixelAt(*page, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(*page, 1, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(*page, 0, 1), (Rgb{255, 255, 255}));
}

TEST(SanePage, SixteenBitRgbKeepsTheHighByte) {
    std::vector<SANE_Byte> line(6);
    const std::uint16_t samples[3] = {0x1234, 0xABCD, 0x00FF};
    std::memcpy(line.data(), samples, sizeof samples);
    const auto page = assemble(frame(SANE_FRAME_RGB, 1, 1, 16, 6), line);
    ASSERT_TRUE(page);
    EXPECT_EQ(pixelAt(*page, 0, 0), (Rgb{0x12, 0xAB, 0x00}));
}

TEST(SanePage, ThreeColourFramesMakeOnePage) {
    PageAssembler page;
    const std::pair<SANE_Frame, SANE_Byte> frames[] = {
        {SANE_FRAME_BLUE, 30}, {SANE_FRAME_RED, 10}, {SANE_FRAME_GREEN, 20}};
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(page.beginFrame(frame(frames[i].first, 2, 1, 8, 2, i == 2), nullptr));
        const SANE_Byte data[2] = {frames[i].second, frames[i].second};
        ASSERT_TRUE(page.append(data, 2, nullptr));
        EXPECT_EQ(page.endFrame(), i == 2);
    }
    const auto raster = page.finish(nullptr);
    ASSERT_TRUE(raster);
    EXPECT_EQ(pixelAt(*raster, 1, 0), (Rgb{10, 20, 30}));
}

TEST(SanePage, UnknownLineCountTakesTheCompleteLinesThatCame) {
    // Hand scanner: lines -1; 2.5 lines of 8-bit grey arrive.
    const auto page = assemble(frame(SANE_FRAME_GRAY, 4, -1, 8, 4), {1, 2, 3, 4, 5, 6, 7, 8, 9, 9});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->height(), 2);
    EXPECT_EQ(pixelAt(*page, 3, 1), (Rgb{8, 8, 8}));
    std::string error;
    PageAssembler empty;
    ASSERT_TRUE(empty.beginFrame(frame(SANE_FRAME_GRAY, 4, 3, 8, 4), nullptr));
    empty.endFrame();
    EXPECT_FALSE(empty.finish(&error));
    EXPECT_FALSE(error.empty());
}

TEST(SanePage, FramesThatCannotBeTakenAreRefused) {
    PageAssembler page;
    std::string error;
    EXPECT_FALSE(page.beginFrame(frame(SANE_FRAME_GRAY, 4, 1, 4, 4), &error));  // 4 bits
    EXPECT_FALSE(page.beginFrame(frame(SANE_FRAME_RGB, 4, 1, 8, 11), &error));  // line too short
    EXPECT_FALSE(page.beginFrame(frame(SANE_FRAME_GRAY, 0, 1, 8, 4), &error));
    EXPECT_FALSE(page.beginFrame(frame(SANE_FRAME_GRAY, 100000, 100000, 8, 100000), &error));
    EXPECT_FALSE(page.beginFrame(frame(SANE_Frame(7), 4, 1, 8, 4), &error));
    EXPECT_FALSE(error.empty());
    // Only red and green of a three-pass page arrived.
    PageAssembler partial;
    for (SANE_Frame f : {SANE_FRAME_RED, SANE_FRAME_GREEN}) {
        ASSERT_TRUE(partial.beginFrame(frame(f, 1, 1, 8, 1, false), nullptr));
        const SANE_Byte one = 1;
        partial.append(&one, 1, nullptr);
        EXPECT_FALSE(partial.endFrame());
    }
    EXPECT_FALSE(partial.finish(&error));
}

}  // namespace
}  // namespace fenwary
