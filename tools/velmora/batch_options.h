// Arguments of the subcommands that work like the reading application:
// `read -o` (the batch run with saved result files), `score`, `count` and
// `rename`. Parsing only looks at the words; files are checked later.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

/// Settings given on the command line; everything left unset keeps the
/// application settings' default. Texts are kept as typed (after checking
/// that they are numbers), as the settings hold them.
struct SettingsOverrides {
    std::optional<bool> tenToZero;            ///< --ten / --no-ten
    std::optional<bool> transpose;            ///< --transpose
    std::optional<bool> multiMarked;          ///< --multi-marked
    std::optional<std::string> noMarkValue;   ///< --nomark X: no-mark density threshold
    std::optional<std::string> markValue;     ///< --faint X: faint-mark density threshold
    std::optional<std::string> multiValue;    ///< --multi-value N: dots of a marked choice
    std::optional<std::string> multiRange;    ///< --multi-range N: attention band half-width
    std::optional<std::string> noMarkedPer;   ///< --dots N: no-mark minimum dots, percent
    std::optional<std::string> multiMarkedX;  ///< --multiply X: several-marks threshold
    std::optional<std::string> imageScale;    ///< --scale N: crop scale, percent
    std::optional<std::string> sharpenRate;   ///< --sharpen N: crop sharpening
};

struct BatchReadOptions {
    std::string definition;  ///< -d
    std::string output;      ///< -o: the file name the save dialog would be given
    std::string key;         ///< --key: read-values file with header, key and points
    std::string cropsDir;    ///< --crops: crop folder (and index pages)
    int jobs = 1;            ///< -j
    bool verbose = false;    ///< --verbose: status lines on stderr
    SettingsOverrides settings;
    std::vector<std::string> inputs;
};

struct ScoreOptions {
    std::string input;   ///< the read-values file
    std::string output;  ///< -o
    SettingsOverrides settings;
};

/// Default of --max-choices, as the input box proposes it.
inline constexpr int kDefaultMaxChoices = 10;
/// Upper bound of --max-choices (a sheet has no more choices than this).
inline constexpr int kMaxChoicesLimit = 1000;

struct CountOptions {
    std::string input;
    std::string output;
    int maxChoices = kDefaultMaxChoices;
    SettingsOverrides settings;
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
    SettingsOverrides settings;
};

/// Outcome of parsing one subcommand's words.
template <typename OptionsT>
struct Parsed {
    enum class Kind { Options, Help, Error };
    Kind kind = Kind::Error;
    OptionsT options;
    std::string error;  ///< one line, without the "velmora: " prefix
};

/// True when the words after "read" hold -o/--output before any "--": the
/// read command then runs the batch run and saves result files.
bool hasOutputOption(const std::vector<std::string>& args);

Parsed<BatchReadOptions> parseBatchReadArguments(const std::vector<std::string>& args);
Parsed<ScoreOptions> parseScoreArguments(const std::vector<std::string>& args);
Parsed<CountOptions> parseCountArguments(const std::vector<std::string>& args);
Parsed<RenameOptions> parseRenameArguments(const std::vector<std::string>& args);

/// Help texts of the subcommands and of the settings options they share.
std::string batchReadUsage();
std::string scoreUsage();
std::string countUsage();
std::string renameUsage();
std::string settingsUsage();

}  // namespace velmora::cli
