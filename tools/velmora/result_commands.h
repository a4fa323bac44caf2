// The subcommands over a saved read-values file: `score`, `count`,
// `analyse` and `rename`. Each loads the file as the reading application opens one with an
// empty input list, then does what the result window's button does. Written
// file paths go to `out`, one a line; messages to `err`; exit statuses of
// exit_codes.h. None throws.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

int runScoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runAnalyseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runRenameCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
