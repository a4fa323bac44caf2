// Timing, child processes and sample sheets for the benchmark programs.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace bench {

/// Median wall-clock seconds of `reps` calls.
double medianSeconds(int reps, const std::function<void()>& work);

struct ChildResult {
    int exitCode = -1;
    double wallSeconds = 0;
    long maxRssKb = 0;
};

/// Runs a program (no shell) with stdout and stderr sent to /dev/null.
ChildResult runChild(const std::vector<std::string>& argv);

/// Median wall-clock seconds of `reps` runs of a program.
double medianChildSeconds(int reps, const std::vector<std::string>& argv);

/// Folder of this executable (where the other programs of the build live).
std::filesystem::path programFolder();

struct SheetRecipe {
    int dpi = 300;
    int questions = 100;
    int choices = 5;
    bool upsideDown = false;
    unsigned seed = 1;
};

/// Writes a definition (sheet.ini) into `folder` for the layout of `recipe`.
std::string writeDefinition(const std::filesystem::path& folder, const SheetRecipe& recipe);

/// Renders one sheet and saves it as a JPEG of quality 75.
std::string writeSheet(const std::filesystem::path& path, const SheetRecipe& recipe);

}  // namespace bench
