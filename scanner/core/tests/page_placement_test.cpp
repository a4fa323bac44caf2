// A page never lands on a name something else holds: counter names taken
// by earlier scans (also after the counter wraps) move the counter on, a
// symbolic link is never followed or replaced, a prefix-only name replaces
// its file only when allowed, and a failed write names its file and cause.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "scanner/core/page_saver.h"
#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

using testing::readBytes;
using testing::TempFolder;

ScannedPage smallPage() {
    return ScannedPage{testing::patternRaster(16, 12), PageResolution{7874, 7874}};
}

std::tm noon() {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mday = 8;
    t.tm_hour = 12;
    return t;
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::filesystem::path& path) {
    const auto bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

/// An encoder that fails like a system call with `errorNumber`.
PageEncoder failingWith(int errorNumber) {
    return [errorNumber](const std::string&, const strovik::Raster&, const PageWriteOptions&,
                         WriteFailure& failure) {
        failure.reason = "write failed";
        failure.errorNumber = errorNumber;
        return false;
    };
}

class PagePlacementTest : public ::testing::Test {
protected:
    ScanSettings counterSettings(std::uint32_t counter) const {
        ScanSettings s = ScanSettings::defaults(folder_.str());
        s.counter = counter;
        return s;
    }
    TempFolder folder_;
    TempFolder outside_;
    PageSaver saver_{noon};
};

TEST_F(PagePlacementTest, TakenCounterNamesAreSkippedAndReportedAndKeepTheirContent) {
    writeText(folder_.path() / "0003.jpg", "earlier scan 3");
    writeText(folder_.path() / "0004.jpg", "earlier scan 4");
    ScanSettings s = counterSettings(2);
    ASSERT_TRUE(saver_.save(smallPage(), s).written());
    EXPECT_EQ(s.counter, 3u);
    const SaveOutcome outcome = saver_.save(smallPage(), s);
    ASSERT_TRUE(outcome.written());
    EXPECT_EQ(outcome.path, folder_.str() + "/0005.jpg");
    EXPECT_EQ(outcome.skippedCounters, (std::vector<std::uint32_t>{3, 4}));
    EXPECT_NE(outcome.status.find("0003, 0004"), std::string::npos) << outcome.status;
    EXPECT_EQ(s.counter, 6u) << "the counter goes on from the value used";
    EXPECT_EQ(readText(folder_.path() / "0003.jpg"), "earlier scan 3");
    EXPECT_EQ(readText(folder_.path() / "0004.jpg"), "earlier scan 4");
}

TEST_F(PagePlacementTest, WrappedFourDigitCounterNeverOverwritesTheFirstPages) {
    ScanSettings s = counterSettings(1);
    for (int page = 0; page < 2; ++page) ASSERT_TRUE(saver_.save(smallPage(), s).written());
    const auto first = readBytes(folder_.path() / "0001.jpg");
    s.counter = 9999;
    ASSERT_TRUE(saver_.save(smallPage(), s).written());                        // 9999
    EXPECT_EQ(saver_.save(smallPage(), s).path, folder_.str() + "/0000.jpg");  // 10000
    const SaveOutcome wrapped = saver_.save(smallPage(), s);                   // 10001 -> "0001"
    EXPECT_EQ(wrapped.path, folder_.str() + "/0003.jpg");
    EXPECT_EQ(wrapped.skippedCounters, (std::vector<std::uint32_t>{10001, 10002}));
    EXPECT_EQ(readBytes(folder_.path() / "0001.jpg"), first);
    EXPECT_EQ(folder_.fileNames().size(), 5u);
}

TEST_F(PagePlacementTest, SymbolicLinksAreNeverFollowedOrReplaced) {
    const auto victim = outside_.path() / "victim.txt";
    writeText(victim, "not a scan");
    std::filesystem::create_symlink(victim, folder_.path() / "0001.jpg");
    std::filesystem::create_symlink(outside_.path() / "missing", folder_.path() / "0002.jpg");
    std::filesystem::create_symlink(victim, folder_.path() / "sheet.jpg");
    ScanSettings s = counterSettings(1);
    EXPECT_EQ(saver_.save(smallPage(), s).path, folder_.str() + "/0003.jpg");
    EXPECT_EQ(readText(victim), "not a scan");
    EXPECT_FALSE(std::filesystem::exists(outside_.path() / "missing"));

    // Even an allowed replacement leaves a link alone.
    s.useCounter = false;
    s.prefix = "sheet";
    const SaveOutcome outcome =
        saver_.save(smallPage(), s, nullptr, [](const std::string&) { return true; });
    EXPECT_EQ(outcome.path, folder_.str() + "/sheet_02.jpg");
    EXPECT_TRUE(std::filesystem::is_symlink(folder_.path() / "sheet.jpg"));
    EXPECT_EQ(readText(victim), "not a scan");
}

TEST_F(PagePlacementTest, PrefixNameReplacesItsFileOnlyWhenAllowed) {
    writeText(folder_.path() / "sheet.jpg", "kept");
    ScanSettings s = counterSettings(1);
    s.useCounter = false;
    s.prefix = "sheet";
    std::vector<std::string> asked;
    const auto refuse = [&](const std::string& path) {
        asked.push_back(path);
        return false;
    };
    EXPECT_EQ(saver_.save(smallPage(), s, nullptr, refuse).path, folder_.str() + "/sheet_02.jpg");
    EXPECT_EQ(saver_.save(smallPage(), s).path, folder_.str() + "/sheet_03.jpg");
    EXPECT_EQ(readText(folder_.path() / "sheet.jpg"), "kept");
    EXPECT_EQ(asked, std::vector<std::string>{folder_.str() + "/sheet.jpg"});

    const SaveOutcome replaced =
        saver_.save(smallPage(), s, nullptr, [](const std::string&) { return true; });
    EXPECT_EQ(replaced.path, folder_.str() + "/sheet.jpg");
    EXPECT_NE(readText(folder_.path() / "sheet.jpg"), "kept");
}

TEST_F(PagePlacementTest, FailedWriteNamesTheFileAndTheCauseAndLeavesNothingBehind) {
    const struct {
        int errorNumber;
        const char* cause;
    } cases[] = {{ENOSPC, "ディスクの空き容量が不足しています"},
                 {EACCES, "書き込み権限がありません"},
                 {EROFS, "書き込み権限がありません"}};
    for (const auto& c : cases) {
        PageSaver failing(noon, failingWith(c.errorNumber));
        ScanSettings s = counterSettings(7);
        const SaveOutcome outcome = failing.save(smallPage(), s);
        EXPECT_EQ(outcome.result, SaveOutcome::Result::WriteFailed);
        EXPECT_EQ(outcome.failureMessage(), folder_.str() + "/0007.jpg\n" + c.cause);
        EXPECT_EQ(s.counter, 7u);
        EXPECT_TRUE(folder_.fileNames().empty()) << "no temporary file left";
    }
}

}  // namespace
}  // namespace fenwary
