// The canvas zoom: the ladder's ends and steps from values off the ladder,
// fit to window at exact and inexact ratios, and the scroll that keeps a
// point under the pointer.
#include "editor/core/zoom.h"

#include <gtest/gtest.h>

namespace dravel {
namespace {

TEST(Zoom, LadderStepsAndEnds) {
    EXPECT_EQ(zoomInDivisor(100), 67);
    EXPECT_EQ(zoomOutDivisor(100), 150);
    EXPECT_EQ(zoomInDivisor(kMinZoomDivisor), kMinZoomDivisor);
    EXPECT_EQ(zoomOutDivisor(kMaxZoomDivisor), kMaxZoomDivisor);
    // Off the ladder (after fit to window): the next ladder value each way.
    EXPECT_EQ(zoomInDivisor(120), 100);
    EXPECT_EQ(zoomOutDivisor(120), 150);
    EXPECT_EQ(zoomInDivisor(26), 25);
}

TEST(Zoom, FitRoundsUpSoTheImageNeverOverflows) {
    // 2000 x 1000 in 1000 x 1000: exactly half size.
    EXPECT_EQ(fitDivisor(2000, 1000, 1000, 1000), 200);
    // 2001 wide needs a divisor over 200.1: 201.
    EXPECT_EQ(fitDivisor(2001, 1000, 1000, 1000), 201);
    EXPECT_LE(2001 * 100 / 201, 1000);
    // The taller side decides.
    EXPECT_EQ(fitDivisor(500, 3000, 1000, 1000), 300);
    // Small images stop at 400 %, huge ones at 25 %.
    EXPECT_EQ(fitDivisor(10, 10, 1000, 1000), kMinZoomDivisor);
    EXPECT_EQ(fitDivisor(100000, 10, 1000, 1000), kMaxZoomDivisor);
    EXPECT_EQ(fitDivisor(100, 100, 0, 500), kMinDivisor);
}

TEST(Zoom, ScrollKeepsThePointUnderThePointer) {
    // Image x 600 at 200 % (divisor 50) is display 1200; under client 200
    // the scroll is 1000.
    EXPECT_EQ(scrollKeeping({600, 300}, 200, 100, 50), (Point{1000, 500}));
    // Near the top left the scroll cannot go below 0.
    EXPECT_EQ(scrollKeeping({10, 10}, 200, 100, 100), (Point{0, 0}));
}

}  // namespace
}  // namespace dravel
