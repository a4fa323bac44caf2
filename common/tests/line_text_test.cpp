#include "common/line_text.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velmora
