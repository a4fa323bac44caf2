#include <gtest/gtest.h>

#include <random>

#include "reader/core/density_histogram.h"
#include "reader/core/palette.h"
#include "reader/core/review_navigation.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

/// Three sheets of four questions, question 3 multi-answer, sheet 2 failed:
/// doubtful cells (3,2) faint, (3,3) in the dot band, (3,4) doubled, all of
/// row 4, (5,1) and (5,3) without a mark; coloured as the re-evaluation
/// colours them.
ResultTable reviewTable() {
    ResultTable table;
    TextGrid& grid = tarrow::testing::TableAccess::grid(table);
    grid.setRows(6);
    grid.setCols(7);
    tarrow::testing::TableAccess::reli(table).setRows(6);
    tarrow::testing::TableAccess::reli(table).setCols(7);
    grid.setText(0, 3, QStringLiteral("*3"));
    for (int row = 3; row <= 5; ++row)
        for (int col = 1; col <= 4; ++col) grid.setColour(row, col, PaletteColour::White);
    grid.setColour(3, 2, PaletteColour::LightCyan);
    grid.setColour(3, 3, PaletteColour::LightGreen);
    grid.setColour(3, 4, PaletteColour::Grey);
    table.setMeasurement(4, 1, QStringLiteral("-1"));
    for (int col = 1; col <= 4; ++col) grid.setColour(4, col, PaletteColour::LightRed);
    grid.setColour(5, 1, PaletteColour::LightRed);
    grid.setColour(5, 3, PaletteColour::LightRed);
    using strovik::ReviewKind;
    for (int row = 3; row <= 5; ++row) {
        for (int col = 1; col <= 4; ++col) {
            const PaletteColour colour = grid.colour(row, col);
            table.setDoubt(row, col,
                           colour == PaletteColour::LightCyan    ? ReviewKind::Faint
                           : colour == PaletteColour::LightGreen ? ReviewKind::Band
                           : colour == PaletteColour::Grey       ? ReviewKind::Doubled
                           : colour == PaletteColour::LightRed   ? ReviewKind::NoMark
                                                                 : ReviewKind::None);
        }
    }
    return table;
}

TEST(ReviewNavigation, WalksDoubtfulCellsInReadingOrderAndWraps) {
    const ResultTable table = reviewTable();
    const auto walk = [&](GridCell from, ReviewDirection direction, int steps) {
        std::vector<GridCell> seen;
        for (int i = 0; i < steps; ++i) {
            const auto next = nextDoubtfulCell(table, from, direction);
            if (!next) break;
            seen.push_back(from = *next);
        }
        return seen;
    };
    // A failed sheet is one stop, however many red cells it has.
    EXPECT_EQ(walk({0, 0}, ReviewDirection::Forward, 7),
              (std::vector<GridCell>{{3, 2}, {3, 3}, {3, 4}, {4, 1}, {5, 1}, {5, 3}, {3, 2}}));
    EXPECT_EQ(walk({5, 1}, ReviewDirection::Backward, 6),
              (std::vector<GridCell>{{4, 1}, {3, 4}, {3, 3}, {3, 2}, {5, 3}, {5, 1}}));
    // From the middle of a failed sheet's row or its label cell.
    EXPECT_EQ(nextDoubtfulCell(table, {4, 3}, ReviewDirection::Forward), (GridCell{5, 1}));
    EXPECT_EQ(nextDoubtfulCell(table, {4, 0}, ReviewDirection::Forward), (GridCell{4, 1}));
}

TEST(ReviewNavigation, CountsThePositionAndWhatIsLeft) {
    const ResultTable table = reviewTable();
    const ReviewPosition at = reviewPosition(table, {4, 1});
    EXPECT_EQ(at.number, 4);
    EXPECT_EQ(at.total, 6);
    EXPECT_EQ(reviewStatusText(at), QStringLiteral("要確認 4/6 (残り2件)"));

    ResultTable clean;
    tarrow::testing::TableAccess::grid(clean).setRows(4);
    tarrow::testing::TableAccess::grid(clean).setCols(5);
    EXPECT_FALSE(nextDoubtfulCell(clean, {3, 1}, ReviewDirection::Forward));
    EXPECT_EQ(reviewStatusText(reviewPosition(clean, {3, 1})),
              QStringLiteral("要確認のセルはありません"));
}

