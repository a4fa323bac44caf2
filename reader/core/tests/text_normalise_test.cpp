#include "reader/core/text_normalise.h"

#include <gtest/gtest.h>

namespace tarrow {
using namespace Qt::StringLiterals;
namespace {

TEST(ToHalfWidth, ConvertsTheWholeFullWidthAsciiBlock) {
    QString full;
    QString ascii;
    for (char16_t u = 0xFF01; u <= 0xFF5E; ++u) full.append(QChar(u));
    for (char16_t u = 0x21; u <= 0x7E; ++u) ascii.append(QChar(u));
    EXPECT_EQ(toHalfWidth(full), ascii);
    EXPECT_EQ(toHalfWidth(u"１２３＋－"_s), u"123+-"_s);
    EXPECT_EQ(toHalfWidth(u"ＡｚＢ"_s), u"AzB"_s);
}

TEST(ToHalfWidth, IdeographicSpaceBecomesASpace) {
    EXPECT_EQ(toHalfWidth(u"１\u3000２"_s), u"1 2"_s);
}

TEST(ToHalfWidth, LeavesEverythingOutsideTheBlockAlone) {
    // Neighbours of the block, half-width katakana, kana and kanji.
    const QString kept = u"\uFF00\uFF5F\uFF61ｱｲｳﾏｰｸあ漢、，"_s;
    QString expected = kept;
    expected[kept.indexOf(u'，')] = QChar(u',');  // U+FF0C is inside the block
    EXPECT_EQ(toHalfWidth(kept), expected);
    EXPECT_EQ(toHalfWidth(QString()), QString());
}

TEST(NormaliseCommas, ReplacesIdeographicAndFullWidthCommas) {
    EXPECT_EQ(normaliseCommas(u"1、2，3,4"_s), u"1,2,3,4"_s);
    EXPECT_EQ(normaliseCommas(u"１；２。"_s), u"１；２。"_s);
    EXPECT_EQ(normaliseCommas(QString()), QString());
}

TEST(Normalise, CombinedAsTheInputDialogUsesThem) {
    EXPECT_EQ(toHalfWidth(normaliseCommas(u"１、２，＋\u3000ｱ"_s)), u"1,2,+ ｱ"_s);
}

}  // namespace
}  // namespace tarrow
