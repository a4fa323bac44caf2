// Result window benchmark: a table of 10,000 sheets x 200 questions shown in
// the result window, re-coloured with cmdUpdate and saved, and the number of
// cells the view asks the model for while scrolling; and the main window's
// batch run (its real window feedback, its parallel workers) against
// `velmora read -o -j N` on the same generated sheets, files compared byte
// for byte. Prints each figure beside its target. Runs on the offscreen
// platform unless told otherwise.
//
//   gui_bench [SHEETS_FOR_THE_RUN [JOBS]]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "reader/core/save_results.h"
#include "reader/core/session_engine.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/threshold_colouring.h"
#include "reader/core/worker_source.h"
#include "reader/ui/app_context.h"
#include "reader/ui/main_form.h"
#include "reader/ui/result_table_model.h"
#include "reader/ui/result_window.h"
#include "tools/velmora/batch_read_command.h"

namespace {

constexpr int kSheets = 10000;
constexpr int kQuestions = 200;
constexpr int kChoices = 5;
constexpr double kTargetSeconds = 1.0;
constexpr int kScrollSteps = 20;
constexpr int kKeyedQuestions = 50;
// A view asks for a handful of roles per visible cell (text, colours, font,
// alignment, ...); more than this per visible cell means it reads hidden ones.
constexpr int kMaxCallsPerVisibleCell = 16;
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;
constexpr int kRunSheets = 40;
constexpr int kRunReps = 3;  // median of this many runs each
constexpr double kTargetRatio = 1.15;

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

double secondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

/// Sheets with random choices and densities, a few faint and missing marks.
void fillTable(tarrow::ResultTable& table) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> choice(1, kChoices);
    std::uniform_real_distribution<double> density(1.0, 12.0);
    table.initMarks(QString());
    QStringList paths;
    for (int s = 1; s <= kSheets; ++s) {
        QStringList values, densities, counts;
        for (int q = 0; q < kQuestions; ++q) {
            values << QString::number(choice(random));
            densities << QString::number(density(random), 'f', 1);
            counts << QStringLiteral("1");
        }
        table.storeSheet(s, QStringLiteral("sheet%1.jpg").arg(s), values.join(u','),
                         densities.join(u','), counts.join(u','), 0, 1, true);
        paths << QStringLiteral("/scans/sheet%1.jpg").arg(s);
    }
    table.setSheetPaths(std::move(paths));
    for (int q = 1; q <= kKeyedQuestions; ++q) table.setText(1, q, QStringLiteral("3"));
    tarrow::paintColor(table, tarrow::ThresholdTexts::defaults(), tarrow::PaintOptions{});
}

void settle(QWidget& window) {
    QApplication::processEvents();
    window.repaint();  // paints synchronously, so the time includes drawing
}

struct ScrollFigures {
    double callsPerStep = 0;
    int visibleCells = 0;
};

