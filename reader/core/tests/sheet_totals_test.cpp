// Sheet totals for the result window's totals column: the score file's
// points rule, failed sheets without a total.
#include "reader/core/sheet_totals.h"

#include <gtest/gtest.h>

#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

/// Five questions; question 5 allows several answers.
ResultTable tableOf(const QStringList& sheets) {
    ResultTable table;
    table.initMarks(QString());
    int s = 0;
    for (const QString& values : sheets) {
        ++s;
        table.storeSheet(s, u"s%1.jpg"_s.arg(s), values, u"9,9,9,9,9"_s, u"1,1,1,1,1"_s, 0, 1,
                         false);
        testing::TableAccess::sheets(table) << u"/s%1.jpg"_s.arg(s);
    }
    table.setText(ResultTable::kHeaderRow, 5, u"*5"_s);
    return table;
}

TEST(SheetTotals, AddThePointsOfMatchingScoredQuestions) {
    ResultTable table = tableOf({u"1,2,3,4,1 3"_s,     // all right: 1 + 3 + 2
                                 u"2,2,3,4,3 1"_s,     // q1 wrong; order free on q5
                                 u"-1,-1,9,9,1"_s,     // blanks and a partial q5 score 0
                                 u"1,02,3,4,1 3 4"_s,  // "02" is not "2"; q5 one too many
                                 u"1,2,3,4,1  3"_s});  // doubled blank inside q5
    table.setText(ResultTable::kKeyRow, 1, u"1"_s);    // points empty: 1
    table.setText(ResultTable::kKeyRow, 2, u" 2 "_s);
    table.setText(ResultTable::kPointsRow, 2, u"3"_s);
    table.setText(ResultTable::kKeyRow, 3, QString());  // not scored
    table.setText(ResultTable::kKeyRow, 4, u"+"_s);     // a join marker: not scored
    table.setText(ResultTable::kKeyRow, 5, u"3 1"_s);
    table.setText(ResultTable::kPointsRow, 5, u"2"_s);
    const auto totals = sheetTotals(table);
    ASSERT_EQ(totals.size(), 5u);
    EXPECT_EQ(totals[0], 6);
    EXPECT_EQ(totals[1], 5);
    EXPECT_EQ(totals[2], 0);
    EXPECT_EQ(totals[3], 1);
    EXPECT_EQ(totals[4], 6);
}

TEST(SheetTotals, AFailedSheetHasNoTotalAndNoKeyMeansNoTotals) {
    ResultTable table = tableOf({u"1,1,1,1,1"_s});
    table.recordErrorRow(2, u"bad.jpg"_s);
    testing::TableAccess::sheets(table) << u"/bad.jpg"_s;
    table.markFailedSheets();
    EXPECT_TRUE(sheetTotals(table).empty());  // nothing scored yet

    // A key that expects a blank: the failed sheet's "-1" must not score.
    table.setText(ResultTable::kKeyRow, 1, u"-1"_s);
    const auto totals = sheetTotals(table);
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(totals[0], 0);
    EXPECT_FALSE(totals[1].has_value());
}

}  // namespace
}  // namespace tarrow
