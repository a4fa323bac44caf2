// The reading application's settings as command-line options: one row per
// setting (its option, its check, the AppSettings member it overrides), from
// which the options, their help with the application's defaults, and the
// overrides all come.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "reader/core/app_settings.h"
#include "tools/cli/option_table.h"

namespace velmora::cli {

/// The settings options of one command line: declared into a table, then
/// applied over the application's defaults.
class SettingsOptions {
public:
    /// Declares every settings option (under the group "settings").
    void declare(OptionTable& table);
    /// `settings` with every given option applied, texts kept as typed. The
    /// user's stored settings are not read: a command's result depends only
    /// on its arguments.
    void applyTo(tarrow::AppSettings& settings) const;
    /// The options of the JSON form of `read`: there only these settings
    /// are options.
    bool inJsonRead(const CLI::Option* option) const;
    /// Every declared option, in the table's order.
    const std::array<CLI::Option*, 11>& options() const { return options_; }

private:
    std::array<std::string, 11> texts_;
    std::array<std::optional<bool>, 11> flags_;
    std::array<CLI::Option*, 11> options_{};
};

}  // namespace velmora::cli
