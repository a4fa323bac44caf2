// Definition editor benchmark: opening and showing a 600-dpi A4 JPEG, a
// full repaint of the canvas with 10,100 marks and 100 image areas, one
// mouse move while a question is being placed (the figure in progress
// only), and the memory that opening takes against the decoded image. Prints
// each figure beside its target. Runs on the offscreen platform unless told
// otherwise.
//
//   editor_bench
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "bench/bench_support.h"
#include "editor/ui/dravel_doc.h"
#include "editor/ui/qt_editor_prompter.h"
#include "editor/ui/sheet_painter.h"
#include "engine/image/image_loader.h"

namespace {

constexpr int kSheetDpi = 600;
constexpr double kOpenTargetMs = 400.0;
constexpr double kRepaintTargetMs = 30.0;
constexpr double kMoveTargetMs = 5.0;
constexpr double kMemoryTarget = 3.0;
constexpr int kReps = 15;
const QSize kViewport(1280, 1024);

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

/// Dialogs answered OK with the shown values, boxes passed over.
class QuietPrompter final : public dravel::QtEditorPrompter {
public:
    void showMessage(const dravel::Message&) override {}
    dravel::Answer ask(const dravel::Question&) override { return dravel::Answer::No; }
    std::optional<dravel::MarkSettings> editMarkSettings(const dravel::MarkSettings& c) override {
        return c;
    }
    std::optional<int> editZeroMarkRadius(int current) override { return current; }
};

/// A kB figure of /proc/self/status ("VmRSS", "VmHWM").
long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) == 0) return std::stol(line.substr(key.size()));
    }
    return -1;
}

/// Lets the peak figure start again from what the process holds now.
void resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

double msOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

dravel::PaintCache cache;

void paintView(QImage& target, const dravel::CDravelDoc& doc, QPoint scroll, const QRect& exposed,
               dravel::Point pointer = {}) {
    QPainter painter(&target);
    const dravel::SheetScene scene{&doc.picture(), &doc.document().state(), nullptr, pointer,
                                   &cache};
    dravel::paintSheet(painter, scene, scroll, exposed);
}

