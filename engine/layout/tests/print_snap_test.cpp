#include "engine/layout/print_snap.h"

#include <gtest/gtest.h>

#include "engine/layout/tests/drawn_sheet.h"

namespace {

using layout_test::DrawnBlock;
using layout_test::DrawnSheet;
using strovik::layout::PrintPoint;
using strovik::layout::SnapTarget;
using strovik::layout::snapToPrint;

DrawnSheet oneRow() {
    DrawnSheet s;
    s.width = 400;
    s.height = 300;
    s.zeroMarks = {{40, 260}};
    s.blocks = {DrawnBlock{100, 100, 1, 4, 40, 0, false}};
    return s;
}

TEST(PrintSnap, MovesToTheNearestBubbleCentreWithinReachInclusive) {
    const DrawnSheet s = oneRow();
    const strovik::Raster r = s.draw();
    // 3-4-5: the placed point lies exactly 5 pixels from the centre (140,100).
    SnapTarget t{{143, 104}, s.ovalW, s.ovalH, 5};
    EXPECT_EQ(snapToPrint(r, t), (PrintPoint{140, 100}));
    t.reach = 4;
    EXPECT_FALSE(snapToPrint(r, t));
    // Between two bubbles the nearer wins.
    t = {{125, 100}, s.ovalW, s.ovalH, 20};
    EXPECT_EQ(snapToPrint(r, t), (PrintPoint{140, 100}));
}

TEST(PrintSnap, ZeroMarkByItsRadiusAndShapesOfOtherSizesIgnored) {
    const DrawnSheet s = oneRow();
    const strovik::Raster r = s.draw();
    const int d = 2 * s.zeroRadius;
    EXPECT_EQ(snapToPrint(r, {{47, 255}, d, d, 12}), (PrintPoint{40, 260}));
    // Expecting shapes three times the bubble size: nothing qualifies.
    EXPECT_FALSE(snapToPrint(r, {{100, 100}, 3 * s.ovalW, 3 * s.ovalH, 20}));
    // Outside the image, or at the very corner: no crash, no snap.
    EXPECT_FALSE(snapToPrint(r, {{-1, 5}, s.ovalW, s.ovalH, 20}));
    EXPECT_FALSE(snapToPrint(r, {{0, 0}, s.ovalW, s.ovalH, 20}));
    EXPECT_FALSE(snapToPrint(strovik::Raster(), {{0, 0}, 10, 10, 20}));
}

}  // namespace
