#include "reader/core/item_analysis.h"

#include <gtest/gtest.h>

#include "reader/core/analysis_files.h"
#include "reader/core/item_flags.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

AnalysisColumn column(const QString& header, const QString& key, const QString& points = {}) {
    return {header, key, points, header.startsWith(u'*')};
}

AnalysisSheet sheet(const QString& label, const QStringList& values, bool failed = false) {
    return {label, values, std::vector<int>(std::size_t(values.size()), 1), failed, {}};
}

/// Six students and one failed sheet, worked out by hand:
/// q1 key 2; q2 key 3 worth 2; columns 3-4 a joined number; q5 nobody
/// right; q6 everybody right; q7 several answers, key "1 3".
/// Totals A5 B3 C3 D4 E1 F1; ranking A D B C E F; groups of 2: {A,D}, {E,F}.
AnalysisInput handClass() {
    AnalysisInput in;
    in.columns = {column(u"1"_s, u"2"_s),   column(u"2"_s, u"3"_s, u"2"_s), column(u"3"_s, u"+"_s),
                  column(u"4"_s, u"+"_s),   column(u"5"_s, u"1"_s),         column(u"6"_s, u"4"_s),
                  column(u"*7"_s, u"1 3"_s)};
    in.sheets = {
        sheet(u"A.jpg"_s, {u"2"_s, u"3"_s, u"1"_s, u"2"_s, u"2"_s, u"4"_s, u"1 3"_s}),
        sheet(u"B.jpg"_s, {u"2"_s, u"1"_s, u"0"_s, u"7"_s, u"-1"_s, u"4"_s, u"3 1"_s}),
        sheet(u"C.jpg"_s, {u"1"_s, u"3"_s, u"1"_s, u"1"_s, u"3"_s, u"4"_s, u"1"_s}),
        sheet(u"D.jpg"_s, {u"1 2"_s, u"3"_s, u"2"_s, u"2"_s, u"2"_s, u"4"_s, u"1 3"_s}),
        sheet(u"G.jpg"_s, QStringList(7, u"-1"_s), true),
        sheet(u"E.jpg"_s, {u"-1"_s, u"2"_s, u"3"_s, u"3"_s, u"2"_s, u"4"_s, u"-1"_s}),
        sheet(u"F.jpg"_s, {u"3"_s, u"-1"_s, u"4"_s, u"4"_s, u"3"_s, u"4"_s, u"1 3 4"_s}),
    };
    return in;
}

TEST(ItemAnalysis, HandWorkedClassGivesEveryPrintedDigit) {
    const ItemAnalysis a = analyseItems(handClass());
    ASSERT_EQ(a.items.size(), 5u);
    EXPECT_EQ(a.summary.failedSheets, 1);
    ASSERT_EQ(a.students.size(), 6u);
    std::vector<std::int64_t> totals;
    for (const StudentResult& s : a.students) totals.push_back(s.total);
    EXPECT_EQ(totals, (std::vector<std::int64_t>{5, 3, 3, 4, 1, 1}));
    EXPECT_EQ(a.students[4].sheet, 6);  // E comes after the failed sheet

    const QStringList lines = itemAnalysisLines(a);
    const QStringList expected{
        u"設問番号,列番号,正答,配点,人数,正答率,識別指数,点双列相関,無答,複数,選択1,選択2,選択3,選択4"_s,
        u"1,1,2,1,6,33.3,0.50,0.281,1,1,1,2,1,0"_s,
        u"2,2,3,2,6,50.0,1.00,0.186,1,0,1,1,3,0"_s,
        u"3,5,1,1,6,0.0,0.00,,1,0,0,3,2,0"_s,
        u"4,6,4,1,6,100.0,0.00,,0,0,0,0,0,6"_s,
        u"5,*7,1 3,1,6,50.0,1.00,0.603,1,0,5,0,4,1"_s,
        QString(),
        u"人数,6"_s,
        u"平均点,2.83"_s,
        u"標準偏差,1.46"_s,
        u"中央値,3.00"_s,
        u"最高点,5"_s,
        u"最低点,1"_s,
        u"KR-20,0.511"_s,
    };
    EXPECT_EQ(lines, expected);
}

