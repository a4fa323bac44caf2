#include "reader/core/table_edits.h"

#include <gtest/gtest.h>

#include "reader/core/tests/scripted_prompter.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

using tarrow::testing::ScriptedPrompter;

/// Two sheets of five questions (the second one failed), saved.
ResultTable fiveQuestionTable() {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"a.jpg"_s, u"1,2,3,4,5"_s, u"9.0,9.0,9.0,9.0,9.0"_s, u"1,1,1,1,1"_s, 0, 2,
                     false);
    table.recordErrorRow(2, u"b.jpg"_s);
    table.markFailedSheets();
    table.setSaved(true);
    return table;
}

TEST(InPlaceEditor, TypingSevenThenEnterStoresItWithoutMeasurement) {
    ResultTable table = fiveQuestionTable();
    const std::optional<QString> start = openInPlaceEditor(table, 3, 2, u"7"_s);
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, u"7"_s);
    EXPECT_FALSE(table.saved());

    table.setSaved(true);
    EXPECT_EQ(commitInPlaceEdit(table, 3, 2, *start), 3);
    EXPECT_EQ(table.grid().text(3, 2), u"7"_s);
    EXPECT_EQ(table.reli().text(3, 2), u"999"_s);
    EXPECT_EQ(table.reli().text(3, 1), u"9.0"_s);
    EXPECT_FALSE(table.saved());
}

TEST(InPlaceEditor, OpensWithTheOldTextAndNeverOnRotationOrSkew) {
    ResultTable table = fiveQuestionTable();
    EXPECT_EQ(openInPlaceEditor(table, 3, 4), u"4"_s);
    EXPECT_EQ(openInPlaceEditor(table, 1, 5), QString()) << "key row cells are editable";

    table.setSaved(true);
    for (int col : {0, 6, 7, 8}) {
        EXPECT_FALSE(openInPlaceEditor(table, 3, col)) << col;
        EXPECT_EQ(commitInPlaceEdit(table, 3, col, u"9"_s), col);
    }
    EXPECT_FALSE(openInPlaceEditor(table, 0, 1)) << "header row";
    EXPECT_EQ(table.grid().text(3, 6), u"0"_s);
    EXPECT_EQ(table.grid().text(3, 7), u"2"_s);
    EXPECT_TRUE(table.saved());

    EXPECT_EQ(commitInPlaceEdit(table, 3, 5, u"1"_s), 6) << "moves on into the hidden column";
}

TEST(InputDialog, FullWidthKeyFillsThreeColumnsHalfWidth) {
    ResultTable table = fiveQuestionTable();
    ScriptedPrompter prompter;
    prompter.inputs.push_back(u"１，２、3"_s);
    EXPECT_TRUE(runInputDialog(table, 1, 3, prompter, prompter));
    EXPECT_EQ(prompter.calls,
              QStringList{u"input: 正答入力 / 半角数字で正答を入力してください。"
                          u"\r\n\r\nカンマ/タブ区切りで複数列に連続入力できます。 []"_s});
    EXPECT_EQ(table.grid().text(1, 3), u"1"_s);
    EXPECT_EQ(table.grid().text(1, 4), u"2"_s);
    EXPECT_EQ(table.grid().text(1, 5), u"3"_s);
    EXPECT_EQ(table.reli().text(1, 3), u"999"_s);
    EXPECT_FALSE(table.saved());
}

TEST(InputDialog, JoinMarkersDoNotTouchReliGrid) {
    ResultTable table = fiveQuestionTable();
    EXPECT_EQ(applyInputDialogAnswer(table, 1, 1, u"+,+,＋"_s), 3);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(table.grid().text(1, c), u"+"_s);
        EXPECT_TRUE(table.reli().text(1, c).isEmpty());
    }
    applyInputDialogAnswer(table, 3, 1, u"-,5"_s);
    EXPECT_EQ(table.reli().text(3, 1), u"9.0"_s);
    EXPECT_EQ(table.reli().text(3, 2), u"999"_s);
}

