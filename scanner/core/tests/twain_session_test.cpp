// The TWAIN connection against the fake manager: the exact sequence of
// calls for a feeder of three pages, the source's own cancel before
// scanning, a refused transfer mechanism, a refused selection dialog, a
// refused callback (polling), a cancel and a paper jam at page k, a page
// with a broken header, and what arrives as pages.
#include "scanner/core/twain_session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "common/resolution.h"
#include "scanner/core/page_naming.h"
#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

using testing::BatchRecord;
using testing::pixelAt;
using testing::Rgb;
using testing::runUntil;
using testing::TempFolder;
using Lines = std::vector<std::string>;

constexpr const char* kVariables[] = {
    "FAKE_TWAIN_SOURCES",    "FAKE_TWAIN_PAGES",  "FAKE_TWAIN_USERSELECT",  "FAKE_TWAIN_CALLBACK",
    "FAKE_TWAIN_XFERMECH",   "FAKE_TWAIN_FEEDER", "FAKE_TWAIN_USER_CANCEL", "FAKE_TWAIN_FAULT",
    "FAKE_TWAIN_FAULT_PAGE", "FAKE_TWAIN_PPM",    "FAKE_TWAIN_BITS",        "FAKE_TWAIN_TIFF",
    "FAKE_TWAIN_MEMORY",     "FAKE_TWAIN_HOSTILE"};

// The calls of one connection up to an enabled source with a feeder.
const Lines kOpenWithFeeder = {
    "1 4 301 -> 0 0 3",     // MSG_OPENDSM
    "1 3 401 -> 0 0 4",     // MSG_OPENDS
    "1 10 902 -> 0 0 4",    // MSG_REGISTER_CALLBACK
    "1 1 6:103 -> 0 0 4",   // ICAP_XFERMECH = native
    "1 1 1:1002 -> 0 0 4",  // CAP_FEEDERENABLED is off:
    "1 1 6:1002 -> 0 0 4",  //   turned on
    "1 1 1:1002 -> 0 0 4",  //   and read back
    "1 1 1:1007 -> 0 0 4",  // CAP_AUTOFEED likewise
    "1 1 6:1007 -> 0 0 4", "1 1 1:1007 -> 0 0 4",
};
// Each transfer asks for the image info first: it bounds what is read.
const Lines kTransferMore = {"2 101 1 -> 0 0 6", "2 104 1 -> 6 0 7", "1 8 1 -> 0 0 7",
                             "1 5 701 -> 0 0 6"};
const Lines kTransferLast = {"2 101 1 -> 0 0 6", "2 104 1 -> 6 0 7", "1 8 1 -> 0 0 7",
                             "1 5 701 -> 0 0 5"};
const Lines kClose = {"1 9 501 -> 0 0 4", "1 3 402 -> 0 0 3", "1 4 302 -> 0 0 2"};

Lines joined(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class TwainSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kVariables) ::unsetenv(name);
        ::setenv(TwainLibrary::kOverrideVariable, FAKE_TWAIN_DSM_PATH, 1);
        ::setenv("FAKE_TWAIN_LOG", logPath().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv(TwainLibrary::kOverrideVariable);
        for (const char* name : kVariables) ::unsetenv(name);
        ::unsetenv("FAKE_TWAIN_LOG");
    }
    std::string logPath() const { return (folder_.path() / "calls.log").string(); }
    Lines calls() const {
        Lines lines;
        std::ifstream in(logPath());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    /// Starts a batch and runs it to its end.
    bool scan(BatchRecord& record, const std::string& device = "") {
        BatchRequest request;
        request.device = device;
        if (!session_.start(request, record.events())) return false;
        return runUntil(
            driver_, [&] { return record.finished; }, 10);
    }

    TempFolder folder_;
    ManualEventDriver driver_;
    TwainSession session_{driver_};
};

