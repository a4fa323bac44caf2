// The command lines of the subcommands that work like the reading
// application: `read -o` (the batch run with saved result files), `score`,
// `count` and `rename`. Each is one option table with the settings options
// (settings_options.h); parsing only looks at the words, files are checked
// later.
#pragma once

#include <string>
#include <vector>

#include "reader/core/app_settings.h"

namespace velmora::cli {

struct BatchReadOptions {
    std::string definition;  ///< -d
    std::string output;      ///< -o: the file name the save dialog would be given
    std::string key;         ///< --key: read-values file with header, key and points
    std::string cropsDir;    ///< --crops: crop folder (and index pages)
    int jobs = 1;            ///< -j
    bool verbose = false;    ///< --verbose: status lines on stderr
    /// The application's default settings with the given options applied.
    tarrow::AppSettings settings;
    std::vector<std::string> inputs;
};

struct ScoreOptions {
    std::string input;   ///< the read-values file
    std::string output;  ///< -o
    bool xlsx = false;   ///< --xlsx: also OUT.xlsx
    tarrow::AppSettings settings;
};

struct AnalyseOptions {
    std::string input;   ///< the read-values file
    std::string output;  ///< -o: names the analysis files
    bool slips = false;  ///< --slips: also one slip per student
    bool xlsx = false;   ///< --xlsx: also OUT.xlsx
    tarrow::AppSettings settings;
};

/// Default of --max-choices, as the input box proposes it.
inline constexpr int kDefaultMaxChoices = 10;
/// Upper bound of --max-choices (a sheet has no more choices than this).
inline constexpr int kMaxChoicesLimit = 1000;

struct CountOptions {
    std::string input;
    std::string output;
    int maxChoices = kDefaultMaxChoices;
    tarrow::AppSettings settings;
};

struct RenameOptions {
    std::string input;       ///< the read-values file
    std::string images;      ///< --images: folder of the scanned images
    std::string to;          ///< --to: output folder
    std::string pattern;     ///< --pattern
    std::string prefix;      ///< --prefix
    std::string postfix;     ///< --postfix
    std::string logDir;      ///< --log-dir: empty = the data folder
    bool overwrite = false;  ///< --overwrite: replace existing copies instead of stopping
    tarrow::AppSettings settings;
};

/// Outcome of parsing one subcommand's words.
template <typename OptionsT>
struct Parsed {
    enum class Kind { Options, Help, Error };
    Kind kind = Kind::Error;
    OptionsT options;
    std::string error;  ///< one line, without the "velmora: " prefix
};

/// True when the words after "read" give -o/--output: the read command then
/// runs the batch run and saves result files.
bool hasOutputOption(const std::vector<std::string>& args);

Parsed<BatchReadOptions> parseBatchReadArguments(const std::vector<std::string>& args);
Parsed<ScoreOptions> parseScoreArguments(const std::vector<std::string>& args);
Parsed<CountOptions> parseCountArguments(const std::vector<std::string>& args);
Parsed<RenameOptions> parseRenameArguments(const std::vector<std::string>& args);
Parsed<AnalyseOptions> parseAnalyseArguments(const std::vector<std::string>& args);

/// Help texts of the subcommands (`read` is command_line.h's readUsage()).
std::string scoreUsage();
std::string countUsage();
std::string renameUsage();
std::string analyseUsage();

}  // namespace velmora::cli
