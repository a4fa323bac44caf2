// Reading-application core benchmark: a result table of 10,000 sheets x 200
// questions filled through the table's storing functions, then re-evaluated,
// written, read back and scored; and the batch run's cost over the engine's
// own reading time on generated sheets. Prints each figure beside its target.
//
//   reader_bench [SHEETS_FOR_THE_RUN]
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/recognition/engine_session.h"
#include "reader/core/batch_run.h"
#include "reader/core/engine_client.h"
#include "reader/core/result_files.h"
#include "reader/core/result_table.h"
#include "reader/core/session_engine.h"
#include "reader/core/threshold_colouring.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSheets = 10000;
constexpr int kQuestions = 200;
constexpr int kChoices = 5;
constexpr int kMultiEvery = 20;  // every 20th question takes several answers
constexpr int kRunReps = 5;      // median of this many runs over the generated sheets

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Resident set size of this process in kB (VmRSS).
long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6);
    }
    return 0;
}

/// A small deterministic generator, so every run fills the same table.
struct Lcg {
    unsigned state = 12345;
    unsigned next(unsigned bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % bound;
    }
};

struct SheetStrings {
    QString result, reliability, marked;
    QStringList multiQuestions, dots;
};

/// What the engine would report for one sheet: answers, densities with a
/// few faint and empty ones, marked counts, and dot strings.
SheetStrings syntheticSheet(Lcg& rng) {
    QStringList result, reliability, marked;
    SheetStrings s;
    for (int q = 0; q < kQuestions; ++q) {
        const bool multi = q % kMultiEvery == kMultiEvery - 1;
        const unsigned density = rng.next(60);  // tenths: 0.0 .. 5.9
        result << (multi || density < 15 ? QStringLiteral("-1")
                                         : QString::number(1 + rng.next(kChoices)));
        reliability << (multi
                            ? QStringLiteral("0.0")
                            : QString::number(density / 10) + u'.' + QString::number(density % 10));
        marked << QString::number(rng.next(3));
        if (multi) {
            QStringList dots;
            for (int c = 0; c < kChoices; ++c) dots << QString::number(rng.next(300));
            s.multiQuestions << QString::number(q);
            s.dots << dots.join(u',');
        }
    }
    s.result = result.join(u',');
    s.reliability = reliability.join(u',');
    s.marked = marked.join(u',');
    return s;
}

void fillTable(tarrow::ResultTable& table) {
    Lcg rng;
    table.initMarks(QString());
    QStringList paths;
    for (int s = 1; s <= kSheets; ++s) {
        const SheetStrings sheet = syntheticSheet(rng);
        const QString label = QStringLiteral("scan%1.jpg").arg(s, 5, 10, QLatin1Char('0'));
        paths << QStringLiteral("/scans/") + label;
        table.storeSheet(s, label, sheet.result, sheet.reliability, sheet.marked, 0, 3, true);
        table.storeMultiAnswerData(s, sheet.multiQuestions, sheet.dots);
    }
    table.setSheetPaths(std::move(paths));
    table.resetOffsets();
}

void printRow(const char* what, double value, const char* unit, double target, bool ok) {
    std::printf("%-44s %9.3f %-3s (target < %g %s) %s\n", what, value, unit, target, unit,
                verdict(ok));
}

void tableFigures(const fs::path& work) {
    const long before = residentKb();
    tarrow::ResultTable table;
    const double fill = secondsOf([&] { fillTable(table); });
    const double rssGb = double(residentKb() - before) / (1024.0 * 1024.0);
    std::printf("table of %d sheets x %d questions filled in %.2f s\n", kSheets, kQuestions, fill);
    printRow("memory of the table (RSS growth)", rssGb, "GB", 1.0, rssGb < 1.0);

    const tarrow::ThresholdTexts thresholds = tarrow::ThresholdTexts::defaults();
    const tarrow::PaintOptions options{true, true};
    const double paint = secondsOf([&] { tarrow::paintColor(table, thresholds, options); });
    printRow("paintColor", paint, "s", 1.0, paint < 1.0);

    const QString values = QString::fromStdString((work / "bench-読取値.csv").string());
    bool written = false;
    const double write =
        secondsOf([&] { written = tarrow::writeReadValues(table, values, false); });
    printRow("writing the read-values CSV", write, "s", 1.0, written && write < 1.0);

    tarrow::ResultTable loaded;
    int lines = 0;
    const double read =
        secondsOf([&] { tarrow::loadReadValues(loaded, values, QString(), true, &lines); });
    printRow("reading it back", read, "s", 2.0, lines == kSheets && read < 2.0);

    for (int c = 1; c <= kQuestions; ++c) {
        table.setText(tarrow::ResultTable::kKeyRow, c, QString::number(1 + c % kChoices));
    }
    const QString score = QString::fromStdString((work / "bench-採点値.csv").string());
    const double scoring =
        secondsOf([&] { written = tarrow::writeScoreFile(table, score, false); });
    printRow("writing the score file", scoring, "s", 1.0, written && scoring < 1.0);
}

