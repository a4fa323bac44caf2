#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/profile_file.h"
#include "engine/recognition/sheet_definition.h"
#include "engine/recognition/tests/test_sheet.h"

namespace strovik {
namespace {

using testing::freshFolder;
using testing::readText;
using testing::writeText;

TEST(DefinitionWriteBack, RateFormatting) {
    EXPECT_EQ(formatZeroMarkRate(0.5), "0.5");
    EXPECT_EQ(formatZeroMarkRate(1.0), "1.");
    EXPECT_EQ(formatZeroMarkRate(0.123456789), "0.1234568");
    EXPECT_EQ(formatZeroMarkRate(0.0), "0.");
    EXPECT_EQ(formatZeroMarkRate(12.5), "12.5");
}

TEST(DefinitionWriteBack, EqualsThirteenSingleKeyWrites) {
    const std::string original =
        ";\r\n; comment\r\n\r\n[ZEROMARK]\r\nZEROMARK_RADIUS=14\r\nZEROMARK1_X=100\r\n"
        "ZEROMARK_RATE=0.500000\r\n\r\n\r\n[MARK]\r\nOVALMARK_WIDTH=37\r\nMARK0=0,0,5,5\r\n\r\n"
        "[MULTI]\nQUESTIONS=1\n";
    const auto dir = freshFolder("writeback");
    writeText(dir / "a.ini", original);
    writeText(dir / "b.ini", original);

    SheetDefinition def;
    readSheetDefinition((dir / "a.ini").string(), def);
    ASSERT_TRUE(writeBackSheetDefinition((dir / "a.ini").string(), def));

    const std::string b = (dir / "b.ini").string();
    const std::pair<const char*, const char*> zero[] = {
        {"ZEROMARK_RADIUS", "14"}, {"ZEROMARK1_X", "100"},        {"ZEROMARK1_Y", "3257"},
        {"ZEROMARK2_X", "2334"},   {"ZEROMARK2_Y", "3245"},       {"ZEROMARK3_X", "-1"},
        {"ZEROMARK3_Y", "-1"},     {"ZEROMARK_COLOR_MIN", "150"}, {"ZEROMARK_RATE", "0.5"}};
    for (auto [k, v] : zero) velmora::writeProfileString(b, "ZEROMARK", k, v);
    const std::pair<const char*, const char*> mark[] = {{"OVALMARK_WIDTH", "36"},
                                                        {"OVALMARK_HEIGHT", "66"},
                                                        {"OVALMARK_COLOR_MIN", "100"},
                                                        {"OVALMARK_COLOR_MAX", "200"}};
    for (auto [k, v] : mark) velmora::writeProfileString(b, "MARK", k, v);

    const std::string written = readText(dir / "a.ini");
    EXPECT_EQ(written, readText(dir / "b.ini"));
    EXPECT_NE(written.find("ZEROMARK_RATE=0.5\r\n"), std::string::npos);
    EXPECT_NE(written.find("OVALMARK_WIDTH=36\r\n"), std::string::npos);
    EXPECT_NE(written.find("[MULTI]\nQUESTIONS=1\n"), std::string::npos);
}

// A file that already holds the values is not replaced (the same inode
// stays); one changed value replaces it again.
TEST(DefinitionWriteBack, LeavesAFileThatAlreadyReadsSo) {
    const auto dir = freshFolder("writeback-same");
    const auto path = dir / "a.ini";
    writeText(path, "[ZEROMARK]\r\nZEROMARK_RADIUS=14\r\n[MARK]\r\nMARK0=0,0,5,5\r\n");
    SheetDefinition def;
    readSheetDefinition(path.string(), def);
    ASSERT_TRUE(writeBackSheetDefinition(path.string(), def));  // adds the missing keys
    const std::string written = readText(path);
    struct stat first {};
    ASSERT_EQ(::stat(path.c_str(), &first), 0);

    ASSERT_TRUE(writeBackSheetDefinition(path.string(), def));
    struct stat second {};
    ASSERT_EQ(::stat(path.c_str(), &second), 0);
    EXPECT_EQ(second.st_ino, first.st_ino);
    EXPECT_EQ(readText(path), written);

    def.zeroMarkRadius = 15;
    ASSERT_TRUE(writeBackSheetDefinition(path.string(), def));
    struct stat third {};
    ASSERT_EQ(::stat(path.c_str(), &third), 0);
    EXPECT_NE(third.st_ino, first.st_ino);
    EXPECT_NE(readText(path).find("ZEROMARK_RADIUS=15\r\n"), std::string::npos);
}

TEST(DefinitionWriteBack, FailsWithoutAFolderAndLeavesNothing) {
    SheetDefinition def;
    EXPECT_FALSE(writeBackSheetDefinition("/nonexistent/folder/x.ini", def));
    EXPECT_FALSE(writeBackSheetDefinition("", def));
}

}  // namespace
}  // namespace strovik
