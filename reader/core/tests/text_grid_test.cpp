#include "reader/core/text_grid.h"

#include <gtest/gtest.h>

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

TEST(TextGrid, ResizingKeepsCellsAndStartsNewOnesEmptyAndWhite) {
    TextGrid grid;
    grid.setRows(2);
    grid.setCols(2);
    grid.setText(1, 1, u"7"_s);
    grid.setColour(1, 1, PaletteColour::LightCyan);
    grid.setColumnWidth(1, 42);

    grid.setRows(4);
    grid.setCols(5);
    EXPECT_EQ(grid.rows(), 4);
    EXPECT_EQ(grid.cols(), 5);
    EXPECT_EQ(grid.text(1, 1), u"7"_s);
    EXPECT_EQ(grid.colour(1, 1), PaletteColour::LightCyan);
    EXPECT_EQ(grid.columnWidth(1), 42);
    EXPECT_TRUE(grid.text(3, 4).isEmpty());
    EXPECT_EQ(grid.colour(3, 4), PaletteColour::White);
    EXPECT_EQ(grid.columnWidth(4), 18);

    grid.setCols(1);
    grid.setCols(3);
    EXPECT_TRUE(grid.text(1, 1).isEmpty()) << "a dropped column comes back empty";

    grid.clear();
    EXPECT_EQ(grid.rows(), 0);
    EXPECT_EQ(grid.cols(), 0);
}

TEST(TextGrid, OutOfRangeReadsAreEmptyAndWritesIgnored) {
    TextGrid grid;
    grid.setRows(2);
    grid.setCols(2);
    grid.setText(2, 0, u"x"_s);
    grid.setText(0, -1, u"x"_s);
    grid.setColour(0, 2, PaletteColour::Grey);
    grid.setColumnWidth(5, 99);
    EXPECT_TRUE(grid.text(2, 0).isEmpty());
    EXPECT_TRUE(grid.text(-1, 0).isEmpty());
    EXPECT_EQ(grid.colour(0, 2), PaletteColour::White);
    EXPECT_EQ(grid.columnWidth(5), 0);
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.cols(), 2);
}

TEST(TextGrid, RemoveRowMovesTheRowsBelowUp) {
    TextGrid grid;
    grid.setRows(4);
    grid.setCols(1);
    for (int r = 0; r < 4; ++r) grid.setText(r, 0, QString::number(r));
    grid.setColour(2, 0, PaletteColour::LightRed);
    grid.removeRow(1);
    grid.removeRow(7);
    ASSERT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.text(0, 0), u"0"_s);
    EXPECT_EQ(grid.text(1, 0), u"2"_s);
    EXPECT_EQ(grid.colour(1, 0), PaletteColour::LightRed);
    EXPECT_EQ(grid.text(2, 0), u"3"_s);
}

TEST(TextGrid, ChangesReportShapeAndTheBoundingRectangleOfWrites) {
    TextGrid grid;
    grid.setRows(10);
    grid.setCols(10);
    TextGrid::Changes changes = grid.takeChanges();
    EXPECT_TRUE(changes.shape);
    EXPECT_FALSE(changes.cells);

    grid.setText(5, 2, u"1"_s);
    grid.setColour(3, 7, PaletteColour::Grey);
    grid.setText(8, 4, u"2"_s);
    changes = grid.takeChanges();
    EXPECT_FALSE(changes.shape);
    EXPECT_TRUE(changes.cells);
    EXPECT_EQ(changes.top, 3);
    EXPECT_EQ(changes.bottom, 8);
    EXPECT_EQ(changes.left, 2);
    EXPECT_EQ(changes.right, 7);

    // Taken changes are gone; rewriting what a cell holds is no change.
    grid.setText(5, 2, u"1"_s);
    grid.setColour(3, 7, PaletteColour::Grey);
    grid.setRows(10);
    grid.setColumnWidth(0, 18);
    changes = grid.takeChanges();
    EXPECT_FALSE(changes.shape);
    EXPECT_FALSE(changes.cells);

    grid.setColumnWidth(0, 0);
    EXPECT_TRUE(grid.takeChanges().shape);
    grid.removeRow(0);
    EXPECT_TRUE(grid.takeChanges().shape);
}

TEST(TextGrid, EqualShortTextsShareOneCopy) {
    TextGrid grid;
    grid.setRows(2);
    grid.setCols(2);
    grid.setText(0, 0, QString::number(999));
    grid.setText(1, 1, QString::number(999));
    EXPECT_EQ(grid.text(0, 0).constData(), grid.text(1, 1).constData());
    grid.setText(0, 1, u"-1"_s);
    EXPECT_NE(grid.text(0, 1).constData(), grid.text(0, 0).constData());
}

}  // namespace
}  // namespace tarrow
