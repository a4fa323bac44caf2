#include "tools/velmora/command_line.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>
#include <system_error>

#include "tools/velmora/batch_options.h"
#include "tools/velmora/number_words.h"

namespace velmora::cli {
namespace {

constexpr int kMaxDotsPercent = 100;
constexpr double kMultiplyScale = 1000.0;

enum class OptionId { Definition, Jobs, Dots, Multiply, Crops, Debug };

struct OptionName {
    std::string_view shortName;  ///< empty when there is none
    std::string_view longName;
    OptionId id;
};

constexpr OptionName kOptions[] = {
    {"-d", "--definition", OptionId::Definition},
    {"-j", "--jobs", OptionId::Jobs},
    {"", "--dots", OptionId::Dots},
    {"", "--multiply", OptionId::Multiply},
    {"", "--crops", OptionId::Crops},
    {"", "--debug", OptionId::Debug},
};

/// Stores one option value; returns an error text or an empty string.
std::string applyOption(OptionId id, std::string_view name, const std::string& value,
                        ReadOptions& opts) {
    const auto bad = [&](std::string_view what) {
        return "bad value for " + std::string(name) + ": '" + value + "' (" + std::string(what) +
               ")";
    };
    switch (id) {
        case OptionId::Definition:
            opts.definition = value;
            return {};
        case OptionId::Crops:
            opts.cropsDir = value;
            return {};
        case OptionId::Debug:
            opts.debugDir = value;
            return {};
        case OptionId::Jobs: {
            const auto n = parseWholeWord<int>(value);
            if (!n || *n < 1 || *n > kMaxJobs) return bad("expected 1 to 256");
            opts.jobs = *n;
            return {};
        }
        case OptionId::Dots: {
            const auto n = parseWholeWord<int>(value);
            if (!n || *n < 0 || *n > kMaxDotsPercent) return bad("expected 0 to 100");
            opts.dots = *n;
            return {};
        }
        case OptionId::Multiply: {
            const auto x = parseRealWord(value);
            if (!x || *x < 0.0 || *x > kMaxMultiply) return bad("expected 0 to 1000");
            opts.multiply1000 = static_cast<int>(std::lround(*x * kMultiplyScale));
            return {};
        }
    }
    return "internal error: unhandled option";
}

struct Match {
    const OptionName* option = nullptr;
    std::optional<std::string> attached;  ///< value given in the same word
};

Match matchOption(std::string_view word) {
    for (const OptionName& opt : kOptions) {
        if (word == opt.longName || (!opt.shortName.empty() && word == opt.shortName)) {
            return {&opt, std::nullopt};
        }
        if (word.size() > opt.longName.size() + 1 && word.starts_with(opt.longName) &&
            word[opt.longName.size()] == '=') {
            return {&opt, std::string(word.substr(opt.longName.size() + 1))};
        }
        if (!opt.shortName.empty() && word.size() > 2 && word.starts_with(opt.shortName)) {
            return {&opt, std::string(word.substr(2))};
        }
    }
    return {};
}

bool isHelp(std::string_view word) {
    return word == "-h" || word == "--help";
}

ParsedRead fail(std::string message) {
    ParsedRead r;
    r.kind = ParsedRead::Kind::Error;
    r.error = std::move(message);
    return r;
}

}  // namespace

ParsedRead parseReadArguments(const std::vector<std::string>& args) {
    ParsedRead result;
    ReadOptions& opts = result.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word == "-" || !word.starts_with("-")) {
            opts.inputs.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (isHelp(word)) {
            result.kind = ParsedRead::Kind::Help;
            return result;
        }
        const Match m = matchOption(word);
        if (m.option == nullptr) return fail("unknown option '" + word + "'");
        std::string value;
        if (m.attached) {
            value = *m.attached;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return fail("option " + word + " needs a value");
        }
        const std::string_view name =
            word.starts_with("--") ? m.option->longName : m.option->shortName;
        std::string error = applyOption(m.option->id, name, value, opts);
        if (!error.empty()) return fail(std::move(error));
    }
    if (opts.definition.empty()) return fail("missing -d DEFINITION");
    if (opts.inputs.empty()) return fail("no images given");
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
           "\n"
           "Run 'velmora COMMAND --help' for the options of a command.\n"
           "\n"
           "Exit status of score, count and rename: 0 success, 2 bad usage or a file\n"
           "that could not be read or written, 3 internal error.\n";
}

std::string readUsage() {
    return "usage: velmora read -d DEFINITION.ini [-j JOBS] [--dots PERCENT] [--multiply X]\n"
           "                    [--crops DIR] [--debug DIR] IMAGE|FOLDER...\n"
           "\n"
           "Reads every image (a folder stands for the files directly inside it, sorted by\n"
           "name) and prints one JSON object per image and line, in input order.\n"
           "\n"
           "  -d, --definition FILE  sheet definition file (required)\n"
           "  -j, --jobs N           worker threads, 1 to 256 (default 1; more than twice\n"
           "                         the processors are capped); a sheet that cannot be\n"
           "                         loaded beside the others is read again alone\n"
           "      --dots PERCENT     no-mark minimum dots, 0 to 100 (default 10)\n"
           "      --multiply X       multi-marked multiply, 0 to 1000 (default 2.0)\n"
           "      --crops DIR        save image-area crops as DIR/<name>_NNN.jpg\n"
           "      --debug DIR        save diagnostic images as DIR/debug-<name>.jpg\n"
           "  -h, --help             show this help\n"
           "\n"
           "Exit status: 0 every image read, 1 some image failed, 2 bad usage or an\n"
           "unreadable definition, 3 internal error.\n"
           "\n" +
           batchReadUsage();
}

}  // namespace velmora::cli
