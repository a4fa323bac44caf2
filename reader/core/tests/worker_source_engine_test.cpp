// The batch run on parallel workers with the real engine core, against the
// same run on one engine: generated sheets with an image area, one at
// another resolution and one broken file; the read-values file and every
// crop must be the same bytes, the prompts the same.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "reader/core/batch_run.h"
#include "reader/core/save_results.h"
#include "reader/core/session_engine.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/worker_source.h"
#include "tools/sheetgen/sheet_generator.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class WorkerEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        sheetgen::LayoutParams params;
        params.dpi = 200;
        params.questions = 12;
        params.choices = 4;
        params.imageAreas = 1;
        params.multiQuestions = {5};
        layout_ = sheetgen::makeLayout(params);
        ASSERT_TRUE(QDir().mkpath(path("imgs")));
        for (int i = 0; i < 6; ++i) {
            const auto answers = sheetgen::randomAnswers(layout_, 70u + std::uint32_t(i));
            sheetgen::Distortion d;
            d.shiftX = 3 * i;
            d.shiftY = -2 * i;
            const auto image = sheetgen::renderSheet(layout_, answers, d, 5u + std::uint32_t(i));
            const QString name = path(QStringLiteral("imgs/sheet%1.jpg").arg(i));
            // Sheet 2 records another resolution: one warning, at sheet 2.
            const int dpi = i == 2 ? 300 : 200;
            ASSERT_TRUE(
                sheetgen::saveImage(name.toStdString(), image, sheetgen::Format::Jpeg, dpi, 90));
            list_ += name + QStringLiteral("\r\n");
            if (i == 3) {
                QFile broken(path("imgs/broken.jpg"));
                ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
                broken.write("\xff\xd8 truncated");
                list_ += broken.fileName() + QStringLiteral("\r\n");
            }
        }
    }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }

    struct Outcome {
        BatchResult result;
        QByteArray readValues;
        QStringList calls;
    };
    /// One run with its crops in `crops` (jobs 0: one engine).
    Outcome runWith(int jobs, const QString& crops) {
        // The engine writes keys back into the definition: each run starts
        // from the same file.
        const QString definition = path("sheet.ini");
        QFile def(definition);
        EXPECT_TRUE(def.open(QIODevice::WriteOnly | QIODevice::Truncate));
        def.write(QByteArray::fromStdString(sheetgen::definitionText(layout_)));
        def.close();
        EXPECT_TRUE(QDir().mkpath(crops));

        ScriptedPrompter prompter;
        prompter.answers.push_back(Prompter::Answer::Yes);  // skip read errors
        prompter.folders.push_back(crops);
        ResultTable table;
        AppSettings settings;
        Outcome out;
        {
            SessionEngine one;
            std::unique_ptr<SheetSource> source;
            if (jobs == 0) {
                source = std::make_unique<EngineSource>(one);
            } else {
                source =
                    std::make_unique<WorkerSource>([] { return std::make_unique<SessionEngine>(); },
                                                   jobs, [&prompter] { prompter.processEvents(); });
            }
            BatchRun run(*source, prompter, prompter, table, settings);
            out.result = run.run(BatchInputs{list_, definition, false}, false);
        }
        const SaveOutcome saved = writeResultFiles(table, {crops, QStringLiteral("r")}, false);
        EXPECT_EQ(saved.status, SaveStatus::Saved);
        out.readValues = bytesOf(saved.readValuesFile);
        for (const QString& call : prompter.calls) {
            if (call != QStringLiteral("events")) out.calls << call;
        }
        return out;
    }

    QTemporaryDir dir_;
    sheetgen::Layout layout_;
    QString list_;
};

TEST_F(WorkerEngineTest, WorkersWriteTheFilesOfOneEngine) {
    const Outcome one = runWith(0, path("one"));
    ASSERT_EQ(one.result.outcome, BatchOutcome::Completed);
    EXPECT_EQ(one.result.failedSheets, 1);
    ASSERT_FALSE(one.readValues.isEmpty());
    const QStringList crops =
        QDir(path("one")).entryList({QStringLiteral("sheet*.jpg")}, QDir::Files, QDir::Name);
    ASSERT_EQ(crops.size(), 6);  // one image area on each readable sheet
    for (const int jobs : {2, 4}) {
        SCOPED_TRACE(jobs);
        const QString folder = path(QStringLiteral("many%1").arg(jobs));
        const Outcome many = runWith(jobs, folder);
        EXPECT_EQ(many.result.outcome, BatchOutcome::Completed);
        EXPECT_EQ(many.readValues, one.readValues);
        EXPECT_EQ(many.calls, one.calls);
        EXPECT_EQ(QDir(folder).entryList({QStringLiteral("sheet*.jpg")}, QDir::Files, QDir::Name),
                  crops);
        for (const QString& crop : crops) {
            EXPECT_EQ(bytesOf(folder + u'/' + crop), bytesOf(path("one/") + crop))
                << crop.toStdString();
        }
    }
    // The warning came at sheet 2, the error question at the broken file.
    EXPECT_EQ(one.calls.filter(QStringLiteral("message: ")).size(), 1);
    EXPECT_EQ(one.calls.filter(QStringLiteral("question: ")).size(), 1);
}

}  // namespace
}  // namespace tarrow
