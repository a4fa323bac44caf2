// `velmora analyse READVALUES.csv -o OUT.csv [--slips]`: loads a read-values
// file with its key and points, as `score` does, and writes the item
// analysis CSV and report PDF (the survey counts when there is no key),
// with --xlsx also a workbook of every table.
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

#include "reader/core/analysis_files.h"
#include "reader/core/result_table.h"
#include "reader/core/result_workbook.h"
#include "reader/report/analysis_output.h"
#include "tools/velmora/batch_options.h"
#include "tools/velmora/command_guard.h"
#include "tools/velmora/read_values_loader.h"
#include "tools/velmora/result_commands.h"

namespace velmora::cli {
namespace {

/// Qt's own notices (no runtime folder and the like) are diagnostics: shown
/// only with VELMORA_DEBUG set.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("VELMORA_DEBUG")) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

/// The PDF text needs the font database of a GUI application; the
/// offscreen platform serves without a display.
std::unique_ptr<QGuiApplication> guiForDocuments() {
    if (QCoreApplication::instance() != nullptr) return nullptr;
    // Always offscreen: a display named in the environment but not reachable
    // would end the program.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
    static int argc = 1;
    static char name[] = "velmora";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

int analyse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Parsed<AnalyseOptions> parsed = parseAnalyseArguments(args);
    if (const int early = helpOrError(parsed, analyseUsage(), out, err); early >= 0) return early;
    const AnalyseOptions& o = parsed.options;
    HeadlessPrompter prompter(err);
    tarrow::ResultTable table;
    if (!loadReadValuesFile(o.input, o.settings, prompter, table, err)) return kExitUsage;
    const auto app = guiForDocuments();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        // A host process with a non-GUI application object cannot draw text.
        err << "velmora: the PDF documents need a GUI application object\n";
        return kExitInternal;
    }
    const tarrow::ItemAnalysis analysis = tarrow::analyseItems(tarrow::analysisInputOf(table));
    const QString source = QFileInfo(QString::fromStdString(o.input)).fileName();
    const tarrow::AnalysisOutcome saved =
        tarrow::saveAnalysis(analysis, QString::fromStdString(o.output), source, o.slips);
    for (const QString& path : saved.written) out << path.toStdString() << '\n';
    if (!saved.ok) {
        err << "velmora: " << saved.error.toStdString() << '\n';
        return kExitUsage;
    }
    if (o.xlsx) {
        std::vector<tarrow::XlsxTable> sheets = tarrow::resultSheets(table);
        sheets.push_back(tarrow::analysisSheet(analysis));
        const QString book = tarrow::analysisPathsFor(QString::fromStdString(o.output)).workbook;
        QString error;
        if (!tarrow::writeXlsxWorkbook(book, sheets, &error)) {
            err << "velmora: " << error.toStdString() << '\n';
            return kExitUsage;
        }
        out << book.toStdString() << '\n';
    }
    if (o.slips && !analysis.hasKey()) {
        err << "velmora: no question is scored: no slips written\n";
    }
    return kExitOk;
}

}  // namespace

int runAnalyseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return guarded(err, [&] { return analyse(args, out, err); });
}

}  // namespace velmora::cli