TEST(InputDialog, SeparatorsInTurnAndPartsBeyondTheLastQuestionDropped) {
    ResultTable table = fiveQuestionTable();
    EXPECT_EQ(applyInputDialogAnswer(table, 2, 4, u"3;4;5;6"_s), 2);
    EXPECT_EQ(table.grid().text(2, 4), u"3"_s);
    EXPECT_EQ(table.grid().text(2, 5), u"4"_s);
    EXPECT_TRUE(table.grid().text(2, 6).isEmpty());
    EXPECT_TRUE(table.grid().text(2, 7).isEmpty());

    applyInputDialogAnswer(table, 2, 1, u"7:8"_s);
    EXPECT_EQ(table.grid().text(2, 2), u"8"_s);
    applyInputDialogAnswer(table, 2, 1, u"1\t2"_s);
    EXPECT_EQ(table.grid().text(2, 2), u"2"_s);
    applyInputDialogAnswer(table, 2, 1, u"1 3;4"_s);
    EXPECT_EQ(table.grid().text(2, 1), u"1 3"_s);
    EXPECT_EQ(table.grid().text(2, 2), u"4"_s);
    applyInputDialogAnswer(table, 2, 1, u"5,6;7"_s);
    EXPECT_EQ(table.grid().text(2, 2), u"6;7"_s) << "commas come first";
    applyInputDialogAnswer(table, 2, 1, u"ｱ"_s);
    EXPECT_EQ(table.grid().text(2, 1), u"ｱ"_s) << "stored as typed, half-width katakana kept";

    table.setSaved(true);
    EXPECT_EQ(applyInputDialogAnswer(table, 2, 1, QString()), 0);
    EXPECT_TRUE(table.saved());
}

TEST(InputDialog, PartsAreTypedValuesAndJoinMarkersPlainText) {
    ResultTable table = fiveQuestionTable();
    table.setDoubt(3, 2, strovik::ReviewKind::Faint);
    table.setDoubt(3, 3, strovik::ReviewKind::NoMark);
    // The cells come as values; the last question (5) is the last written.
    const std::vector<InputDialogCell> cells = inputDialogCells(table, 2, u"-1,＋,4,7"_s);
    EXPECT_EQ(cells,
              (std::vector<InputDialogCell>{{2, u"-1"_s}, {3, u"+"_s}, {4, u"4"_s}, {5, u"7"_s}}));
    EXPECT_TRUE(inputDialogCells(table, 5, u"1,2"_s).size() == 1);
    EXPECT_TRUE(inputDialogCells(table, 2, QString()).empty());

    for (const InputDialogCell& cell : cells) {
        EXPECT_TRUE(writeInputDialogPart(table, 3, cell.col, cell.text)) << cell.col;
    }
    // A value: no measurement behind it, reviewed, coloured as typed.
    EXPECT_EQ(table.measurement(3, 2), u"999"_s);
    EXPECT_TRUE(table.isReviewed(3, 2));
    EXPECT_EQ(table.doubt(3, 2), strovik::ReviewKind::None);
    EXPECT_EQ(table.colour(3, 2), PaletteColour::LightRed);
    EXPECT_EQ(table.colour(3, 4), PaletteColour::White);
    // A join marker is text only: the reading and its doubt stay.
    EXPECT_EQ(table.grid().text(3, 3), u"+"_s);
    EXPECT_EQ(table.measurement(3, 3), u"9.0"_s);
    EXPECT_FALSE(table.isReviewed(3, 3));
    EXPECT_EQ(table.doubt(3, 3), strovik::ReviewKind::NoMark);

    // Only where the in-place editor opens: not the header, the label, the
    // rotation column right after the last question.
    table.setSaved(true);
    EXPECT_FALSE(writeInputDialogPart(table, 0, 1, u"1"_s));
    EXPECT_FALSE(writeInputDialogPart(table, 3, 0, u"1"_s));
    EXPECT_FALSE(writeInputDialogPart(table, 3, 6, u"1"_s));
    EXPECT_EQ(table.grid().text(3, 6), u"0"_s);
    EXPECT_TRUE(table.saved());
}

TEST(InputDialog, AskingWritesNoCellButClearsTheSavedFlag) {
    ResultTable table = fiveQuestionTable();
    ScriptedPrompter prompter;
    prompter.inputs.push_back(u"8;9"_s);
    const std::optional<InputDialogAnswer> answer = askInputDialog(table, 3, 4, prompter, prompter);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->row, 3);
    EXPECT_EQ(answer->cells, (std::vector<InputDialogCell>{{4, u"8"_s}, {5, u"9"_s}}));
    EXPECT_EQ(table.grid().text(3, 4), u"4"_s);
    EXPECT_FALSE(table.saved());

    table.setSaved(true);
    prompter.inputs.push_back(QString());
    EXPECT_FALSE(askInputDialog(table, 3, 4, prompter, prompter));
    EXPECT_FALSE(askInputDialog(table, 4, 1, prompter, prompter)) << "failed sheet";
    EXPECT_TRUE(table.saved());
}

