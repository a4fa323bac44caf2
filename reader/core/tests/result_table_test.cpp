#include "reader/core/result_table.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

/// "v,v,...,v" with n copies of v.
QString repeated(const QString& v, int n) {
    QStringList parts;
    for (int i = 0; i < n; ++i) parts << v;
    return parts.join(u',');
}

TEST(ResultTableSetUp, InitMarksStartsWithTheThreeFixedRowsAndLoadsMarkEntries) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"sheet.ini"_s);
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[ZEROMARK]\r\nMARK0=9,9,9,9\r\n[MARK]\r\nOVALMARK_WIDTH=20\r\n"
        "MARK0=0,0,100,200\r\n;MARK1=5,5,5,5\r\nmark1=0, 1,130,200\r\n"
        "MARK2=1,0\r\nMARK3=1,1,130,240\r\n[SYSTEM]\r\nMARK9=7,7,7,7\r\n");
    file.close();

    ResultTable table;
    tarrow::testing::TableAccess::grid(table).setRows(9);
    tarrow::testing::TableAccess::grid(table).setCols(9);
    table.setText(5, 5, u"old"_s);
    table.initMarks(ini);

    EXPECT_EQ(table.grid().rows(), 3);
    EXPECT_EQ(table.reli().rows(), 3);
    EXPECT_EQ(table.questionCount(), 0);
    EXPECT_EQ(table.grid().text(1, 0), u"正答入力"_s);
    EXPECT_EQ(table.grid().text(2, 0), u"配点入力"_s);
    EXPECT_TRUE(table.grid().text(5, 5).isEmpty());

    // Entries of [MARK] only, lower case included, short entries skipped.
    ASSERT_EQ(table.markRects().size(), 3u);
    EXPECT_EQ(table.markRects()[0].x, 100);
    EXPECT_EQ(table.markRects()[0].y, 200);
    EXPECT_EQ(table.markRects()[1].choice, 1);
    EXPECT_EQ(table.markRects()[1].x, 130);
    EXPECT_EQ(table.markRects()[2].question, 1);
    EXPECT_EQ(table.markRects()[2].y, 240);

    table.initMarks(dir.filePath(u"missing.ini"_s));
    EXPECT_TRUE(table.markRects().empty());
}

TEST(ResultTableSetUp, ReuseMarksKeepsHeaderKeyAndPointsAndDropsSheets) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"a.jpg"_s, u"1,2"_s, u"5.0,6.0"_s, u"1,1"_s, 0, 3, false);
    table.setText(1, 1, u"2"_s);
    table.setText(2, 1, u"5"_s);
    table.reuseMarks();
    EXPECT_EQ(table.grid().rows(), 3);
    EXPECT_EQ(table.reli().rows(), 3);
    EXPECT_EQ(table.grid().text(0, 1), u"1"_s);
    EXPECT_EQ(table.grid().text(1, 1), u"2"_s);
    EXPECT_EQ(table.grid().text(2, 1), u"5"_s);
    EXPECT_EQ(table.grid().text(1, 0), u"正答入力"_s);
}

