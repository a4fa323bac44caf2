// The velmora command-line tool: picks the subcommand and runs it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

/// Runs the tool on its arguments (without the program name). "--help" and
/// "-h" print the usage to `out` (exit 0); no or an unknown subcommand prints
/// it to `err` (exit 2). Returns the exit status; never throws.
int runVelmora(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