TEST(InputDialog, PromptsPerRowAndRefusalOnAFailedSheet) {
    ResultTable table = fiveQuestionTable();
    InputDialogRequest request = inputDialogRequest(table, 2, 0);
    EXPECT_EQ(request.kind, InputDialogRequest::Kind::Ask);
    EXPECT_EQ(request.title, u"配点入力"_s);
    EXPECT_EQ(request.firstColumn, 1);
    EXPECT_TRUE(
        request.prompt.startsWith(u"半角数字で配点を入力してください(省略時は1点)。\r\n\r\n"_s));
    request = inputDialogRequest(table, 3, 2);
    EXPECT_EQ(request.title, u"修正入力"_s);
    EXPECT_TRUE(request.prompt.startsWith(u"半角数字で正しい値を入力してください。\r\n\r\n"_s));
    EXPECT_EQ(inputDialogRequest(table, 0, 1).kind, InputDialogRequest::Kind::None);
    EXPECT_EQ(inputDialogRequest(table, 3, 6).kind, InputDialogRequest::Kind::None);

    ScriptedPrompter prompter;
    prompter.inputs.push_back(u"1"_s);
    EXPECT_FALSE(runInputDialog(table, 4, 1, prompter, prompter));
    EXPECT_EQ(prompter.statuses, QStringList{u"変更できません。"_s});
    EXPECT_EQ(prompter.calls, QStringList{u"status: 変更できません。"_s}) << "no input box";
    EXPECT_EQ(table.grid().text(4, 1), u"-1"_s);
    EXPECT_TRUE(table.saved());

    // Cancel and an empty answer change nothing.
    prompter.inputs = {std::nullopt, QString()};
    EXPECT_FALSE(runInputDialog(table, 3, 1, prompter, prompter));
    EXPECT_FALSE(runInputDialog(table, 3, 1, prompter, prompter));
    EXPECT_EQ(table.grid().text(3, 1), u"1"_s);
    EXPECT_TRUE(table.saved());
}

TEST(ClearCell, ShiftClickRefusesAFailedSheetWithoutAsking) {
    ResultTable table = fiveQuestionTable();
    ScriptedPrompter prompter;
    prompter.answers.push_back(Prompter::Answer::Yes);
    EXPECT_EQ(clearCellOnShiftClick(table, 4, 2, prompter, prompter), ClearResult::Refused);
    EXPECT_EQ(prompter.statuses, QStringList{u"クリアできません。"_s});
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(table.grid().text(4, 2), u"-1"_s);
}

TEST(ClearCell, ShiftClickAsksAndClearsOnlyOnYes) {
    ResultTable table = fiveQuestionTable();
    ScriptedPrompter prompter;
    prompter.answers = {Prompter::Answer::No, Prompter::Answer::Cancel, Prompter::Answer::Yes};
    EXPECT_EQ(clearCellOnShiftClick(table, 3, 2, prompter, prompter), ClearResult::Declined);
    EXPECT_EQ(clearCellOnShiftClick(table, 3, 2, prompter, prompter), ClearResult::Declined);
    EXPECT_EQ(table.grid().text(3, 2), u"2"_s);
    EXPECT_TRUE(table.saved());
    EXPECT_EQ(clearCellOnShiftClick(table, 3, 2, prompter, prompter), ClearResult::Cleared);
    EXPECT_TRUE(table.grid().text(3, 2).isEmpty());
    EXPECT_EQ(table.reli().text(3, 2), u"9.0"_s);
    EXPECT_FALSE(table.saved());
    ASSERT_EQ(prompter.questions.size(), 3u);
    EXPECT_EQ(prompter.questions[0].text, u"値をクリアします。よろしいですか？"_s);
    EXPECT_EQ(prompter.questions[0].id, QuestionId::ClearCell);

    // Key row and skew column: nothing happens, nothing asked.
    EXPECT_EQ(clearCellOnShiftClick(table, 1, 2, prompter, prompter), ClearResult::NotApplicable);
    EXPECT_EQ(clearCellOnShiftClick(table, 3, 7, prompter, prompter), ClearResult::NotApplicable);
    EXPECT_EQ(prompter.questions.size(), 3u);
}

TEST(ClearCell, BackspaceAsksEvenOnKeyRowsAndFailedSheets) {
    ResultTable table = fiveQuestionTable();
    table.setText(1, 1, u"3"_s);
    ScriptedPrompter prompter;
    prompter.answers = {Prompter::Answer::Yes, Prompter::Answer::Yes};
    EXPECT_EQ(clearCellOnBackspace(table, 1, 1, prompter), ClearResult::Cleared);
    EXPECT_TRUE(table.grid().text(1, 1).isEmpty());
    EXPECT_EQ(clearCellOnBackspace(table, 4, 1, prompter), ClearResult::Cleared);
    EXPECT_TRUE(table.grid().text(4, 1).isEmpty());
    EXPECT_EQ(clearCellOnBackspace(table, 0, 1, prompter), ClearResult::NotApplicable);
    EXPECT_EQ(prompter.questions.size(), 2u);
}

