#include "tools/velmora/batch_options.h"

#include <optional>

#include "tools/velmora/read_options.h"

namespace velmora::cli {
namespace {

const char* const kFileExit =
    "\n"
    "Exit status: 0 success, 2 bad usage or a file that could not be read or\n"
    "written, 3 internal error.\n";

template <typename Options>
Parsed<Options> failed(std::string message) {
    Parsed<Options> p;
    p.kind = Parsed<Options>::Kind::Error;
    p.error = std::move(message);
    return p;
}

/// Help or an error from the table, or nullopt to go on.
template <typename Options>
std::optional<Parsed<Options>> early(const OptionTable::Outcome& outcome) {
    if (outcome.kind == OptionTable::Outcome::Kind::Options) return std::nullopt;
    if (outcome.kind == OptionTable::Outcome::Kind::Error) return failed<Options>(outcome.error);
    Parsed<Options> help;
    help.kind = Parsed<Options>::Kind::Help;
    return help;
}

std::string oneOperand(const std::vector<std::string>& operands, std::string& to,
                       const char* what) {
    if (operands.empty()) return std::string("missing ") + what;
    if (operands.size() > 1) return "unexpected argument '" + operands[1] + "'";
    to = operands.front();
    return {};
}

/// The checks of the commands that turn one read-values file into -o OUTPUT.
std::string outputAndReadValues(const std::string& output, const std::vector<std::string>& operands,
                                std::string& input) {
    if (output.empty()) return "missing -o OUTPUT";
    return oneOperand(operands, input, "read-values file");
}

template <typename Options>
Parsed<Options> finished(Options options, const std::string& error) {
    if (!error.empty()) return failed<Options>(error);
    Parsed<Options> p;
    p.kind = Parsed<Options>::Kind::Options;
    p.options = std::move(options);
    return p;
}

/// A result-file command: its own options, then the settings, then the
/// read-values file.
struct FileCommand {
    FileCommand(const char* usage, const char* description)
        : table(usage, description, kFileExit) {}
    /// Declares the settings and the operands after the command's options.
    void finishDeclaring() {
        settings.declare(table);
        table.operands(operands);
    }