/// 10,100 marks in 101 questions of 100 choices over the whole page, and 100
/// areas, placed as records the way the editor keeps them.
void fillDefinition(dravel::EditorState& s) {
    const int columns = 100;
    const int rows = dravel::kMaxMarks / columns;
    for (int q = 0; q < rows; ++q) {
        for (int c = 0; c < columns; ++c) {
            const int i = q * columns + c;
            s.marks[std::size_t(i)] = {40 + c * (s.bitmapWidth - 80) / columns,
                                       40 + q * (s.bitmapHeight - 80) / rows, q, c};
        }
        s.setMulti(q, q % 3 == 0);
    }
    s.markCount = rows * columns;
    s.questionCount = rows;
    s.areas.clear();
    for (int a = 0; a < dravel::kMaxAreas; ++a) {
        const int x = 30 + (a % 10) * s.bitmapWidth / 10;
        const int y = 30 + (a / 10) * s.bitmapHeight / 10;
        s.areas.push_back({{dravel::Point{x, y}, dravel::Point{x + 300, y},
                            dravel::Point{x + 300, y + 120}, dravel::Point{x, y + 120}}});
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    const std::string sheet =
        QFile::encodeName(folder.filePath(QStringLiteral("a4-600dpi.jpg"))).toStdString();
    // Rendered in a child, so the memory figure starts from a process that
    // never held a sheet.
    if (const pid_t child = ::fork(); child == 0) {
        bench::SheetRecipe recipe;
        recipe.dpi = kSheetDpi;
        bench::writeSheet(sheet, recipe);
        std::_Exit(0);
    } else if (child < 0 || ::waitpid(child, nullptr, 0) != child) {
        std::printf("could not render the sheet\n");
        return 1;
    }
    QApplication app(argc, argv);

    QuietPrompter prompter;
    dravel::CDravelDoc doc(prompter, dravel::NameSources::system(), nullptr);
    QImage view(kViewport, QImage::Format_ARGB32_Premultiplied);
    const QRect whole(QPoint(0, 0), kViewport);

    // The program's window is up before anything is opened: its fonts are
    // loaded by then.
    {
        QPainter warm(&view);
        warm.drawText(QPoint(10, 10), QStringLiteral("1,1"));
    }
    // Open and show: decoding, the resolution, the picture, the first paint
    // (zero-mark placing starts at divisor 200).
    resetPeak();
    const long baseKb = statusKb("VmRSS");
    const double openMs = msOf([&] {
        doc.document().openDocument(QString::fromStdString(sheet));
        paintView(view, doc, QPoint(0, 0), whole);
    });
    const long peakKb = statusKb("VmHWM");
    // The same file through the engine's decoder alone, and a second open,
    // show how much of the figure the machine's load makes.
    const double decodeMs = bench::medianSeconds(3, [&] { strovik::loadImageFile(sheet); }) * 1e3;
    const double againMs =
        bench::medianSeconds(3,
                             [&] {
                                 doc.document().openDropped(QString::fromStdString(sheet));
                                 paintView(view, doc, QPoint(0, 0), whole);
                             }) *
        1e3;
    const dravel::EditorState& s = doc.document().state();
    const double decodedMb = double(s.bitmapWidth) * s.bitmapHeight * 3 / 1e6;
    const double usedMb = double(peakKb - baseKb) * 1024 / 1e6;
    std::printf("%-44s %8.1f ms  (target < %.0f ms) %s\n", "open and show a 600-dpi A4 JPEG",
                openMs, kOpenTargetMs, verdict(openMs < kOpenTargetMs));
    std::printf("%-44s %8.1f ms  (decoding alone %.1f ms)\n", "  opened again (median of 3)",
                againMs, decodeMs);
    std::printf("%-44s %8.1f MB  decoded %.1f MB (%d x %d)  ratio %.2f  (target < %.2f) %s\n",
                "memory taken by opening", usedMb, decodedMb, s.bitmapWidth, s.bitmapHeight,
                usedMb / decodedMb, kMemoryTarget, verdict(usedMb / decodedMb < kMemoryTarget));

    dravel::EditorState& state = doc.document().state();
    fillDefinition(state);
    state.zeroMarkMode = false;
    state.step = 1;
    state.divisor = 100;
    const QPoint middle(state.bitmapWidth / 2 - kViewport.width() / 2,
                        state.bitmapHeight / 2 - kViewport.height() / 2);
    const double repaintMs =
        bench::medianSeconds(kReps, [&] { paintView(view, doc, middle, whole); }) * 1e3;
    std::printf("%-44s %8.2f ms  (target < %.0f ms) %s\n",
                "full repaint, 10,100 marks, 100 areas, 1:1", repaintMs, kRepaintTargetMs,
                verdict(repaintMs < kRepaintTargetMs));
    state.divisor = dravel::kMaxDivisor;
    const double wholeMs =
        bench::medianSeconds(kReps, [&] { paintView(view, doc, QPoint(0, 0), whole); }) * 1e3;
    std::printf("%-44s %8.2f ms  (every mark on screen; no target)\n",
                "full repaint at divisor 400", wholeMs);

    // A question in progress: the first choice clicked, the pointer moving
    // towards the last; each move repaints what the figure covered and covers.
    state.divisor = 100;
    state.choicesPerQuestion = 10;
    state.markCount = 0;
    state.questionCount = 0;
    const dravel::Point first{state.bitmapWidth / 2, state.bitmapHeight / 2};
    doc.document().placer().leftButtonDown(first, {});
    dravel::Point pointer = first;
    QRect shown;
    int step = 0;
    const double moveMs =
        bench::medianSeconds(kReps * 4,
                             [&] {
                                 pointer = {first.x + 300 + (step++ % 40) * 5, first.y + 3};
                                 doc.document().pointerMoved(pointer);
                                 const QRect now = dravel::clientRect(
                                     state, dravel::inProgressBounds(state, pointer), middle);
                                 paintView(view, doc, middle, (shown | now) & whole, pointer);
                                 shown = now;
                             }) *
        1e3;
    std::printf("%-44s %8.2f ms  (target < %.0f ms) %s\n", "mouse move while placing a question",
                moveMs, kMoveTargetMs, verdict(moveMs < kMoveTargetMs));
    return 0;
}
