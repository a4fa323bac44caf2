// The batch run on parallel workers against the same run on one engine: the
// saved files, the prompts and where they come, the crop folder chosen
// before any crop is named, and a stop taking effect before the next image.
#include "reader/core/worker_source.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "reader/core/batch_run.h"
#include "reader/core/save_results.h"
#include "reader/core/tests/scripted_engine.h"
#include "reader/core/tests/scripted_prompter.h"

namespace tarrow {
namespace {

using testing::ScriptedEngine;
using testing::ScriptedPrompter;

const QString kCrLf = QStringLiteral("\r\n");

/// Notes when the crop folder was answered, slowly, so that workers reach
/// images with image areas before it is.
class SlowFolderPrompter final : public Prompter {
public:
    explicit SlowFolderPrompter(ScriptedPrompter& inner) : inner_(inner) {}

    std::atomic<bool> folderAnswered{false};

    void message(const QString& text, Icon icon) override { inner_.message(text, icon); }
    Answer question(QuestionId id, const QString& text) override {
        return inner_.question(id, text);
    }
    QString chooseFolder(FolderId id, const QString& title, const QString& initial) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        QString chosen = inner_.chooseFolder(id, title, initial);
        folderAnswered = true;
        return chosen;
    }
    QString chooseOpenFile(const QString& title, const QString& filter) override {
        return inner_.chooseOpenFile(title, filter);
    }
    QString chooseSaveFile(const QString& filter, const QString& suffix) override {
        return inner_.chooseSaveFile(filter, suffix);
    }
    std::optional<QString> inputText(InputId id, const QString& title, const QString& prompt,
                                     const QString& text) override {
        return inner_.inputText(id, title, prompt, text);
    }

private:
    ScriptedPrompter& inner_;
};

/// A scripted engine that also counts crop bases named before the folder
/// was answered, over every worker's engine.
class WatchedEngine final : public StrovaEngine {
public:
    WatchedEngine(ScriptedEngine script, const std::atomic<bool>& answered, std::atomic<int>& early,
                  std::atomic<int>& named)
        : script_(std::move(script)), answered_(answered), early_(early), named_(named) {}

