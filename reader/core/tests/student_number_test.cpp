#include "reader/core/student_number.h"

#include <gtest/gtest.h>

#include "reader/core/analysis_files.h"

namespace tarrow {
namespace {

QStringList keys(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(','));
}

TEST(NumberRun, FirstRunOfFourToEightSameMarkersCounts) {
    // Three markers are another joined field; four are a number.
    EXPECT_EQ(numberRunOf(keys("1,+,+,+,2")), std::nullopt);
    EXPECT_EQ(numberRunOf(keys("+,+,+,+,3")), (NumberRun{1, 4}));
    // Nine are too many, eight the most; the run may end at the last column.
    EXPECT_EQ(numberRunOf(keys("2,+,+,+,+,+,+,+,+,+")), std::nullopt);
    EXPECT_EQ(numberRunOf(keys("2,3,-,-,-,-,-,-,-,-")), (NumberRun{3, 10}));
    // "+" then "-" are two runs of two and three, neither a number.
    EXPECT_EQ(numberRunOf(keys("+,+,-,-,-,1")), std::nullopt);
    // A short run before a number run is skipped; the first number run wins.
    EXPECT_EQ(numberRunOf(keys("+,+,1,-,-,-,-,-,2,+,+,+,+")), (NumberRun{4, 8}));
    EXPECT_EQ(numberRunOf(QStringList()), std::nullopt);
}

TEST(StudentNumber, OneDigitPerColumnWithTheTenthChoiceAsZero) {
    const NumberRun run{2, 5};
    EXPECT_EQ(studentNumberOf(keys("3,0,1,2,3,4"), run), "0123");
    EXPECT_EQ(studentNumberOf(keys("3,10,9,10,1,4"), run), "0901");
    // No mark, two marks or a number above 10 leave the sheet without one.
    EXPECT_EQ(studentNumberOf(keys("3,1,-1,2,3,4"), run), "");
    EXPECT_EQ(studentNumberOf(keys("3,1,2 5,2,3,4"), run), "");
    EXPECT_EQ(studentNumberOf(keys("3,1,11,2,3,4"), run), "");
    // The run runs past the values: nothing, not a crash.
    EXPECT_EQ(studentNumberOf(keys("3,1,2"), run), "");
}

TEST(StudentNumber, LoadedJoinedShapeIsTakenWhenItHasTheRunsLength) {
    const NumberRun run{1, 4};
    EXPECT_EQ(studentNumberOf(keys(",,,0420,2"), run), "0420");
    // Too short, too long, or a cell before the last not empty.
    EXPECT_EQ(studentNumberOf(keys(",,,042,2"), run), "");
    EXPECT_EQ(studentNumberOf(keys(",,,04201,2"), run), "");
    EXPECT_EQ(studentNumberOf(keys(",1,,0420,2"), run), "");
    EXPECT_EQ(studentNumberOf(keys(",,,04-1,2"), run), "");
}

TEST(StudentsByNumber, NumbersAscendingTiesInRowOrderUnnumberedLast) {
    std::vector<StudentResult> students(5);
    students[0].number = "0200";
    students[1].number = "";
    students[2].number = "0100";
    students[3].number = "0200";
    students[4].number = "";
    EXPECT_EQ(studentsByNumber(students), (std::vector<std::size_t>{2, 0, 3, 1, 4}));
    EXPECT_TRUE(studentsByNumber({}).empty());
}

}  // namespace
}  // namespace tarrow