TEST(ClearCell, QuestionAloneLeavesTheTableForTheCaller) {
    ResultTable table = fiveQuestionTable();
    ScriptedPrompter prompter;
    prompter.answers = {Prompter::Answer::Yes, Prompter::Answer::No, Prompter::Answer::Yes};
    EXPECT_EQ(confirmClearOnShiftClick(table, 3, 2, prompter, prompter), ClearResult::Confirmed);
    EXPECT_EQ(confirmClearOnBackspace(table, 3, 2, prompter), ClearResult::Declined);
    EXPECT_EQ(confirmClearOnBackspace(table, 1, 1, prompter), ClearResult::Confirmed);
    EXPECT_EQ(confirmClearOnShiftClick(table, 4, 2, prompter, prompter), ClearResult::Refused);
    EXPECT_EQ(prompter.questions.size(), 3u);
    EXPECT_EQ(table.grid().text(3, 2), u"2"_s);
    EXPECT_TRUE(table.saved());
}

TEST(ClearCell, ClearsUpToTheLastColumnAndNoFurther) {
    ResultTable table = fiveQuestionTable();
    const int last = table.cols() - 1;
    EXPECT_FALSE(clearCell(table, 3, last + 1));
    EXPECT_FALSE(clearCell(table, 3, 0));
    EXPECT_FALSE(clearCell(table, ResultTable::kHeaderRow, 1));
    EXPECT_FALSE(clearCell(table, table.rows(), 1));
    EXPECT_TRUE(table.saved());
    EXPECT_TRUE(clearCell(table, 3, last));
    EXPECT_TRUE(table.grid().text(3, last).isEmpty());
    EXPECT_FALSE(table.saved());
    EXPECT_EQ(columnAfterEdit(table, last - 1), last);
    EXPECT_EQ(columnAfterEdit(table, last), last) << "stays inside the grid";
}

TEST(CellStatus, DensityOfSingleAndAnnotatedDotsOfMultiAnswerCells) {
    ResultTable table = fiveQuestionTable();
    table.storeMultiAnswerData(1, {u"1"_s}, {u"160,40,200"_s});
    const ThresholdTexts boxes = ThresholdTexts::defaults();
    EXPECT_EQ(cellStatusText(table, 3, 1, boxes), u"ﾏｰｸ濃度=9.0"_s);
    EXPECT_EQ(cellStatusText(table, 3, 2, boxes), u"ﾄﾞｯﾄ数(●=ﾏｰｸ有、▲=薄いﾏｰｸ)=●▲160 40 ●200"_s);
    EXPECT_EQ(cellStatusText(table, 1, 2, boxes), QString());
    EXPECT_EQ(cellStatusText(table, 3, 7, boxes), QString()) << "skew column";
    EXPECT_EQ(cellStatusText(table, 3, 6, boxes), u"ﾏｰｸ濃度="_s) << "rotation column";
    EXPECT_FALSE(cellStatusText(table, 0, 2, boxes));
    EXPECT_FALSE(cellStatusText(table, 3, 0, boxes));
    EXPECT_FALSE(cellStatusText(table, 9, 1, boxes));

    ThresholdTexts higher = boxes;
    higher.multiValue = u"170"_s;
    EXPECT_EQ(cellStatusText(table, 3, 2, higher), u"ﾄﾞｯﾄ数(●=ﾏｰｸ有、▲=薄いﾏｰｸ)=▲160 40 ●▲200"_s);
    higher.multiRange = u"x"_s;
    EXPECT_FALSE(cellStatusText(table, 3, 2, higher));

    table.setMeasurement(3, 2, u"999"_s);
    EXPECT_EQ(cellStatusText(table, 3, 2, boxes), u"ﾄﾞｯﾄ数(●=ﾏｰｸ有、▲=薄いﾏｰｸ)="_s);
}

TEST(ThresholdReset, AsksAndPutsTheDefaultsBackOnYes) {
    ThresholdTexts boxes{u"1"_s, u"2"_s, u"3"_s, u"4"_s};
    ScriptedPrompter prompter;
    prompter.answers = {Prompter::Answer::No, Prompter::Answer::Yes};
    EXPECT_FALSE(resetThresholds(boxes, prompter));
    EXPECT_EQ(boxes.noMark, u"1"_s);
    EXPECT_TRUE(resetThresholds(boxes, prompter));
    EXPECT_EQ(boxes.noMark, u"2.0"_s);
    EXPECT_EQ(boxes.faintMark, u"3.0"_s);
    EXPECT_EQ(boxes.multiValue, u"150"_s);
    EXPECT_EQ(boxes.multiRange, u"50"_s);
    EXPECT_EQ(
        prompter.questions[1].text,
        u"ﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値を初期化します。よろしいですか？"_s);
    EXPECT_EQ(prompter.questions[1].id, QuestionId::ResetThresholds);
}

}  // namespace
}  // namespace tarrow
