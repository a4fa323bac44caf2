#include "reader/core/result_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <utility>

#include "reader/core/csv_text.h"
#include "reader/core/scoring.h"
#include "reader/core/tests/file_bytes.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using testing::fileBytes;
using testing::putBytes;

/// A table as a run leaves it: sheets stored with their measurements, key
/// and points cells typed, sheet list filled.
ResultTable makeTable(const std::vector<std::pair<QString, QString>>& sheets,
                      const QStringList& key = {}, const QStringList& points = {}) {
    ResultTable table;
    table.initMarks(QString());
    int s = 0;
    for (const auto& [label, values] : sheets) {
        const qsizetype n = values.count(QLatin1Char(',')) + 1;
        table.storeSheet(++s, label, values, QStringList(n, "9.5").join(','),
                         QStringList(n, "1").join(','), 0, 2, false);
        tarrow::testing::TableAccess::sheets(table).append(QStringLiteral("/scans/") + label);
    }
    for (qsizetype c = 0; c < key.size(); ++c) table.setText(1, int(c) + 1, key.at(c));
    for (qsizetype c = 0; c < points.size(); ++c) {
        table.setText(2, int(c) + 1, points.at(c));
    }
    return table;
}

QByteArray cp932Lines(const QStringList& lines) {
    return encodeLines(lines);
}

class ResultFilesTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
};

TEST(ResultFileNames, AppendTheSuffixToFolderAndBase) {
    EXPECT_EQ(readValuesPath("/d", "class1"), QStringLiteral("/d/class1-読取値.csv"));
    EXPECT_EQ(scorePath("/d/", "class1"), QStringLiteral("/d/class1-採点値.csv"));
    EXPECT_EQ(answersByChoicePath("/d", "c"), QStringLiteral("/d/c-回答別.csv"));
}

TEST_F(ResultFilesTest, ReadValuesFileHasTheLayoutAndJoinRule) {
    ResultTable table =
        makeTable({{"a.jpg", "2,1,1 3,4"}, {"b.jpg", "-1,0,2,10"}}, {"2", "+", "+", ""}, {"5"});
    table.setText(0, 3, "*3");
    const QString file = path("r-読取値.csv");
    ASSERT_TRUE(writeReadValues(table, file, false));
    // Five fields a line (N + 1); rotation and skew are not written.
    EXPECT_EQ(fileBytes(file), cp932Lines({"列番号,1,2,*3,4", "正答入力,2,+,+,", "配点入力,5,,,",
                                           "a.jpg,2,,11 3,4", "b.jpg,-1,,02,10"}));
    EXPECT_EQ(fileBytes(file).left(6), QByteArray::fromHex("97f194d48d86"));

    ASSERT_TRUE(writeReadValues(table, file, true));
    EXPECT_EQ(fileBytes(file), cp932Lines({"列番号,正答入力,配点入力,a.jpg,b.jpg", "1,2,5,2,-1",
                                           "2,+,,,", "*3,+,,11 3,02", "4,,,4,10"}));
}

TEST_F(ResultFilesTest, SavedFileLoadsBackAndSavesToTheSameBytes) {
    ResultTable table = makeTable({{"scan01.jpg", "3,1,2,4 5,10"}, {"scan02.jpg", "-1,-1,,1,2"}},
                                  {"3", "-", "-", "", "1 2"}, {"2", "", "", "", "4"});
    table.setText(0, 4, "*4");
    const QString first = path("one.csv");
    ASSERT_TRUE(writeReadValues(table, first, false));

    ResultTable loaded;
    int sheets = 0;
    ASSERT_EQ(loadReadValues(loaded, first, QString(), false, &sheets), LoadOutcome::Loaded);
    EXPECT_EQ(sheets, 2);
    EXPECT_TRUE(loaded.sheetPaths().isEmpty());
    tarrow::testing::TableAccess::sheets(loaded) << "/x/scan01.jpg"
                                                 << "/x/scan02.jpg";
    EXPECT_EQ(loaded.grid().text(0, 4), QStringLiteral("*4"));
    EXPECT_EQ(loaded.grid().columnWidth(4), 33);
    EXPECT_EQ(loaded.grid().text(1, 5), QStringLiteral("1 2"));
    EXPECT_EQ(loaded.grid().text(2, 1), QStringLiteral("2"));
    EXPECT_EQ(loaded.reli().text(3, 1), QStringLiteral("999"));
    EXPECT_EQ(loaded.grid().text(3, 7), QStringLiteral("-1"));  // skew placeholder
    // The "-" run over columns 2..3 stays split as written.
    EXPECT_EQ(loaded.grid().text(3, 2), QString());
    EXPECT_EQ(loaded.grid().text(3, 3), QStringLiteral("12"));

    const QString second = path("two.csv");
    ASSERT_TRUE(writeReadValues(loaded, second, false));
    EXPECT_EQ(fileBytes(second), fileBytes(first));
}

