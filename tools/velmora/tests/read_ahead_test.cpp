// Parallel readings taken by the batch run: the table must be the one a
// sequential run over the same engine answers builds, and anything the run
// asks differently from what the workers read must be noticed.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "reader/core/batch_run.h"
#include "tools/velmora/headless_prompter.h"
#include "tools/velmora/read_ahead_source.h"
#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

using testing::TempDir;
using testing::writeFile;

/// Answers like an engine, per image by its file name: "bad" images fail,
/// "hi" images report 300 dpi (the definition 200), the sheet number in the
/// name shifts the values.
class ScriptedStrova final : public tarrow::StrovaEngine {
public:
    int imageAreas = 0;

    std::optional<int> putImageFilename(std::string_view path) override {
        image_ = QFileInfo(QString::fromStdString(std::string(path))).completeBaseName();
        return 0;
    }
    std::optional<int> putIniFilename(std::string_view) override { return 0; }
    /// "big" images take a while and fail to load while another run is
    /// going on, as sheets that need the memory the others hold.
    std::optional<int> run() override {
        const int before = running()++;
        if (image_.contains("big")) std::this_thread::sleep_for(std::chrono::milliseconds(60));
        const bool crowded = before > 0 || running() > 1;
        --running();
        if (image_.contains("big") && crowded) return -2;
        return image_.contains("bad") ? -3 : 0;
    }
    std::optional<int> putNotify(int, int) override { return 0; }
    std::optional<int> getResult(std::string& result, std::string& reliability) override {
        result = QString("%1,-1,10").arg(number()).toStdString();
        reliability = QString("%1.5,0.0,9.0").arg(number()).toStdString();
        return 0;
    }
    std::optional<tarrow::OptionOutputs> putOptions(tarrow::OptionAction action, int value,
                                                    std::string_view valueStr) override {
        using A = tarrow::OptionAction;
        tarrow::OptionOutputs r;
        if (action == A::GetEditorDpiX) r.retValue = 200;
        if (action == A::GetDpiX) r.retValue = valueStr.find("hi") != valueStr.npos ? 300 : 200;
        if (action == A::GetMarkedCounts) r.retValueStr = "1,0,2";
        if (action == A::GetImageAreaCount) r.retValue = imageAreas;
        if (action == A::GetMultiQuestions) r.retValueStr = "1";
        if (action == A::GetMultiDotsPerQuestion && value == 0) {
            r.retValueStr = std::to_string(100 + 30 * number()) + ",40,200";
        }
        if (action == A::ChkRotate) r.retValue = number() % 2;
        if (action == A::GetSkewSize) r.retValue = number() + 2;
        if (action == A::GetDiffZeroX) r.retValue = number();
        if (action == A::GetDiffZeroY) r.retValue = -number();
        return r;
    }

private:
    static std::atomic<int>& running() {
        static std::atomic<int> count{0};
        return count;
    }
    int number() const { return image_.right(1).toInt(); }
    QString image_;
};

class ReadAhead : public ::testing::Test {
protected:
    void SetUp() override {
        definition = QString::fromStdString(tmp.file("sheet.ini"));
        writeFile(tmp.file("sheet.ini"), "[MARK]\r\nMARK000=0,0,10,10\r\n");
        for (const char* name : {"s1.jpg", "bad2.jpg", "hi3.jpg", "s4.jpg", "s1.jpg"}) {
            writeFile(tmp.file(name), "x");
            images << QString::fromStdString(tmp.file(name));
        }
    }

    /// What the run will ask for: each image once, the run's settings.
    tarrow::ParallelJob matching(const QStringList& which, int jobs) const {
        tarrow::ParallelJob job;
        job.settings = *tarrow::readingSettings(settings, definition);
        job.jobs = jobs;
        QStringList unique = which;
        unique.removeDuplicates();
        for (const QString& image : unique) job.requests.push_back({image.toStdString(), {}});
        return job;
    }

    tarrow::BatchResult runOver(tarrow::BatchRun& run) {
        tarrow::BatchInputs inputs;
        inputs.inputList = images.join("\r\n");
        inputs.definitionPath = definition;
        return run.run(inputs, false);
    }

    static tarrow::EngineFactory scripted() {
        return [] { return std::make_unique<ScriptedStrova>(); };
    }

    TempDir tmp;
    QString definition;
    QStringList images;
    tarrow::AppSettings settings;
};

void expectSameGrid(const tarrow::TextGrid& a, const tarrow::TextGrid& b) {
    ASSERT_EQ(a.rows(), b.rows());
    ASSERT_EQ(a.cols(), b.cols());
    for (int c = 0; c < a.cols(); ++c) EXPECT_EQ(a.columnWidth(c), b.columnWidth(c)) << c;
    for (int r = 0; r < a.rows(); ++r) {
        for (int c = 0; c < a.cols(); ++c) {
            EXPECT_EQ(a.text(r, c), b.text(r, c)) << r << "," << c;
            EXPECT_EQ(a.colour(r, c), b.colour(r, c)) << r << "," << c;
        }
    }
}

