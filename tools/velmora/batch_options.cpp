#include "tools/velmora/batch_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <span>
#include <string_view>
#include <system_error>

#include "tools/velmora/command_line.h"
#include "tools/velmora/number_words.h"
#include "tools/velmora/option_words.h"

namespace velmora::cli {
namespace {

enum Id {
    kDefinition,
    kOutput,
    kKey,
    kCrops,
    kJobs,
    kVerbose,
    kMaxChoices,
    kImages,
    kTo,
    kPattern,
    kPrefix,
    kPostfix,
    kLogDir,
    kOverwrite,
    kTen,
    kNoTen,
    kTranspose,
    kMultiMarked,
    kNoMark,
    kFaint,
    kMultiValue,
    kMultiRange,
    kDots,
    kMultiply,
    kScale,
    kSharpen,
};

constexpr OptionSpec kSettingSpecs[] = {
    {"", "--ten", false, kTen},
    {"", "--no-ten", false, kNoTen},
    {"", "--transpose", false, kTranspose},
    {"", "--multi-marked", false, kMultiMarked},
    {"", "--nomark", true, kNoMark},
    {"", "--faint", true, kFaint},
    {"", "--multi-value", true, kMultiValue},
    {"", "--multi-range", true, kMultiRange},
    {"", "--dots", true, kDots},
    {"", "--multiply", true, kMultiply},
    {"", "--scale", true, kScale},
    {"", "--sharpen", true, kSharpen},
};

constexpr OptionSpec kReadSpecs[] = {
    {"-d", "--definition", true, kDefinition},
    {"-o", "--output", true, kOutput},
    {"", "--key", true, kKey},
    {"", "--crops", true, kCrops},
    {"-j", "--jobs", true, kJobs},
    {"-v", "--verbose", false, kVerbose},
};

constexpr OptionSpec kScoreSpecs[] = {{"-o", "--output", true, kOutput}};

constexpr OptionSpec kCountSpecs[] = {
    {"-o", "--output", true, kOutput},
    {"", "--max-choices", true, kMaxChoices},
};

constexpr OptionSpec kRenameSpecs[] = {
    {"", "--images", true, kImages},        {"", "--to", true, kTo},
    {"", "--pattern", true, kPattern},      {"", "--prefix", true, kPrefix},
    {"", "--postfix", true, kPostfix},      {"", "--log-dir", true, kLogDir},
    {"", "--overwrite", false, kOverwrite},
};

/// The command's own options followed by the settings options.
template <std::size_t N>
std::vector<OptionSpec> withSettings(const OptionSpec (&own)[N]) {
    std::vector<OptionSpec> options(std::begin(own), std::end(own));
    options.insert(options.end(), std::begin(kSettingSpecs), std::end(kSettingSpecs));
    return options;
}

std::string badValue(const OptionWord& w, std::string_view expected) {
    return "bad value for " + w.name + ": '" + w.value + "' (expected " + std::string(expected) +
           ")";
}

/// A whole number in [lo, hi], stored as typed.
std::string wholeInRange(const OptionWord& w, long lo, long hi, std::optional<std::string>& to) {
    const auto n = parseWholeWord<long>(w.value);
    if (!n || *n < lo || *n > hi) {
        return badValue(w, std::to_string(lo) + " to " + std::to_string(hi));
    }
    to = w.value;
    return {};
}

/// A real number in [lo, hi], stored as typed.
std::string realInRange(const OptionWord& w, double lo, double hi, std::optional<std::string>& to) {
    const auto x = parseRealWord(w.value);
    if (!x || *x < lo || *x > hi) return badValue(w, "a number");
    to = w.value;
    return {};
}

constexpr long kMaxPercent = 100;
constexpr long kMaxDots = 1000000;
constexpr double kMaxDensity = 1000.0;

/// Applies a settings option; false when `w` is not one.
bool applySetting(const OptionWord& w, SettingsOverrides& s, std::string& error) {
    switch (w.id) {
        case kTen:
            s.tenToZero = true;
            return true;
        case kNoTen:
            s.tenToZero = false;
            return true;
        case kTranspose:
            s.transpose = true;
            return true;
        case kMultiMarked:
            s.multiMarked = true;
            return true;
        case kNoMark:
            error = realInRange(w, 0.0, kMaxDensity, s.noMarkValue);
            return true;
        case kFaint:
            error = realInRange(w, 0.0, kMaxDensity, s.markValue);
            return true;
        case kMultiValue:
            error = wholeInRange(w, 0, kMaxDots, s.multiValue);
            return true;
        case kMultiRange:
            error = wholeInRange(w, 0, kMaxDots, s.multiRange);
            return true;
        case kDots:
            error = wholeInRange(w, 0, kMaxPercent, s.noMarkedPer);
            return true;
        case kMultiply:
            error = realInRange(w, 0.0, kMaxMultiply, s.multiMarkedX);
            return true;
        case kScale:
            error = wholeInRange(w, 1, kMaxPercent, s.imageScale);
            return true;
        case kSharpen:
            error = wholeInRange(w, 0, kMaxPercent, s.sharpenRate);
            return true;
        default:
            return false;
    }
}

template <typename Options>
Parsed<Options> failed(std::string message) {
    Parsed<Options> p;
    p.kind = Parsed<Options>::Kind::Error;
    p.error = std::move(message);
    return p;
}

/// Splits and applies the settings options; `own` handles the rest.
template <typename Options, typename Own>
Parsed<Options> parseWith(const std::vector<std::string>& args, std::span<const OptionSpec> options,
                          Own own) {
    Parsed<Options> p;
    const SplitWords words = splitWords(args, options);
    if (words.help) {
        p.kind = Parsed<Options>::Kind::Help;
        return p;
    }
    if (!words.error.empty()) return failed<Options>(words.error);
    for (const OptionWord& w : words.options) {
        std::string error;
        if (!applySetting(w, p.options.settings, error)) error = own(w, p.options);
        if (!error.empty()) return failed<Options>(error);
    }
    std::string error = own.finish(words.operands, p.options);
    if (!error.empty()) return failed<Options>(error);
    p.kind = Parsed<Options>::Kind::Options;
    return p;
}

std::string oneOperand(const std::vector<std::string>& operands, std::string& to,
                       const char* what) {
    if (operands.empty()) return std::string("missing ") + what;
    if (operands.size() > 1) return "unexpected argument '" + operands[1] + "'";
    to = operands.front();
    return {};
}

struct ReadHandler {
    std::string operator()(const OptionWord& w, BatchReadOptions& o) const {
        switch (w.id) {
            case kDefinition:
                o.definition = w.value;
                return {};
            case kOutput:
                o.output = w.value;
                return {};
            case kKey:
                o.key = w.value;
                return {};
            case kCrops:
                o.cropsDir = w.value;
                return {};
            case kVerbose:
                o.verbose = true;
                return {};
            case kJobs: {
                const auto n = parseWholeWord<long>(w.value);
                if (!n || *n < 1 || *n > kMaxJobs) return badValue(w, "1 to 256");
                o.jobs = int(*n);
                return {};
            }
            default:
                return "internal error: unhandled option " + w.name;
        }
    }
    std::string finish(const std::vector<std::string>& operands, BatchReadOptions& o) const {
        if (o.definition.empty()) return "missing -d DEFINITION";
        if (o.output.empty()) return "missing -o OUTPUT";
        if (operands.empty()) return "no images given";
        o.inputs = operands;
        return {};
    }
};

struct ScoreHandler {
    std::string operator()(const OptionWord& w, ScoreOptions& o) const {
        if (w.id == kOutput) o.output = w.value;
        return {};
    }
    std::string finish(const std::vector<std::string>& operands, ScoreOptions& o) const {
        if (o.output.empty()) return "missing -o OUTPUT";
        return oneOperand(operands, o.input, "read-values file");
    }
};

struct CountHandler {
    std::string operator()(const OptionWord& w, CountOptions& o) const {
        if (w.id == kOutput) o.output = w.value;
        if (w.id == kMaxChoices) {
            const auto n = parseWholeWord<long>(w.value);
            if (!n || *n < 1 || *n > kMaxChoicesLimit) return badValue(w, "1 to 1000");
            o.maxChoices = int(*n);
        }
        return {};
    }
    std::string finish(const std::vector<std::string>& operands, CountOptions& o) const {
        if (o.output.empty()) return "missing -o OUTPUT";
        return oneOperand(operands, o.input, "read-values file");
    }
};

struct RenameHandler {
    std::string operator()(const OptionWord& w, RenameOptions& o) const {
        switch (w.id) {
            case kImages:
                o.images = w.value;
                return {};
            case kTo:
                o.to = w.value;
                return {};
            case kPattern:
                o.pattern = w.value;
                return {};
            case kPrefix:
                o.prefix = w.value;
                return {};
            case kPostfix:
                o.postfix = w.value;
                return {};
            case kLogDir:
                o.logDir = w.value;
                return {};
            case kOverwrite:
                o.overwrite = true;
                return {};
            default:
                return "internal error: unhandled option " + w.name;
        }
    }
    std::string finish(const std::vector<std::string>& operands, RenameOptions& o) const {
        if (o.images.empty()) return "missing --images FOLDER";
        if (o.to.empty()) return "missing --to FOLDER";
        if (o.pattern.empty()) return "missing --pattern PATTERN";
        return oneOperand(operands, o.input, "read-values file");
    }
};

/// Options of either form of `read` whose value is the next word.
bool takesValue(std::string_view word) {
    static constexpr std::array<std::string_view, 15> kNames = {"-d",
                                                                "--definition",
                                                                "-j",
                                                                "--jobs",
                                                                "--dots",
                                                                "--multiply",
                                                                "--crops",
                                                                "--debug",
                                                                "--key",
                                                                "--nomark",
                                                                "--faint",
                                                                "--multi-value",
                                                                "--multi-range",
                                                                "--scale",
                                                                "--sharpen"};
    return std::find(kNames.begin(), kNames.end(), word) != kNames.end();
}

}  // namespace

bool hasOutputOption(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--") return false;
        if (word == "-o" || word == "--output" || word.starts_with("--output=")) return true;
        if (word.size() > 2 && word.starts_with("-o")) return true;
        if (takesValue(word)) ++i;
    }
    return false;
}

Parsed<BatchReadOptions> parseBatchReadArguments(const std::vector<std::string>& args) {
    return parseWith<BatchReadOptions>(args, withSettings(kReadSpecs), ReadHandler{});
}

Parsed<ScoreOptions> parseScoreArguments(const std::vector<std::string>& args) {
    return parseWith<ScoreOptions>(args, withSettings(kScoreSpecs), ScoreHandler{});
}

Parsed<CountOptions> parseCountArguments(const std::vector<std::string>& args) {
    return parseWith<CountOptions>(args, withSettings(kCountSpecs), CountHandler{});
}

Parsed<RenameOptions> parseRenameArguments(const std::vector<std::string>& args) {
    return parseWith<RenameOptions>(args, withSettings(kRenameSpecs), RenameHandler{});
}

}  // namespace velmora::cli
