// Loading a read-values file for the result-file subcommands, as the reading
// application opens one while its input list is empty.
#pragma once

#include <QString>
#include <ostream>
#include <string>

#include "reader/core/app_settings.h"
#include "reader/core/result_table.h"
#include "tools/velmora/headless_prompter.h"

namespace velmora::cli {

/// Loads `path` into `table` (the sheet list pointing into the folder that
/// `prompter` answers for the image folder question, "/" + label when it
/// has none) and re-evaluates it under `settings`. False with a message on
/// `err` when the file is no read-values file or cannot be read.
bool loadReadValuesFile(const std::string& path, const tarrow::AppSettings& settings,
                        HeadlessPrompter& prompter, tarrow::ResultTable& table, std::ostream& err);

}  // namespace velmora::cli
