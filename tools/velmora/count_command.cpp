// `velmora count READVALUES.csv -o OUT.csv`: the answers-by-choice file of a
// read-values file, as the result window's count button writes it.
#include "reader/core/result_table.h"
#include "reader/core/save_results.h"
#include "tools/velmora/batch_options.h"
#include "tools/velmora/command_guard.h"
#include "tools/velmora/read_values_loader.h"
#include "tools/velmora/result_commands.h"

namespace velmora::cli {
namespace {

int count(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Parsed<CountOptions> parsed = parseCountArguments(args);
    if (const int early = helpOrError(parsed, countUsage(), out, err); early >= 0) return early;
    const CountOptions& o = parsed.options;
    const tarrow::AppSettings& settings = o.settings;
    HeadlessPrompter prompter(err);
    tarrow::ResultTable table;
    if (!loadReadValuesFile(o.input, settings, prompter, table, err)) return kExitUsage;
    prompter.answerInput(tarrow::InputId::MaxChoices, QString::number(o.maxChoices));
    prompter.setSaveFile(QString::fromStdString(o.output));
    const tarrow::SaveOutcome saved =
        tarrow::saveAnswersByChoice(table, prompter, settings.tenToZero);
    if (saved.status != tarrow::SaveStatus::Saved) {
        err << "velmora: "
            << (saved.error.isEmpty() ? std::string("the answers-by-choice file was not written")
                                      : saved.error.toStdString())
            << '\n';
        return kExitUsage;
    }
    out << saved.answersFile.toStdString() << '\n';
    return kExitOk;
}

}  // namespace

int runCountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return guarded(err, [&] { return count(args, out, err); });
}

}  // namespace velmora::cli
