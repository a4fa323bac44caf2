// The command line of `velmora read`, both forms: without -o the JSON lines,
// with -o the batch run saving result files (batch_options.h). One option
// table declares every option of the command; parsing only looks at the
// words, the file system is checked later by the read command.
#pragma once

#include <string>
#include <vector>

#include "reader/core/app_settings.h"

namespace velmora::cli {

/// Settings of one `velmora read` invocation (the JSON form).
struct ReadOptions {
    std::string definition;           ///< -d: the sheet definition file
    int jobs = 1;                     ///< -j: worker threads
    int dots = 0;                     ///< --dots: percent, 0..100 (the application's default)
    int multiply1000 = 0;             ///< --multiply x 1000, rounded (the application's default)
    std::string cropsDir;             ///< --crops: empty = no image-area crops
    std::string debugDir;             ///< --debug: empty = no diagnostic images
    std::vector<std::string> inputs;  ///< image files and folders in argument order
    /// The settings that decide `values` and `review` (--nomark, --faint,
    /// --multi-value, --multi-range, --multi-marked, --ten).
    tarrow::AppSettings review;
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

/// Parses the words after "read" for the JSON form. Errors: unknown option
/// (an option of the batch form included), missing value, bad number,
/// missing -d, no inputs.
ParsedRead parseReadArguments(const std::vector<std::string>& args);

/// Usage of the tool as a whole and of the read command (both forms).
std::string toolUsage();
std::string readUsage();

}  // namespace velmora::cli
