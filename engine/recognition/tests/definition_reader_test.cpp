#include <gtest/gtest.h>

#include "engine/recognition/definition_format.h"
#include "engine/recognition/sheet_definition.h"
#include "engine/recognition/tests/test_sheet.h"

namespace strovik {
namespace {

using testing::freshFolder;
using testing::writeText;

SheetDefinition readFrom(const std::string& text, SheetDefinition def = {}) {
    static int counter = 0;
    auto path = freshFolder("defread") / ("d" + std::to_string(counter++) + ".ini");
    writeText(path, text);
    readSheetDefinition(path.string(), def);
    return def;
}

TEST(DefinitionReader, MissingFileGivesDefaultsAndNoQuestions) {
    SheetDefinition def;
    readSheetDefinition("/nonexistent/folder/def.ini", def);
    EXPECT_EQ(def.zeroMarkRadius, 14);
    EXPECT_EQ(def.zeroMarks[0], (Point{272, 3257}));
    EXPECT_EQ(def.zeroMarks[1], (Point{2334, 3245}));
    EXPECT_EQ(def.zeroMarks[2], (Point{-1, -1}));
    EXPECT_EQ(def.zeroMarkColorMin, 150);
    EXPECT_DOUBLE_EQ(def.zeroMarkRate, 0.5);
    EXPECT_EQ(def.ovalHalfWidth, 18);
    EXPECT_EQ(def.ovalHalfHeight, 33);
    EXPECT_EQ(def.ovalColorMin, 100);
    EXPECT_EQ(def.ovalColorMax, 200);
    EXPECT_DOUBLE_EQ(def.noMarkMin, 2.0);
    EXPECT_EQ(def.noMarkMinDots, 10);
    EXPECT_DOUBLE_EQ(def.multiMarkedMultiply, 2.0);
    EXPECT_EQ(def.marks.questions(), 0);
    EXPECT_TRUE(def.multiRead);
    EXPECT_TRUE(def.multiQuestions.empty());
}

TEST(DefinitionReader, ReadsKeysWhateverTheirCaseAndHalvesOvalSizes) {
    const SheetDefinition def = readFrom(
        "[zeromark]\r\nzeromark_radius = 9\r\nZeroMark1_X=10\r\nZEROMARK1_Y=20\r\n"
        "ZEROMARK_RATE=0.75abc\r\n[MARK]\r\nOVALMARK_WIDTH=37\r\nOVALMARK_HEIGHT=13\r\n"
        "OVALMARK_NOMARK_MIN=1.5\r\nMULTI_MARKED_MULTIPLY=x\r\nMARK0=0,0,5,6\r\n"
        "[SYSTEM]\r\nDPI_X=300\r\nDPI_Y=\r\nDEBUG=/tmp/dbg.jpg\r\n");
    EXPECT_EQ(def.zeroMarkRadius, 9);
    EXPECT_EQ(def.zeroMarks[0], (Point{10, 20}));
    EXPECT_DOUBLE_EQ(def.zeroMarkRate, 0.75);
    EXPECT_EQ(def.ovalHalfWidth, 18);  // 37 / 2
    EXPECT_EQ(def.ovalHalfHeight, 6);
    EXPECT_DOUBLE_EQ(def.noMarkMin, 1.5);
    EXPECT_DOUBLE_EQ(def.multiMarkedMultiply, 0.0);  // no number reads as 0
    EXPECT_EQ(def.editorDpiX, 300);
    EXPECT_EQ(def.editorDpiY, -1);  // empty value
    EXPECT_EQ(def.debugPath, "/tmp/dbg.jpg");
}

TEST(DefinitionReader, MarkTableShapeGapsAndUndefinedSlots) {
    // Entries 0, 1 and 3: the gap hides entry 3.
    SheetDefinition def =
        readFrom("[MARK]\r\nMARK0=0,0,100,200\r\nMARK1=1,2,300,400\r\nMARK3=5,5,1,1\r\n");
    EXPECT_EQ(def.marks.questions(), 2);
    EXPECT_EQ(def.marks.choices(), 3);
    EXPECT_EQ(def.marks.slot(0, 0), (Point{100, 200}));
    EXPECT_EQ(def.marks.slot(1, 2), (Point{300, 400}));
    EXPECT_EQ(def.marks.choiceCount(0), 1);
    // Question 1 has choice 2 but not choice 0: no choices at all.
    EXPECT_EQ(def.marks.choiceCount(1), 0);

    // Choice 1 undefined, choice 2 defined: one choice.
    def = readFrom("[MARK]\r\nMARK0=0,0,1,1\r\nMARK1=0,2,3,3\r\nMARK2=0,0,9,9\r\n");
    EXPECT_EQ(def.marks.choiceCount(0), 1);
    EXPECT_EQ(def.marks.slot(0, 0), (Point{9, 9}));  // a later entry overwrites

    // Only the oval keys: one question, one undefined slot.
    def = readFrom("[MARK]\r\nOVALMARK_WIDTH=30\r\n");
    EXPECT_EQ(def.marks.questions(), 1);
    EXPECT_EQ(def.marks.choices(), 1);
    EXPECT_FALSE(MarkTable::defined(def.marks.slot(0, 0)));
}

TEST(DefinitionReader, BadMarkEntriesAreIgnoredWithinBounds) {
    const SheetDefinition def = readFrom(
        "[MARK]\r\nMARK0=-1,0,5,5\r\nMARK1=0,-3,5,5\r\n"
        "MARK2=abc\r\nMARK3=1,1,99999999999,-99999999999\r\n"
        "MARK4=0,0,7\r\n");
    EXPECT_TRUE(def.refusal.empty());
    EXPECT_EQ(def.marks.questions(), 2);
    EXPECT_EQ(def.marks.choices(), 2);
    EXPECT_EQ(def.marks.slot(1, 1), (Point{2147483647, -2147483647 - 1}));
    EXPECT_FALSE(MarkTable::defined(def.marks.slot(0, 0)));
}

// Every question is read, the editor's 10100 and far beyond; a definition
// the table cannot hold is refused as a whole, never cut short.
TEST(DefinitionReader, ReadsEveryQuestionOrRefusesTheDefinition) {
    std::string text = "[MULTI]\r\nQUESTIONS=10100\r\n[MARK]\r\n";
    for (int q = 0; q <= 10100; ++q) {
        text += "MARK" + std::to_string(q) + "=" + std::to_string(q) + ",0,1,1\r\n";
    }
    SheetDefinition def = readFrom(text);
    EXPECT_TRUE(def.refusal.empty()) << def.refusal;
    EXPECT_EQ(def.marks.questions(), 10101);
    EXPECT_EQ(def.marks.choiceCount(10100), 1);
    EXPECT_EQ(def.multiQuestions, std::vector<int>{10100});

    def = readFrom("[MARK]\r\nMARK0=99999,1,1,1\r\n");
    EXPECT_EQ(def.marks.questions(), MarkTable::kMaxQuestions);
    EXPECT_TRUE(def.refusal.empty());

    for (const char* beyond : {"MARK1=100000,0,1,1", "MARK1=0,100,1,1", "MARK1=2000000000,0,5,5",
                               "MARK1=30000,99,1,1"}) {
        def = readFrom(std::string("[MARK]\r\nMARK0=0,0,1,1\r\n") + beyond + "\r\n");
        EXPECT_FALSE(def.refusal.empty()) << beyond;
        EXPECT_EQ(def.marks.questions(), 0) << beyond;
    }
    // The next definition read into the same one starts clean.
    def = readFrom("[MARK]\r\nMARK0=0,0,1,1\r\n", def);
    EXPECT_EQ(def.marks.questions(), 1);
    EXPECT_TRUE(def.refusal.empty());
}

TEST(DefinitionReader, MultiQuestionsList) {
    SheetDefinition def = readFrom("[MULTI]\r\nQUESTIONS=3,,5\r\n[MARK]\r\nMARK0=0,0,1,1\r\n");
    EXPECT_EQ(def.multiQuestions, (std::vector<int>{3, 5}));
    EXPECT_EQ(def.multiQuestionsText, "3,,5");
    def = readFrom("[MULTI]\r\nQUESTIONS=\r\n");
    EXPECT_TRUE(def.multiQuestions.empty());
    def = readFrom("[MULTI]\r\nQUESTIONS=2,x,-4\r\n");
    EXPECT_EQ(def.multiQuestions, (std::vector<int>{2, 0, -4}));
}

TEST(DefinitionReader, ImageAreasStopAtGapsAndAtTheCap) {
    SheetDefinition def = readFrom(
        "[IMAGEAREA]\r\nIMAGEAREA0=1,2,3,4,5,6,7,8\r\nIMAGEAREA1=1,2\r\nIMAGEAREA3=0,0,0,0,0,0,0,"
        "0\r\n");
    ASSERT_EQ(def.imageAreas.size(), 2u);
    EXPECT_EQ(def.imageAreas[0].corners[3], (Point{7, 8}));
    EXPECT_EQ(def.imageAreas[1].corners[1], (Point{0, 0}));

    std::string text = "[IMAGEAREA]\r\n";
    for (int i = 0; i < 1200; ++i)
        text += "IMAGEAREA" + std::to_string(i) + "=0,0,10,0,10,10,0,10\r\n";
    def = readFrom(text);
    EXPECT_EQ(def.imageAreas.size(), std::size_t(SheetDefinition::kMaxImageAreas));
}

TEST(DefinitionReader, FileWithoutMarkSectionKeepsPreviousSystemValues) {
    SheetDefinition def = readFrom(
        "[MARK]\r\nMARK0=0,0,1,1\r\n[SYSTEM]\r\nDPI_X=200\r\nDPI_Y=300\r\nDEBUG=a.jpg\r\n");
    def = readFrom("[ZEROMARK]\r\nZEROMARK_RADIUS=5\r\n[SYSTEM]\r\nDPI_X=600\r\n", def);
    EXPECT_EQ(def.editorDpiX, 200);
    EXPECT_EQ(def.editorDpiY, 300);
    EXPECT_EQ(def.debugPath, "a.jpg");
    EXPECT_EQ(def.marks.questions(), 0);  // the old table is gone
    EXPECT_EQ(def.zeroMarkRadius, 5);
}

TEST(NumberedEntries, FirstLineContainingTheKeyTextWins) {
    const std::vector<std::string> lines = {
        "XMARK1=from-prefixed-line", "MARK0=zero",   "MARK1=one", "MARK01=not-an-index",
        "MARK2=two=with=equals",     "MARK3 =spaced"};
    const auto values = numberedEntries(lines, "MARK", 100);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], "zero");
    EXPECT_EQ(values[1], "from-prefixed-line");
    EXPECT_EQ(values[2], "two=with=equals");
}

TEST(NumberedEntries, ParseIntListFollowsScanfRules) {
    int v[4] = {};
    EXPECT_EQ(parseIntList("1,2,3,4", v, 4), 4);
    EXPECT_EQ(v[3], 4);
    EXPECT_EQ(parseIntList(" -1, 2,3", v, 4), 3);
    EXPECT_EQ(v[0], -1);
    EXPECT_EQ(v[1], 2);
    EXPECT_EQ(parseIntList("1 ,2", v, 2), 1);  // the comma must follow directly
    EXPECT_EQ(parseIntList("", v, 2), 0);
}

}  // namespace
}  // namespace strovik

namespace strovik {
namespace {

// The definition fuzzer's seed files read with their questions.
TEST(DefinitionReader, FuzzSeedsRead) {
    const std::filesystem::path seeds =
        std::filesystem::path(VELMORA_SOURCE_DIR) / "fuzz/corpus/fuzz_definition";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
        SheetDefinition def;
        readSheetDefinition(entry.path().string(), def);
        EXPECT_GT(def.marks.questions(), 0) << entry.path();
        ++count;
    }
    EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace strovik
