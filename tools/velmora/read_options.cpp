#include "tools/velmora/read_options.h"

#include "tools/velmora/command_line.h"

namespace velmora::cli {
namespace {

const char* const kUsage =
    "usage: velmora read -d DEFINITION.ini [-j JOBS] [--dots PERCENT] [--multiply X]\n"
    "                    [--crops DIR] [--debug DIR] IMAGE|FOLDER...\n"
    "       velmora read -d DEFINITION.ini -o OUT.csv [--key READVALUES.csv]\n"
    "                    [--crops DIR] [-j N] [-v] [settings] IMAGE|FOLDER...\n";

const char* const kDescription =
    "Reads every image (a folder stands for the files directly inside it, sorted by\n"
    "name). Without -o it prints one JSON object per image and line, in input\n"
    "order. With -o it runs the batch reading run with the engine component, then\n"
    "saves what the result window's save button saves: OUT-読取値.csv beside\n"
    "OUT.csv, and OUT-採点値.csv when a question is scored. Read errors are then\n"
    "skipped (the sheet becomes an error row); warnings go to stderr.\n";

const char* const kFooter =
    "\n"
    "Without -o the settings --dots, --multiply, --nomark, --faint, --multi-value,\n"
    "--multi-range, --multi-marked and --ten are options (the last six decide\n"
    "\"values\" and \"review\"), and --debug only there; -v and --key only with -o.\n"
    "\n"
    "Exit status: 0 every image read, 1 some image failed, 2 bad usage, an\n"
    "unreadable definition or a file that could not be read or written, 3 internal\n"
    "error.\n";

}  // namespace

ReadWords::ReadWords() : table(kUsage, kDescription, kFooter) {
    const ValueCheck any = ValueCheck::any();
    table.value("-d,--definition", "FILE", "sheet definition file (required)", any, definition);
    outputOption = table.value("-o,--output", "FILE",
                               "names the output files and chooses the batch form; existing "
                               "files are replaced",
                               any, output);
    keyOption = table.value("--key", "FILE",
                            "take the header, answer-key and points rows from this "
                            "read-values file (with -o)",
                            any, key);
    table.value("--crops", "DIR",
                "save image-area crops as DIR/<name>_NNN.jpg (with -o: and the index pages)", any,
                crops);
    debugOption =
        table.value("--debug", "DIR", "save diagnostic images as DIR/debug-<name>.jpg (without -o)",
                    any, debug);
    table.value("-j,--jobs", "N",
                "worker threads, each with its own engine core, 1 to 256 (default 1; more than "
                "twice the processors are capped); a sheet that cannot be loaded beside the "
                "others is read again alone. With -o the run takes their readings in input "
                "order, so the files are the same as with one",
                ValueCheck::whole(1, kMaxJobs), jobs);
    verboseOption =
        table.flag("-v,--verbose", "print the status lines on stderr (with -o)", verbose);
    settings.declare(table);
    table.operands(inputs);
}

std::string ReadWords::optionOfOtherForm(bool batch) const {
    std::vector<const CLI::Option*> others;
    if (batch) {
        others = {debugOption};
    } else {
        others = {outputOption, keyOption, verboseOption};
        for (const CLI::Option* option : settings.options()) {
            if (!settings.inJsonRead(option)) others.push_back(option);
        }
    }
    std::optional<std::size_t> first;
    for (const CLI::Option* option : others) {
        const std::optional<std::size_t> index = table.wordIndex(option);
        if (index && (!first || *index < *first)) first = index;
    }
    return first ? "unknown option '" + table.word(*first) + "'" : std::string();
}

int ReadWords::jobsGiven() const {
    return jobs.empty() ? 1 : int(wholeNumber(jobs).value_or(1));
}

}  // namespace velmora::cli
