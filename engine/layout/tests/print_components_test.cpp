#include "engine/layout/print_components.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using strovik::Raster;
using strovik::layout::Component;
using strovik::layout::darkThreshold;
using strovik::layout::findComponents;

Raster whitePage(int w, int h) {
    Raster r(w, h);
    std::fill(r.data(), r.data() + r.sizeBytes(), std::uint8_t(255));
    return r;
}

void put(Raster& r, int x, int y, std::uint8_t g) {
    std::uint8_t* p = r.data() + r.offsetOf(x, y);
    p[0] = p[1] = p[2] = g;
}

TEST(PrintComponents, DiagonalNeighboursJoinAndAUShapeIsOneRegion) {
    Raster r = whitePage(20, 10);
    put(r, 1, 1, 0);
    put(r, 2, 2, 0);  // touches (1,1) only at a corner
    // A "U": two bars that meet only in the bottom row.
    for (int y = 3; y <= 7; ++y) {
        put(r, 10, y, 0);
        put(r, 14, y, 0);
    }
    for (int x = 10; x <= 14; ++x) put(r, x, 8, 0);
    const std::vector<Component> cs = findComponents(r, 128);
    ASSERT_EQ(cs.size(), 2u);
    EXPECT_EQ(cs[0].left, 1);
    EXPECT_EQ(cs[0].right, 2);
    EXPECT_EQ(cs[0].area, 2);
    EXPECT_EQ(cs[1].left, 10);
    EXPECT_EQ(cs[1].right, 14);
    EXPECT_EQ(cs[1].top, 3);
    EXPECT_EQ(cs[1].bottom, 8);
    EXPECT_EQ(cs[1].area, 15);
    EXPECT_DOUBLE_EQ(cs[1].cx, 12.0);
}

TEST(PrintComponents, GreyEqualToTheThresholdIsNotDark) {
    Raster r = whitePage(8, 3);
    put(r, 1, 1, 128);
    put(r, 5, 1, 127);
    const std::vector<Component> cs = findComponents(r, 128);
    ASSERT_EQ(cs.size(), 1u);
    EXPECT_EQ(cs[0].left, 5);
    // The grey value is the mean of the three bytes, rounded down.
    std::uint8_t* p = r.data() + r.offsetOf(1, 1);
    p[0] = 127, p[1] = 128, p[2] = 128;  // mean 127.67 -> 127
    EXPECT_EQ(findComponents(r, 128).size(), 2u);
}

TEST(PrintComponents, ThresholdFollowsThePaperAndStaysInItsRange) {
    // Paper is the median: 75 % of 255 is 191.
    Raster page = whitePage(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 10; ++x) put(page, x, y, 0);
    EXPECT_EQ(darkThreshold(page), 191);
    // Grey paper 200 gives 150: grey 149 is dark, 150 is not.
    Raster grey = whitePage(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) put(grey, x, y, 200);
    EXPECT_EQ(darkThreshold(grey), 150);
    put(grey, 3, 3, 149);
    put(grey, 30, 30, 150);
    ASSERT_EQ(findComponents(grey, darkThreshold(grey)).size(), 1u);
    EXPECT_EQ(findComponents(grey, darkThreshold(grey))[0].left, 3);
    // A very dark page and a page of half black: the clamp.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) put(grey, x, y, 100);
    EXPECT_EQ(darkThreshold(grey), strovik::layout::kMinDarkThreshold);
    EXPECT_EQ(darkThreshold(Raster()), strovik::layout::kMaxDarkThreshold);
    EXPECT_TRUE(findComponents(Raster(), 128).empty());
}

}  // namespace
