// No sheet that went through the feeder is lost and no earlier file is
// changed: a 20-sheet stack scanned into a folder that already holds files,
// with a full disk at page 5 (the page is kept and saved elsewhere) and the
// program stopped at page 12, ends with every sheet on disk once and the
// stored counter right for the next batch. Also: SANE feeds no further
// sheet after a failed write, and replacing a prefix-only file is asked
// once per batch.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "scanner/core/batch_runner.h"
#include "scanner/core/sane_scanner.h"
#include "scanner/core/tests/scanner_test_support.h"
#include "scanner/core/twain_session.h"

namespace fenwary {
namespace {

using testing::readBytes;
using testing::runUntil;
using testing::TempFolder;

/// The real encoder, except that its `failAt`-th call fails as a full disk.
PageEncoder diskFullAt(int failAt, int& calls) {
    return [failAt, &calls](const std::string& path, const strovik::Raster& pixels,
                            const PageWriteOptions& options, WriteFailure& failure) {
        if (++calls == failAt) {
            failure.reason = "write failed";
            failure.errorNumber = ENOSPC;
            return false;
        }
        return encodePage(path, pixels, options, failure);
    };
}

class BatchPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::usePrivateSaneConfig(); }

    void SetUp() override {
        for (const char* name : {"FAKE_TWAIN_FAULT", "FAKE_TWAIN_FAULT_PAGE", "FAKE_TWAIN_CALLBACK",
                                 "FAKE_TWAIN_SOURCES", "FAKE_TWAIN_LOG", "FAKE_TWAIN_HOSTILE"}) {
            ::unsetenv(name);
        }
        ::setenv(TwainLibrary::kOverrideVariable, FAKE_TWAIN_DSM_PATH, 1);
        settings_ = ScanSettings::defaults(output_.str());
        settings_.source = SourceChoice{SourceKind::Twain, "Fake Feeder"}.text();
        settings_.prefix = "p";
    }
    void TearDown() override {
        ::unsetenv(TwainLibrary::kOverrideVariable);
        ::unsetenv("FAKE_TWAIN_PAGES");
        ::unsetenv("FAKE_TWAIN_HOSTILE");
    }

    BatchSummary run(BatchRunner& runner, BatchRunner::Host host) {
        std::optional<BatchSummary> summary;
        host.finished = [&](const BatchSummary& s) { summary = s; };
        EXPECT_TRUE(runner.start(settings_, std::move(host)));
        EXPECT_TRUE(runUntil(
            driver_, [&] { return summary.has_value(); }, 20));
        return summary.value_or(BatchSummary{});
    }

    void writeText(const std::string& name, const std::string& text) {
        std::ofstream(output_.path() / name, std::ios::binary) << text;
    }

    TempFolder output_;
    TempFolder elsewhere_;
    TempFolder config_;
    ManualEventDriver driver_;
    SaneScanner sane_{driver_};
    TwainSession twain_{driver_};
    ScanSettings settings_;
};