    std::optional<int> putImageFilename(std::string_view p) override {
        return script_.putImageFilename(p);
    }
    std::optional<int> putIniFilename(std::string_view p) override {
        return script_.putIniFilename(p);
    }
    std::optional<int> run() override { return script_.run(); }
    std::optional<int> putNotify(int w, int m) override { return script_.putNotify(w, m); }
    std::optional<int> getResult(std::string& r, std::string& l) override {
        return script_.getResult(r, l);
    }
    std::optional<OptionOutputs> putOptions(OptionAction action, int value,
                                            std::string_view text) override {
        if (action == OptionAction::SetImageAreaJpegFile && !text.empty()) {
            ++named_;
            if (!answered_) ++early_;
        }
        return script_.putOptions(action, value, text);
    }

private:
    ScriptedEngine script_;
    const std::atomic<bool>& answered_;
    std::atomic<int>& early_;
    std::atomic<int>& named_;
};

class WorkerSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        definition_ = path("sheet.ini");
        write(definition_, "[MARK]\r\nMARK0=0,0,10,10\r\n");
        script_.editorDpi = 200;
    }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }
    static void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    /// `count` images "s1.jpg" ... with values that differ per sheet.
    QString sheets(int count) {
        QString list;
        for (int i = 1; i <= count; ++i) {
            const QString name = path(QStringLiteral("s%1.jpg").arg(i));
            write(name, "x");
            ScriptedEngine::SheetScript& s = script_.sheets[name];
            s.dpi = 200;
            s.result = QStringLiteral("%1,%2").arg(i % 4 + 1).arg((i * 3) % 5 + 1);
            s.reliability = QStringLiteral("%1.5,0.%2").arg(i * 7).arg(i);
            s.markedCounts = QStringLiteral("1,%1").arg(i % 3);
            s.diffX = i;
            s.diffY = -i;
            list += name + kCrLf;
        }
        return list;
    }
    ScriptedEngine::SheetScript& sheet(int i) {
        return script_.sheets[path(QStringLiteral("s%1.jpg").arg(i))];
    }

    /// One run, on one engine (jobs 0) or on `jobs` workers; the table is
    /// saved as "<base>" in the folder and the prompter's log returned
    /// without the event calls (waiting for workers adds some).
    struct Outcome {
        BatchResult result;
        QByteArray readValues;
        QStringList calls;
        int earlyCrops = 0;
        int namedCrops = 0;
    };
    Outcome runWith(int jobs, const QString& list, std::deque<Prompter::Answer> answers,
                    std::deque<QString> folders, const QString& base,
                    const QString& stopAtStatus = QString()) {
        ScriptedPrompter prompter;
        prompter.answers = std::move(answers);
        prompter.folders = std::move(folders);
        SlowFolderPrompter slow(prompter);
        std::atomic<int> early{0};
        std::atomic<int> named{0};
        const EngineFactory factory = [&]() -> std::unique_ptr<StrovaEngine> {
            return std::make_unique<WatchedEngine>(script_, slow.folderAnswered, early, named);
        };
        ResultTable table;
        AppSettings settings;
        Outcome out;
        {
            std::unique_ptr<StrovaEngine> one;
            std::unique_ptr<SheetSource> source;
            if (jobs == 0) {
                one = factory();
                source = std::make_unique<EngineSource>(*one);
            } else {
                source = std::make_unique<WorkerSource>(factory, jobs,
                                                        [&prompter] { prompter.processEvents(); });
            }
            BatchRun run(*source, slow, prompter, table, settings);
            if (!stopAtStatus.isEmpty()) {
                prompter.onProcessEvents = [&](int) {
                    if (prompter.statuses.last() == stopAtStatus) run.requestStop();
                };
            }
            out.result = run.run(BatchInputs{list, definition_, false}, false);
        }
        out.earlyCrops = early;
        out.namedCrops = named;
        if (out.result.outcome == BatchOutcome::Completed) {
            const SaveOutcome saved = writeResultFiles(table, {dir_.path(), base}, false);
            EXPECT_EQ(saved.status, SaveStatus::Saved);
            out.readValues = read(saved.readValuesFile);
        }
        for (const QString& call : prompter.calls) {
            if (call != QStringLiteral("events")) out.calls << call;
        }
        return out;
    }

    QTemporaryDir dir_;
    QString definition_;
    ScriptedEngine script_;
};

TEST_F(WorkerSourceTest, WorkersGiveTheFilesAndPromptsOfOneEngine) {
    const QString list = sheets(9);
    // A resolution warning at sheet 3 (once), read errors at 5 and 8 (one
    // question, then skipped), image areas from sheet 2 on.
    sheet(3).dpi = 300;
    sheet(6).dpi = 300;
    sheet(5).runStatus = -3;
    sheet(8).runStatus = -3;
    for (int i = 2; i <= 9; ++i) sheet(i).imageAreas = 1;
    sheet(4).multiQuestions = QStringLiteral("1");
    sheet(4).dots = QStringList{QStringLiteral("120,40")};
    const QString crops = path("crops");
    ASSERT_TRUE(QDir().mkdir(crops));

    const Outcome one = runWith(0, list, {Prompter::Answer::Yes}, {crops}, "one");
    ASSERT_EQ(one.result.outcome, BatchOutcome::Completed);
    ASSERT_FALSE(one.readValues.isEmpty());
    for (const int jobs : {1, 2, 3, 8}) {
        SCOPED_TRACE(jobs);
        const Outcome many = runWith(jobs, list, {Prompter::Answer::Yes}, {crops}, "one");
        EXPECT_EQ(many.result.outcome, BatchOutcome::Completed);
        EXPECT_EQ(many.result.failedSheets, 2);
        EXPECT_EQ(many.readValues, one.readValues);
        EXPECT_EQ(many.calls, one.calls);
        EXPECT_EQ(many.namedCrops, 8);  // every sheet with areas, once
        EXPECT_EQ(many.earlyCrops, 0);
    }
    // The prompts come at their image: warning after sheet 3's status, the
    // folder after sheet 2's, the error question after sheet 5's.
    const auto at = [&](const QString& prefix) {
        for (int i = 0; i < one.calls.size(); ++i) {
            if (one.calls[i].startsWith(prefix)) return i;
        }
        return -1;
    };
    EXPECT_LT(at("status: 処理中(2/9)"), at("folder: "));
    EXPECT_LT(at("folder: "), at("status: 処理中(3/9)"));
    EXPECT_LT(at("status: 処理中(3/9)"), at("message: "));
    EXPECT_LT(at("message: "), at("status: 処理中(4/9)"));
    EXPECT_LT(at("status: 処理中(5/9)"), at("question: "));
    EXPECT_LT(at("question: "), at("status: 処理中(6/9)"));
}

