#include "engine/recognition/oval_measure.h"

#include <algorithm>

namespace strovik {
namespace {

using i64 = std::int64_t;

constexpr std::uint8_t kSampleMark = 14;
constexpr i64 kMaxCachedRows = 1 << 16;

i64 stepsBelow(i64 start, i64 end, i64 step) {
    return end > start ? (end - start + step - 1) / step : 0;
}

using Histogram = std::array<int, ThresholdLadder::kMaxSteps + 1>;
constexpr int kLanes = 4;
using Histograms = std::array<Histogram, kLanes>;

// Adds the buckets of `n` pixels, `step` bytes apart, to the histograms.
// Neighbouring samples mostly share a bucket (paper, ink); spreading them
// over four histograms lets their increments run side by side instead of
// each waiting for the one before.
void countRun(const std::uint8_t* p, std::ptrdiff_t step, i64 n, const ThresholdLadder& ladder,
              Histograms& h) {
    i64 i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const std::uint8_t* q = p + i * step;
        ++h[0][ladder.bucket(q[0])];
        ++h[1][ladder.bucket(q[step])];
        ++h[2][ladder.bucket(q[2 * step])];
        ++h[3][ladder.bucket(q[3 * step])];
    }
    for (; i < n; ++i) ++h[0][ladder.bucket(p[i * step])];
}

}  // namespace

ThresholdLadder::ThresholdLadder(int colorMin, int colorMax) {
    i64 t = colorMin;
    if (t <= 0 && t < colorMax) {
        thresholds_.push_back(0);  // nothing is dark
        t += ((-t) / kStep + 1) * kStep;
    }
    for (; t < colorMax; t += kStep) {
        if (t >= 256) {
            thresholds_.push_back(256);  // everything is dark
            break;
        }
        thresholds_.push_back(int(t));
    }
    buildBuckets();
}

ThresholdLadder ThresholdLadder::of(const std::vector<int>& thresholds) {
    ThresholdLadder ladder;
    for (int t : thresholds) {
        if (ladder.thresholds_.size() < kMaxSteps)
            ladder.thresholds_.push_back(std::clamp(t, 0, 256));
    }
    ladder.buildBuckets();
    return ladder;
}

void ThresholdLadder::buildBuckets() {
    for (int v = 0; v < 256; ++v) {
        std::size_t n = 0;
        while (n < thresholds_.size() && thresholds_[n] <= v) ++n;
        bucket_[std::size_t(v)] = std::uint8_t(n);
    }
}

OvalShape::OvalShape(int halfWidth, int halfHeight, int step)
    : a_(halfWidth), b_(halfHeight), s_(std::max(1, step)) {
    const i64 rows = stepsBelow(-i64(b_), b_, s_);
    if (rows <= kMaxCachedRows) {
        cached_.reserve(std::size_t(rows));
        for (i64 j = 0; j < rows; ++j) cached_.push_back(computeRun(-i64(b_) + j * s_));
    }
}

bool OvalShape::inside(i64 u, i64 v) const {
    const double du = double(u) / a_;
    const double dv = double(v) / b_;
    return du * du + dv * dv <= 1.0;
}

OvalShape::Run OvalShape::run(i64 v) const {
    if (!cached_.empty() || b_ <= 0) {
        const i64 j = (v + b_) / s_;
        if (j >= 0 && j < i64(cached_.size())) return cached_[std::size_t(j)];
        return Run{};
    }
    return computeRun(v);
}

OvalShape::Run OvalShape::computeRun(i64 v) const {
    // Offsets u_i = -a + i*s for i below n; the samples are those with |u|
    // small enough, a run around the index nearest to u = 0.
    const i64 n = stepsBelow(-i64(a_), a_, s_);
    if (n == 0) return Run{};
    i64 mid = std::min(n - 1, i64(a_) / s_);
    auto u = [&](i64 i) { return -i64(a_) + i * s_; };
    if (!inside(u(mid), v)) {
        if (mid + 1 < n && inside(u(mid + 1), v)) {
            ++mid;
        } else {
            return Run{};
        }
    }
    i64 lo = 0, hi = mid;  // first passing index in [lo, hi]
    while (lo < hi) {
        const i64 m = lo + (hi - lo) / 2;
        if (inside(u(m), v))
            hi = m;
        else
            lo = m + 1;
    }
    const i64 first = lo;
    lo = mid;
    hi = n - 1;  // last passing index in [lo, hi]
    while (lo < hi) {
        const i64 m = lo + (hi - lo + 1) / 2;
        if (inside(u(m), v))
            lo = m;
        else
            hi = m - 1;
    }
    return Run{u(first), u(lo)};
}

OvalMeasurement measureOval(const RasterView& raster, Point centre, const OvalShape& shape,
                            const ThresholdLadder& ladder, bool markSamples) {
    OvalMeasurement result;
    Histograms histograms{};
    const i64 s = shape.step();
    const i64 b = shape.halfHeight();
    const i64 w = raster.width();
    const i64 h = raster.height();
    const std::ptrdiff_t pixelStep = raster.pixelStep();
    // Rows of the pattern that fall inside the image.
    i64 vStart = -b;
    if (centre.y + vStart < 0) vStart += ((-(centre.y + vStart)) + s - 1) / s * s;
    for (i64 v = vStart; v < b && centre.y + v < h; v += s) {
        const OvalShape::Run run = shape.run(v);
        if (run.last < run.first) continue;
        i64 first = run.first;
        if (centre.x + first < 0) first += ((-(centre.x + first)) + s - 1) / s * s;
        i64 last = run.last;
        if (centre.x + last >= w) last -= ((centre.x + last - (w - 1)) + s - 1) / s * s;
        if (last < first) continue;
        std::uint8_t* start = raster.row(int(centre.y + v)) + (centre.x + first) * pixelStep;
        const i64 samples = (last - first) / s + 1;
        countRun(start, s * pixelStep, samples, ladder, histograms);
        if (markSamples) {
            for (i64 i = 0; i < samples; ++i) start[i * s * pixelStep + 2] = kSampleMark;
        }
        result.total += int(samples);
    }
    int running = 0;
    for (std::size_t i = 0; i < ladder.size(); ++i) {
        for (const Histogram& lane : histograms) running += lane[i];
        result.dark[i] = running;
    }
    return result;
}

}  // namespace strovik