ScrollFigures measureScrolling(tarrow::ResultWindow& window) {
    auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid"));
    QScrollBar* bar = grid->verticalScrollBar();
    const QRect area = grid->viewport()->rect();
    const QModelIndex topLeft = grid->indexAt(area.topLeft());
    const QModelIndex bottomRight = grid->indexAt(area.bottomRight() - QPoint(1, 1));
    const int lastRow = bottomRight.isValid() ? bottomRight.row() : grid->model()->rowCount() - 1;
    const int lastCol =
        bottomRight.isValid() ? bottomRight.column() : grid->model()->columnCount() - 1;
    ScrollFigures figures;
    figures.visibleCells = (lastRow - topLeft.row() + 1) * (lastCol - topLeft.column() + 1);
    qint64 calls = 0;
    for (int step = 0; step < kScrollSteps; ++step) {
        window.model()->resetDataCalls();
        bar->setValue(bar->value() + bar->pageStep());
        QApplication::processEvents();
        grid->viewport()->repaint();
        calls += window.model()->dataCalls();
    }
    figures.callsPerStep = double(calls) / kScrollSteps;
    return figures;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A settings store kept in memory: the bench leaves the user's alone.
class MemoryBackend final : public tarrow::SettingsBackend {
public:
    std::optional<QString> read(const QString& name) const override {
        const auto it = values_.find(name);
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    bool write(const QString& name, const QString& text) override {
        values_[name] = text;
        return true;
    }

private:
    std::map<QString, QString> values_;
};

/// Seconds of the main window's batch run (start button to the result
/// window shown, then the files written) and the read-values bytes.
double tarrowRunSeconds(tarrow::MainForm& form, const QString& list, const QString& definition,
                        const QString& folder, QByteArray* bytes) {
    form.findChild<QPlainTextEdit*>(QStringLiteral("txtSource"))->setPlainText(list);
    form.findChild<QLineEdit*>(QStringLiteral("txtIniFile"))->setText(definition);
    form.context().table.setSaved(true);
    auto* start = form.findChild<QPushButton*>(QStringLiteral("cmdConvert"));
    tarrow::SaveOutcome saved;
    const double seconds = secondsOf([&] {
        start->click();
        QApplication::processEvents();
        saved = tarrow::writeResultFiles(form.context().table, {folder, QStringLiteral("tarrow")},
                                         false);
    });
    *bytes = fileBytes(saved.readValuesFile);
    return seconds;
}

/// Seconds of `velmora read -o -j N` in this process, and its bytes.
double commandRunSeconds(const std::vector<std::string>& args, const QString& output,
                         QByteArray* bytes) {
    velmora::cli::BatchEngines engines;
    engines.component = [](std::string&) -> std::unique_ptr<tarrow::StrovaEngine> {
        return std::make_unique<tarrow::SessionEngine>();
    };
    engines.worker = [] { return std::make_unique<tarrow::SessionEngine>(); };
    std::ostringstream out, err;
    int status = 0;
    const double seconds =
        secondsOf([&] { status = velmora::cli::runBatchReadCommand(args, out, err, engines); });
    if (status != 0) std::printf("  (velmora read: %s)\n", err.str().c_str());
    // The first line printed names the read-values file written.
    const std::string written = out.str().substr(0, out.str().find('\n'));
    *bytes = fileBytes(written.empty() ? output : QString::fromStdString(written));
    return seconds;
}

void batchFigures(const QString& folder, int sheets, int jobs) {
    namespace fs = std::filesystem;
    const fs::path work = fs::path(folder.toStdString()) / "run";
    fs::create_directories(work);
    bench::SheetRecipe recipe;
    const std::string definition = bench::writeDefinition(work, recipe);
    std::vector<std::string> images;
    QStringList list;
    for (int i = 0; i < sheets; ++i) {
        recipe.seed = 300 + unsigned(i);
        images.push_back(bench::writeSheet(work / ("sheet" + std::to_string(i) + ".jpg"), recipe));
        list << QString::fromStdString(images.back());
    }
    const QString output = QString::fromStdString((work / "cli.csv").string());
    std::vector<std::string> args{"-d", definition,          "-o", output.toStdString(),
                                  "-j", std::to_string(jobs)};
    args.insert(args.end(), images.begin(), images.end());

    tarrow::testing::ScriptedPrompter prompter;
    // The crop folder question is cancelled each run: the command writes none.
    for (int rep = 0; rep < kRunReps; ++rep) prompter.folders.push_back(QString());
    tarrow::MainForm::StartUp startUp;
    startUp.prompter = &prompter;
    startUp.settingsBackend = std::make_unique<MemoryBackend>();
    startUp.documentsFolder = folder;
    startUp.createEngine = [](QString*) -> std::unique_ptr<tarrow::StrovaEngine> {
        return std::make_unique<tarrow::SessionEngine>();
    };
    startUp.workerEngine = [] { return std::make_unique<tarrow::SessionEngine>(); };
    startUp.workers = jobs;
    tarrow::MainForm form(std::move(startUp));
    form.show();
    QApplication::processEvents();

    std::vector<double> window, command;
    QByteArray windowBytes, commandBytes;
    for (int rep = 0; rep < kRunReps; ++rep) {
        window.push_back(tarrowRunSeconds(form, list.join(u'\n'),
                                          QString::fromStdString(definition),
                                          QString::fromStdString(work.string()), &windowBytes));
        command.push_back(commandRunSeconds(args, output, &commandBytes));
    }
    form.context().table.setSaved(true);  // no close question
    const double w = median(window);
    const double c = median(command);
    const double ratio = c > 0 ? w / c : 0.0;
    const bool same = !windowBytes.isEmpty() && windowBytes == commandBytes;
    std::printf("batch of %d sheets, %d workers: window %.3f s, velmora read -o -j %d %.3f s\n",
                sheets, jobs, w, jobs, c);
    std::printf("window run / command run  %7.3f     target <= %.2f   %s\n", ratio, kTargetRatio,
                verdict(ratio <= kTargetRatio));
    std::printf("read-values files         %s\n", same ? "identical" : "DIFFERENT");
    if (!same) {
        const QList<QByteArray> a = windowBytes.split('\n');
        const QList<QByteArray> b = commandBytes.split('\n');
        for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
            const QByteArray x = a.value(i);
            const QByteArray y = b.value(i);
            if (x == y) continue;
            std::printf("  first difference, line %d:\n  window:  %.120s\n  command: %.120s\n",
                        int(i + 1), x.constData(), y.constData());
            break;
        }
    }
    if (!prompter.unanswered.isEmpty()) {
        std::printf("  (unexpected question: %s)\n", qPrintable(prompter.unanswered.first()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "gui_bench: no temporary folder\n");
        return 1;
    }

    tarrow::AppContext context;
    const double fillSeconds = secondsOf([&] { fillTable(context.table); });
    std::printf("table of %d sheets x %d questions filled in %.2f s (setup, no target)\n", kSheets,
                kQuestions, fillSeconds);

    tarrow::testing::ScriptedPrompter prompter;
    tarrow::ResultWindow window(context, prompter, prompter);
    window.resize(kWindowWidth, kWindowHeight);

    const double showSeconds = secondsOf([&] {
        window.showResults();
        settle(window);
    });
    window.resize(kWindowWidth, kWindowHeight);
    settle(window);

    auto* noMark = window.findChild<QLineEdit*>(QStringLiteral("txtNoMarkValue"));
    auto* update = window.findChild<QPushButton*>(QStringLiteral("cmdUpdate"));
    noMark->setText(QStringLiteral("2.5"));
    const double updateSeconds = secondsOf([&] {
        update->click();
        settle(window);
    });

    auto* save = window.findChild<QPushButton*>(QStringLiteral("cmdSave"));
    const QString target = folder.filePath(QStringLiteral("bench.csv"));
    prompter.saveFiles.push_back(target);
    save->click();  // first save creates the files
    prompter.saveFiles.push_back(target);
    prompter.answers.push_back(tarrow::Prompter::Answer::Yes);
    prompter.answers.push_back(tarrow::Prompter::Answer::Yes);
    const double saveSeconds = secondsOf([&] {
        save->click();
        settle(window);
    });
    const bool saved = window.saved() && prompter.unanswered.isEmpty();

    const ScrollFigures scroll = measureScrolling(window);
    const double tableCells = double(kSheets + 3) * (kQuestions + 3);
    const bool scrollOk =
        scroll.visibleCells > 0 &&
        scroll.callsPerStep <= double(kMaxCallsPerVisibleCell) * scroll.visibleCells;

    std::printf("show result window      %7.3f s   target < %.1f s   %s\n", showSeconds,
                kTargetSeconds, verdict(showSeconds < kTargetSeconds));
    std::printf("cmdUpdate (re-colour)   %7.3f s   target < %.1f s   %s\n", updateSeconds,
                kTargetSeconds, verdict(updateSeconds < kTargetSeconds));
    std::printf("save, overwrite = Yes   %7.3f s   target < %.1f s   %s%s\n", saveSeconds,
                kTargetSeconds, verdict(saveSeconds < kTargetSeconds && saved),
                saved ? "" : " (not saved)");
    std::printf(
        "scroll: %.0f data() calls per page step for %d visible cells "
        "(%.1f per cell; table has %.0f cells)   target <= %d per visible cell   %s\n",
        scroll.callsPerStep, scroll.visibleCells,
        scroll.visibleCells > 0 ? scroll.callsPerStep / scroll.visibleCells : 0.0, tableCells,
        kMaxCallsPerVisibleCell, verdict(scrollOk));
    context.table.setSaved(true);  // no close question at exit

    const int runSheets = argc > 1 ? std::max(1, std::atoi(argv[1])) : kRunSheets;
    const int jobs = argc > 2 ? std::max(1, std::atoi(argv[2])) : tarrow::processorCount();
    batchFigures(folder.path(), runSheets, jobs);
    return 0;
}
