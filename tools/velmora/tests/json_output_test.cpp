// JSON text of the read command: escaping, verbatim numbers and line layout.
#include "tools/velmora/json_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace velmora::cli {
namespace {

TEST(JsonString, EscapesQuotesBackslashesAndControls) {
    EXPECT_EQ(jsonString("plain/path.jpg"), "\"plain/path.jpg\"");
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString(std::string("t\tn\nz\0e", 7)), "\"t\\u0009n\\u000az\\u0000e\"");
    EXPECT_EQ(jsonString("\x1f\x7f"), "\"\\u001f\x7f\"");
}

TEST(JsonString, KeepsWellFormedUtf8) {
    EXPECT_EQ(jsonString("caf\xc3\xa9 \xe3\x83\x9e\xe3\x83\xbc\xe3\x82\xaf \xf0\x9f\x93\x84"),
              "\"caf\xc3\xa9 \xe3\x83\x9e\xe3\x83\xbc\xe3\x82\xaf \xf0\x9f\x93\x84\"");
}

TEST(JsonString, EscapesEachByteOfMalformedUtf8) {
    // A CP932 name (0x83 0x7d), a lone continuation byte, a truncated
    // sequence at the end, an overlong slash and an encoded surrogate.
    EXPECT_EQ(jsonString("\x83\x7d.jpg"), "\"\\u0083}.jpg\"");
    EXPECT_EQ(jsonString("a\x80z"), "\"a\\u0080z\"");
    EXPECT_EQ(jsonString("x\xe3\x83"), "\"x\\u00e3\\u0083\"");
    EXPECT_EQ(jsonString("\xc0\xaf"), "\"\\u00c0\\u00af\"");
    EXPECT_EQ(jsonString("\xed\xa0\x80"), "\"\\u00ed\\u00a0\\u0080\"");
    EXPECT_EQ(jsonString("\xf4\x90\x80\x80"), "\"\\u00f4\\u0090\\u0080\\u0080\"");
}

TEST(JsonNumberList, CopiesFieldsVerbatim) {
    EXPECT_EQ(jsonNumberList(""), "[]");
    EXPECT_EQ(jsonNumberList("3,-1,1"), "[3,-1,1]");
    EXPECT_EQ(jsonNumberList("150.0,0.0,999.0"), "[150.0,0.0,999.0]");
    EXPECT_EQ(jsonNumberList("1234567.5"), "[1234567.5]");
}

TEST(JsonNumberList, NonNumbersBecomeNull) {
    EXPECT_EQ(jsonNumberList("nan,1.0,inf,-inf"), "[null,1.0,null,null]");
    EXPECT_EQ(jsonNumberList("1,,2"), "[1,null,2]");
    EXPECT_EQ(jsonNumberList("01,.5,1.,+1,1e5"), "[null,null,null,null,1e5]");
}

TEST(JsonAngle, SeventeenDigitsOrNull) {
    EXPECT_EQ(jsonAngle(0.0), "0");
    EXPECT_EQ(jsonAngle(0.1), "0.10000000000000001");
    EXPECT_EQ(jsonAngle(-0.0123), "-0.0123");
    EXPECT_EQ(jsonAngle(std::nan("")), "null");
    EXPECT_EQ(jsonAngle(std::numeric_limits<double>::infinity()), "null");
}

TEST(FormatRecord, SuccessfulReadHasEveryFieldInOrder) {
    tarrow::SheetReading r;
    r.status = 0;
    r.answers = "3,-1,1";
    r.reliability = "150.0,0.0,999.0";
    r.markedCounts = "1,0,1";
    r.multiQuestions = "29,2";
    r.multiDots = {"12,340,15,8", "0,1"};
    r.offsetX = -4;
    r.offsetY = 17;
    r.angle = 0.001;
    r.rotated = 1;
    r.skew = 3;
    EXPECT_EQ(formatRecord("scans/a.jpg", r),
              "{\"image\": \"scans/a.jpg\", \"status\": 0, \"answers\": [3,-1,1], "
              "\"reliability\": [150.0,0.0,999.0], \"marked\": [1,0,1], "
              "\"dots\": {\"29\": [12,340,15,8], \"2\": [0,1]}, "
              "\"values\": [\"3\",\"-1\",\"\"], \"review\": [\"\",\"nomark\",\"\"], "
              "\"offset\": [-4, 17], "
              "\"angle\": 0.001, \"rotated\": 1, \"skew\": 3}");
}

TEST(FormatRecord, EmptyResultsAndNoMultiQuestions) {
    tarrow::SheetReading r;
    r.status = 0;
    r.angle = std::nan("");
    EXPECT_EQ(formatRecord("e.jpg", r),
              "{\"image\": \"e.jpg\", \"status\": 0, \"answers\": [], \"reliability\": [], "
              "\"marked\": [], \"dots\": {}, \"values\": [], \"review\": [], "
              "\"offset\": [0, 0], \"angle\": null, "
              "\"rotated\": 0, \"skew\": -1}");
}

TEST(FormatRecord, FailedImageHasOnlyImageAndStatus) {
    tarrow::SheetReading r;
    r.status = -3;
    r.answers = "1,2";  // left over; must not be printed
    EXPECT_EQ(formatRecord("dir/\"odd\".jpg", r),
              "{\"image\": \"dir/\\\"odd\\\".jpg\", \"status\": -3}");
}

TEST(DistinctQuestionDots, NonEmptyFieldsTakeTheDotStringsInTurnKeepingTheFirstOfARepeat) {
    // Six fields, four of them non-empty: the k-th non-empty field goes with
    // the k-th dot string; a repeat and a field that is no index are left out.
    tarrow::SheetReading r;
    r.multiQuestions = "29,,3, 29,x,";
    r.multiDots = {"1,2", "3,4", "5,6", "7,8", "", ""};
    const std::vector<QuestionDots> dots = distinctQuestionDots(r);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0].question, 29);
    EXPECT_EQ(dots[0].dots, "1,2");
    EXPECT_EQ(dots[1].question, 3);
    EXPECT_EQ(dots[1].dots, "3,4");
}

}  // namespace
}  // namespace velmora::cli
