#include "tools/velmora/option_words.h"

#include <optional>

namespace velmora::cli {
namespace {

struct Match {
    const OptionSpec* spec = nullptr;
    std::optional<std::string> attached;  ///< value given in the same word
};

Match matchWord(std::string_view word, std::span<const OptionSpec> specs) {
    for (const OptionSpec& spec : specs) {
        if (word == spec.longName || (!spec.shortName.empty() && word == spec.shortName)) {
            return {&spec, std::nullopt};
        }
    }
    for (const OptionSpec& spec : specs) {
        if (!spec.takesValue) continue;
        if (word.size() > spec.longName.size() && word.starts_with(spec.longName) &&
            word[spec.longName.size()] == '=') {
            return {&spec, std::string(word.substr(spec.longName.size() + 1))};
        }
        if (!spec.shortName.empty() && !word.starts_with("--") && word.size() > 2 &&
            word.starts_with(spec.shortName)) {
            return {&spec, std::string(word.substr(2))};
        }
    }
    return {};
}

bool isHelp(std::string_view word) {
    return word == "-h" || word == "--help";
}

}  // namespace

SplitWords splitWords(const std::vector<std::string>& args, std::span<const OptionSpec> specs) {
    SplitWords result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word == "-" || !word.starts_with("-")) {
            result.operands.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (isHelp(word)) {
            result.help = true;
            return result;
        }
        const Match m = matchWord(word, specs);
        if (m.spec == nullptr) {
            result.error = "unknown option '" + word + "'";
            return result;
        }
        OptionWord option{
            m.spec->id,
            word.starts_with("--") ? std::string(m.spec->longName) : std::string(m.spec->shortName),
            {}};
        if (m.attached) {
            option.value = *m.attached;
        } else if (m.spec->takesValue) {
            if (i + 1 >= args.size()) {
                result.error = "option " + word + " needs a value";
                return result;
            }
            option.value = args[++i];
        }
        result.options.push_back(std::move(option));
    }
    return result;
}

}  // namespace velmora::cli
