#include "common/line_text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace velmora {
namespace {

// The last line is ended too, empty lines keep their place, and a line's
// own bytes (a lone CR or LF inside it, bytes above 0x7F) pass untouched.
TEST(LineText, EveryLineEndsInCrLf) {
    EXPECT_EQ(joinCrLfLines({}), "");
    EXPECT_EQ(joinCrLfLines({""}), "\r\n");
    EXPECT_EQ(joinCrLfLines({"", ""}), "\r\n\r\n");
    EXPECT_EQ(joinCrLfLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(joinCrLfLines({"x\ry", "\x82\xA0"}), "x\ry\r\n\x82\xA0\r\n");

    std::string out = "head";
    appendCrLfLine(out, "");
    appendCrLfLines(out, {"1", "2"});
    appendCrLfLines(out, {});
    EXPECT_EQ(out, "head\r\n1\r\n2\r\n");
}

// CR LF, a lone LF and a lone CR each end one line, wherever they stand.
TEST(LineText, SplitsAtEveryKindOfLineEnd) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("\r\n"), Lines{""});
    EXPECT_EQ(splitLines("a\r\nb\nc\rd\r\n"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\rb"), (Lines{"a", "", "b"}));      // CR CR is two ends
    EXPECT_EQ(splitLines("a\n\rb"), (Lines{"a", "", "b"}));      // LF CR too
    EXPECT_EQ(splitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));  // CR LF is one
    EXPECT_EQ(splitLines("last"), Lines{"last"});
    EXPECT_EQ(splitLines("a\r"), Lines{"a"});  // a lone CR as the very last byte
    // Splitting what the suite joined gives the lines back.
    const Lines lines{"x", "", "\x82\xA0 y"};
    EXPECT_EQ(splitLines(joinCrLfLines(lines)), lines);
}

TEST(LineText, LineEndLengthAtEachByte) {
    const std::string_view text = "a\r\nb\rc\n";
    const std::size_t expected[] = {0, 2, 1, 0, 1, 0, 1, 0};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(lineEndLength(text, i), expected[i]) << i;
    }
    EXPECT_EQ(lineEndLength("\r", 0), 1u);  // CR as the last byte
}

TEST(LineText, RewritesLineEndsAsCrLfAndKeepsTheRest) {
    EXPECT_EQ(withCrLfLineEnds(""), "");
    EXPECT_EQ(withCrLfLineEnds("a\nb\r\nc"), "a\r\nb\r\nc");  // no end added
    EXPECT_EQ(withCrLfLineEnds("a\rb"), "a\r\nb");
    EXPECT_EQ(withCrLfLineEnds("a\r"), "a\r\n");
    EXPECT_EQ(withCrLfLineEnds("a\r\n"), "a\r\n");  // already CR LF: unchanged
    EXPECT_EQ(withCrLfLineEnds("\n\n"), "\r\n\r\n");
    EXPECT_EQ(withCrLfLineEnds("\r\r\n"), "\r\n\r\n");
    EXPECT_EQ(withCrLfLineEnds(" a b \t"), " a b \t");
}

}  // namespace
}  // namespace velmora
