// Command-line options of velmora-sheetgen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {

/// Distortion chosen for one sheet by number, replacing the batch's own.
struct SheetOverride {
    int sheet = 0;  ///< 1-based, as in the file name
    int shiftX = 0;
    int shiftY = 0;
    double angleDeg = 0.0;
    bool upsideDown = false;
};

struct CliOptions {
    std::string outDir;
    int count = 10;
    LayoutParams layout;
    Format format = Format::Jpeg;
    int quality = 75;
    std::uint32_t seed = 1;
    std::optional<Pt> shift;         ///< for every sheet; unset = small random ones
    std::optional<double> angleDeg;  ///< for every sheet; unset = small random ones
    int upsideDownEvery = 0;         ///< every Nth sheet is turned; 0 = none
    int jitterEvery = 3;             ///< every Nth sheet gets a random shift/turn; 0 = none
    double noise = 2.0;
    double blur = 0.0;
    std::string prefix = "sheet";
    std::vector<SheetOverride> overrides;
};

struct CliParse {
    std::optional<CliOptions> options;  ///< set when the arguments are valid
    bool help = false;                  ///< --help was given
    std::string error;                  ///< why the arguments were rejected
};

/// Parses the arguments after the program name.
CliParse parseCli(const std::vector<std::string>& args);

/// The usage text printed for --help and after a usage error.
std::string cliUsage();

}  // namespace sheetgen
