// The resolution recorded in a JPEG file's JFIF header.
#pragma once

#include <optional>
#include <string>

namespace strovik {

struct Density {
    int x = 0;
    int y = 0;
};

/// Only names ending in ".jpg" or ".jpeg" (any case) are examined. The first
/// 20 bytes must carry "JFIF" at bytes 6..9; the densities are the big-endian
/// words at bytes 14 and 16, taken as dots per inch whatever the units byte
/// says. nullopt when any of this fails.
std::optional<Density> readJfifDensity(const std::string& path);

}  // namespace strovik