TEST_F(TwainSessionTest, FeederOfThreePagesGivesThreePagesAndClosesAfterTheLast) {
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    EXPECT_EQ(calls(), joined({kOpenWithFeeder,
                               {"1 9 502 -> 0 0 6"},
                               kTransferMore,
                               kTransferMore,
                               kTransferLast,
                               kClose}));
    ASSERT_EQ(record.pages.size(), 3u);
    EXPECT_EQ(record.result.pages, 3);
    EXPECT_EQ(record.result.error, DeviceError::None);
    EXPECT_FALSE(record.result.cancelled);
    for (int page = 1; page <= 3; ++page) {
        const ScannedPage& p = record.pages[std::size_t(page - 1)];
        EXPECT_EQ(p.pixels.width(), 40);
        EXPECT_EQ(p.pixels.height(), 30);
        EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(p.resolution.yPixelsPerMetre), 300);
        // The fake paints page n with blue n * 50, green (3x + 5y + 40n) & 255.
        EXPECT_EQ(pixelAt(p.pixels, 2, 1).b, page * 50);
        EXPECT_EQ(pixelAt(p.pixels, 2, 1).g, (6 + 5 + 40 * page) & 255);
    }
    EXPECT_FALSE(session_.managerOpen());
    EXPECT_FALSE(session_.running());
}

TEST_F(TwainSessionTest, CallbackFromAnotherThreadGivesTheSameSequence) {
    ::setenv("FAKE_TWAIN_CALLBACK", "thread", 1);
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    EXPECT_TRUE(record.pages.size() == 3u);
    EXPECT_EQ(calls(), joined({kOpenWithFeeder,
                               {"1 9 502 -> 0 0 6"},
                               kTransferMore,
                               kTransferMore,
                               kTransferLast,
                               kClose}));
}

TEST_F(TwainSessionTest, CancelInTheSourceDialogClosesWithoutPages) {
    ::setenv("FAKE_TWAIN_USER_CANCEL", "1", 1);
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    EXPECT_EQ(calls(), joined({kOpenWithFeeder, {"1 9 502 -> 0 0 5"}, kClose}));
    EXPECT_TRUE(record.pages.empty());
    EXPECT_EQ(record.result.error, DeviceError::None);
}

TEST_F(TwainSessionTest, RefusedTransferMechanismClosesAtOnce) {
    ::setenv("FAKE_TWAIN_XFERMECH", "refuse", 1);
    BatchRecord record;
    EXPECT_FALSE(session_.start(BatchRequest{}, record.events()));
    EXPECT_EQ(calls(), (Lines{"1 4 301 -> 0 0 3", "1 3 401 -> 0 0 4", "1 10 902 -> 0 0 4",
                              "1 1 6:103 -> 1 13 4", "1 8 1 -> 0 13 4", "1 3 402 -> 0 0 3",
                              "1 4 302 -> 0 0 2"}));
    EXPECT_FALSE(session_.managerOpen());
    EXPECT_FALSE(record.finished);
}

TEST_F(TwainSessionTest, RefusedCallbackFallsBackToPolling) {
    ::setenv("FAKE_TWAIN_CALLBACK", "refuse", 1);
    ::setenv("FAKE_TWAIN_PAGES", "1", 1);
    BatchRecord record;
    BatchRequest request;
    ASSERT_TRUE(session_.start(request, record.events()));
    EXPECT_FALSE(session_.usesCallback());
    EXPECT_EQ(driver_.timerInterval(), TwainSession::kPollMilliseconds);
    ASSERT_TRUE(runUntil(
        driver_, [&] { return record.finished; }, 10));
    Lines expected = kOpenWithFeeder;
    expected[2] = "1 10 902 -> 1 9 4";
    expected.insert(expected.begin() + 3, "1 8 1 -> 0 9 4");
    EXPECT_EQ(calls(),
              joined({expected, {"1 9 502 -> 0 0 5", "1 2 601 -> 4 0 6"}, kTransferLast, kClose}));
    EXPECT_EQ(record.pages.size(), 1u);
    EXPECT_FALSE(driver_.timerActive());
}