TEST_F(ReadAhead, ParallelReadingsBuildTheTableOfASequentialRun) {
    ScriptedStrova direct;
    tarrow::ResultTable expected;
    std::ostringstream directErr;
    HeadlessPrompter directPrompter(directErr);
    tarrow::BatchRun sequential(direct, directPrompter, directPrompter, expected, settings);
    const tarrow::BatchResult want = runOver(sequential);
    ASSERT_EQ(want.outcome, tarrow::BatchOutcome::Completed);
    ASSERT_EQ(want.failedSheets, 1);

    tarrow::ParallelReader reader(matching(images, 3), scripted());
    ASSERT_TRUE(reader.reading()) << reader.error();
    ReadAheadSource source(reader);
    tarrow::ResultTable table;
    std::ostringstream err;
    HeadlessPrompter prompter(err);
    tarrow::BatchRun run(source, prompter, prompter, table, settings);
    const tarrow::BatchResult got = runOver(run);
    EXPECT_FALSE(source.diverged()) << source.divergence();
    EXPECT_EQ(got.outcome, tarrow::BatchOutcome::Completed);
    EXPECT_EQ(got.failedSheets, 1);
    expectSameGrid(expected.grid(), table.grid());
    expectSameGrid(expected.reli(), table.reli());
    EXPECT_EQ(table.offsetX(), expected.offsetX());
    EXPECT_EQ(table.offsetY(), expected.offsetY());
    EXPECT_EQ(table.sheetPaths(), images);
    // The resolution warning came once, from the readings made ahead.
    EXPECT_EQ(err.str(), directErr.str());
    EXPECT_NE(err.str().find("入力画像ファイル=300dpi"), std::string::npos);
}

TEST_F(ReadAhead, ASettingTheWorkersUsedDifferentlyIsNoticed) {
    tarrow::ParallelJob other = matching(images, 2);
    other.settings.scalePercent += 1;
    tarrow::ParallelReader reader(std::move(other), scripted());
    ReadAheadSource source(reader);
    tarrow::ResultTable table;
    std::ostringstream err;
    HeadlessPrompter prompter(err);
    tarrow::BatchRun run(source, prompter, prompter, table, settings);
    EXPECT_EQ(runOver(run).outcome, tarrow::BatchOutcome::Failed);
    EXPECT_TRUE(source.diverged());
    EXPECT_EQ(source.divergence(), "different settings");
}

TEST_F(ReadAhead, AnImageNotReadAheadOrAnotherCropFolderIsNoticed) {
    {
        tarrow::ParallelReader reader(matching(images.mid(0, 2), 1), scripted());
        ReadAheadSource source(reader);
        tarrow::ResultTable table;
        std::ostringstream err;
        HeadlessPrompter prompter(err);
        tarrow::BatchRun run(source, prompter, prompter, table, settings);
        EXPECT_EQ(runOver(run).outcome, tarrow::BatchOutcome::Failed);
        EXPECT_NE(source.divergence().find("image not read ahead: "), std::string::npos);
    }
    // The workers cropped into a folder; the run's crop question is answered
    // with none.
    tarrow::ParallelJob cropping = matching(images, 2);
    cropping.cropBase = [](const std::string& image) { return "/c/" + image; };
    tarrow::ParallelReader reader(std::move(cropping), [] {
        auto engine = std::make_unique<ScriptedStrova>();
        engine->imageAreas = 1;
        return engine;
    });
    ReadAheadSource source(reader);
    tarrow::ReadingHooks hooks;
    hooks.cropBase = [] { return std::string(); };
    const tarrow::SheetRequest first = reader.job().requests[0];
    EXPECT_EQ(source.read(reader.job().settings, first, hooks), std::nullopt);
    EXPECT_NE(source.divergence().find("different crop folder"), std::string::npos);
}

TEST_F(ReadAhead, SheetsThatFailedBesideOthersAreReadAgainAlone) {
    QStringList big;
    for (const char* name : {"big5.jpg", "big6.jpg", "s7.jpg"}) {
        writeFile(tmp.file(name), "x");
        big << QString::fromStdString(tmp.file(name));
    }
    tarrow::ParallelReader reader(matching(big, 2), scripted());
    for (std::size_t i = 0; i < 3; ++i) {
        const std::optional<tarrow::SheetReading> reading = reader.take(i);
        ASSERT_TRUE(reading);
        EXPECT_EQ(reading->status, 0) << i;
        EXPECT_FALSE(reading->answers.empty());
    }
}

TEST(CropBase, FolderSeparatorAndBaseName) {
    EXPECT_EQ(tarrow::cropBaseFor("/c", "/x/scan.001.jpg"), "/c/scan.001");
    EXPECT_EQ(tarrow::cropBaseFor("/c/", "scan.jpg"), "/c/scan");
}

}  // namespace
}  // namespace velmora::cli
