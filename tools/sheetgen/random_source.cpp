#include "tools/sheetgen/random_source.h"

#include <cmath>
#include <numbers>

namespace sheetgen {

int RandomSource::below(int n) {
    if (n <= 0) return 0;
    const auto range = static_cast<std::uint32_t>(n);
    // Largest multiple of range that fits in 2^32; values above it are redrawn.
    const std::uint32_t limit = UINT32_MAX - (UINT32_MAX % range + 1) % range;
    std::uint32_t value = next();
    while (value > limit) value = next();
    return static_cast<int>(value % range);
}

double RandomSource::normal() {
    const double u1 = 1.0 - unit();  // (0, 1], keeps log finite
    const double u2 = unit();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

}  // namespace sheetgen
