#include "tools/velmora/option_words.h"

#include <optional>

namespace velmora::cli {
namespace {

struct Match {
    const OptionSpec* option = nullptr;
    std::optional<std::string> attached;  ///< value given in the same word
};

Match matchWord(std::string_view word, std::span<const OptionSpec> options) {
    for (const OptionSpec& option : options) {
        if (word == option.longName || (!option.shortName.empty() && word == option.shortName)) {
            return {&option, std::nullopt};
        }
    }
    for (const OptionSpec& option : options) {
        if (!option.takesValue) continue;
        if (word.size() > option.longName.size() && word.starts_with(option.longName) &&
            word[option.longName.size()] == '=') {
            return {&option, std::string(word.substr(option.longName.size() + 1))};
        }
        if (!option.shortName.empty() && !word.starts_with("--") && word.size() > 2 &&
            word.starts_with(option.shortName)) {
            return {&option, std::string(word.substr(2))};
        }
    }
    return {};
}

bool isHelp(std::string_view word) {
    return word == "-h" || word == "--help";
}

}  // namespace

SplitWords splitWords(const std::vector<std::string>& args, std::span<const OptionSpec> options) {
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
        const Match m = matchWord(word, options);
        if (m.option == nullptr) {
            result.error = "unknown option '" + word + "'";
            return result;
        }
        OptionWord option{m.option->id,
                          word.starts_with("--") ? std::string(m.option->longName)
                                                 : std::string(m.option->shortName),
                          {}};
        if (m.attached) {
            option.value = *m.attached;
        } else if (m.option->takesValue) {
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