/// Answers nothing and shows nothing: the run's own work only.
class SilentPrompter final : public tarrow::Prompter, public tarrow::RunFeedback {
public:
    void message(const QString&, Icon) override {}
    Answer question(tarrow::QuestionId, const QString&) override { return Answer::Yes; }
    QString chooseFolder(tarrow::FolderId, const QString&, const QString& = QString()) override {
        return {};
    }
    QString chooseOpenFile(const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&) override { return {}; }
    std::optional<QString> inputText(tarrow::InputId, const QString&, const QString&,
                                     const QString&) override {
        return std::nullopt;
    }
    void setStatus(const QString&) override {}
};

/// The engine alone, with the options the run gives it: the definition and
/// the thresholds once, then per sheet the image and Run.
double engineSeconds(const std::string& definition, const std::vector<std::string>& images) {
    const tarrow::AppSettings settings;
    strovik::EngineCore core;
    strovik::EngineSession session(core);
    strovik::OptionOutputs out;
    session.putIniFilename(definition);
    using strovik::OptionAction;
    session.putOptions(OptionAction::SetNoMarkMin1000, 0, "", out);
    session.putOptions(OptionAction::SetNoMarkMinDots, settings.noMarkedPercent.toInt(), "", out);
    session.putOptions(OptionAction::SetMultiMarkedMultiply1000,
                       int(settings.multiMarkedThreshold.toDouble() * 1000), "", out);
    return secondsOf([&] {
        for (const std::string& image : images) {
            session.putImageFilename(image);
            session.run();
        }
    });
}

double batchRunSeconds(tarrow::StrovaEngine& engine, const std::string& definition,
                       const std::vector<std::string>& images) {
    SilentPrompter prompter;
    tarrow::ResultTable table;
    const tarrow::AppSettings settings;
    tarrow::BatchRun run(engine, prompter, prompter, table, settings);
    tarrow::BatchInputs inputs;
    QStringList list;
    for (const std::string& image : images) list << QString::fromStdString(image);
    inputs.inputList = list.join(QStringLiteral("\r\n"));
    inputs.definitionPath = QString::fromStdString(definition);
    tarrow::BatchResult result;
    const double seconds = secondsOf([&] { result = run.run(inputs, false); });
    if (result.outcome != tarrow::BatchOutcome::Completed || result.failedSheets != 0) {
        std::printf("  (warning: the batch run did not read every sheet)\n");
    }
    return seconds;
}

void runOverhead(const fs::path& work, int sheets) {
    const fs::path folder = work / "run";
    fs::create_directories(folder);
    bench::SheetRecipe recipe;
    const std::string definition = bench::writeDefinition(folder, recipe);
    std::vector<std::string> images;
    for (int i = 0; i < sheets; ++i) {
        recipe.seed = 200 + unsigned(i);
        images.push_back(
            bench::writeSheet(folder / ("sheet" + std::to_string(i) + ".jpg"), recipe));
    }
    tarrow::SessionEngine session;
    QString why;
    const std::unique_ptr<tarrow::EngineClient> component = tarrow::EngineClient::create(&why);
    if (!component) std::printf("  (component not available: %s)\n", qPrintable(why));
    // Alternate the runs so that caches and the clock treat them alike.
    std::vector<double> engine, batch, viaComponent;
    for (int rep = 0; rep < kRunReps; ++rep) {
        engine.push_back(engineSeconds(definition, images));
        batch.push_back(batchRunSeconds(session, definition, images));
        if (component) viaComponent.push_back(batchRunSeconds(*component, definition, images));
    }
    const double e = median(engine) / sheets;
    const double b = median(batch) / sheets;
    const double overhead = (b - e) / e * 100.0;
    std::printf("%d sheets: engine %.1f ms a sheet, batch run %.1f ms a sheet\n", sheets, e * 1e3,
                b * 1e3);
    printRow("batch run over the engine's own time", overhead, "%", 5.0, overhead < 5.0);
    if (component) {
        const double c = median(viaComponent) / sheets;
        const double viaOverhead = (c - e) / e * 100.0;
        std::printf("%d sheets through the component: %.1f ms a sheet\n", sheets, c * 1e3);
        printRow("  the same through the component", viaOverhead, "%", 5.0, viaOverhead < 5.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int sheets = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const fs::path work = fs::temp_directory_path() / "velmora-reader-bench";
    fs::remove_all(work);
    fs::create_directories(work);
    tableFigures(work);
    runOverhead(work, sheets);
    fs::remove_all(work);
    return 0;
}
