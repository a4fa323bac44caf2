// A seeded random source whose output is the same with every standard
// library: only the raw std::mt19937 engine is used (its sequence is fixed by
// the standard), the distributions are our own.
#pragma once

#include <cstdint>
#include <random>

namespace sheetgen {

class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed) : engine_(seed) {}

    /// Raw 32-bit value.
    std::uint32_t next() { return static_cast<std::uint32_t>(engine_()); }

    /// Uniform integer in [0, n); 0 when n <= 0. Unbiased (rejection).
    int below(int n);

    /// Uniform integer in [lo, hi] (inclusive).
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }

    /// Uniform real in [0, 1).
    double unit() { return static_cast<double>(next() >> 8) * (1.0 / 16777216.0); }

    /// Uniform real in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }

    /// True with probability p.
    bool chance(double p) { return unit() < p; }

    /// Standard normal value (Box-Muller).
    double normal();

private:
    std::mt19937 engine_;
};

}  // namespace sheetgen