TEST_F(TwainSessionTest, CancelByTheSourceAtPageTwoKeepsPageOne) {
    ::setenv("FAKE_TWAIN_FAULT", "cancel", 1);
    ::setenv("FAKE_TWAIN_FAULT_PAGE", "2", 1);
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    EXPECT_EQ(
        calls(),
        joined({kOpenWithFeeder,
                {"1 9 502 -> 0 0 6"},
                kTransferMore,
                {"2 101 1 -> 0 0 6", "2 104 1 -> 3 0 7", "1 8 1 -> 0 0 7", "1 5 701 -> 0 0 5"},
                kClose}));
    EXPECT_EQ(record.pages.size(), 1u);
    EXPECT_TRUE(record.result.cancelled);
}

TEST_F(TwainSessionTest, PaperJamAtPageThreeIsReportedAsJam) {
    ::setenv("FAKE_TWAIN_PAGES", "4", 1);
    ::setenv("FAKE_TWAIN_FAULT", "jam", 1);
    ::setenv("FAKE_TWAIN_FAULT_PAGE", "3", 1);
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    EXPECT_EQ(
        calls(),
        joined({kOpenWithFeeder,
                {"1 9 502 -> 0 0 6"},
                kTransferMore,
                kTransferMore,
                {"2 101 1 -> 0 0 6", "2 104 1 -> 1 20 6", "1 8 1 -> 0 20 6", "1 5 701 -> 0 0 5"},
                kClose}));
    EXPECT_EQ(record.pages.size(), 2u);
    EXPECT_EQ(record.result.error, DeviceError::Jammed);
    EXPECT_FALSE(record.result.cancelled);
}

TEST_F(TwainSessionTest, CancelFromTheProgramDropsThePendingPages) {
    BatchRecord record;
    record.keepGoing = [](int page) { return page < 1; };  // stop after page 1
    ASSERT_TRUE(scan(record));
    EXPECT_EQ(
        calls(),
        joined({kOpenWithFeeder, {"1 9 502 -> 0 0 6"}, kTransferMore, {"1 5 7 -> 0 0 5"}, kClose}));
    EXPECT_EQ(record.pages.size(), 1u);
    EXPECT_TRUE(record.result.cancelled);
}

TEST_F(TwainSessionTest, CancelWhileTheSourceDialogIsOpen) {
    ::setenv("FAKE_TWAIN_CALLBACK", "refuse", 1);  // no message comes before a poll
    BatchRecord record;
    ASSERT_TRUE(session_.start(BatchRequest{}, record.events()));
    session_.cancel();
    driver_.runPending();
    EXPECT_TRUE(record.finished);
    EXPECT_TRUE(record.result.cancelled);
    const Lines log = calls();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Lines(log.end() - 3, log.end()), kClose);
    EXPECT_FALSE(session_.managerOpen());
}

TEST_F(TwainSessionTest, BrokenPageHeaderIsReportedAndTheOtherPagesKept) {
    ::setenv("FAKE_TWAIN_FAULT", "bogus", 1);
    ::setenv("FAKE_TWAIN_FAULT_PAGE", "2", 1);
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    ASSERT_EQ(record.problems.size(), 1u);
    EXPECT_NE(record.problems[0].find("does not match the source's image info"), std::string::npos);
    ASSERT_EQ(record.pages.size(), 2u);
    EXPECT_EQ(pixelAt(record.pages[1].pixels, 0, 0).b, 150);  // page 3
    EXPECT_EQ(calls().size(),
              joined({kOpenWithFeeder, {""}, kTransferMore, kTransferMore, kTransferLast, kClose})
                  .size());
}

