#include "common/profile_file.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "common/atomic_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using KeyValues = std::vector<std::pair<std::string, std::string>>;

// Mixed line endings, odd spacing, comments, duplicates and a last line
// without an ending.
const std::string kMixed =
    "; leading comment\r\n"
    "orphan=outside\r\n"
    "[Zeromark]\r\n"
    "  ZeroMark_Radius = 14 \r\n"
    "; ZEROMARK1_X=999\r\n"
    "\tZEROMARK1_X\t=\t272\t\r\n"
    "EXPR=a=b\r\n"
    "zeromark1_x=1\r\n"
    "novalue\r\n"
    "EMPTY=\r\n"
    "\r\n"
    "[MARK]\n"
    "OVALMARK_WIDTH=36\n"
    "\n"
    "[zeromark]\r\n"
    "ZEROMARK_COLOR_MIN=150\r\n"
    "[ SYSTEM ]\r\n"
    "DEBUG=last";

// The layout the definition editor writes, CP932 comment included.
const std::string kEditorFile =
    ";\r\n;\r\n; \x81\x81\x82\xCC\x97\xBC\x91\xA4\x82\xC9\r\n;\r\n;\r\n\r\n"
    "[ZEROMARK]\r\nZEROMARK_RADIUS=14\r\nZEROMARK_RATE=0.500000\r\n\r\n\r\n"
    "[MARK]\r\nOVALMARK_WIDTH=37\r\nMARK0=0,0,100,200\r\n\r\n\r\n"
    "[SYSTEM]\r\nDEBUG=\r\n";

std::string afterSet(std::string text, std::string_view section, std::string_view key,
                     std::string_view value) {
    ProfileText profile(std::move(text));
    profile.setValue(section, key, value);
    return profile.bytes();
}

TEST(ProfileText, ReadsWithPlatformRules) {
    const ProfileText profile(kMixed);
    EXPECT_EQ(profile.value("ZEROMARK", "zeromark_radius"), "14");
    EXPECT_EQ(profile.value("zeroMARK", "ZEROMARK1_X"), "272");  // first of two wins
    EXPECT_EQ(profile.value("ZEROMARK", "EXPR"), "a=b");
    EXPECT_EQ(profile.value("ZEROMARK", "EMPTY"), "");
    EXPECT_FALSE(profile.value("ZEROMARK", "novalue").has_value());
    EXPECT_FALSE(profile.value("ZEROMARK", "; ZEROMARK1_X").has_value());
    // Only the first [ZEROMARK] counts.
    EXPECT_FALSE(profile.value("ZEROMARK", "ZEROMARK_COLOR_MIN").has_value());
    EXPECT_EQ(profile.value("MARK", "OVALMARK_WIDTH"), "36");  // LF-only line
    EXPECT_EQ(profile.value("system", "DEBUG"), "last");
    EXPECT_FALSE(profile.value("", "orphan").has_value());
    EXPECT_FALSE(profile.value("MISSING", "DEBUG").has_value());
    EXPECT_TRUE(profile.hasSection("System"));
    EXPECT_FALSE(profile.hasSection("orphan"));
    EXPECT_FALSE(ProfileText().hasSection(""));

    const ProfileText editor(kEditorFile);
    EXPECT_EQ(editor.value("ZEROMARK", "ZEROMARK_RATE"), "0.500000");
    EXPECT_EQ(editor.value("SYSTEM", "DEBUG"), "");
}

TEST(ProfileText, ReplacingKeepsEveryOtherByte) {
    std::string expected = kMixed;
    expected.replace(expected.find("\tZEROMARK1_X"), 19, "ZeroMark1_X=300");
    EXPECT_EQ(afterSet(kMixed, "zeromark", "ZeroMark1_X", "300"), expected);

    expected = kMixed;
    expected.replace(expected.find("OVALMARK_WIDTH=36\n"), 17, "OVALMARK_WIDTH=40");
    EXPECT_EQ(afterSet(kMixed, "MARK", "OVALMARK_WIDTH", "40"), expected);

    EXPECT_EQ(afterSet(kMixed, "SYSTEM", "DEBUG", "x"),
              kMixed.substr(0, kMixed.size() - 10) + "DEBUG=x");
    EXPECT_EQ(afterSet("[A]\r\nK=1\r\nK=2\r\n", "a", "k", ""), "[A]\r\nk=\r\nK=2\r\n");
}