TEST(ResultTableStore, PlacesValuesMeasurementsCountsRotationAndSkew) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"scan001.jpg"_s, u"3,-1,10"_s, u"12.5,1.0,8.0"_s, u"1,0,2"_s, 1, -4,
                     false);
    table.storeSheet(2, u"scan002.jpg"_s, u"1,2,3"_s, u"9.0,9.1,9.2"_s, u"1,1,1"_s, 0, 7, false);

    const TextGrid& g = tarrow::testing::TableAccess::grid(table);
    const TextGrid& r = table.reli();
    ASSERT_EQ(g.cols(), 6);
    ASSERT_EQ(r.cols(), 9);
    ASSERT_EQ(g.rows(), 5);
    ASSERT_EQ(r.rows(), 5);
    EXPECT_EQ(table.questionCount(), 3);
    EXPECT_EQ(g.text(0, 1), u"1"_s);
    EXPECT_EQ(g.text(0, 3), u"3"_s);
    EXPECT_EQ(g.text(0, 5), u"歪み"_s);
    EXPECT_EQ(g.text(1, 0), u"正答入力"_s);
    EXPECT_EQ(g.text(3, 0), u"scan001.jpg"_s);
    EXPECT_EQ(g.text(3, 1), u"3"_s);
    EXPECT_EQ(g.text(3, 2), u"-1"_s);
    EXPECT_EQ(g.text(3, 3), u"10"_s);
    EXPECT_EQ(g.text(3, 4), u"1"_s);
    EXPECT_EQ(g.text(3, 5), u"-4"_s);
    EXPECT_EQ(g.text(4, 5), u"7"_s);
    EXPECT_EQ(r.text(3, 1), u"12.5"_s);
    EXPECT_EQ(r.text(3, 3), u"8.0"_s);
    EXPECT_EQ(r.text(3, 6), u"1"_s);
    EXPECT_EQ(r.text(3, 8), u"2"_s);
    EXPECT_EQ(r.text(4, 7), u"1"_s);
    EXPECT_TRUE(r.text(3, 4).isEmpty());

    EXPECT_EQ(g.columnWidth(0), 72);
    EXPECT_EQ(g.columnWidth(1), 18);
    EXPECT_EQ(g.columnWidth(3), 18);
    EXPECT_EQ(g.columnWidth(4), 0);
    EXPECT_EQ(g.columnWidth(5), 30);
}

TEST(ResultTableStore, TenToZeroConvertsOnlyAWholeTen) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"a.jpg"_s, u"10,1,100,-1"_s, repeated(u"5.0"_s, 4), repeated(u"1"_s, 4), 0,
                     0, true);
    EXPECT_EQ(table.grid().text(3, 1), u"0"_s);
    EXPECT_EQ(table.grid().text(3, 2), u"1"_s);
    EXPECT_EQ(table.grid().text(3, 3), u"100"_s);
    EXPECT_EQ(table.grid().text(3, 4), u"-1"_s);
}

TEST(ResultTableStore, ColumnWidthsFollowTheQuestionCount) {
    struct Case {
        int questions;
        int width;
    };
    for (const Case c : {Case{101, 18}, Case{102, 24}, Case{1001, 24}, Case{1002, 30}}) {
        ResultTable table;
        table.initMarks(QString());
        table.storeSheet(1, u"a.jpg"_s, repeated(u"1"_s, c.questions),
                         repeated(u"5.0"_s, c.questions), repeated(u"1"_s, c.questions), 0, 0,
                         false);
        const TextGrid& g = tarrow::testing::TableAccess::grid(table);
        EXPECT_EQ(g.columnWidth(1), c.width) << c.questions;
        EXPECT_EQ(g.columnWidth(c.questions), c.width) << c.questions;
        EXPECT_EQ(g.columnWidth(0), 72) << c.questions;
        EXPECT_EQ(g.columnWidth(c.questions + 1), 0) << c.questions;
        EXPECT_EQ(g.columnWidth(c.questions + 2), 30) << c.questions;
        EXPECT_EQ(table.reli().cols(), 2 * c.questions + 3);
    }
}

TEST(ResultTableStore, MultiAnswerHeaderGetsExactlyOneStar) {
    ResultTable table;
    table.initMarks(QString());
    for (int s = 1; s <= 2; ++s) {
        table.storeSheet(s, u"a.jpg"_s, u"1,-1,-1"_s, u"5.0,0.0,0.0"_s, u"1,0,0"_s, 0, 0, false);
        table.storeMultiAnswerData(s, {u"1"_s, u"2"_s, u"1"_s},
                                   {u"160,40,200"_s, u"0,170"_s, u"160,40,200"_s});
    }
    EXPECT_EQ(table.grid().text(0, 1), u"1"_s);
    EXPECT_EQ(table.grid().text(0, 2), u"*2"_s);
    EXPECT_EQ(table.grid().text(0, 3), u"*3"_s);
    EXPECT_TRUE(table.isMultiAnswerColumn(2));
    EXPECT_FALSE(table.isMultiAnswerColumn(1));
    EXPECT_EQ(table.reli().text(4, 1), u"5.0"_s);
    EXPECT_EQ(table.reli().text(4, 2), u"160,40,200"_s);
    EXPECT_EQ(table.reli().text(4, 3), u"0,170"_s);

    // An index outside the questions is ignored.
    table.storeMultiAnswerData(2, {u"3"_s, u"x"_s}, {u"1,2"_s, u"1,2"_s});
    EXPECT_EQ(table.grid().text(0, 5), u"歪み"_s);
    EXPECT_EQ(table.grid().text(0, 1), u"1"_s);
}