    std::string output;
    std::vector<std::string> operands;
    SettingsOptions settings;
    OptionTable table;
};

struct ScoreCommand : FileCommand {
    ScoreCommand()
        : FileCommand("usage: velmora score READVALUES.csv -o OUT.csv [--xlsx] [settings]\n",
                      "Loads a read-values file as the reading application opens one and saves "
                      "it\nagain as OUT-読取値.csv, with OUT-採点値.csv when a question is "
                      "scored.\n") {
        table.value("-o,--output", "FILE", "names the output files (required)", ValueCheck::any(),
                    output);
        table.flag("--xlsx", "also write OUT.xlsx, one sheet per file", xlsx);
        finishDeclaring();
    }
    std::optional<bool> xlsx;
};

struct CountCommand : FileCommand {
    CountCommand()
        : FileCommand(
              "usage: velmora count READVALUES.csv -o OUT.csv [--max-choices M] [settings]\n",
              "Writes the answers-by-choice file OUT-回答別.csv of a read-values file.\n") {
        table.value("-o,--output", "FILE", "names the output file (required)", ValueCheck::any(),
                    output);
        table.value("--max-choices", "M",
                    "choices counted per question, 1 to 1000 (default " +
                        std::to_string(kDefaultMaxChoices) + ")",
                    ValueCheck::whole(1, kMaxChoicesLimit), maxChoices);
        finishDeclaring();
    }
    std::string maxChoices;
};

struct RenameCommand : FileCommand {
    RenameCommand()
        : FileCommand(
              "usage: velmora rename READVALUES.csv --images FOLDER --to FOLDER --pattern P\n"
              "                      [--prefix A] [--postfix B] [--log-dir DIR] [--overwrite]\n"
              "                      [settings]\n",
              "Copies every sheet's image from the images folder into the target folder\n"
              "under a name built from its read values, and logs each copy in log.txt.\n"
              "A name that already exists there (from an earlier run, or two sheets giving\n"
              "the same name) stops the run with status 2 unless --overwrite is given.\n"
              "Sheet names that are not plain file names are refused.\n") {
        const ValueCheck any = ValueCheck::any();
        table.value("--images", "FOLDER", "folder of the scanned images (required)", any,
                    options.images);
        table.value("--to", "FOLDER", "folder the copies go to (required)", any, options.to);
        table.value("--pattern", "P",
                    "column numbers separated by commas (0 = the image name); any other token "
                    "is copied as it is (required)",
                    any, options.pattern);
        table.value("--prefix", "A", "text before the name", any, options.prefix);
        table.value("--postfix", "B", "text after the name (before \".jpg\")", any,
                    options.postfix);
        table.value("--log-dir", "DIR",
                    "folder of log.txt (default: the documents folder's \"velmora\" subfolder)",
                    any, options.logDir);
        table.flag("--overwrite", "replace existing files in the target folder", overwrite);
        finishDeclaring();
    }
    RenameOptions options;
    std::optional<bool> overwrite;
};

struct AnalyseCommand : FileCommand {
    AnalyseCommand()
        : FileCommand(
              "usage: velmora analyse READVALUES.csv -o OUT.csv [--slips] [--xlsx] [settings]\n",
              "Loads a read-values file with its key and points and writes the item\n"
              "analysis OUT-設問分析.csv and the report OUT-分析.pdf; without a key,\n"
              "the survey counts OUT-アンケート集計.csv and .pdf. Failed sheets are\n"
              "left out and counted.\n") {
        table.value("-o,--output", "FILE", "names the output files (required)", ValueCheck::any(),
                    output);
        table.flag("--slips", "also write one slip per student, OUT-個人票.pdf", slips);
        table.flag("--xlsx", "also write OUT.xlsx: read values, scores and the analysis", xlsx);
        finishDeclaring();
    }
    std::optional<bool> slips;
    std::optional<bool> xlsx;
};

}  // namespace

bool hasOutputOption(const std::vector<std::string>& args) {
    ReadWords w;
    w.table.parse(args);
    return w.table.given(w.outputOption);
}

Parsed<BatchReadOptions> parseBatchReadArguments(const std::vector<std::string>& args) {
    ReadWords w;
    if (auto stop = early<BatchReadOptions>(w.table.parse(args))) return *stop;
    BatchReadOptions o;
    o.definition = w.definition;
    o.output = w.output;
    o.key = w.key;
    o.cropsDir = w.crops;
    o.jobs = w.jobsGiven();
    o.verbose = w.verbose.value_or(false);
    w.settings.applyTo(o.settings);
    o.inputs = w.inputs;
    std::string error = w.optionOfOtherForm(true);
    if (error.empty() && o.definition.empty()) error = "missing -d DEFINITION";
    if (error.empty() && o.output.empty()) error = "missing -o OUTPUT";
    if (error.empty() && o.inputs.empty()) error = "no images given";
    return finished(std::move(o), error);
}

Parsed<ScoreOptions> parseScoreArguments(const std::vector<std::string>& args) {
    ScoreCommand c;
    if (auto stop = early<ScoreOptions>(c.table.parse(args))) return *stop;
    ScoreOptions o;
    o.output = c.output;
    o.xlsx = c.xlsx.value_or(false);
    c.settings.applyTo(o.settings);
    const std::string error = outputAndReadValues(o.output, c.operands, o.input);
    return finished(std::move(o), error);
}

Parsed<CountOptions> parseCountArguments(const std::vector<std::string>& args) {
    CountCommand c;
    if (auto stop = early<CountOptions>(c.table.parse(args))) return *stop;
    CountOptions o;
    o.output = c.output;
    if (!c.maxChoices.empty()) o.maxChoices = int(wholeNumber(c.maxChoices).value_or(0));
    c.settings.applyTo(o.settings);
    const std::string error = outputAndReadValues(o.output, c.operands, o.input);
    return finished(std::move(o), error);
}

Parsed<RenameOptions> parseRenameArguments(const std::vector<std::string>& args) {
    RenameCommand c;
    if (auto stop = early<RenameOptions>(c.table.parse(args))) return *stop;
    RenameOptions o = c.options;
    o.overwrite = c.overwrite.value_or(false);
    c.settings.applyTo(o.settings);
    std::string error;
    if (o.images.empty()) error = "missing --images FOLDER";
    if (error.empty() && o.to.empty()) error = "missing --to FOLDER";
    if (error.empty() && o.pattern.empty()) error = "missing --pattern PATTERN";
    if (error.empty()) error = oneOperand(c.operands, o.input, "read-values file");
    return finished(std::move(o), error);
}

Parsed<AnalyseOptions> parseAnalyseArguments(const std::vector<std::string>& args) {
    AnalyseCommand c;
    if (auto stop = early<AnalyseOptions>(c.table.parse(args))) return *stop;
    AnalyseOptions o;
    o.output = c.output;
    o.slips = c.slips.value_or(false);
    o.xlsx = c.xlsx.value_or(false);
    c.settings.applyTo(o.settings);
    const std::string error = outputAndReadValues(o.output, c.operands, o.input);
    return finished(std::move(o), error);
}

std::string analyseUsage() {
    return AnalyseCommand().table.help();
}

std::string scoreUsage() {
    return ScoreCommand().table.help();
}

std::string countUsage() {
    return CountCommand().table.help();
}

std::string renameUsage() {
    return RenameCommand().table.help();
}

}  // namespace velmora::cli
