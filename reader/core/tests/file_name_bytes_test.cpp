#include "reader/core/file_name_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace tarrow {
namespace {

using namespace std::string_literals;

// Every byte alone and after a valid character, and the malformed forms a
// decoder might wrongly accept, come back as the same bytes.
TEST(FileNameBytes, EveryByteSequenceComesBackUnchanged) {
    for (int b = 0; b < 256; ++b) {
        const std::string alone(1, char(b));
        EXPECT_EQ(pathBytes(pathFromBytes(alone)), alone) << b;
        const std::string mixed = "が"s + char(b) + "x";
        EXPECT_EQ(pathBytes(pathFromBytes(mixed)), mixed) << b;
    }
    for (const std::string& bad : {"\xC0\x80"s, "\xED\xA0\x80"s, "\xE3\x81"s, "\xF4\x90\x80\x80"s,
                                   "\x83\x65\x83\x58"s, "\xE3\x81\x8B\xE3"s}) {
        const QString text = pathFromBytes(bad);
        EXPECT_TRUE(holdsRawBytes(text));
        EXPECT_EQ(pathBytes(text), bad);
    }
    // Overlong and surrogate forms are one kept byte each, not a character.
    EXPECT_EQ(pathFromBytes("\xC0\x80"s).size(), 2);
    EXPECT_EQ(pathFromBytes("\xED\xA0\x80"s).size(), 3);
}

TEST(FileNameBytes, ValidUtf8IsPlainText) {
    const std::string utf8 = "/scans/がっこう\xF0\x9F\x98\x80.jpg";  // U+1F600 needs a pair
    const QString text = pathFromBytes(utf8);
    EXPECT_EQ(text, QString::fromUtf8(utf8.c_str()));
    EXPECT_FALSE(holdsRawBytes(text));
    EXPECT_EQ(pathBytes(text), utf8);
    // A lone surrogate that is no kept byte is written as U+FFFD.
    EXPECT_EQ(pathBytes(QString(QChar(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(pathBytes(QString(QChar(0xDC7F))), "\xEF\xBF\xBD");
}

TEST(FileNameBytes, ShiftJisNamesAreShownDecoded) {
    const QString sjis = pathFromBytes("\x83\x65\x83\x58\x83\x67.jpg");  // テスト.jpg
    EXPECT_EQ(displayName(sjis), QStringLiteral("テスト.jpg"));
    const QString neither = pathFromBytes("\xFF\xFE.jpg");
    EXPECT_EQ(displayName(neither), neither);
    EXPECT_EQ(displayName(QStringLiteral("a.jpg")), QStringLiteral("a.jpg"));
}

}  // namespace
}  // namespace tarrow
