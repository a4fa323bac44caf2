#include "engine/layout/bubble_grid.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using strovik::layout::Centre;
using strovik::layout::gridAngle;
using strovik::layout::groupIntoQuestions;
using strovik::layout::PrintPoint;

// Rows x cols centres from (x0, y0), turned by `angle` about the origin.
void addGrid(std::vector<Centre>& out, double x0, double y0, int rows, int cols, double px,
             double py, double angle = 0.0) {
    const double c = std::cos(angle), s = std::sin(angle);
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k) {
            const double x = x0 + k * px, y = y0 + r * py;
            out.push_back({c * x - s * y, s * x + c * y});
        }
}

TEST(BubbleGrid, TwoBlocksReadLeftBlockFirstRowsTopToBottom) {
    std::vector<Centre> pts;
    addGrid(pts, 600, 200, 5, 4, 30, 40);  // right block given first
    addGrid(pts, 100, 200, 5, 4, 30, 40);
    const auto qs = groupIntoQuestions(pts, 18, 30);
    ASSERT_EQ(qs.size(), 10u);
    for (const auto& q : qs) ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(qs[0][0], (PrintPoint{100, 200}));
    EXPECT_EQ(qs[0][3], (PrintPoint{190, 200}));
    EXPECT_EQ(qs[4][0], (PrintPoint{100, 360}));
    EXPECT_EQ(qs[5][0], (PrintPoint{600, 200}));
    EXPECT_EQ(qs[9][3], (PrintPoint{690, 360}));
}

TEST(BubbleGrid, ChoicesRunDownwardsOnlyWhenTheColumnIsClearlyTighter) {
    // Six digit columns of ten: vertical pitch 24 under 0.85 x 40.
    std::vector<Centre> id;
    addGrid(id, 100, 100, 10, 6, 40, 24);
    auto qs = groupIntoQuestions(id, 18, 18);
    ASSERT_EQ(qs.size(), 6u);
    ASSERT_EQ(qs[0].size(), 10u);
    EXPECT_EQ(qs[1][0], (PrintPoint{140, 100}));
    EXPECT_EQ(qs[0][9], (PrintPoint{100, 316}));
    // Row pitch 34 equals 0.85 x 40 exactly: not below, so rows are questions.
    std::vector<Centre> even;
    addGrid(even, 100, 100, 10, 6, 40, 34);
    qs = groupIntoQuestions(even, 18, 18);
    ASSERT_EQ(qs.size(), 10u);
    EXPECT_EQ(qs[0].size(), 6u);
}

TEST(BubbleGrid, SlightTurnKeepsRowsAndColumns) {
    const double angle = 1.5 * M_PI / 180.0;
    std::vector<Centre> pts;
    addGrid(pts, 100, 100, 20, 4, 30, 45, angle);
    addGrid(pts, 500, 100, 20, 4, 30, 45, angle);
    EXPECT_NEAR(gridAngle(pts, 18), angle, 1e-3);
    const auto qs = groupIntoQuestions(pts, 18, 30);
    ASSERT_EQ(qs.size(), 40u);
    for (const auto& q : qs) ASSERT_EQ(q.size(), 4u);
    // Question 21 is the first row of the right block.
    EXPECT_NEAR(qs[20][0].x, std::cos(angle) * 500 - std::sin(angle) * 100, 1.0);
}

TEST(BubbleGrid, MissingBubbleIsFilledAndAStrayPointDropped) {
    std::vector<Centre> pts;
    addGrid(pts, 100, 100, 4, 5, 30, 40);
    pts.erase(pts.begin() + 7);      // row 1, choice 2
    pts[11] = {164.0, 183.0, true};  // row 2, choice 2 (after the erase): pencil spilled
    pts.push_back({160.0, 140.0 + 3 * 40 + 35});  // alone on its own row
    const auto qs = groupIntoQuestions(pts, 18, 30);
    ASSERT_EQ(qs.size(), 4u);
    EXPECT_EQ(qs[1][2], (PrintPoint{160, 140}));
    EXPECT_EQ(qs[2][2], (PrintPoint{160, 180}));
    // Outlined centres keep their own position.
    EXPECT_EQ(qs[2][3], (PrintPoint{190, 180}));
    EXPECT_TRUE(groupIntoQuestions({}, 18, 30).empty());
    EXPECT_TRUE(groupIntoQuestions(pts, 0, 30).empty());
}

