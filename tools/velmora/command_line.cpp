#include "tools/velmora/command_line.h"

#include <cmath>
#include <optional>

#include "tools/velmora/batch_options.h"
#include "tools/velmora/read_options.h"

namespace velmora::cli {
namespace {

constexpr double kMultiplyScale = 1000.0;

ParsedRead fail(std::string message) {
    ParsedRead r;
    r.kind = ParsedRead::Kind::Error;
    r.error = std::move(message);
    return r;
}

}  // namespace

ParsedRead parseReadArguments(const std::vector<std::string>& args) {
    ReadWords w;
    const OptionTable::Outcome outcome = w.table.parse(args);
    if (outcome.kind == OptionTable::Outcome::Kind::Help) {
        ParsedRead help;
        help.kind = ParsedRead::Kind::Help;
        return help;
    }
    if (outcome.kind == OptionTable::Outcome::Kind::Error) return fail(outcome.error);
    if (const std::string wrong = w.optionOfOtherForm(false); !wrong.empty()) return fail(wrong);
    if (w.definition.empty()) return fail("missing -d DEFINITION");
    if (w.inputs.empty()) return fail("no images given");

    ParsedRead result;
    ReadOptions& o = result.options;
    tarrow::AppSettings settings;
    w.settings.applyTo(settings);
    o.definition = w.definition;
    o.jobs = w.jobsGiven();
    o.dots = int(wholeNumber(settings.noMarkedPercent.toStdString()).value_or(0));
    o.multiply1000 = static_cast<int>(std::lround(
        realNumber(settings.multiMarkedThreshold.toStdString()).value_or(0.0) * kMultiplyScale));
    o.cropsDir = w.crops;
    o.debugDir = w.debug;
    o.inputs = w.inputs;
    o.review = settings;
    result.kind = ParsedRead::Kind::Options;
    return result;
}

std::string toolUsage() {
    return "usage: velmora COMMAND [ARGS...]\n"
           "\n"
           "commands:\n"
           "  read    read answer sheet images against a sheet definition (JSON lines,\n"
           "          or with -o the batch run saved as read-values and score files)\n"
           "  score   save a read-values file again with its score file\n"
           "  count   write the answers-by-choice file of a read-values file\n"
           "  rename  copy the sheet images under names made from their read values\n"
           "  split   split PDF and multi-page TIFF files into one image per page\n"
           "  analyse item analysis, report and slips of a scored read-values file\n"
           "  propose draft a sheet definition from the print of one sheet image\n"
           "\n"
           "Run 'velmora COMMAND --help' for the options of a command.\n"
           "\n"
           "Exit status of score, count and rename: 0 success, 2 bad usage or a file\n"
           "that could not be read or written, 3 internal error.\n";
}

std::string readUsage() {
    return ReadWords().table.help();
}

}  // namespace velmora::cli