TEST_F(ResultFilesTest, LoadingFollowsTheLineRules) {
    const QString file = path("odd.csv");
    putBytes(file, cp932Lines({"列番号,1,2", "a.jpg,1,10", "正答入力,1,2", "配点入力,3,3"}));
    ResultTable table;
    int sheets = 0;
    ASSERT_EQ(loadReadValues(table, file, QString(), true, &sheets), LoadOutcome::Loaded);
    EXPECT_EQ(sheets, 3);
    EXPECT_EQ(table.grid().text(3, 2), QStringLiteral("0"));  // 10 -> 0 on load
    EXPECT_EQ(table.grid().text(4, 0), QStringLiteral("正答入力"));
    EXPECT_EQ(table.grid().text(1, 1), QString());
    EXPECT_EQ(table.grid().text(5, 0), QStringLiteral("配点入力"));

    putBytes(file, cp932Lines({"列番号,1", "a.jpg,4"}));
    ASSERT_EQ(loadReadValues(table, file, QString(), false, &sheets), LoadOutcome::Loaded);
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(table.grid().text(1, 1), QString());
    EXPECT_EQ(table.grid().text(3, 1), QStringLiteral("4"));
}

TEST_F(ResultFilesTest, LoadRefusesOtherFilesAndLeavesTheTable) {
    ResultTable table = makeTable({{"keep.jpg", "1"}});
    const QString other = path("other.csv");
    putBytes(other, "name,1\r\nkeep,2\r\n");
    EXPECT_EQ(loadReadValues(table, other, QString(), false), LoadOutcome::NotReadValues);
    putBytes(other, "");
    EXPECT_EQ(loadReadValues(table, other, QString(), false), LoadOutcome::NotReadValues);
    EXPECT_EQ(loadReadValues(table, path("missing.csv"), QString(), false),
              LoadOutcome::Unreadable);
    EXPECT_EQ(table.grid().text(3, 0), QStringLiteral("keep.jpg"));

    // Bytes that are no CP932 load without a crash.
    putBytes(other, QByteArray::fromHex("97f194d48d86") + ",1\r\n\x81\xff,\x82\r\n");
    EXPECT_EQ(loadReadValues(table, other, QString(), false), LoadOutcome::Loaded);
}

TEST_F(ResultFilesTest, ScoreFileScoresJoinsAndRates) {
    ResultTable table =
        makeTable({{"a.jpg", "2,3,4,5"}, {"b.jpg", "-1,2,-1,7"}}, {"2", "1 3", "+", "+"}, {"3"});
    ASSERT_TRUE(anyQuestionScored(table));
    table.setColour(3, 3, PaletteColour::LightYellow);
    const QString file = path("s-採点値.csv");
    ASSERT_TRUE(writeScoreFile(table, file, false));
    EXPECT_EQ(fileBytes(file), cp932Lines({"列番号,1,2,3,4,合計点", "正答入力,2,1 3,+,+",
                                           "配点入力,3,1,,", "a.jpg,3,1,,45,4", "b.jpg,0,0,,-17,0",
                                           "設問番号,1,2,,", "正答率,50.0,0.0,,"}));
    EXPECT_EQ(table.grid().text(2, 2), QStringLiteral("1"));  // empty points of a scored question
    EXPECT_EQ(table.grid().text(2, 3), QString());
    EXPECT_EQ(table.grid().colour(4, 3), PaletteColour::LightRed);
    EXPECT_EQ(table.grid().colour(3, 3), PaletteColour::White);

    ASSERT_TRUE(writeScoreFile(table, file, true));
    EXPECT_TRUE(fileBytes(file).startsWith(
        encodeCp932("列番号,正答入力,配点入力,a.jpg,b.jpg,設問番号,正答率\r\n")));
}

TEST_F(ResultFilesTest, TotalsOfExtremePointsAreExact) {
    // Sums beyond 32 bits, both signs; the rate does not depend on points.
    ResultTable table = makeTable({{"a", "1,1,1,1"}, {"b", "1,2,1,1"}}, {"1", "1", "1", "1"},
                                  {"2147483647", "1000000000", "1000000000", "-2147483648"});
    const QString file = path("big.csv");
    ASSERT_TRUE(writeScoreFile(table, file, false));
    QStringList lines;
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines.at(3), QStringLiteral("a,2147483647,1000000000,1000000000,-2147483648,"
                                          "1999999999"));
    EXPECT_EQ(lines.at(4), QStringLiteral("b,2147483647,0,1000000000,-2147483648,999999999"));

    ResultTable many =
        makeTable({{"a", "1,1,1"}}, {"1", "1", "1"}, {"2147483647", "2147483647", "2147483647"});
    ASSERT_TRUE(writeScoreFile(many, file, false));
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines.at(3), QStringLiteral("a,2147483647,2147483647,2147483647,6442450941"));
    EXPECT_EQ(lines.last(), QStringLiteral("正答率,100.0,100.0,100.0"));
}

