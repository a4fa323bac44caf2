#include "reader/core/threshold_colouring.h"

#include <gtest/gtest.h>

#include "reader/core/app_settings.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

const ThresholdTexts kDefaults{u"2.0"_s, u"3.0"_s, u"150"_s, u"50"_s};

/// A table of single-answer sheets: one sheet per entry, one question each,
/// value and density as given, marked count 1.
ResultTable singleQuestionTable(const std::vector<std::pair<QString, QString>>& sheets) {
    ResultTable table;
    table.initMarks(QString());
    int s = 0;
    for (const auto& [value, density] : sheets) {
        table.storeSheet(++s, u"x.jpg"_s, value, density, u"1"_s, 0, 0, false);
    }
    return table;
}

/// One sheet with a multi-answer question 1 holding `dots`.
ResultTable multiAnswerTable(const QString& dots) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"x.jpg"_s, u"-1"_s, u"0.0"_s, u"0"_s, 0, 0, false);
    table.storeMultiAnswerData(1, {u"0"_s}, {dots});
    return table;
}

TEST(PaintColorSingle, DensityThresholdsAreStrict) {
    ResultTable table = singleQuestionTable(
        {{u"3"_s, u"1.9"_s}, {u"3"_s, u"2.5"_s}, {u"3"_s, u"3.0"_s}, {u"3"_s, u"2.0"_s}});
    const PaintOutcome outcome = paintColor(table, kDefaults, {});
    EXPECT_FALSE(outcome.stoppedOnInvalid);
    const TextGrid& g = tarrow::testing::TableAccess::grid(table);
    EXPECT_EQ(g.text(3, 1), u"-1"_s);
    EXPECT_EQ(g.colour(3, 1), PaletteColour::LightRed);
    EXPECT_EQ(g.text(4, 1), u"3"_s);
    EXPECT_EQ(g.colour(4, 1), PaletteColour::LightCyan);
    EXPECT_EQ(g.text(5, 1), u"3"_s);
    EXPECT_EQ(g.colour(5, 1), PaletteColour::White);
    EXPECT_EQ(g.text(6, 1), u"3"_s) << "2.0 is not below the no-mark threshold 2.0";
    EXPECT_EQ(g.colour(6, 1), PaletteColour::LightCyan);
}

TEST(PaintColorSingle, NoMarkIsRedAndComesBackWhenTheThresholdIsTakenBack) {
    ResultTable table =
        singleQuestionTable({{u"-1"_s, u"9.0"_s}, {u"4"_s, u"2.4"_s}, {u"5"_s, u"999"_s}});
    ThresholdTexts raised = kDefaults;
    raised.noMark = u"2.5"_s;
    paintColor(table, raised, {});
    EXPECT_EQ(table.grid().text(3, 1), u"-1"_s);
    EXPECT_EQ(table.grid().colour(3, 1), PaletteColour::LightRed);
    EXPECT_EQ(table.grid().text(4, 1), u"-1"_s);
    EXPECT_EQ(table.grid().text(5, 1), u"5"_s) << "no measurement never falls under";
    EXPECT_EQ(table.grid().colour(5, 1), PaletteColour::White);

    // The reading is kept: the old threshold brings the answer back.
    paintColor(table, kDefaults, {});
    EXPECT_EQ(table.grid().text(4, 1), u"4"_s);
    EXPECT_EQ(table.grid().colour(4, 1), PaletteColour::LightCyan);
    EXPECT_EQ(table.grid().text(3, 1), u"-1"_s) << "the engine read nothing there";
}

TEST(PaintColorSingle, TenAndZeroConvertBothWays) {
    ResultTable table = singleQuestionTable({{u"10"_s, u"9.0"_s}, {u"0"_s, u"9.0"_s}});
    paintColor(table, kDefaults, {.tenToZero = true});
    EXPECT_EQ(table.grid().text(3, 1), u"0"_s);
    EXPECT_EQ(table.grid().text(4, 1), u"0"_s);
    paintColor(table, kDefaults, {.tenToZero = false});
    EXPECT_EQ(table.grid().text(3, 1), u"10"_s);
    EXPECT_EQ(table.grid().text(4, 1), u"10"_s);
}