TEST(ProfileText, AddsKeysAndSections) {
    // After the section's last non-empty line, before the blank separator.
    std::string expected = kMixed;
    expected.insert(expected.find("\r\n[MARK]"), "NEW=1\r\n");
    EXPECT_EQ(afterSet(kMixed, "ZEROMARK", "NEW", "1"), expected);

    expected = kMixed;
    expected.insert(expected.find("\n[zeromark]"), "NEW=2\r\n");
    EXPECT_EQ(afterSet(kMixed, "mark", "NEW", "2"), expected);

    EXPECT_EQ(afterSet(kMixed, "SYSTEM", "DPI_X", "-1"), kMixed + "\r\nDPI_X=-1\r\n");
    EXPECT_EQ(afterSet("[A]\r\n\r\n[B]\r\n", "A", "K", "v"), "[A]\r\nK=v\r\n\r\n[B]\r\n");
    EXPECT_EQ(afterSet("[A]", "A", "K", "v"), "[A]\r\nK=v\r\n");
    EXPECT_EQ(afterSet("[A]\r\n; note\r\n", "A", "K", "v"), "[A]\r\n; note\r\nK=v\r\n");

    EXPECT_EQ(afterSet("", "NEW", "K", "v"), "[NEW]\r\nK=v\r\n");
    EXPECT_EQ(afterSet("x=1", "NEW", "K", "v"), "x=1\r\n[NEW]\r\nK=v\r\n");
    EXPECT_EQ(afterSet("x=1\n", "NEW", "K", "v"), "x=1\n[NEW]\r\nK=v\r\n");
    EXPECT_EQ(afterSet(kMixed, "NEW", "K", "v"), kMixed + "\r\n[NEW]\r\nK=v\r\n");
}

TEST(ProfileText, SetValuesMatchesSingleWrites) {
    ProfileText editor(kEditorFile);
    editor.setValues("ZEROMARK", {{"ZEROMARK_RADIUS", "14"},
                                  {"ZEROMARK_RATE", "0.5"},
                                  {"ZEROMARK1_X", "272"},
                                  {"ZEROMARK1_Y", "3257"}});
    editor.setValues("MARK", {{"OVALMARK_WIDTH", "36"}, {"OVALMARK_COLOR_MIN", "100"}});
    std::string expected = kEditorFile;
    expected.replace(expected.find("0.500000"), 8, "0.5");
    expected.insert(expected.find("\r\n\r\n[MARK]"), "ZEROMARK1_X=272\r\nZEROMARK1_Y=3257\r\n");
    expected.replace(expected.find("WIDTH=37"), 8, "WIDTH=36");
    expected.insert(expected.find("\r\n\r\n[SYSTEM]"), "OVALMARK_COLOR_MIN=100\r\n");
    EXPECT_EQ(editor.bytes(), expected);

    const std::vector<std::string> files = {kMixed, kEditorFile, "", "[A]", "x=1\n[a]\nK=1"};
    const std::vector<std::pair<std::string, KeyValues>> edits = {
        {"ZEROMARK", {{"EMPTY", "e"}, {"NEW1", "1"}, {"zeromark1_x", "5"}, {"new1", "2"}}},
        {"a", {{"K", "9"}, {"L", "8"}, {"M", ""}}},
        {"FRESH", {{"P", "1"}, {"Q", "2"}, {"p", "3"}}},
    };
    for (const auto& file : files) {
        for (const auto& [section, keyValues] : edits) {
            ProfileText batch(file);
            batch.setValues(section, keyValues);
            std::string sequential = file;
            for (const auto& [key, value] : keyValues) {
                sequential = afterSet(sequential, section, key, value);
            }
            EXPECT_EQ(batch.bytes(), sequential) << "file: " << file << "\nsection: " << section;
        }
    }
}