TEST(ItemAnalysis, TiesAtTheGroupBoundaryKeepRowOrder) {
    // Four totals of 1: g = round(1.08) = 1, the upper group is the first
    // row and the lower group the last one.
    AnalysisInput in;
    in.columns = {column(u"1"_s, u"1"_s), column(u"2"_s, u"1"_s), column(u"3"_s, u"1"_s)};
    in.sheets = {sheet(u"a"_s, {u"1"_s, u"2"_s, u"2"_s}), sheet(u"b"_s, {u"2"_s, u"2"_s, u"1"_s}),
                 sheet(u"c"_s, {u"2"_s, u"2"_s, u"1"_s}), sheet(u"d"_s, {u"2"_s, u"1"_s, u"2"_s})};
    const ItemAnalysis a = analyseItems(in);
    ASSERT_EQ(a.items.size(), 3u);
    EXPECT_EQ(a.items[0].groupSize, 1);
    EXPECT_EQ(discriminationText(a.items[0]), u"1.00"_s);
    EXPECT_EQ(discriminationText(a.items[1]), u"-1.00"_s);
    EXPECT_EQ(discriminationText(a.items[2]), u"0.00"_s);
    // Right on q1 means one point less elsewhere: r is exactly -1.
    EXPECT_EQ(pointBiserialText(a.items[0]), u"-1.000"_s);
    const auto summary = summaryFields(a.summary);
    EXPECT_EQ(summary[2].text, u"0.00"_s);  // standard deviation
    EXPECT_EQ(summary[3].text, u"1.00"_s);  // median
    EXPECT_EQ(summary[6].text, QString());  // everyone has one right: no KR-20
}

TEST(ItemAnalysis, GroupSizeRoundsHalvesUpAndIsAtLeastOne) {
    EXPECT_EQ(groupSizeFor(1), 1);
    EXPECT_EQ(groupSizeFor(2), 1);     // 0.54
    EXPECT_EQ(groupSizeFor(48), 13);   // 12.96
    EXPECT_EQ(groupSizeFor(49), 13);   // 13.23
    EXPECT_EQ(groupSizeFor(50), 14);   // 13.5 exactly
    EXPECT_EQ(groupSizeFor(150), 41);  // 40.5 exactly
    EXPECT_EQ(groupSizeFor(100), 27);
}

TEST(ItemAnalysis, FixedRatioRoundsHalvesAwayFromZeroExactly) {
    EXPECT_EQ(fixedRatio(1, 8, 2), u"0.13"_s);
    EXPECT_EQ(fixedRatio(-1, 8, 2), u"-0.13"_s);
    EXPECT_EQ(fixedRatio(300, 8, 1), u"37.5"_s);
    EXPECT_EQ(fixedRatio(200, 3, 1), u"66.7"_s);
    EXPECT_EQ(fixedRatio(100, 3, 1), u"33.3"_s);
    EXPECT_EQ(fixedRatio(-1, 1000, 2), u"0.00"_s);
    EXPECT_EQ(fixedRatio(7, 1, 0), u"7"_s);
    // 0.145 is not exact in binary; the integer rule still rounds it up.
    EXPECT_EQ(fixedRatio(145, 1000, 2), u"0.15"_s);
    EXPECT_EQ(fixedReal(-0.0004, 3), u"0.000"_s);
    EXPECT_EQ(fixedRatio(INT64_MIN, 1, 0), u"-9223372036854775808"_s);
    EXPECT_EQ(fixedRatio(1, 0, 2), QString());
}