TEST_F(ResultFilesTest, TransposedWritesEqualTransposingTheWrittenFile) {
    ResultTable table = makeTable({{"a.jpg", "1,2,3"}, {"b.jpg", "2,2,-1"}}, {"1", "-", "-"});
    const QString direct = path("direct.csv");
    const QString later = path("later.csv");
    ASSERT_TRUE(writeScoreFile(table, direct, true));
    ASSERT_TRUE(writeScoreFile(table, later, false));
    ASSERT_TRUE(transposeFileInPlace(later));
    EXPECT_EQ(fileBytes(direct), fileBytes(later));
    // Lines of N + 1 and N + 2 fields: the short ones are padded.
    EXPECT_TRUE(fileBytes(direct).endsWith(encodeCp932("合計点,,,1,0,,\r\n")));

    ASSERT_TRUE(writeReadValues(table, direct, true));
    ASSERT_TRUE(writeReadValues(table, later, false));
    ASSERT_TRUE(transposeFileInPlace(later));
    EXPECT_EQ(fileBytes(direct), fileBytes(later));
}

TEST_F(ResultFilesTest, RateHasOneDecimal) {
    std::vector<std::pair<QString, QString>> sheets;
    for (int s = 0; s < 8; ++s)
        sheets.emplace_back(QStringLiteral("s%1.jpg").arg(s), s < 3 ? "1" : "2");
    ResultTable table = makeTable(sheets, {" 1 "});
    const QString file = path("rate.csv");
    ASSERT_TRUE(writeScoreFile(table, file, false));
    QStringList lines;
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines.last(), QStringLiteral("正答率,37.5"));

    ResultTable thirds = makeTable({{"a", "1"}, {"b", "1"}, {"c", "2"}}, {"1"});
    ASSERT_TRUE(writeScoreFile(thirds, file, false));
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines.last(), QStringLiteral("正答率,66.7"));
}

TEST_F(ResultFilesTest, RateComparesCellsWithoutTheirSurroundingBlanks) {
    // Blanks around the key or an answer do not make it wrong; a tab does.
    ResultTable table = makeTable({{"a", "2"}, {"b", "2"}, {"c", "2"}, {"d", "2"}}, {"  2 "});
    table.setText(ResultTable::rowOfSheet(2), 1, QStringLiteral("2  "));
    table.setText(ResultTable::rowOfSheet(3), 1, QStringLiteral(" 2"));
    table.setText(ResultTable::rowOfSheet(4), 1, QStringLiteral("\t2"));
    ASSERT_EQ(table.answer(1, 1), QStringLiteral("2"));
    ASSERT_EQ(table.answer(2, 1), QStringLiteral("2  "));
    const QString file = path("padded.csv");
    ASSERT_TRUE(writeScoreFile(table, file, false));
    QStringList lines;
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines.last(), QStringLiteral("正答率,75.0"));
}

TEST_F(ResultFilesTest, FailedSheetsHaveNoScoreAndCountInNoRate) {
    // Key "-1" on question 2 (left blank on purpose); c.jpg failed. Two read
    // sheets: question 1 right once (50.0, not 33.3 over three sheets).
    ResultTable table = makeTable({{"a.jpg", "1,-1,5"}, {"b.jpg", "2,3,6"}, {"c.jpg", "1,2,3"}},
                                  {"1", "-1"}, {"2", "1"});
    table.recordErrorRow(3, QStringLiteral("c.jpg"));
    table.markFailedSheets();
    const QString file = path("f-採点値.csv");
    ASSERT_TRUE(writeScoreFile(table, file, false));
    EXPECT_EQ(fileBytes(file),
              cp932Lines({"列番号,1,2,3,合計点", "正答入力,1,-1,", "配点入力,2,1,", "a.jpg,2,1,5,3",
                          "b.jpg,0,0,6,0", "c.jpg,,,-1,", "設問番号,1,2,", "正答率,50.0,50.0,"}));
    // The read-values file keeps the failed row in place with its "-1"s.
    ASSERT_TRUE(writeReadValues(table, file, false));
    QStringList lines;
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines.at(5), QStringLiteral("c.jpg,-1,-1,-1"));

    // On screen the failed sheet never matches the "-1" key.
    tarrow::testing::ScriptedPrompter prompter;
    ASSERT_TRUE(colourScores(table, prompter));
    EXPECT_EQ(table.colour(3, 2), PaletteColour::LightYellow);
    EXPECT_EQ(table.colour(5, 2), PaletteColour::LightRed);

    // Only failed sheets: no rate at all.
    ResultTable none = makeTable({{"x.jpg", "1"}}, {"1"});
    none.recordErrorRow(1, QStringLiteral("x.jpg"));
    none.markFailedSheets();
    ASSERT_TRUE(writeScoreFile(none, file, false));
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines.last(), QStringLiteral("正答率,"));
}