// The first point of each question, in order.
std::vector<PrintPoint> firsts(const std::vector<std::vector<PrintPoint>>& qs) {
    std::vector<PrintPoint> out;
    for (const auto& q : qs) out.push_back(q.front());
    return out;
}

TEST(BubbleGrid, NumberGridBesideAnswersComesFirstAndRunsDownwards) {
    // Answers 20 x 4 at the left, a 6-digit grid of equal pitches at the
    // right: the pitch alone would read its rows as questions.
    std::vector<Centre> pts;
    addGrid(pts, 100, 100, 20, 4, 40, 40);
    addGrid(pts, 500, 100, 10, 6, 40, 40);
    auto qs = groupIntoQuestions(pts, 18, 18);
    ASSERT_EQ(qs.size(), 26u);
    for (std::size_t d = 0; d < 6; ++d) {
        ASSERT_EQ(qs[d].size(), 10u) << d;
        EXPECT_EQ(qs[d][0], (PrintPoint{int(500 + 40 * d), 100})) << d;
        EXPECT_EQ(qs[d][9], (PrintPoint{int(500 + 40 * d), 460})) << d;
    }
    EXPECT_EQ(qs[6], (std::vector<PrintPoint>{{100, 100}, {140, 100}, {180, 100}, {220, 100}}));
    EXPECT_EQ(qs[25][3], (PrintPoint{220, 860}));
    // Two blocks of ten rows of the same shape are answers, not numbers.
    pts.clear();
    addGrid(pts, 100, 100, 10, 5, 40, 40);
    addGrid(pts, 500, 100, 10, 5, 40, 40);
    qs = groupIntoQuestions(pts, 18, 18);
    ASSERT_EQ(qs.size(), 20u);
    EXPECT_EQ(qs[0].size(), 5u);
    // Nor ten rows of a list ending in nine, while a longer block of the
    // same columns leaves the ten a number grid.
    for (const int rest : {9, 11}) {
        pts.clear();
        addGrid(pts, 100, 100, 10, 5, 40, 40);
        addGrid(pts, 500, 100, rest, 5, 40, 40);
        qs = groupIntoQuestions(pts, 18, 18);
        ASSERT_EQ(qs.size(), rest == 9 ? 19u : 5u + rest) << rest;
        EXPECT_EQ(qs[0].size(), rest == 9 ? 5u : 10u) << rest;
    }
    // Nine rows beside the answers are not a number grid either.
    pts.clear();
    addGrid(pts, 100, 100, 20, 4, 40, 40);
    addGrid(pts, 500, 100, 9, 6, 40, 40);
    qs = groupIntoQuestions(pts, 18, 18);
    ASSERT_EQ(qs.size(), 29u);
    EXPECT_EQ(qs[0].size(), 4u);
}

