#include "tools/velmora/read_values_loader.h"

#include "reader/core/csv_opener.h"
#include "tools/velmora/image_list.h"

namespace velmora::cli {
bool loadReadValuesFile(const std::string& path, const tarrow::AppSettings& settings,
                        HeadlessPrompter& prompter, tarrow::ResultTable& table, std::ostream& err) {
    if (const std::string problem = notRegularFileProblem(path, "read-values file");
        !problem.empty()) {
        err << "velmora: " << problem << '\n';
        return false;
    }
    const qsizetype messagesBefore = prompter.messages().size();
    const tarrow::CsvOpenResult opened = tarrow::reviewReadValuesFile(
        prompter, prompter, table, settings, QString(), QString::fromStdString(path));
    if (opened.outcome == tarrow::CsvOpenOutcome::Loaded) return true;
    // A refusal that says why (a score file) has been printed already.
    if (prompter.messages().size() > messagesBefore) return false;
    err << "velmora: not a read-values file, or unreadable: " << path << '\n';
    return false;
}

}  // namespace velmora::cli
