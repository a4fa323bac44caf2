#include "reader/core/scoring.h"

#include <gtest/gtest.h>

#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;

/// Sheets with the given values (comma-separated per sheet), key typed.
ResultTable makeTable(const QStringList& sheets, const QStringList& key = {}) {
    ResultTable table;
    table.initMarks(QString());
    int s = 0;
    for (const QString& values : sheets) {
        const qsizetype n = values.count(QLatin1Char(',')) + 1;
        ++s;
        table.storeSheet(s, QStringLiteral("s%1.jpg").arg(s), values,
                         QStringList(n, "9.5").join(','), QStringList(n, "1").join(','), 0, 0,
                         false);
        tarrow::testing::TableAccess::sheets(table).append(QStringLiteral("/scans/s%1.jpg").arg(s));
    }
    for (qsizetype c = 0; c < key.size(); ++c) table.setText(1, int(c) + 1, key.at(c));
    return table;
}

TEST(Scoring, NormalisesBlanksAndRecognisesScoredKeys) {
    EXPECT_EQ(normaliseBlanks("  1   3  "), QStringLiteral("1 3"));
    EXPECT_EQ(normaliseBlanks("   "), QString());
    EXPECT_TRUE(isScoredKey("3"));
    EXPECT_TRUE(isScoredKey("1 3"));
    EXPECT_FALSE(isScoredKey(""));
    EXPECT_FALSE(isScoredKey("+"));
    EXPECT_FALSE(isScoredKey("-"));
}

TEST(Scoring, SingleAnswerMatchesAnyListedAnswerAsText) {
    EXPECT_TRUE(answerMatches("1", "1 3", false));
    EXPECT_TRUE(answerMatches("3", " 1   3 ", false));
    EXPECT_FALSE(answerMatches("2", "1 3", false));
    EXPECT_FALSE(answerMatches("1", "01", false));
    EXPECT_FALSE(answerMatches(" 1", "1", false));  // the value is not normalised
    EXPECT_FALSE(answerMatches("-1", "1", false));
}

TEST(Scoring, SeveralAnswersMatchAsAnUnorderedSetOfEqualSize) {
    EXPECT_TRUE(answerMatches("3 1", "1 3", true));
    EXPECT_TRUE(answerMatches(" 3  1 ", "1  3", true));
    EXPECT_TRUE(answerMatches("01 3", "1 3", true));  // compared as integers
    EXPECT_FALSE(answerMatches("1", "1 3", true));
    EXPECT_FALSE(answerMatches("1 3 4", "1 3", true));
    EXPECT_FALSE(answerMatches("1 2", "1 3", true));
    EXPECT_FALSE(answerMatches("-1", "1", true));
}

TEST(Scoring, PointsDefaultToOne) {
    EXPECT_EQ(pointsOf(""), 1);
    EXPECT_EQ(pointsOf(" 4 "), 4);
    EXPECT_EQ(pointsOf("x"), 0);
}

TEST(Scoring, FractionalPointsRoundHalfAwayFromZero) {
    EXPECT_EQ(pointsOf("2.5"), 3);
    EXPECT_EQ(pointsOf("2.49"), 2);
    EXPECT_EQ(pointsOf("0.5"), 1);
    EXPECT_EQ(pointsOf(" 1.5 "), 2);
    EXPECT_EQ(pointsOf("-2.5"), -3);
    EXPECT_EQ(pointsOf("-0.4"), 0);
    // Beyond what a total can hold, or not a finite number: no points.
    EXPECT_EQ(pointsOf("3e9"), 0);
    EXPECT_EQ(pointsOf("inf"), 0);
}

