// The option table of `velmora read`: every option of both forms, declared
// once. The form is chosen by -o; an option of the other form is reported as
// unknown, as each form has always done.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/cli/option_table.h"
#include "tools/velmora/settings_options.h"

namespace velmora::cli {

struct ReadWords {
    ReadWords();
    ReadWords(const ReadWords&) = delete;
    ReadWords& operator=(const ReadWords&) = delete;

    /// The first option given (in word order) that the chosen form does not
    /// have, as "unknown option '<word>'"; empty when there is none.
    std::string optionOfOtherForm(bool batch) const;
    /// -j as a number (1 when not given).
    int jobsGiven() const;

    std::string definition;
    std::string output;
    std::string key;
    std::string crops;
    std::string debug;
    std::string jobs;
    std::optional<bool> verbose;
    std::vector<std::string> inputs;
    SettingsOptions settings;
    OptionTable table;

    CLI::Option* outputOption = nullptr;
    CLI::Option* keyOption = nullptr;
    CLI::Option* debugOption = nullptr;
    CLI::Option* verboseOption = nullptr;
};

}  // namespace velmora::cli
