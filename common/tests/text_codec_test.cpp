#include "common/text_codec.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace velmora {
namespace {

// The comment line the definition editor writes, in UTF-8 and in CP932.
const std::string kCommentUtf8 =
    "; \xEF\xBC\x9D\xE3\x81\xAE\xE4\xB8\xA1\xE5\x81\xB4\xE3\x81\xAB"  // ; ＝の両側に
    "\xE7\xA9\xBA\xE7\x99\xBD";                                       // 空白
const std::string kCommentCp932 = "; \x81\x81\x82\xCC\x97\xBC\x91\xA4\x82\xC9\x8B\xF3\x94\x92";

const std::string kHalfWidthUtf8 =
    "\xEF\xBE\x92\xEF\xBD\xBF\xEF\xBD\xAF\xEF\xBE\x84\xEF\xBE\x9E";  // ﾒｿｯﾄﾞ
const std::string kHalfWidthCp932 = "\xD2\xBF\xAF\xC4\xDE";

TEST(TextCodec, ConvertsJapaneseBothWays) {
    EXPECT_EQ(utf8ToCp932(kCommentUtf8), kCommentCp932);
    EXPECT_EQ(cp932ToUtf8(kCommentCp932), kCommentUtf8);
    EXPECT_EQ(utf8ToCp932(kHalfWidthUtf8), kHalfWidthCp932);
    EXPECT_EQ(cp932ToUtf8(kHalfWidthCp932), kHalfWidthUtf8);

    // ASCII, including backslash and tilde, is the same in both encodings.
    const std::string ascii = "C:\\sheets\\~a.ini\r\nKEY=1\0x"s;
    EXPECT_EQ(cp932ToUtf8(ascii), ascii);
    EXPECT_EQ(utf8ToCp932(ascii), ascii);
    EXPECT_EQ(cp932ToUtf8(""), "");

    // Half-width katakana triple in size, so the output buffer has to grow.
    std::string manyCp932;
    std::string manyUtf8;
    for (int i = 0; i < 5000; ++i) {
        manyCp932 += kHalfWidthCp932;
        manyUtf8 += kHalfWidthUtf8;
    }
    EXPECT_EQ(cp932ToUtf8(manyCp932), manyUtf8);
    EXPECT_EQ(utf8ToCp932(manyUtf8), manyCp932);
}

TEST(TextCodec, StrictVariantsRejectBadInput) {
    EXPECT_FALSE(cp932ToUtf8("abc\x81").has_value());           // lead byte cut off
    EXPECT_FALSE(cp932ToUtf8("\xA0").has_value());              // unassigned single byte
    EXPECT_FALSE(cp932ToUtf8("ok\xFF ok").has_value());         // never valid
    EXPECT_FALSE(utf8ToCp932("\xFF").has_value());              // not UTF-8
    EXPECT_FALSE(utf8ToCp932("a\xE3\x81").has_value());         // truncated sequence
    EXPECT_FALSE(utf8ToCp932("\xC0\xAF").has_value());          // overlong form
    EXPECT_FALSE(utf8ToCp932("\xF0\x9F\x98\x80").has_value());  // emoji: no CP932 form
}

TEST(TextCodec, LenientVariantsPassBadBytesThrough) {
    const std::string fullEqualsUtf8 = "\xEF\xBC\x9D";
    EXPECT_EQ(cp932ToUtf8Lenient("\x81\x81\xFF\x81\x81"), fullEqualsUtf8 + "\xFF" + fullEqualsUtf8);
    EXPECT_EQ(cp932ToUtf8Lenient("\xD2\x81"), "\xEF\xBE\x92\x81");  // truncated at the end
    EXPECT_EQ(cp932ToUtf8Lenient("\xA0\xA0"), "\xA0\xA0");

    const std::string emoji = "\xF0\x9F\x98\x80";
    EXPECT_EQ(utf8ToCp932Lenient(fullEqualsUtf8 + emoji + fullEqualsUtf8),
              "\x81\x81" + emoji + "\x81\x81");
    EXPECT_EQ(utf8ToCp932Lenient("a\xFF" + kHalfWidthUtf8), "a\xFF" + kHalfWidthCp932);
    EXPECT_EQ(utf8ToCp932Lenient("\xE3\x81"), "\xE3\x81");
}

// Text written whatever it holds: every character CP932 cannot express is
// one "?", however many bytes its UTF-8 form has, and what CP932 can hold
// keeps its exact bytes on both sides of it.
TEST(TextCodec, ReplacingEncoderMarksEachLostCharacterOnce) {
    const std::string emoji = "\xF0\x9F\x98\x80";       // 4 bytes
    const std::string hangul = "\xEA\xB0\x80";          // 3 bytes
    const std::string zeroWidthSpace = "\xE2\x80\x8B";  // 3 bytes, invisible
    EXPECT_EQ(utf8ToCp932Replacing(kCommentUtf8 + emoji + kHalfWidthUtf8),
              kCommentCp932 + "?" + kHalfWidthCp932);
    EXPECT_EQ(utf8ToCp932Replacing(emoji + emoji), "??");
    EXPECT_EQ(utf8ToCp932Replacing("a" + hangul + "b" + zeroWidthSpace), "a?b?");
    EXPECT_EQ(utf8ToCp932Replacing("\xFF"
                                   "a"),
              "?a");                                     // not UTF-8
    EXPECT_EQ(utf8ToCp932Replacing("a\xE3\x81"), "a?");  // cut off at the end
    EXPECT_EQ(utf8ToCp932Replacing("plain, ascii\r\n"), "plain, ascii\r\n");
    EXPECT_EQ(utf8ToCp932Replacing(""), "");
    // Control characters stay themselves (no code page swaps of 1A, 1C, 7F).
    EXPECT_EQ(utf8ToCp932Replacing("\x1A\x1C\x7F\xEF\xBD\xB1"), "\x1A\x1C\x7F\xB1");
    // Many losses in a long text: every one counted, nothing else lost.
    std::string many;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        many += emoji + "\xE3\x81\x82";  // emoji, あ
        expected += "?\x82\xA0";
    }
    EXPECT_EQ(utf8ToCp932Replacing(many), expected);
}

TEST(TextCodec, ReplacingDecoderRoundTripsAndFlagsBadBytes) {
    bool clean = false;
    EXPECT_EQ(cp932ToUtf8Replacing(kCommentCp932, &clean), kCommentUtf8);
    EXPECT_TRUE(clean);
    EXPECT_EQ(utf8ToCp932Replacing(cp932ToUtf8Replacing(kHalfWidthCp932)), kHalfWidthCp932);
    EXPECT_EQ(cp932ToUtf8Replacing("ascii", &clean), "ascii");
    EXPECT_TRUE(clean);

    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(cp932ToUtf8Replacing("ab\x81", &clean), "ab" + fffd);  // lead byte cut off
    EXPECT_FALSE(clean);
    EXPECT_EQ(cp932ToUtf8Replacing("\x81 x\xFF", &clean), fffd + " x" + fffd);
    EXPECT_FALSE(clean);
    EXPECT_EQ(cp932ToUtf8Replacing("\xA0\x82\xA0", &clean), fffd + "\xE3\x81\x82");
    EXPECT_FALSE(clean);
    EXPECT_EQ(cp932ToUtf8Replacing(std::string("\x1A\x1C\x7F", 3), &clean), "\x1A\x1C\x7F");
    EXPECT_TRUE(clean);
}

}  // namespace
}  // namespace velmora
