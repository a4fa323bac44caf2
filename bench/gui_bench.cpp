// Result window benchmark: a table of 10,000 sheets x 200 questions shown in
// the result window, re-coloured with cmdUpdate and saved, and the number of
// cells the view asks the model for while scrolling. Prints each figure
// beside its target. Runs on the offscreen platform unless told otherwise.
//
//   gui_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <random>

#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/threshold_colouring.h"
#include "reader/ui/app_context.h"
#include "reader/ui/result_table_model.h"
#include "reader/ui/result_window.h"

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
    return 0;
}