TEST(ResultTableErrors, FailedSheetsEndWithMinusOneEverywhereAndARedLabel) {
    ResultTable table;
    table.initMarks(QString());
    table.recordErrorRow(1, u"bad1.jpg"_s);
    EXPECT_EQ(table.grid().cols(), 4);
    EXPECT_EQ(table.reli().cols(), 4);
    EXPECT_EQ(table.reli().text(3, 1), u"-1"_s);
    table.storeSheet(2, u"good.jpg"_s, u"1,2,3"_s, u"9.0,9.0,9.0"_s, u"1,1,1"_s, 0, 0, false);
    table.recordErrorRow(3, u"bad3.jpg"_s);
    table.markFailedSheets();

    const TextGrid& g = tarrow::testing::TableAccess::grid(table);
    const TextGrid& r = table.reli();
    ASSERT_EQ(g.rows(), 6);
    for (int row : {3, 5}) {
        EXPECT_EQ(g.colour(row, 0), PaletteColour::LightRed) << row;
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(g.text(row, c), u"-1"_s) << row << "," << c;
            EXPECT_EQ(r.text(row, c), u"-1"_s) << row << "," << c;
        }
        EXPECT_TRUE(g.text(row, 4).isEmpty()) << "rotation column is not a question";
    }
    EXPECT_EQ(g.text(3, 0), u"bad1.jpg"_s);
    EXPECT_EQ(g.text(5, 0), u"bad3.jpg"_s);
    EXPECT_EQ(g.colour(4, 0), PaletteColour::White);
    EXPECT_EQ(g.text(4, 2), u"2"_s);
    EXPECT_EQ(r.text(4, 2), u"9.0"_s);
}

TEST(ResultTableRows, RemovingASheetRowShiftsGridsSheetListAndOffsets) {
    ResultTable table;
    table.initMarks(QString());
    tarrow::testing::TableAccess::sheets(table) =
        QStringList{u"/d/a.jpg"_s, u"/d/b.jpg"_s, u"/d/c.jpg"_s};
    tarrow::testing::TableAccess::offsetX(table) = {0, 11, 12, 13};
    tarrow::testing::TableAccess::offsetY(table) = {0, 21, 22, 23};
    table.storeSheet(1, u"a.jpg"_s, u"1"_s, u"5.0"_s, u"1"_s, 0, 0, false);
    table.storeSheet(2, u"b.jpg"_s, u"2"_s, u"6.0"_s, u"1"_s, 0, 0, false);
    table.storeSheet(3, u"c.jpg"_s, u"3"_s, u"7.0"_s, u"1"_s, 0, 0, false);

    table.removeSheetRow(3);
    EXPECT_EQ(table.sheetCount(), 2);
    EXPECT_EQ(table.grid().rows(), 5);
    EXPECT_EQ(table.reli().rows(), 5);
    EXPECT_EQ(table.grid().text(3, 0), u"b.jpg"_s);
    EXPECT_EQ(table.reli().text(3, 1), u"6.0"_s);
    EXPECT_EQ(table.sheetPaths(), (QStringList{u"/d/b.jpg"_s, u"/d/c.jpg"_s}));
    EXPECT_EQ(table.offsetX(), (std::vector<int>{0, 12, 13}));
    EXPECT_EQ(table.offsetY(), (std::vector<int>{0, 22, 23}));

    // The fixed rows cannot be removed.
    table.removeSheetRow(2);
    EXPECT_EQ(table.grid().rows(), 5);
    EXPECT_EQ(table.sheetCount(), 2);
}

}  // namespace
}  // namespace tarrow
