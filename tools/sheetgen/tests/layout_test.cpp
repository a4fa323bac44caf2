#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

constexpr int kShiftMargin = 40;

TEST(LayoutTest, A4SizesAndShapesFollowTheDpi) {
    const Layout at300 = makeLayout({});
    EXPECT_EQ(at300.widthPx, 2480);
    EXPECT_EQ(at300.heightPx, 3508);
    EXPECT_EQ(at300.zeroRadius, 14);
    EXPECT_EQ(at300.ovalWidth, 36);
    EXPECT_EQ(at300.ovalHeight, 66);

    LayoutParams p;
    p.dpi = 200;
    const Layout at200 = makeLayout(p);
    EXPECT_EQ(at200.widthPx, 1654);
    EXPECT_EQ(at200.heightPx, 2339);
    EXPECT_EQ(at200.zeroRadius, 9);
    EXPECT_EQ(at200.ovalWidth, 24);
    EXPECT_EQ(at200.ovalHeight, 44);

    p.widthPx = 1000;
    p.heightPx = 1200;
    const Layout custom = makeLayout(p);
    EXPECT_EQ(custom.widthPx, 1000);
    EXPECT_EQ(custom.heightPx, 1200);
}

TEST(LayoutTest, ZeroMarksSitNearThreeCorners) {
    const Layout l = makeLayout({});
    EXPECT_EQ(l.zero[0].y, l.zero[1].y) << "marks 1 and 2 share a horizontal line";
    EXPECT_EQ(l.zero[0].x, l.zero[2].x) << "mark 3 is straight above mark 1";
    EXPECT_NEAR(l.zero[0].x, 270, 5);
    EXPECT_NEAR(l.heightPx - l.zero[0].y, 270, 5);
    EXPECT_NEAR(l.widthPx - l.zero[1].x, 270, 5);
    EXPECT_NEAR(l.zero[2].y, 270, 5);
}

class FullSheetTest : public ::testing::TestWithParam<int> {};

TEST_P(FullSheetTest, HundredByFiveFitsWithRoomForShifts) {
    LayoutParams p;
    p.dpi = GetParam();
    p.questions = 100;
    p.choices = 5;
    p.imageAreas = 1;
    const Layout l = makeLayout(p);
    ASSERT_EQ(l.ovals.size(), 100u);
    EXPECT_TRUE(layoutFits(l, kShiftMargin));

    // No oval may come near a zero mark's search window, even shifted.
    const int clearance = 50 + l.zeroRadius + kShiftMargin + l.ovalWidth / 2;
    std::set<std::pair<int, int>> seen;
    for (const auto& question : l.ovals) {
        ASSERT_EQ(question.size(), 5u);
        for (const Pt& o : question) {
            for (const Pt& z : l.zero) EXPECT_GT(std::abs(o.x - z.x), clearance);
            EXPECT_GT(o.y, l.zero[2].y);
            EXPECT_LT(o.y, l.zero[0].y);
            EXPECT_TRUE(seen.insert({o.x, o.y}).second) << "two ovals at one place";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dpis, FullSheetTest, ::testing::Values(200, 300));

TEST(LayoutTest, ChoicesSideBySideAndRowsStackedWithoutOverlap) {
    const Layout l = makeLayout({});
    const Pt a = l.ovals[0][0];
    const Pt b = l.ovals[0][1];
    const Pt below = l.ovals[1][0];
    EXPECT_EQ(a.y, b.y);
    EXPECT_GE(b.x - a.x, l.ovalWidth + 1);
    EXPECT_EQ(a.x, below.x);
    EXPECT_GE(below.y - a.y, l.ovalHeight + 1);
}

TEST(LayoutTest, AddsColumnsWhenOneBlockIsTooTall) {
    LayoutParams p;
    p.questions = 100;
    p.columns = 1;
    const Layout l = makeLayout(p);
    std::set<int> columnStarts;
    for (const auto& q : l.ovals) columnStarts.insert(q[0].x);
    EXPECT_GT(columnStarts.size(), 1u);
    EXPECT_TRUE(layoutFits(l, kShiftMargin));
}

TEST(LayoutTest, ImageAreasLieAboveTheQuestions) {
    LayoutParams p;
    p.imageAreas = 4;
    const Layout l = makeLayout(p);
    ASSERT_EQ(l.areas.size(), 4u);
    int topOval = l.heightPx;
    for (const auto& q : l.ovals) topOval = std::min(topOval, q[0].y - l.ovalHeight / 2);
    for (const AreaRect& a : l.areas) {
        EXPECT_GT(a.width, 0);
        EXPECT_GT(a.height, 0);
        EXPECT_LT(a.y + a.height, topOval);
        EXPECT_GT(a.y, l.zero[2].y);
    }
    EXPECT_TRUE(layoutFits(l, kShiftMargin));
}

TEST(LayoutTest, MultiQuestionsAreSortedUniqueAndInRange) {
    LayoutParams p;
    p.questions = 10;
    p.multiQuestions = {7, 3, 7, -1, 10, 0};
    EXPECT_EQ(makeLayout(p).multiQuestions, (std::vector<int>{0, 3, 7}));
}

TEST(LayoutTest, ReportsWhenTheSheetIsTooSmall) {
    LayoutParams p;
    p.questions = 50;
    p.widthPx = 600;
    p.heightPx = 700;
    EXPECT_FALSE(layoutFits(makeLayout(p), kShiftMargin));
}

}  // namespace
}  // namespace sheetgen