TEST(BubbleGrid, StackedNumberGridsApartAreNumbersOnlyAsAPairAtThreePitches) {
    // Answers 20 x 4 at the left; two 10 x 6 grids at the right, the second
    // `gap` below the first's last row (pitch 40: 3 pitches is 120).
    auto group = [](int gap, int grids) {
        std::vector<Centre> pts;
        addGrid(pts, 100, 100, 20, 4, 40, 40);
        for (int k = 0; k < grids; ++k) addGrid(pts, 500, 100 + k * (360 + gap), 10, 6, 40, 40);
        return groupIntoQuestions(pts, 18, 18);
    };
    auto qs = group(120, 2);
    ASSERT_EQ(qs.size(), 32u);
    for (std::size_t d = 0; d < 12; ++d) {
        ASSERT_EQ(qs[d].size(), 10u) << d;
        EXPECT_EQ(qs[d][0], (PrintPoint{int(500 + 40 * (d % 6)), d < 6 ? 100 : 580})) << d;
    }
    EXPECT_EQ(qs[12][0], (PrintPoint{100, 100}));
    // Just under 3 pitches apart, or three grids (a list in groups of ten):
    // rows of answers. Without any gap the 20 rows are one block of rows.
    for (const auto& [gap, grids] : {std::pair{119, 2}, std::pair{120, 3}, std::pair{40, 2}}) {
        qs = group(gap, grids);
        ASSERT_EQ(qs.size(), 20u + 10u * std::size_t(grids)) << gap << "," << grids;
        EXPECT_EQ(qs[0].size(), 4u) << gap << "," << grids;
        EXPECT_EQ(qs.back().size(), 6u) << gap << "," << grids;
    }
}

TEST(BubbleGrid, LoneRowFarAboveTheBlocksIsAnExampleButNotBesideOne) {
    // Block rows 300..660 at pitch 40: 4 pitches are 160, so a row whose
    // centres lie 160 above the first row is kept and 161 above dropped.
    auto withRowAt = [](double x0, double y) {
        std::vector<Centre> pts;
        addGrid(pts, 100, 300, 10, 4, 40, 40);
        addGrid(pts, x0, y, 1, 4, 40, 40);
        return groupIntoQuestions(pts, 18, 18);
    };
    auto qs = withRowAt(100, 140);
    ASSERT_EQ(qs.size(), 11u);
    EXPECT_EQ(qs[0][0], (PrintPoint{100, 140}));
    qs = withRowAt(100, 139);
    ASSERT_EQ(qs.size(), 10u);
    EXPECT_EQ(qs[0][0], (PrintPoint{100, 300}));
    // Below the block the same.
    EXPECT_EQ(withRowAt(100, 821).size(), 10u);
    EXPECT_EQ(withRowAt(100, 820).size(), 11u);
    // Far to the right but level with the block's rows: a question.
    qs = withRowAt(900, 500);
    ASSERT_EQ(qs.size(), 11u);
    EXPECT_EQ(firsts(qs).back(), (PrintPoint{900, 500}));
    // With no block of several rows there is nothing to stand apart from.
    std::vector<Centre> rows;
    addGrid(rows, 100, 100, 1, 4, 40, 40);
    addGrid(rows, 100, 900, 1, 4, 40, 40);
    EXPECT_EQ(groupIntoQuestions(rows, 18, 18).size(), 2u);
}

TEST(BubbleGrid, InkedRowsAreDroppedAndLongListsStayRows) {
    std::vector<Centre> pts;
    addGrid(pts, 100, 100, 5, 4, 40, 40);
    addGrid(pts, 100, 400, 1, 3, 40, 40);
    for (std::size_t i = 20; i < 23; ++i) pts[i].inked = true;
    auto qs = groupIntoQuestions(pts, 18, 18);
    EXPECT_EQ(qs.size(), 5u);
    pts[21].inked = false;  // one empty-looking bubble: a question
    qs = groupIntoQuestions(pts, 18, 18);
    ASSERT_EQ(qs.size(), 6u);
    EXPECT_EQ(qs[5].size(), 3u);
    // Tight rows: ten rows of five run downwards, eleven are a list.
    pts.clear();
    addGrid(pts, 100, 100, 10, 5, 66, 54);
    qs = groupIntoQuestions(pts, 18, 18);
    ASSERT_EQ(qs.size(), 5u);
    EXPECT_EQ(qs[0].size(), 10u);
    pts.clear();
    addGrid(pts, 100, 100, 11, 5, 66, 54);
    qs = groupIntoQuestions(pts, 18, 18);
    ASSERT_EQ(qs.size(), 11u);
    EXPECT_EQ(qs[0].size(), 5u);
}

}  // namespace