TEST(ProfileText, SectionLinesHonourTheByteLimit) {
    const ProfileText profile(
        "[IMAGEAREA]\r\nA=1\r\n ; comment\r\n\r\n  B = 2  \r\nC=3\r\n[NEXT]\r\nD=4\r\n");
    using Lines = std::vector<std::string>;
    EXPECT_EQ(profile.sectionLines("imagearea"), (Lines{"A=1", "B = 2", "C=3"}));
    // Sizes with terminators: 4, 6, 4.
    EXPECT_EQ(profile.sectionLines("IMAGEAREA", 14), (Lines{"A=1", "B = 2", "C=3"}));
    EXPECT_EQ(profile.sectionLines("IMAGEAREA", 13), (Lines{"A=1", "B = 2"}));
    EXPECT_EQ(profile.sectionLines("IMAGEAREA", 9), (Lines{"A=1"}));
    EXPECT_EQ(profile.sectionLines("IMAGEAREA", 3), Lines{});
    EXPECT_EQ(profile.sectionLines("NEXT"), (Lines{"D=4"}));
    EXPECT_EQ(profile.sectionLines("MISSING"), Lines{});
}

TEST(ProfileText, EveryLineEndReadsAlike) {
    // The editor's file with CR only (old Mac tools) or LF only (Unix tools).
    std::string crOnly;
    std::string lfOnly;
    for (std::size_t i = 0; i < kEditorFile.size(); ++i) {
        if (kEditorFile.compare(i, 2, "\r\n") == 0) {
            crOnly += '\r';
            lfOnly += '\n';
            ++i;
            continue;
        }
        crOnly += kEditorFile[i];
        lfOnly += kEditorFile[i];
    }
    const ProfileText crlf(kEditorFile);
    for (const std::string& text : {crOnly, lfOnly}) {
        const ProfileText other(text);
        EXPECT_EQ(other.value("ZEROMARK", "ZEROMARK_RATE"), "0.500000");
        EXPECT_EQ(other.value("SYSTEM", "DEBUG"), "");
        EXPECT_EQ(other.sectionLines("MARK"), crlf.sectionLines("MARK"));
    }
    // All three kinds in one file; CR LF stays one line end.
    EXPECT_EQ(ProfileText("[MARK]\rMARK0=1\n\rMARK1=2\r\nMARK2=3").sectionLines("MARK"),
              (std::vector<std::string>{"MARK0=1", "MARK1=2", "MARK2=3"}));
    // A write keeps the file's own line ends around the changed line.
    std::string expected = crOnly;
    expected.replace(expected.find("OVALMARK_WIDTH=37"), 17, "OVALMARK_WIDTH=36");
    EXPECT_EQ(afterSet(crOnly, "MARK", "OVALMARK_WIDTH", "36"), expected);
    EXPECT_EQ(afterSet("[A]\rK=1\r", "B", "K", "v"), "[A]\rK=1\r[B]\r\nK=v\r\n");
}