TEST(ItemAnalysis, WrongChoiceWithStrongerChoosersIsReversed) {
    // Key 1; the two who chose 2 score 3 each on the other questions, the
    // one right student only 1 in all.
    AnalysisInput in;
    in.columns = {column(u"1"_s, u"1"_s), column(u"2"_s, u"1"_s), column(u"3"_s, u"1"_s),
                  column(u"4"_s, u"1"_s)};
    in.sheets = {sheet(u"a"_s, {u"1"_s, u"2"_s, u"2"_s, u"2"_s}),
                 sheet(u"b"_s, {u"2"_s, u"1"_s, u"1"_s, u"1"_s}),
                 sheet(u"c"_s, {u"2"_s, u"1"_s, u"1"_s, u"1"_s})};
    const ItemAnalysis a = analyseItems(in);
    EXPECT_TRUE(a.items[0].reversed);
    // q2: right b, c (total 3) against a's 1 on choice 2: not reversed.
    EXPECT_FALSE(a.items[1].reversed);
}

TEST(ItemAnalysis, EmptyClassAndNoKeyGiveEmptyFiguresAndASurvey) {
    AnalysisInput in;
    in.columns = {column(u"1"_s, QString()), column(u"2"_s, u"-"_s), column(u"3"_s, u"-"_s),
                  column(u"*4"_s, QString())};
    const ItemAnalysis none = analyseItems(in);
    EXPECT_FALSE(none.hasKey());
    const QStringList empty = itemAnalysisLines(none);
    EXPECT_EQ(empty.at(2), u"人数,0"_s);
    EXPECT_EQ(empty.at(3), u"平均点,"_s);
    EXPECT_EQ(empty.at(8), u"KR-20,"_s);

    in.sheets = {sheet(u"a"_s, {u"1"_s, u"1"_s, u"2"_s, u"1 2"_s}),
                 sheet(u"b"_s, {u"10"_s, u"1"_s, u"2"_s, u"-1"_s}),
                 sheet(u"c"_s, {u"0"_s, u"1"_s, u"2"_s, u"2"_s})};
    const ItemAnalysis a = analyseItems(in);
    ASSERT_EQ(a.survey.size(), 2u);  // join-marker columns are not survey questions
    EXPECT_EQ(a.maxChoice, 10);      // "0" is choice 10
    const QStringList lines = surveyLines(a);
    EXPECT_EQ(lines.at(1), u"1,3,0,0,1,0,0,0,0,0,0,0,0,2"_s);
    EXPECT_EQ(lines.at(2), u"*4,3,1,0,1,2,0,0,0,0,0,0,0,0"_s);
    EXPECT_TRUE(lines.at(4).startsWith(u"割合(%),人数,無答,複数,選択1"_s));
    EXPECT_EQ(lines.at(5), u"1,3,0.0,0.0,33.3,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,66.7"_s);
}

TEST(ItemAnalysis, TableInputMarksFailedSheetsAndDoubleMarks) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"a.jpg"_s, u"1,2"_s, u"9.0,9.0"_s, u"2,1"_s, 0, 0, false);
    table.recordErrorRow(2, u"b.jpg"_s);
    table.storeSheet(3, u"c.jpg"_s, u"1,1"_s, u"9.0,9.0"_s, u"1,1"_s, 0, 0, false);
    table.markFailedSheets();
    table.setText(ResultTable::kKeyRow, 1, u"1"_s);
    table.setText(ResultTable::kPointsRow, 1, u"5"_s);
    const AnalysisInput in = analysisInputOf(table);
    ASSERT_EQ(in.sheets.size(), 3u);
    EXPECT_TRUE(in.sheets[1].failed);
    const ItemAnalysis a = analyseItems(in);
    ASSERT_EQ(a.items.size(), 1u);
    EXPECT_EQ(a.summary.failedSheets, 1);
    EXPECT_EQ(a.items[0].points, 5);
    EXPECT_EQ(a.items[0].students, 2);
    // Sheet a read "1" with two marks measured: several, not choice 1 -
    // yet right by the score file's rule.
    EXPECT_EQ(a.items[0].counts.several, 1);
    EXPECT_EQ(a.items[0].counts.choices.at(0), 1);
    EXPECT_EQ(a.items[0].right, 2);
}

ItemStats itemWith(int students, int right, int upper, int lower, int group) {
    ItemStats it;
    it.students = students;
    it.right = right;
    it.upperRight = upper;
    it.lowerRight = lower;
    it.groupSize = group;
    it.pointBiserial = 0.5;
    return it;
}

