// A batch as the window runs it, over the fake TWAIN manager: every page
// saved with the form's values of its moment, an output folder that
// vanishes mid-batch (the feeder stops, the pages so far stay), a jam, and
// a batch without a chosen source.
#include "scanner/core/batch_runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "scanner/core/sane_scanner.h"
#include "scanner/core/tests/scanner_test_support.h"
#include "scanner/core/twain_session.h"

namespace fenwary {
namespace {

using testing::runUntil;
using testing::TempFolder;

class BatchRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"FAKE_TWAIN_PAGES", "FAKE_TWAIN_FAULT", "FAKE_TWAIN_FAULT_PAGE",
                                 "FAKE_TWAIN_CALLBACK", "FAKE_TWAIN_SOURCES"}) {
            ::unsetenv(name);
        }
        ::setenv(TwainLibrary::kOverrideVariable, FAKE_TWAIN_DSM_PATH, 1);
        ::setenv("FAKE_TWAIN_LOG", (log_.path() / "calls.log").c_str(), 1);
        settings_ = ScanSettings::defaults(output_.str());
        settings_.source = SourceChoice{SourceKind::Twain, "Fake Feeder"}.text();
        settings_.prefix = "p";
    }
    void TearDown() override { ::unsetenv(TwainLibrary::kOverrideVariable); }

    /// Runs a batch to its end; the summary it gave.
    BatchSummary run(BatchRunner::Host host = {}) {
        std::optional<BatchSummary> summary;
        host.finished = [&](const BatchSummary& s) { summary = s; };
        EXPECT_TRUE(runner_.start(settings_, std::move(host)));
        EXPECT_TRUE(runUntil(
            driver_, [&] { return summary.has_value(); }, 10));
        EXPECT_FALSE(runner_.running());
        return summary.value_or(BatchSummary{});
    }
    std::string lastCall() const {
        std::ifstream in(log_.path() / "calls.log");
        std::string line, last;
        while (std::getline(in, line)) last = line;
        return last;
    }

    TempFolder output_;
    TempFolder log_;
    ManualEventDriver driver_;
    SaneScanner sane_{driver_};
    TwainSession twain_{driver_};
    BatchRunner runner_{sane_, &twain_};
    ScanSettings settings_;
};

TEST_F(BatchRunnerTest, EveryPageIsSavedWithTheFormValuesOfItsMoment) {
    int formReads = 0;
    std::vector<std::string> statuses;
    BatchRunner::Host host;
    host.readForm = [&](ScanSettings& s) {
        // The user switches to PNG while the second page is on its way; the
        // form keeps it from then on.
        if (++formReads == 2) s.format = ImageFormat::Png;
    };
    host.saved = [&](const SaveOutcome& outcome, const ScanSettings&, ScannedPage&) {
        statuses.push_back(outcome.status);
    };
    const BatchSummary summary = run(host);
    EXPECT_EQ(summary.pagesSaved, 3);
    EXPECT_TRUE(summary.problems.empty());
    EXPECT_EQ(output_.fileNames(),
              (std::vector<std::string>{"p0001.jpg", "p0002.png", "p0003.png"}));
    EXPECT_EQ(statuses, std::vector<std::string>(3, kStatusWritten));
}

TEST_F(BatchRunnerTest, VanishedFolderStopsTheFeederAndKeepsTheSavedPages) {
    ::setenv("FAKE_TWAIN_PAGES", "5", 1);
    BatchRunner::Host host;
    host.saved = [&](const SaveOutcome& outcome, const ScanSettings&, ScannedPage&) {
        if (outcome.written()) std::filesystem::rename(output_.path(), log_.path() / "moved");
    };
    const BatchSummary summary = run(host);
    EXPECT_EQ(summary.pagesSaved, 1);
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_EQ(summary.problems[0], kStatusNoFolder);
    EXPECT_TRUE(summary.device.cancelled);
    EXPECT_TRUE(std::filesystem::exists(log_.path() / "moved/p0001.jpg"));
    EXPECT_EQ(lastCall(), "1 4 302 -> 0 0 2");
    std::filesystem::rename(log_.path() / "moved", output_.path());
}

TEST_F(BatchRunnerTest, JamIsReportedAfterThePagesBeforeIt) {
    ::setenv("FAKE_TWAIN_FAULT", "jam", 1);
    ::setenv("FAKE_TWAIN_FAULT_PAGE", "2", 1);
    const BatchSummary summary = run();
    EXPECT_EQ(summary.pagesSaved, 1);
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_EQ(summary.problems[0], "紙詰まりが発生しました。");
}

TEST_F(BatchRunnerTest, NothingStartsWithoutASource) {
    settings_.source.clear();
    EXPECT_FALSE(runner_.start(settings_, {}));
    settings_.source = "twain:Nobody";
    EXPECT_FALSE(runner_.start(settings_, {}));
    EXPECT_FALSE(runner_.running());
}

}  // namespace
}  // namespace fenwary
