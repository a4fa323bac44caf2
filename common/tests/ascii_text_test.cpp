#include "common/ascii_text.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using velmora::equalsIgnoringAsciiCase;

// Only 'A'..'Z' fold: their neighbours '@' and '[' stay, and so does a lead
// byte of CP932 or UTF-8 whose low bits look like a capital.
TEST(AsciiText, FoldsCapitalsOnly) {
    using namespace std::string_view_literals;
    EXPECT_TRUE(equalsIgnoringAsciiCase("ChkTrans"sv, "chktRANS"sv));
    EXPECT_TRUE(equalsIgnoringAsciiCase("AZ"sv, "az"sv));
    EXPECT_FALSE(equalsIgnoringAsciiCase("@"sv, "`"sv));
    EXPECT_FALSE(equalsIgnoringAsciiCase("["sv, "{"sv));
    EXPECT_FALSE(equalsIgnoringAsciiCase("\xC1"sv, "\xE1"sv));
    EXPECT_FALSE(equalsIgnoringAsciiCase("Run"sv, "Runs"sv));
    EXPECT_TRUE(equalsIgnoringAsciiCase(u"PUT_Options"sv, u"put_options"sv));
}

}  // namespace
