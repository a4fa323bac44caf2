// Parallel read-ahead replayed through the batch run: the table must be the
// one a sequential run over the same engine answers builds, and any call the
// workers made differently must be noticed.
#include "tools/velmora/sheet_prefetch.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "reader/core/batch_run.h"
#include "tools/velmora/headless_prompter.h"
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

class Prefetched : public ::testing::Test {
protected:
    void SetUp() override {
        definition = QString::fromStdString(tmp.file("sheet.ini"));
        writeFile(tmp.file("sheet.ini"), "[MARK]\r\nMARK000=0,0,10,10\r\n");
        for (const char* name : {"s1.jpg", "bad2.jpg", "hi3.jpg", "s4.jpg", "s1.jpg"}) {
            writeFile(tmp.file(name), "x");
            images << QString::fromStdString(tmp.file(name));
        }
    }

    PrefetchSettings matching() const {
        PrefetchSettings p;
        p.definition = definition;
        p.noMarkedDots = settings.noMarkedPercent.toInt();
        p.multiply1000 = int(settings.multiMarkedThreshold.toDouble() * 1000);
        p.scalePercent = settings.imageScale.toInt();
        p.sharpenRate = settings.sharpenRate.toInt();
        return p;
    }

    tarrow::BatchResult runOver(tarrow::StrovaEngine& engine, tarrow::ResultTable& table,
                                std::ostringstream& err) {
        HeadlessPrompter prompter(err);
        tarrow::BatchRun run(engine, prompter, table, settings);
        tarrow::BatchInputs inputs;
        inputs.inputList = images.join("\r\n");
        inputs.definitionPath = definition;
        return run.run(inputs, false);
    }

    static EngineMaker scripted() {
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

TEST_F(Prefetched, ReplayBuildsTheTableOfASequentialRun) {
    ScriptedStrova direct;
    tarrow::ResultTable expected;
    std::ostringstream directErr;
    const tarrow::BatchResult want = runOver(direct, expected, directErr);
    ASSERT_EQ(want.outcome, tarrow::BatchOutcome::Completed);
    ASSERT_EQ(want.failedSheets, 1);

    Prefetch prefetch;
    std::string error;
    ASSERT_TRUE(prefetchSheets(images, matching(), 3, scripted(), prefetch, error)) << error;
    ASSERT_EQ(prefetch.sheets.size(), 5u);
    EXPECT_EQ(prefetch.sheets[1].runStatus, -3);
    ReplayEngine replay(prefetch, definition);
    tarrow::ResultTable table;
    std::ostringstream replayErr;
    const tarrow::BatchResult got = runOver(replay, table, replayErr);
    EXPECT_FALSE(replay.diverged()) << replay.divergence().toStdString();
    EXPECT_EQ(got.outcome, tarrow::BatchOutcome::Completed);
    EXPECT_EQ(got.failedSheets, 1);
    expectSameGrid(expected.grid(), table.grid());
    expectSameGrid(expected.reli(), table.reli());
    EXPECT_EQ(table.offsetX(), expected.offsetX());
    EXPECT_EQ(table.offsetY(), expected.offsetY());
    EXPECT_EQ(table.sheetPaths(), images);
    // The resolution warning came once, from the replayed answers.
    EXPECT_EQ(replayErr.str(), directErr.str());
    EXPECT_NE(replayErr.str().find("入力画像ファイル=300dpi"), std::string::npos);
}

TEST_F(Prefetched, ASettingTheWorkersUsedDifferentlyIsNoticed) {
    PrefetchSettings other = matching();
    other.scalePercent += 1;
    Prefetch prefetch;
    std::string error;
    ASSERT_TRUE(prefetchSheets(images, other, 2, scripted(), prefetch, error)) << error;
    ReplayEngine replay(prefetch, definition);
    tarrow::ResultTable table;
    std::ostringstream err;
    runOver(replay, table, err);
    EXPECT_TRUE(replay.diverged());
    EXPECT_NE(replay.divergence().indexOf("set_imagescale_rate_percent"), -1)
        << replay.divergence().toStdString();
}

TEST_F(Prefetched, AnImageNotReadAheadOrAnotherDefinitionIsNoticed) {
    Prefetch prefetch;
    std::string error;
    ASSERT_TRUE(prefetchSheets(images.mid(0, 2), matching(), 1, scripted(), prefetch, error));
    ReplayEngine replay(prefetch, definition);
    tarrow::ResultTable table;
    std::ostringstream err;
    runOver(replay, table, err);
    EXPECT_TRUE(replay.diverged());

    ReplayEngine elsewhere(prefetch, definition + ".other");
    elsewhere.putIniFilename(definition.toStdString());
    EXPECT_TRUE(elsewhere.diverged());
}

TEST_F(Prefetched, SheetsThatFailedBesideOthersAreReadAgainAlone) {
    QStringList big;
    for (const char* name : {"big5.jpg", "big6.jpg", "s7.jpg"}) {
        writeFile(tmp.file(name), "x");
        big << QString::fromStdString(tmp.file(name));
    }
    Prefetch prefetch;
    std::string error;
    ASSERT_TRUE(prefetchSheets(big, matching(), 2, scripted(), prefetch, error)) << error;
    for (const PrefetchedSheet& sheet : prefetch.sheets) {
        EXPECT_EQ(sheet.runStatus, 0) << sheet.image.toStdString();
        EXPECT_FALSE(sheet.result.empty());
    }
}

TEST(CropBase, FolderSeparatorAndBaseName) {
    EXPECT_EQ(cropBase("/c", "/x/scan.001.jpg"), "/c/scan.001");
    EXPECT_EQ(cropBase("/c/", "scan.jpg"), "/c/scan");
}

}  // namespace
}  // namespace velmora::cli
