#include "engine/recognition/alignment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace strovik {
namespace {

TEST(Alignment, ShiftOnlyMovesEveryPointByTheOffset) {
    const std::array<Point, 3> defined{{{272, 3257}, {2334, 3245}, {272, 300}}};
    const std::array<Point, 3> found{{{284, 3250}, {2346, 3238}, {284, 293}}};
    const Alignment a = computeAlignment(defined, found);
    EXPECT_EQ(a.offsetX, 12);
    EXPECT_EQ(a.offsetY, -7);
    EXPECT_DOUBLE_EQ(a.angle, 0.0);
    EXPECT_EQ(a.skew, -1);
    EXPECT_EQ(a.map({1000, 1000}), (Point{1012, 993}));
    EXPECT_EQ(a.map({0, 0}), (Point{12, -7}));
}

TEST(Alignment, RotatedTermsAreTruncatedBeforeAdding) {
    Alignment a;
    a.found[0] = {280, 3250};
    a.offsetX = 8;
    a.offsetY = -7;
    a.angle = 0.01;
    EXPECT_EQ(a.map({1000, 1000}), (Point{1030, 1001}));
}

TEST(Alignment, AngleIsTheDifferenceOfTheBaselineSlopes) {
    const std::array<Point, 3> defined{{{0, 100}, {1000, 100}, {0, 0}}};
    const std::array<Point, 3> found{{{10, 100}, {1010, 110}, {0, 0}}};
    EXPECT_DOUBLE_EQ(computeAlignment(defined, found).angle, std::atan(10.0 / 1000.0));
}

TEST(Alignment, VerticalBaselineHasADefinedAngle) {
    EXPECT_DOUBLE_EQ(baselineAngle({5, 0}, {5, 10}), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(baselineAngle({5, 10}, {5, 0}), -std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(baselineAngle({5, 5}, {5, 5}), 0.0);
    EXPECT_FALSE(std::isnan(baselineAngle({1, 1}, {1, 1})));
}

}  // namespace
}  // namespace strovik