TEST_F(TwainSessionTest, OneBitAndTiffPagesBecomeTwentyFourBitPages) {
    ::setenv("FAKE_TWAIN_PAGES", "1", 1);
    ::setenv("FAKE_TWAIN_BITS", "1", 1);
    ::setenv("FAKE_TWAIN_PPM", "7874", 1);
    BatchRecord bits;
    ASSERT_TRUE(scan(bits));
    ASSERT_EQ(bits.pages.size(), 1u);
    // Page 1 grey at (x, y) is 3x + 5y + 40: below 128 black, else white.
    EXPECT_EQ(pixelAt(bits.pages[0].pixels, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(bits.pages[0].pixels, 30, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(bits.pages[0].resolution.xPixelsPerMetre), 200);

    ::setenv("FAKE_TWAIN_TIFF", "1", 1);
    BatchRecord tiff;
    ASSERT_TRUE(scan(tiff));
    ASSERT_EQ(tiff.pages.size(), 1u);
    EXPECT_EQ(pixelAt(tiff.pages[0].pixels, 2, 1), (Rgb{51, 51, 51}));
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(tiff.pages[0].resolution.yPixelsPerMetre), 200);
}

TEST_F(TwainSessionTest, SourceIsOpenedByItsStoredName) {
    ::setenv("FAKE_TWAIN_SOURCES", "Alpha,Beta", 1);
    ::setenv("FAKE_TWAIN_PAGES", "1", 1);
    BatchRecord known;
    ASSERT_TRUE(scan(known, "Beta"));
    EXPECT_EQ(known.pages.size(), 1u);
    BatchRecord unknown;
    EXPECT_FALSE(session_.start(BatchRequest{"Gamma"}, unknown.events()));
    EXPECT_FALSE(session_.managerOpen());
    EXPECT_EQ(calls().back(), "1 4 302 -> 0 0 2");
}

TEST_F(TwainSessionTest, RefusedSelectionDialogListsTheSourcesForOurOwnDialog) {
    ::setenv("FAKE_TWAIN_SOURCES", "Alpha,Beta", 1);
    std::vector<SourceInfo> offered;
    std::string offeredDefault;
    const auto chosen = session_.selectSource([&](const auto& sources, const std::string& first) {
        offered = sources;
        offeredDefault = first;
        return std::optional<std::string>("Beta");
    });
    EXPECT_EQ(chosen, std::optional<std::string>("Beta"));
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].name, "Alpha");
    EXPECT_EQ(offered[1].name, "Beta");
    EXPECT_EQ(offeredDefault, "Alpha");
    std::vector<SourceInfo> listed;
    session_.listSources([&](std::vector<SourceInfo> sources) { listed = std::move(sources); });
    driver_.runPending();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].description, "Fake Works");
    const Lines log = calls();
    ASSERT_EQ(log.size(), 15u);
    EXPECT_EQ(Lines(log.begin() + 9, log.end()),
              (Lines{"1 4 301 -> 0 0 3", "1 3 4 -> 0 0 3", "1 3 5 -> 0 0 3", "1 3 5 -> 7 0 3",
                     "1 8 1 -> 0 0 3", "1 4 302 -> 0 0 2"}));
    EXPECT_EQ(Lines(log.begin(), log.begin() + 9),
              (Lines{"1 4 301 -> 0 0 3", "1 3 3 -> 0 0 3", "1 3 403 -> 1 9 3", "1 8 1 -> 0 9 3",
                     "1 3 4 -> 0 0 3", "1 3 5 -> 0 0 3", "1 3 5 -> 7 0 3", "1 8 1 -> 0 0 3",
                     "1 4 302 -> 0 0 2"}));
}

TEST_F(TwainSessionTest, SelectionDialogOfTheManagerIsUsedWhenItWorks) {
    ::setenv("FAKE_TWAIN_SOURCES", "Alpha,Beta", 1);
    ::setenv("FAKE_TWAIN_USERSELECT", "ok", 1);
    bool asked = false;
    const auto chooser = [&](const auto&, const std::string&) {
        asked = true;
        return std::optional<std::string>();
    };
    EXPECT_EQ(session_.selectSource(chooser), std::optional<std::string>("Beta"));
    EXPECT_FALSE(asked);
    ::setenv("FAKE_TWAIN_USERSELECT", "cancel", 1);
    EXPECT_EQ(session_.selectSource(chooser), std::nullopt);
    EXPECT_EQ(calls().back(), "1 4 302 -> 0 0 2");
    EXPECT_FALSE(asked);
}