TEST(DensityHistogram, SuggestsTheGapBetweenBlankAndMarkedQuestions) {
    // A bimodal batch: blanks at 1.1-1.7, marks at 2.8-9.0 and far above.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> blank(1.1, 1.7), mark(2.8, 9.0), clear(20, 900);
    std::vector<double> densities{0.0, 0.0};
    for (int i = 0; i < 300; ++i) densities.push_back(blank(rng));
    for (int i = 0; i < 300; ++i) densities.push_back(mark(rng));
    for (int i = 0; i < 3000; ++i) densities.push_back(clear(rng));
    const auto suggested = suggestNoMarkThreshold(densities);
    ASSERT_TRUE(suggested.has_value());
    EXPECT_GT(*suggested, 1.7);
    EXPECT_LT(*suggested, 2.8);
    EXPECT_EQ(std::round(*suggested * 10) / 10, *suggested);  // fits the threshold box

    const DensityHistogram histogram = makeDensityHistogram(densities, 30);
    EXPECT_EQ(histogram.belowLowest, 2);
    int counted = histogram.belowLowest;
    for (const int bin : histogram.bins) counted += bin;
    EXPECT_EQ(counted, int(densities.size()));
    EXPECT_EQ(histogram.binOf(999.0), 29);
    EXPECT_EQ(histogram.binOf(1.0), 0);
    EXPECT_NEAR(histogram.edge(10), 10.0, 1e-9);  // a third of three decades

    EXPECT_FALSE(suggestNoMarkThreshold({}).has_value());
    // Densities every 0.1 from 1.0 to 3.3 (blank and marked overlap): no gap.
    std::vector<double> overlapping;
    for (int tenths = 10; tenths <= 33; ++tenths) overlapping.push_back(tenths / 10.0);
    EXPECT_FALSE(suggestNoMarkThreshold(overlapping).has_value());
    // Every mark clean (999.0) beside blanks: the gap from the blanks to 10.
    const auto clean = suggestNoMarkThreshold({1.1, 1.3, 999.0, 999.0});
    ASSERT_TRUE(clean.has_value());
    EXPECT_GT(*clean, 1.3);
    EXPECT_LT(*clean, 10.0);
    EXPECT_EQ(thresholdText(2.0), QStringLiteral("2.0"));
    EXPECT_EQ(thresholdText(1.85), QStringLiteral("1.85"));
}

TEST(DensityHistogram, TakesSingleAnswerQuestionsOfReadSheetsOnly) {
    ResultTable table = reviewTable();
    const char* rows[3][4] = {{"150.0", "1.4", "10,300,5", "999"},
                              {"-1", "-1", "-1", "-1"},
                              {"2.5", "0.0", "1,2,3", "7.0"}};
    for (int s = 0; s < 3; ++s)
        for (int q = 0; q < 4; ++q)
            table.setMeasurement(3 + s, 1 + q, QString::fromLatin1(rows[s][q]));
    EXPECT_EQ(singleAnswerDensities(table), (std::vector<double>{150.0, 1.4, 2.5, 0.0, 7.0}));
    table.setMeasurement(3, 4, QStringLiteral("999.0"));  // the engine's "all others clean"
    EXPECT_EQ(singleAnswerDensities(table).size(), 6u);
}

}  // namespace
}  // namespace tarrow

namespace tarrow {
namespace {

TEST(ReviewPass, VisitsEveryItemOnceWhateverTheCursorDid) {
    ResultTable table = reviewTable();
    ReviewPass pass;
    EXPECT_EQ(pass.step(table, {0, 0}, ReviewDirection::Forward), (GridCell{3, 2}));
    // A value typed at (3,2): Enter moves the cursor right onto (3,3), the
    // next item. The pass still shows (3,3) next, and (3,2) left the count.
    table.setTypedValue(3, 2, QStringLiteral("1"));
    EXPECT_FALSE(isDoubtfulCell(table, 3, 2));
    EXPECT_EQ(table.colour(3, 2), PaletteColour::White);
    EXPECT_EQ(pass.step(table, {3, 3}, ReviewDirection::Forward), (GridCell{3, 3}));
    EXPECT_EQ(pass.step(table, {5, 4}, ReviewDirection::Forward), (GridCell{3, 4}));
    EXPECT_EQ(reviewPosition(table, {3, 4}).total, 5);
    pass.reset();
    EXPECT_EQ(pass.step(table, {5, 2}, ReviewDirection::Forward), (GridCell{5, 3}));
}

TEST(ReviewCounts, CountsDoubledCellsAndFailedSheetsOnce) {
    ResultTable table = reviewTable();
    tarrow::testing::TableAccess::grid(table).setText(4, 0, QStringLiteral("bad.jpg"));
    const ReviewCounts counts = reviewCounts(table);
    EXPECT_EQ(counts.doubtful, 6);
    EXPECT_EQ(counts.doubled, 1);
    EXPECT_EQ(counts.failedSheets, 1);
    EXPECT_EQ(doubledNotice(counts.doubled), QStringLiteral("複数マークの疑い: 1件 (F3で確認)"));
    EXPECT_TRUE(doubledNotice(0).isEmpty());
    EXPECT_EQ(doubledCountText(1), QStringLiteral("複数マークの疑い: 1件"));
    EXPECT_TRUE(doubledCountText(0).isEmpty());
    EXPECT_TRUE(doubledCountText(-1).isEmpty());
    EXPECT_EQ(failedSheetsText(table), QStringLiteral("読取失敗 1件\r\nbad.jpg"));
}

}  // namespace
}  // namespace tarrow