TEST(ItemFlags, ThresholdsAreExactAtTheirBoundaries) {
    // 2 of 10 is exactly 20 %: not too hard; 1 of 10 is.
    EXPECT_EQ(flagsText(itemWith(10, 2, 3, 2, 3)), QString());
    EXPECT_EQ(flagsText(itemWith(10, 1, 3, 2, 3)), u"難しすぎる"_s);
    // 9 of 10 is exactly 90 %: not too easy; 19 of 20 is.
    EXPECT_EQ(flagsText(itemWith(10, 9, 3, 2, 3)), QString());
    EXPECT_EQ(flagsText(itemWith(20, 19, 3, 2, 5)), u"易しすぎる"_s);
    // D = 1/5 = 0.20 exactly is not low; 1/6 is.
    EXPECT_EQ(flagsText(itemWith(20, 10, 2, 1, 5)), QString());
    EXPECT_EQ(flagsText(itemWith(20, 10, 2, 1, 6)), u"識別力が低い"_s);
    ItemStats lowR = itemWith(20, 10, 3, 1, 5);
    lowR.pointBiserial = 0.199;
    lowR.reversed = true;
    EXPECT_EQ(flagsText(lowR), u"識別力が低い・逆転"_s);
    EXPECT_TRUE(flagsOf(itemWith(0, 0, 0, 0, 0)).empty());
}

TEST(ItemFlags, HistogramCoversZeroToThePossibleTotal) {
    const ItemAnalysis a = analyseItems(handClass());  // possible 6, totals 5 3 3 4 1 1
    const auto bins = histogramOf(a, 20);
    ASSERT_EQ(bins.size(), 7u);
    EXPECT_EQ(bins[1].count, 2);
    EXPECT_EQ(bins[3].count, 2);
    EXPECT_EQ(bins[6].count, 0);
    const auto pairs = histogramOf(a, 3);  // width 3: 0-2, 3-5, 6-6
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[0].count, 2);
    EXPECT_EQ(pairs[1].count, 4);
    EXPECT_EQ(pairs[2].from, 6);
    EXPECT_EQ(pairs[2].to, 6);
}

TEST(ItemFlags, HistogramStartsAtANegativeTotal) {
    // A question worth -2 (a penalty): totals -2, 1, 3 over possible 3.
    AnalysisInput in;
    in.columns = {column(u"1"_s, u"1"_s, u"-2"_s), column(u"2"_s, u"1"_s, u"3"_s)};
    in.sheets = {sheet(u"a"_s, {u"1"_s, u"2"_s}), sheet(u"b"_s, {u"1"_s, u"1"_s}),
                 sheet(u"c"_s, {u"2"_s, u"1"_s})};
    const ItemAnalysis a = analyseItems(in);
    const auto bins = histogramOf(a, 20);
    ASSERT_EQ(bins.size(), 6u);  // -2 .. 3
    EXPECT_EQ(bins.front().from, -2);
    EXPECT_EQ(bins.front().count, 1);
    EXPECT_EQ(bins[3].count, 1);      // total 1
    EXPECT_EQ(bins.back().count, 1);  // total 3
    EXPECT_EQ(summaryFields(a.summary)[5].text, u"-2"_s);
    EXPECT_EQ(summaryFields(a.summary)[1].text, u"0.67"_s);
}

TEST(AnalysisFiles, NamesFollowTheChosenOutputName) {
    const AnalysisPaths p = analysisPathsFor(u"/data/class1.csv"_s);
    EXPECT_EQ(p.itemsCsv, u"/data/class1-設問分析.csv"_s);
    EXPECT_EQ(p.reportPdf, u"/data/class1-分析.pdf"_s);
    EXPECT_EQ(p.slipsPdf, u"/data/class1-個人票.pdf"_s);
    EXPECT_EQ(analysisPathsFor(u"class1.csv"_s).surveyCsv, u"class1-アンケート集計.csv"_s);
}

}  // namespace
}  // namespace tarrow