TEST_F(ResultFilesTest, NothingScoredWithOnlyMarkersOrEmptyKeys) {
    EXPECT_FALSE(anyQuestionScored(makeTable({{"a", "1,2,3"}}, {"+", "-", ""})));
    EXPECT_FALSE(anyQuestionScored(ResultTable()));
}

TEST_F(ResultFilesTest, AnswersByChoiceSpacesNumbers) {
    ResultTable table = makeTable({{"a", "1,1 3"}, {"b", "10,3"}, {"c", "-1,-1"}});
    table.setText(0, 2, "*2");
    const QString file = path("c-回答別.csv");
    ASSERT_TRUE(writeAnswersByChoice(table, file, 3, false));
    EXPECT_EQ(fileBytes(file), cp932Lines({"列番号,1,*2", "回答,,", " 1 , 1 , 1 ", " 2 , 0 , 0 ",
                                           " 3 , 0 , 2 ", "-1, 1 , 1 "}));

    table.setText(1, 2, "3");
    table.setText(4, 1, "0");
    ASSERT_TRUE(writeAnswersByChoice(table, file, 10, true));
    QStringList lines;
    ASSERT_TRUE(readLines(file, &lines));
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines.at(1), QStringLiteral("設問番号,,1"));
    EXPECT_EQ(lines.at(12), QStringLiteral(" 0 , 1 , 0 "));
    EXPECT_EQ(lines.at(13), QStringLiteral("-1, 1 , 1 "));
}

TEST_F(ResultFilesTest, FailedWritesReportFalseAndKeepTheOldFile) {
    ResultTable table = makeTable({{"a.jpg", "1"}}, {"1"});
    QString error;
    EXPECT_FALSE(writeReadValues(table, path("missing/x.csv"), false, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(writeAnswersByChoice(table, path("missing/y.csv"), 2, false, &error));

    // No temporary name fits beside this one, so the replacement must fail.
    const QString longName = path(QString(240, QLatin1Char('b')) + "-読取値.csv");
    putBytes(longName, "old\r\n");
    EXPECT_FALSE(writeReadValues(table, longName, false, &error));
    EXPECT_FALSE(writeScoreFile(table, longName, false, &error));
    EXPECT_EQ(fileBytes(longName), QByteArray("old\r\n"));
}

// What the read-values fuzzer checks, over its seeds and any input it once
// failed on (kept in tests/data/fuzz): a file with sheets, loaded and
// saved, saves to the same bytes when loaded again.
TEST_F(ResultFilesTest, FuzzInputsSaveToAFixedPoint) {
    const QDir source(QStringLiteral(VELMORA_SOURCE_DIR));
    QStringList inputs;
    for (const QString& folder : {QStringLiteral("fuzz/corpus/fuzz_read_values"),
                                  QStringLiteral("reader/core/tests/data/fuzz")}) {
        const QDir dir(source.filePath(folder));
        for (const QString& name : dir.entryList(QDir::Files)) inputs << dir.filePath(name);
    }
    ASSERT_FALSE(inputs.isEmpty());
    const auto saveLoaded = [&](const QString& from, const QString& to) {
        ResultTable table;
        int sheets = 0;
        if (loadReadValues(table, from, QString(), false, &sheets) != LoadOutcome::Loaded) return 0;
        for (int s = 1; s <= sheets; ++s)
            tarrow::testing::TableAccess::sheets(table) << QString::number(s);
        EXPECT_TRUE(writeReadValues(table, to, false));
        return sheets;
    };
    for (const QString& input : inputs) {
        if (saveLoaded(input, path("once.csv")) == 0) continue;
        saveLoaded(path("once.csv"), path("twice.csv"));
        EXPECT_EQ(fileBytes(path("twice.csv")), fileBytes(path("once.csv"))) << input.toStdString();
    }
}

}  // namespace
}  // namespace tarrow
