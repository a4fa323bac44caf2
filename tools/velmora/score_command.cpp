// `velmora score READVALUES.csv -o OUT.csv`: loads a read-values file and
// saves it again with its score file, as the result window's save button;
// with --xlsx also as a workbook.
#include <QFileInfo>

#include "reader/core/analysis_files.h"
#include "reader/core/result_table.h"
#include "reader/core/result_workbook.h"
#include "reader/core/save_results.h"
#include "tools/velmora/batch_options.h"
#include "tools/velmora/command_guard.h"
#include "tools/velmora/read_values_loader.h"
#include "tools/velmora/result_commands.h"

namespace velmora::cli {
namespace {

int score(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Parsed<ScoreOptions> parsed = parseScoreArguments(args);
    if (const int early = helpOrError(parsed, scoreUsage(), out, err); early >= 0) return early;
    const ScoreOptions& o = parsed.options;
    const tarrow::AppSettings& settings = o.settings;
    HeadlessPrompter prompter(err);
    tarrow::ResultTable table;
    if (!loadReadValuesFile(o.input, settings, prompter, table, err)) return kExitUsage;
    prompter.setSaveFile(QString::fromStdString(o.output));
    const tarrow::SaveOutcome saved = tarrow::saveResults(table, prompter, settings.transpose);
    if (saved.status != tarrow::SaveStatus::Saved) {
        err << "velmora: " << saved.error.toStdString() << '\n';
        return kExitUsage;
    }
    out << saved.readValuesFile.toStdString() << '\n';
    if (!saved.scoreFile.isEmpty()) out << saved.scoreFile.toStdString() << '\n';
    if (o.xlsx) {
        const QString book =
            tarrow::analysisPathsFor(QFileInfo(QString::fromStdString(o.output)).absoluteFilePath())
                .workbook;
        QString error;
        if (!tarrow::writeXlsxWorkbook(book, tarrow::resultSheets(table), &error)) {
            err << "velmora: " << error.toStdString() << '\n';
            return kExitUsage;
        }
        out << book.toStdString() << '\n';
    }
    return kExitOk;
}

}  // namespace

int runScoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return guarded(err, [&] { return score(args, out, err); });
}

}  // namespace velmora::cli