TEST(PaintColorSingle, MultiMarkedGreysTwoOrMoreMarksOnlyWhenAsked) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"x.jpg"_s, u"2,3,-1"_s, u"9.0,2.5,1.0"_s, u"2,1,3"_s, 0, 0, false);
    paintColor(table, kDefaults, {.multiMarked = true});
    const TextGrid& g = tarrow::testing::TableAccess::grid(table);
    EXPECT_EQ(g.colour(3, 1), PaletteColour::Grey);
    EXPECT_EQ(g.colour(3, 2), PaletteColour::LightCyan);
    EXPECT_EQ(g.colour(3, 3), PaletteColour::LightRed) << "no mark wins over several marks";
    paintColor(table, kDefaults, {});
    EXPECT_EQ(g.colour(3, 1), PaletteColour::White);
}

TEST(PaintColorMulti, DotsAboveTheThresholdAreTheAnswer) {
    ResultTable table = multiAnswerTable(u"160,40,200"_s);
    PaintOutcome outcome = paintColor(table, kDefaults, {});
    EXPECT_TRUE(outcome.showMultiControls);
    EXPECT_EQ(table.grid().text(3, 1), u"1 3"_s);
    EXPECT_EQ(table.grid().colour(3, 1), PaletteColour::LightGreen) << "160 lies in 100..200";
    EXPECT_EQ(table.grid().columnWidth(1), 42);

    ThresholdTexts higher = kDefaults;
    higher.multiValue = u"170"_s;
    outcome = paintColor(table, higher, {});
    EXPECT_EQ(table.grid().text(3, 1), u"3"_s);
    EXPECT_EQ(table.grid().colour(3, 1), PaletteColour::LightGreen);

    // Moving the threshold down again brings the choices back.
    paintColor(table, kDefaults, {});
    EXPECT_EQ(table.grid().text(3, 1), u"1 3"_s);
}

TEST(PaintColorMulti, BandBordersAreOutsideAndNothingMarkedLeavesAnEmptyCell) {
    ResultTable table = multiAnswerTable(u"100,200,0"_s);
    paintColor(table, kDefaults, {});
    EXPECT_EQ(table.grid().text(3, 1), u"2"_s);
    EXPECT_EQ(table.grid().colour(3, 1), PaletteColour::White);

    table.setMeasurement(3, 1, u"10,20,30"_s);
    paintColor(table, kDefaults, {});
    EXPECT_TRUE(table.grid().text(3, 1).isEmpty());
}

TEST(PaintColorMulti, TenthChoiceIsListedAsZeroWithTenToZero) {
    ResultTable table = multiAnswerTable(u"300,0,0,0,0,0,0,0,0,300"_s);
    paintColor(table, kDefaults, {.tenToZero = true});
    EXPECT_EQ(table.grid().text(3, 1), u"1 0"_s);
    paintColor(table, kDefaults, {.tenToZero = false});
    EXPECT_EQ(table.grid().text(3, 1), u"1 10"_s);
}

TEST(PaintColorMulti, TypedValueWithoutMeasurementStays) {
    ResultTable table = multiAnswerTable(u"999"_s);
    table.setText(3, 1, u"2 4"_s);
    table.setColour(3, 1, PaletteColour::LightMagenta);
    paintColor(table, kDefaults, {});
    EXPECT_EQ(table.grid().text(3, 1), u"2 4"_s);
    EXPECT_EQ(table.grid().colour(3, 1), PaletteColour::White);
}

TEST(PaintColorMulti, FailedSheetStaysMinusOneAndRed) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"ok.jpg"_s, u"-1,2"_s, u"0.0,9.0"_s, u"0,1"_s, 0, 0, false);
    table.storeMultiAnswerData(1, {u"0"_s}, {u"200,10"_s});
    table.recordErrorRow(2, u"bad.jpg"_s);
    table.markFailedSheets();
    paintColor(table, kDefaults, {});
    EXPECT_EQ(table.grid().text(4, 1), u"-1"_s);
    EXPECT_EQ(table.grid().colour(4, 1), PaletteColour::LightRed);
    EXPECT_EQ(table.grid().text(4, 2), u"-1"_s);
    EXPECT_EQ(table.grid().text(3, 1), u"1"_s);
}

TEST(PaintColorMulti, ControlsHiddenWithoutMultiAnswerColumns) {
    ResultTable table = singleQuestionTable({{u"1"_s, u"9.0"_s}});
    const PaintOutcome outcome = paintColor(table, kDefaults, {});
    EXPECT_FALSE(outcome.showMultiControls);
    EXPECT_EQ(table.grid().columnWidth(1), 18);
}