TEST(ProfileNumbers, ParseLikeThePlatform) {
    EXPECT_EQ(parseProfileInt("12abc"), 12);
    EXPECT_EQ(parseProfileInt("-"), 0);
    EXPECT_EQ(parseProfileInt(" -7"), -7);
    EXPECT_EQ(parseProfileInt("\t 42 "), 42);
    EXPECT_EQ(parseProfileInt(""), 0);
    EXPECT_EQ(parseProfileInt("- 5"), 0);
    EXPECT_EQ(parseProfileInt("2147483647"), INT_MAX);
    EXPECT_EQ(parseProfileInt("2147483648"), INT_MAX);
    EXPECT_EQ(parseProfileInt("-2147483648"), INT_MIN);
    EXPECT_EQ(parseProfileInt("-2147483649"), INT_MIN);
    EXPECT_EQ(parseProfileInt("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(parseProfileInt("-000000000000000000003"), -3);

    EXPECT_DOUBLE_EQ(parseProfileReal("0.500000"), 0.5);
    EXPECT_DOUBLE_EQ(parseProfileReal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(parseProfileReal("1e3x"), 1000.0);
    EXPECT_DOUBLE_EQ(parseProfileReal(" -7"), -7.0);
    EXPECT_DOUBLE_EQ(parseProfileReal("12abc"), 12.0);
    EXPECT_DOUBLE_EQ(parseProfileReal("-"), 0.0);
    // The view need not be terminated: digits after it must not be read.
    const std::string longer = "1.25999";
    EXPECT_DOUBLE_EQ(parseProfileReal(std::string_view(longer).substr(0, 4)), 1.25);
}

TEST(ProfileNumbers, RealsIgnoreTheProgramLocale) {
    const std::string previous = setlocale(LC_NUMERIC, nullptr);
    const char* german = setlocale(LC_NUMERIC, "de_DE.UTF-8");
    if (german == nullptr) german = setlocale(LC_NUMERIC, "de_DE");
    if (german == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
    const double value = parseProfileReal("0.5");
    setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_DOUBLE_EQ(value, 0.5);
}

/// A fresh folder per test, removed afterwards.
class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "velmora-profile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
};

TEST_F(ProfileFileTest, ReadsAndWritesFiles) {
    const fs::path file = dir_ / "sheet.ini";
    EXPECT_EQ(ProfileText::load(file).bytes(), "");
    EXPECT_EQ(getProfileString(file, "SYSTEM", "DEBUG", "none"), "none");
    EXPECT_EQ(getProfileInt(file, "ZEROMARK", "ZEROMARK_RADIUS", 14), 14);

    ASSERT_TRUE(writeProfileString(file, "ZEROMARK", "ZEROMARK_RADIUS", "20"));
    EXPECT_EQ(readWholeFile(file), "[ZEROMARK]\r\nZEROMARK_RADIUS=20\r\n");

    ASSERT_TRUE(writeFileAtomically(file, kMixed));
    EXPECT_EQ(ProfileText::load(file).bytes(), kMixed);
    EXPECT_EQ(getProfileString(file, "zeromark", "EXPR", "none"), "a=b");
    EXPECT_EQ(getProfileString(file, "zeromark", "EMPTY", "none"), "");
    EXPECT_EQ(getProfileString(file, "zeromark", "ABSENT", "none"), "none");
    EXPECT_EQ(getProfileInt(file, "zeromark", "zeromark1_x", -1), 272);
    EXPECT_EQ(getProfileInt(file, "zeromark", "EXPR", -1), 0);
    EXPECT_EQ(getProfileInt(file, "zeromark", "EMPTY", -1), -1);

    ASSERT_TRUE(writeProfileString(file, "MARK", "OVALMARK_WIDTH", "40"));
    EXPECT_EQ(readWholeFile(file), afterSet(kMixed, "MARK", "OVALMARK_WIDTH", "40"));

    // Neither a missing folder nor a folder in place of the file is written.
    EXPECT_FALSE(writeProfileString(dir_ / "missing" / "a.ini", "S", "K", "v"));
    EXPECT_FALSE(writeProfileString(dir_, "S", "K", "v"));
    EXPECT_TRUE(fs::is_directory(dir_));
}

TEST_F(ProfileFileTest, LeavesUnreadableFileAlone) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    const fs::path file = dir_ / "locked.ini";
    ASSERT_TRUE(writeFileAtomically(file, "[A]\r\nK=1\r\n"));
    fs::permissions(file, fs::perms::none);
    EXPECT_FALSE(writeProfileString(file, "A", "L", "2"));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(readWholeFile(file), "[A]\r\nK=1\r\n");
}

}  // namespace
}  // namespace velmora
