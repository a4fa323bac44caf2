#include <gtest/gtest.h>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

// "; ＝の両側に空白を含まないように記述してください。" in CP932.
const std::string kComment =
    "; \x81\x81\x82\xcc\x97\xbc\x91\xa4\x82\xc9\x8b\xf3\x94\x92\x82\xf0\x8a\xdc\x82\xdc\x82\xc8"
    "\x82\xa2\x82\xe6\x82\xa4\x82\xc9\x8b\x4c\x8f\x71\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3"
    "\x82\xa2\x81\x42";

Layout tinyLayout() {
    Layout l;
    l.dpi = 200;
    l.widthPx = 1654;
    l.heightPx = 2339;
    l.zeroRadius = 9;
    l.zero[0] = {180, 2159};
    l.zero[1] = {1474, 2159};
    l.zero[2] = {180, 180};
    l.ovalWidth = 24;
    l.ovalHeight = 44;
    l.ovals = {{{300, 400}, {336, 400}}, {{300, 457}, {336, 457}, {372, 457}}};
    l.multiQuestions = {0, 1};
    l.areas = {{290, 220, 100, 50}};
    return l;
}

TEST(DefinitionTextTest, WritesTheEditorsTextByteForByte) {
    const std::string expected = ";\r\n;\r\n" + kComment +
                                 "\r\n;\r\n;\r\n\r\n"
                                 "[ZEROMARK]\r\n"
                                 "ZEROMARK_RADIUS=9\r\n"
                                 "ZEROMARK1_X=180\r\nZEROMARK1_Y=2159\r\n"
                                 "ZEROMARK2_X=1474\r\nZEROMARK2_Y=2159\r\n"
                                 "ZEROMARK3_X=180\r\nZEROMARK3_Y=180\r\n"
                                 "ZEROMARK_COLOR_MIN=150\r\n"
                                 "ZEROMARK_RATE=0.500000\r\n"
                                 "\r\n\r\n"
                                 "[MARK]\r\n"
                                 "OVALMARK_WIDTH=24\r\nOVALMARK_HEIGHT=44\r\n"
                                 "OVALMARK_COLOR_MIN=100\r\nOVALMARK_COLOR_MAX=200\r\n"
                                 "MARK0=0,0,300,400\r\nMARK1=0,1,336,400\r\n"
                                 "MARK2=1,0,300,457\r\nMARK3=1,1,336,457\r\nMARK4=1,2,372,457\r\n"
                                 "\r\n\r\n"
                                 "[IMAGEAREA]\r\n"
                                 "IMAGEAREA0=290,220,389,220,389,269,290,269\r\n"
                                 "\r\n\r\n"
                                 "[MULTI]\r\n"
                                 "QUESTIONS=0,1\r\n"
                                 "\r\n\r\n"
                                 "[SYSTEM]\r\n"
                                 "DPI_X=200\r\nDPI_Y=200\r\nDEBUG=\r\n";
    EXPECT_EQ(definitionText(tinyLayout()), expected);
}

TEST(DefinitionTextTest, EmptySectionsKeepTheirHeadersAndGaps) {
    Layout l = tinyLayout();
    l.areas.clear();
    l.multiQuestions.clear();
    const std::string text = definitionText(l);
    EXPECT_NE(
        text.find("\r\n\r\n\r\n[IMAGEAREA]\r\n\r\n\r\n[MULTI]\r\nQUESTIONS=\r\n\r\n\r\n[SYSTEM]"),
        std::string::npos);
}

TEST(DefinitionTextTest, EveryLineEndsInCrLf) {
    LayoutParams p;
    p.questions = 12;
    p.imageAreas = 2;
    p.multiQuestions = {4};
    const std::string text = definitionText(makeLayout(p));
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(text[i - 1], '\r') << "bare LF at byte " << i;
        }
    }
    // 12 questions of 5 choices, numbered without gaps, question-major.
    EXPECT_NE(text.find("MARK59=11,4,"), std::string::npos);
    EXPECT_EQ(text.find("MARK60="), std::string::npos);
    EXPECT_NE(text.find("MARK5=1,0,"), std::string::npos);
}

}  // namespace
}  // namespace sheetgen