TEST_F(BatchPagesTest, StackWithFullDiskAndStopLosesNoSheetAndChangesNoEarlierFile) {
    writeText("p0003.jpg", "earlier 3");
    writeText("p0010.jpg", "earlier 10");
    velmora::SettingsStore store(config_.path());
    int encodes = 0;
    BatchRunner runner(sane_, &twain_, PageSaver(localTimeNow, diskFullAt(5, encodes)));

    // First pass: the disk is full at page 5; the feeder stops there.
    ::setenv("FAKE_TWAIN_PAGES", "20", 1);
    BatchRunner::Host host;
    host.store = &store;
    std::vector<std::uint32_t> storedAfterPage;
    host.saved = [&](const SaveOutcome& outcome, const ScanSettings&, ScannedPage&) {
        if (outcome.written()) storedAfterPage.push_back(loadSettings(store, "").counter);
    };
    const BatchSummary first = run(runner, host);
    EXPECT_EQ(first.pagesSaved, 4);
    EXPECT_EQ(first.pagesUnsaved, 1);
    EXPECT_EQ(first.device.pages, 5) << "no sheet is pulled after the failed one";
    EXPECT_EQ(storedAfterPage, (std::vector<std::uint32_t>{2, 3, 5, 6}));
    ASSERT_EQ(first.problems.size(), 1u);
    EXPECT_EQ(first.problems[0], std::string(kCannotSavePage) + "\n" + output_.str() +
                                     "/p0006.jpg\nディスクの空き容量が不足しています");
    ASSERT_EQ(runner.unsavedPages().size(), 1u);

    const RescueResult rescue = runner.saveUnsavedTo(elsewhere_.str());
    EXPECT_EQ(rescue.saved, 1);
    EXPECT_TRUE(rescue.problem.empty());
    EXPECT_TRUE(runner.unsavedPages().empty());
    EXPECT_EQ(elsewhere_.fileNames(), std::vector<std::string>{"p0006.jpg"});

    // Second pass over the 15 sheets left, stopped at sheet 12 (the 7th of
    // this pass) as the program's end does: the page in hand is saved.
    ::setenv("FAKE_TWAIN_PAGES", "15", 1);
    settings_.counter = loadSettings(store, "").counter;
    int secondPages = 0;
    host.saved = [&](const SaveOutcome& outcome, const ScanSettings&, ScannedPage&) {
        if (outcome.written() && ++secondPages == 7) runner.cancel();
    };
    const BatchSummary second = run(runner, host);
    EXPECT_EQ(second.pagesSaved, 7);
    EXPECT_EQ(second.device.pages, 7);
    EXPECT_TRUE(second.problems.empty());

    EXPECT_EQ(
        output_.fileNames(),
        (std::vector<std::string>{"p0001.jpg", "p0002.jpg", "p0003.jpg", "p0004.jpg", "p0005.jpg",
                                  "p0006.jpg", "p0007.jpg", "p0008.jpg", "p0009.jpg", "p0010.jpg",
                                  "p0011.jpg", "p0012.jpg", "p0013.jpg"}));
    const auto bytes = readBytes(output_.path() / "p0003.jpg");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "earlier 3");
    const auto ten = readBytes(output_.path() / "p0010.jpg");
    EXPECT_EQ(std::string(ten.begin(), ten.end()), "earlier 10");
    EXPECT_EQ(loadSettings(store, "").counter, 14u) << "the next batch starts after p0013";
}

TEST_F(BatchPagesTest, SaneFeedsNoFurtherSheetAfterAFailedWrite) {
    settings_.source = SourceChoice{SourceKind::Sane, "test:0"}.text();
    settings_.saneFeeder = true;
    settings_.saneResolution = 50;
    int encodes = 0;
    BatchRunner runner(sane_, &twain_, PageSaver(localTimeNow, diskFullAt(2, encodes)));
    const BatchSummary summary = run(runner, {});
    EXPECT_EQ(summary.pagesSaved, 1);
    EXPECT_EQ(summary.pagesUnsaved, 1);
    EXPECT_EQ(summary.device.pages, 2);
    ASSERT_EQ(summary.problems.size(), 1u) << "one message for the one failed page";
    EXPECT_EQ(runner.unsavedPages().size(), 1u);
    EXPECT_EQ(runner.unsavedPages()[0].intendedPath, output_.str() + "/p0002.jpg");
}

TEST_F(BatchPagesTest, ReplacingAPrefixOnlyFileIsAskedOncePerBatch) {
    settings_.useCounter = false;
    settings_.prefix = "sheet";
    ::setenv("FAKE_TWAIN_PAGES", "3", 1);
    BatchRunner runner(sane_, &twain_);
    for (const bool answer : {false, true}) {
        writeText("sheet.jpg", "kept");
        int asked = 0;
        BatchRunner::Host host;
        host.confirmReplace = [&](const std::string&) {
            ++asked;
            return answer;
        };
        EXPECT_EQ(run(runner, host).pagesSaved, 3);
        EXPECT_EQ(asked, 1) << answer;
    }
    // Refused: the three pages got their own names; allowed: the one file.
    EXPECT_EQ(output_.fileNames(), (std::vector<std::string>{"sheet.jpg", "sheet_02.jpg",
                                                             "sheet_03.jpg", "sheet_04.jpg"}));
    const auto bytes = readBytes(output_.path() / "sheet.jpg");
    EXPECT_NE(std::string(bytes.begin(), bytes.end()), "kept");
}

TEST_F(BatchPagesTest, ProblemsOfAHostileSourceAreSummedUpByKind) {
    ::setenv("FAKE_TWAIN_HOSTILE", "undecodable", 1);
    ::setenv("FAKE_TWAIN_PAGES", "270000", 1);
    BatchRunner runner(sane_, &twain_);
    const BatchSummary summary = run(runner, {});
    EXPECT_EQ(summary.pagesSaved, 0);
    ASSERT_EQ(summary.problems.size(), 2u) << "one line for the pages, one for the stop";
    EXPECT_EQ(summary.problems[0].rfind(deviceErrorText(DeviceError::BadPage) + "（3 ページ）", 0),
              0u)
        << summary.problems[0];
    EXPECT_TRUE(output_.fileNames().empty());
}

}  // namespace
}  // namespace fenwary
