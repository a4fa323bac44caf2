// Measuring an oval mark: the dark samples inside an axis-aligned ellipse,
// counted at every threshold of a ladder in one pass over the pixels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/image/raster.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {

/// Darkness thresholds tried in ascending order: min, min + 20, ... below max.
/// Steps at or below 0 (nothing is dark) or at or above 256 (everything is
/// dark) give identical counts, so only the first of each kind is kept; a
/// later identical step could never win, so the decisions are unchanged.
class ThresholdLadder {
public:
    static constexpr int kStep = 20;
    static constexpr std::size_t kMaxSteps = 16;

    ThresholdLadder() = default;
    ThresholdLadder(int colorMin, int colorMax);
    /// A ladder of the given thresholds (ascending), e.g. a single one.
    static ThresholdLadder of(const std::vector<int>& thresholds);

    std::size_t size() const { return thresholds_.size(); }
    bool empty() const { return thresholds_.empty(); }
    int operator[](std::size_t i) const { return thresholds_[i]; }

    /// Number of thresholds at or below a pixel value: the pixel is dark at
    /// step i exactly when bucket(value) <= i.
    std::uint8_t bucket(std::uint8_t value) const { return bucket_[value]; }

private:
    void buildBuckets();
    std::vector<int> thresholds_;
    std::array<std::uint8_t, 256> bucket_{};
};

/// The sample pattern of an oval with half sizes a, b and sampling step s:
/// rows v = -b, -b+s, ... below b; in each row the offsets u = -a, -a+s, ...
/// below a with (u/a)^2 + (v/b)^2 <= 1 in floating point. Each row's samples
/// form one run, found once per shape.
class OvalShape {
public:
    OvalShape(int halfWidth, int halfHeight, int step);

    int halfWidth() const { return a_; }
    int halfHeight() const { return b_; }
    int step() const { return s_; }

    /// u offsets of the first and last sample of the row with offset v
    /// (a row of the pattern); first > last when the row is empty.
    struct Run {
        std::int64_t first = 0;
        std::int64_t last = -1;
    };
    Run run(std::int64_t v) const;

private:
    Run computeRun(std::int64_t v) const;
    bool inside(std::int64_t u, std::int64_t v) const;
    int a_, b_, s_;
    std::vector<Run> cached_;  ///< by row index, for ordinary sizes
};

struct OvalMeasurement {
    int total = 0;                                       ///< samples inside the image
    std::array<int, ThresholdLadder::kMaxSteps> dark{};  ///< dark samples per ladder step
};

/// Measures the oval centred at `centre` (image position, in the view's
/// orientation). With `markSamples`, every sample gets its red byte set to 14.
OvalMeasurement measureOval(const RasterView& raster, Point centre, const OvalShape& shape,
                            const ThresholdLadder& ladder, bool markSamples);

}  // namespace strovik