TEST_F(WorkerSourceTest, DeclinedCropFolderNamesNoCropAnywhere) {
    const QString list = sheets(6);
    for (int i = 1; i <= 6; ++i) sheet(i).imageAreas = 2;
    sheet(1).dpi = 300;  // the warning and the folder at the same image, in that order
    const Outcome one = runWith(0, list, {}, {}, "one");
    const Outcome many = runWith(4, list, {}, {}, "many");
    ASSERT_EQ(many.result.outcome, BatchOutcome::Completed);
    EXPECT_EQ(many.readValues, one.readValues);
    EXPECT_EQ(many.calls, one.calls);
    EXPECT_EQ(many.namedCrops, 0);
    EXPECT_TRUE(many.result.cropFolder.isEmpty());
}

TEST_F(WorkerSourceTest, StopTakesEffectBeforeTheNextImageIsShown) {
    const QString list = sheets(8);
    const QString second = QStringLiteral("status: 処理中(2/8)... s2.jpg");
    for (const int jobs : {0, 3}) {
        SCOPED_TRACE(jobs);
        const Outcome r = runWith(jobs, list, {}, {}, "x", second.mid(8));
        EXPECT_EQ(r.result.outcome, BatchOutcome::Stopped);
        // Sheet 2 is completed, then the run ends: nothing of sheet 3 shows.
        ASSERT_GE(r.calls.size(), 2);
        EXPECT_EQ(r.calls.last(), QStringLiteral("status: 処理中断"));
        EXPECT_TRUE(r.calls.contains(second));
        EXPECT_TRUE(r.calls.filter(QStringLiteral("(3/8)")).isEmpty());
    }
}

// A run that ends at a read error before any crop folder was chosen leaves
// the workers waiting for one: they must be released without crops.
TEST_F(WorkerSourceTest, NoAfterAReadErrorReleasesWorkersWaitingForAFolder) {
    const QString list = sheets(7);
    sheet(1).runStatus = -3;
    for (int i = 2; i <= 7; ++i) sheet(i).imageAreas = 1;
    const Outcome one = runWith(0, list, {Prompter::Answer::No}, {path("crops")}, "x");
    const Outcome many = runWith(3, list, {Prompter::Answer::No}, {path("crops")}, "x");
    EXPECT_EQ(many.result.outcome, BatchOutcome::Stopped);
    EXPECT_EQ(many.calls, one.calls);
    EXPECT_EQ(many.namedCrops, 0);
    EXPECT_TRUE(many.calls.filter(QStringLiteral("folder: ")).isEmpty());
}

TEST_F(WorkerSourceTest, AnImageListedTwiceGetsItsPromptsEachTime) {
    QString list = sheets(3);
    list += path("s2.jpg") + kCrLf;
    sheet(2).runStatus = -3;
    const Outcome one = runWith(0, list, {Prompter::Answer::Yes}, {}, "one");
    const Outcome many = runWith(2, list, {Prompter::Answer::Yes}, {}, "many");
    ASSERT_EQ(many.result.outcome, BatchOutcome::Completed);
    EXPECT_EQ(many.result.failedSheets, 2);
    EXPECT_EQ(many.readValues, one.readValues);
    EXPECT_EQ(many.calls, one.calls);
}

}  // namespace
}  // namespace tarrow
