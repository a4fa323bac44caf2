// Splits command words into options and operands against a table of option
// names, for the subcommands that work on result files. Accepts "-o FILE",
// "-oFILE", "--output FILE" and "--output=FILE"; "--" ends the options;
// "-h"/"--help" anywhere asks for help.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::cli {

struct OptionSpec {
    std::string_view shortName;  ///< "-o", or empty when there is none
    std::string_view longName;   ///< "--output"
    bool takesValue = true;
    int id = 0;
};

struct OptionWord {
    int id = 0;
    std::string name;   ///< the spelling used, for messages
    std::string value;  ///< empty for flags
};

struct SplitWords {
    std::vector<OptionWord> options;    ///< in command-line order
    std::vector<std::string> operands;  ///< in command-line order
    bool help = false;
    std::string error;  ///< one line, without the "velmora: " prefix
};

SplitWords splitWords(const std::vector<std::string>& args, std::span<const OptionSpec> options);

}  // namespace velmora::cli