TEST(TwainWithoutManager, SelectAndStartDoNothing) {
    ManualEventDriver driver;
    TwainSession session(driver, [] { return std::unique_ptr<TwainLibrary>(); });
    EXPECT_FALSE(session.managerInstalled());
    EXPECT_EQ(session.selectSource([](const auto&, const auto&) { return std::nullopt; }),
              std::nullopt);
    BatchRecord record;
    EXPECT_FALSE(session.start(BatchRequest{}, record.events()));
    EXPECT_EQ(driver.runPending(), 0);
    EXPECT_FALSE(record.finished);
}

// ---- A manager that cannot be trusted ----

TEST_F(TwainSessionTest, ManagerWithItsOwnMemoryHandlesGivesGoodPagesAndSurvivesALyingHeader) {
    ::setenv("FAKE_TWAIN_MEMORY", "own", 1);
    ::setenv("FAKE_TWAIN_FAULT", "bogus", 1);  // page 2 claims 4000 x 4000 pixels
    ::setenv("FAKE_TWAIN_FAULT_PAGE", "2", 1);
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    ASSERT_EQ(record.pages.size(), 2u);
    EXPECT_EQ(pixelAt(record.pages[0].pixels, 0, 0).b, 50);
    EXPECT_EQ(pixelAt(record.pages[1].pixels, 0, 0).b, 150);
    ASSERT_EQ(record.problems.size(), 1u);
    EXPECT_EQ(record.result.error, DeviceError::None) << "one bad page does not stop the feeder";
}

TEST_F(TwainSessionTest, TiffPageFromAManagerWithItsOwnMemoryIsRead) {
    ::setenv("FAKE_TWAIN_MEMORY", "own", 1);
    ::setenv("FAKE_TWAIN_TIFF", "1", 1);
    ::setenv("FAKE_TWAIN_PAGES", "1", 1);
    BatchRecord record;
    ASSERT_TRUE(scan(record));
    ASSERT_EQ(record.pages.size(), 1u);
    EXPECT_TRUE(record.problems.empty());
}

TEST_F(TwainSessionTest, SourceListThatNeverEndsIsCutAtTheCap) {
    ::setenv("FAKE_TWAIN_HOSTILE", "endless-sources", 1);
    ::unsetenv("FAKE_TWAIN_LOG");
    std::vector<SourceInfo> listed;
    session_.listSources([&](std::vector<SourceInfo> sources) { listed = std::move(sources); });
    driver_.runPending();
    EXPECT_EQ(listed.size(), TwainSession::kMaxSources);
    EXPECT_FALSE(session_.managerOpen());
}

TEST_F(TwainSessionTest, UnreadablePagesWithAStuckPendingCountStopTheFeederAfterThree) {
    for (const char* hostile : {"undecodable", "empty-done"}) {
        ::setenv("FAKE_TWAIN_HOSTILE", hostile, 1);
        ::setenv("FAKE_TWAIN_PAGES", "270000", 1);
        BatchRecord record;
        ASSERT_TRUE(scan(record)) << hostile;
        EXPECT_TRUE(record.pages.empty());
        EXPECT_EQ(record.problems.size(), std::size_t(TwainSession::kMaxUndecodablePages));
        EXPECT_EQ(record.result.error, DeviceError::BadPage);
        EXPECT_EQ(calls().back(), "1 4 302 -> 0 0 2") << "the connection is closed";
        EXPECT_FALSE(session_.running());
    }
}

}  // namespace
}  // namespace fenwary
