// Argument parsing for `velmora read`. Parsing only looks at the words; the
// file system is checked later by the read command.
#pragma once

#include <string>
#include <vector>

namespace velmora::cli {

/// Settings of one `velmora read` invocation.
struct ReadOptions {
    static constexpr int kDefaultDots = 10;            ///< no-mark minimum dots, percent
    static constexpr int kDefaultMultiply1000 = 2000;  ///< multi-marked multiply 2.0 x 1000

    std::string definition;                   ///< -d: the sheet definition file
    int jobs = 1;                             ///< -j: worker threads
    int dots = kDefaultDots;                  ///< --dots: percent, 0..100
    int multiply1000 = kDefaultMultiply1000;  ///< --multiply x 1000, rounded
    std::string cropsDir;                     ///< --crops: empty = no image-area crops
    std::string debugDir;                     ///< --debug: empty = no diagnostic images
    std::vector<std::string> inputs;          ///< image files and folders in argument order
};

/// Result of parsing: either options, a request for help, or an error.
struct ParsedRead {
    enum class Kind { Options, Help, Error };
    Kind kind = Kind::Error;
    ReadOptions options;
    std::string error;  ///< one line, without the "velmora: " prefix
};

/// Upper bound of -j; more threads than this only cost memory.
inline constexpr int kMaxJobs = 256;
/// Upper bound of --multiply, so that the value x 1000 fits an engine int.
inline constexpr double kMaxMultiply = 1000.0;

/// Parses the words after "read". Accepts "-d DEF", "-dDEF", "--definition DEF"
/// and "--definition=DEF" (likewise -j/--jobs, --dots, --multiply, --crops,
/// --debug); "--" ends the options; "-h"/"--help" anywhere asks for help.
/// Errors: unknown option, missing value, bad number, missing -d, no inputs.
ParsedRead parseReadArguments(const std::vector<std::string>& args);

/// Usage of the tool as a whole and of the read command.
std::string toolUsage();
std::string readUsage();

}  // namespace velmora::cli