TEST(Scoring, ColoursRightWrongUnansweredAndUnscored) {
    ResultTable table =
        makeTable({"1,3 1,2,4", "2,1,-1,5", "-1,1 3 4,1,6"}, {"1 2", "1 3", "", "+"});
    table.setText(0, 2, "*2");
    for (int r = 3; r <= 5; ++r) {
        for (int c = 1; c <= 4; ++c) table.setColour(r, c, PaletteColour::Grey);
    }
    ScriptedPrompter prompter;
    ASSERT_TRUE(colourScores(table, prompter));
    EXPECT_TRUE(prompter.messages.empty());
    const TextGrid& g = tarrow::testing::TableAccess::grid(table);
    EXPECT_EQ(g.colour(3, 1), PaletteColour::LightYellow);
    EXPECT_EQ(g.colour(4, 1), PaletteColour::LightYellow);
    EXPECT_EQ(g.colour(5, 1), PaletteColour::LightRed);
    EXPECT_EQ(g.colour(3, 2), PaletteColour::LightYellow);
    EXPECT_EQ(g.colour(4, 2), PaletteColour::LightMagenta);
    EXPECT_EQ(g.colour(5, 2), PaletteColour::LightMagenta);
    for (int r = 3; r <= 5; ++r) {
        EXPECT_EQ(g.colour(r, 3), PaletteColour::White);
        EXPECT_EQ(g.colour(r, 4), PaletteColour::White);
    }
}

TEST(Scoring, ColouringWithoutAKeyWarnsAndChangesNothing) {
    ResultTable table = makeTable({"1,2"}, {"+", ""});
    table.setColour(3, 1, PaletteColour::Grey);
    ScriptedPrompter prompter;
    EXPECT_FALSE(colourScores(table, prompter));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(
        prompter.messages[0].text,
        QStringLiteral(
            "正答が入力されていません。正答入力行の任意列をクリックして正答を入力してください。"));
    EXPECT_EQ(prompter.messages[0].icon, Prompter::Icon::Warning);
    EXPECT_EQ(table.grid().colour(3, 1), PaletteColour::Grey);
}

TEST(Scoring, FirstSheetBecomesTheKeyAfterYes) {
    ResultTable table = makeTable({"3,1", "2,2", "1,4"});
    ScriptedPrompter prompter;
    table.setSaved(true);
    prompter.answers = {Prompter::Answer::No};
    EXPECT_FALSE(takeFirstSheetAs(table, prompter, FirstSheetRole::AnswerKey));
    EXPECT_EQ(table.sheetCount(), 3);
    EXPECT_TRUE(table.saved());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text,
              QStringLiteral(
                  "1行目のｽｷｬﾝ画像を正答入力画像と見なし、1行目から削除します。よろしいですか？"));
    EXPECT_EQ(prompter.questions[0].id, QuestionId::TakeKeySheet);

    prompter.answers = {Prompter::Answer::Yes};
    ASSERT_TRUE(takeFirstSheetAs(table, prompter, FirstSheetRole::AnswerKey));
    EXPECT_EQ(table.grid().text(1, 1), QStringLiteral("3"));
    EXPECT_EQ(table.grid().text(1, 2), QStringLiteral("1"));
    EXPECT_EQ(table.sheetCount(), 2);
    EXPECT_EQ(table.grid().rows(), 5);
    EXPECT_EQ(table.grid().text(3, 0), QStringLiteral("s2.jpg"));
    EXPECT_EQ(table.sheetPaths().first(), QStringLiteral("/scans/s2.jpg"));
    EXPECT_FALSE(table.saved());  // the table changed: closing asks again

    prompter.answers = {Prompter::Answer::Yes};
    ASSERT_TRUE(takeFirstSheetAs(table, prompter, FirstSheetRole::Points));
    EXPECT_EQ(prompter.questions.back().text,
              QStringLiteral(
                  "1行目のｽｷｬﾝ画像を配点入力画像と見なし、1行目から削除します。よろしいですか？"));
    EXPECT_EQ(table.grid().text(2, 1), QStringLiteral("2"));
    EXPECT_EQ(table.grid().text(1, 1), QStringLiteral("3"));
    EXPECT_EQ(table.sheetCount(), 1);
}

TEST(Scoring, FirstSheetWithoutSheetsAsksNothing) {
    ResultTable table = makeTable({});
    ScriptedPrompter prompter;
    EXPECT_FALSE(takeFirstSheetAs(table, prompter, FirstSheetRole::AnswerKey));
    EXPECT_TRUE(prompter.questions.empty());
}

TEST(Scoring, QuestionNumbersCountScoredColumnsOnly) {
    const ResultTable table = makeTable({"1,2,3,4"}, {"1", "+", "", "2"});
    EXPECT_EQ(questionNumberFields(table), QStringList({"設問番号", "1", "", "", "2"}));
}

}  // namespace
}  // namespace tarrow