TEST(PaintColorInvalid, NonNumericMeasurementStopsTheWalkWithPartialResults) {
    ResultTable table =
        singleQuestionTable({{u"3"_s, u"1.0"_s}, {u"10"_s, u"abc"_s}, {u"4"_s, u"1.0"_s}});
    table.setColour(5, 1, PaletteColour::Grey);
    const PaintOutcome outcome = paintColor(table, kDefaults, {.tenToZero = true});
    EXPECT_TRUE(outcome.stoppedOnInvalid);
    EXPECT_EQ(kInvalidThresholdStatus, u"ﾏｰｸ無し閾値または薄いﾏｰｸ閾値の値が不正です"_s);
    EXPECT_EQ(table.grid().text(3, 1), u"-1"_s) << "processed before the stop";
    EXPECT_EQ(table.grid().text(4, 1), u"10"_s) << "the offending cell is left as it was";
    EXPECT_EQ(table.grid().text(5, 1), u"4"_s);
    EXPECT_EQ(table.grid().colour(5, 1), PaletteColour::Grey);
}

TEST(PaintColorInvalid, ThresholdBoxesStopOnlyWhereTheyAreNeeded) {
    ResultTable table = singleQuestionTable({{u"3"_s, u"1.0"_s}, {u"3"_s, u"9.0"_s}});
    ThresholdTexts boxes = kDefaults;
    boxes.faintMark = u"3,0"_s;
    boxes.multiValue = u"x"_s;  // no multi-answer column: never read
    PaintOutcome outcome = paintColor(table, boxes, {});
    EXPECT_TRUE(outcome.stoppedOnInvalid);
    EXPECT_EQ(table.grid().text(3, 1), u"-1"_s) << "the no-mark test did not need the faint box";

    boxes = kDefaults;
    boxes.noMark = u" 2.0 "_s;  // blanks around a number are fine
    boxes.multiValue = u"x"_s;
    EXPECT_FALSE(paintColor(table, boxes, {}).stoppedOnInvalid);
    boxes.noMark = QString();
    EXPECT_TRUE(paintColor(table, boxes, {}).stoppedOnInvalid);

    ResultTable multi = multiAnswerTable(u"160,4x,200"_s);
    EXPECT_TRUE(paintColor(multi, kDefaults, {}).stoppedOnInvalid);
    multi.setMeasurement(3, 1, u"160,40,200"_s);
    boxes = kDefaults;
    boxes.multiRange = u"5O"_s;
    EXPECT_TRUE(paintColor(multi, boxes, {}).stoppedOnInvalid);
    EXPECT_EQ(multi.grid().text(3, 1), u"-1"_s) << "left as stored";
}

TEST(PaintColorLarge, TenThousandSheetsOfTwoHundredQuestions) {
    constexpr int kSheets = 10000;
    constexpr int kQuestions = 200;
    ResultTable table;
    table.initMarks(QString());
    QStringList values, relis, counts;
    for (int q = 0; q < kQuestions; ++q) {
        values << QString::number(q % 4 + 1);
        relis << (q % 3 == 0 ? u"1.5"_s : q % 3 == 1 ? u"2.5"_s : u"8.0"_s);
        counts << u"1"_s;
    }
    const QString value = values.join(u','), reli = relis.join(u','), count = counts.join(u',');
    for (int s = 1; s <= kSheets; ++s) {
        table.storeSheet(s, QString::number(s) + u".jpg"_s, value, reli, count, 0, 0, false);
        table.storeMultiAnswerData(s, {u"199"_s}, {s % 2 ? u"160,40,200"_s : u"300,40,210"_s});
    }

    const PaintOutcome outcome = paintColor(table, kDefaults, {});
    EXPECT_FALSE(outcome.stoppedOnInvalid);
    EXPECT_TRUE(outcome.showMultiControls);
    const TextGrid& g = tarrow::testing::TableAccess::grid(table);
    ASSERT_EQ(g.rows(), kSheets + 3);
    for (int row : {3, 5003, kSheets + 2}) {
        EXPECT_EQ(g.text(row, 1), u"-1"_s);
        EXPECT_EQ(g.colour(row, 1), PaletteColour::LightRed);
        EXPECT_EQ(g.text(row, 2), u"2"_s);
        EXPECT_EQ(g.colour(row, 2), PaletteColour::LightCyan);
        EXPECT_EQ(g.colour(row, 3), PaletteColour::White);
        EXPECT_EQ(g.text(row, 200), u"1 3"_s);
    }
    EXPECT_EQ(g.colour(3, 200), PaletteColour::LightGreen) << "sheet 1: 160 in the band";
    EXPECT_EQ(g.colour(4, 200), PaletteColour::White) << "sheet 2: 300, 40, 210 outside it";
    EXPECT_EQ(g.columnWidth(200), 42);
}

}  // namespace
}  // namespace tarrow

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

TEST(PaintColorReview, ThresholdsAreReversibleAndTypedValuesStay) {
    ResultTable table;
    table.initMarks(QString());
    // Question 1 at 2.4 (above 2.0, below a raised 2.5), question 2 at 2.4
    // too but typed over, question 3 a choice 10.
    table.storeSheet(1, u"a.jpg"_s, u"4,2,10"_s, u"2.4,2.4,2.4"_s, u"1,1,1"_s, 0, 0, false);
    table.setTypedValue(3, 2, u"3"_s);
    const ThresholdTexts defaults{u"2.0"_s, u"3.0"_s, u"150"_s, u"50"_s};
    ThresholdTexts raised = defaults;
    raised.noMark = u"2.5"_s;
    paintColor(table, raised, {.tenToZero = true});
    EXPECT_EQ(table.text(3, 1), u"-1"_s);
    EXPECT_EQ(table.text(3, 2), u"3"_s);
    EXPECT_EQ(table.text(3, 3), u"-1"_s);
    paintColor(table, defaults, {.tenToZero = true});
    EXPECT_EQ(table.text(3, 1), u"4"_s);
    EXPECT_EQ(table.text(3, 2), u"3"_s);
    EXPECT_EQ(table.text(3, 3), u"0"_s) << "the kept 10 comes back as the option shows it";
    EXPECT_EQ(table.doubt(3, 2), strovik::ReviewKind::None) << "typed: reviewed";
    EXPECT_EQ(table.doubt(3, 1), strovik::ReviewKind::Faint);

    // A cleared cell keeps its emptiness over the kept answer; under the
    // no-mark threshold it still turns "-1", as it always did.
    table.setText(3, 1, QString());
    paintColor(table, defaults, {});
    EXPECT_EQ(table.text(3, 1), QString());
    paintColor(table, raised, {});
    EXPECT_EQ(table.text(3, 1), u"-1"_s);
}

TEST(PaintColorReview, DoubledMarksAreDoubtfulButKeepTheirDefaultColour) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"a.jpg"_s, u"2,2,-1"_s, u"3.2,3.0,0.0"_s, u"2,1,2"_s, 0, 0, false);
    const ThresholdTexts defaults{u"2.0"_s, u"3.0"_s, u"150"_s, u"50"_s};
    paintColor(table, defaults, {});
    EXPECT_EQ(table.colour(3, 1), PaletteColour::White);
    EXPECT_EQ(table.doubt(3, 1), strovik::ReviewKind::Doubled);
    EXPECT_EQ(table.doubt(3, 2), strovik::ReviewKind::None) << "3.0 is not below 3.0";
    EXPECT_EQ(table.doubt(3, 3), strovik::ReviewKind::NoMark) << "no answer is not doubled";

    // A marked count that is no finite number reads as no marks.
    table.setMeasurement(3, table.markedCountColumn(1), u"nan"_s);
    EXPECT_FALSE(paintColor(table, defaults, {.multiMarked = true}).stoppedOnInvalid);
    EXPECT_EQ(table.doubt(3, 1), strovik::ReviewKind::None);
}

TEST(PaintColorReview, TheRuleAndTheSettingsShareTheirDefaults) {
    // Dravel's trial read uses the rule's defaults, Tarrow the settings'.
    const AppSettings settings;
    const strovik::ReviewSettings rule;
    EXPECT_EQ(settings.noMarkValue.toDouble(), rule.noMark);
    EXPECT_EQ(settings.markValue.toDouble(), rule.faint);
    EXPECT_EQ(settings.multiValue.toLongLong(), rule.multiValue);
    EXPECT_EQ(settings.multiRange.toLongLong(), rule.multiRange);
    EXPECT_EQ(settings.multiMarked, rule.showSeveral);
}

}  // namespace
}  // namespace tarrow
