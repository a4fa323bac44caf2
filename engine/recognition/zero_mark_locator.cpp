#include "engine/recognition/zero_mark_locator.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace strovik {
namespace {

struct Attempt {
    bool turned;
    bool wide;
};
constexpr Attempt kAttempts[] = {{false, false}, {true, false}, {false, true}, {true, true}};

ZeroMarkSearch searchParams(const SheetDefinition& def, SamplingMode mode, bool wide) {
    ZeroMarkSearch p = searchWindow(wide, mode.highDensity);
    p.radius = def.zeroMarkRadius;
    p.colorMin = def.zeroMarkColorMin;
    p.step = mode.step;
    return p;
}

/// Radius up to which a search costs less than counting the image's dark
/// pixels would.
constexpr int kQuickSearchRadius = 128;

/// Dark pixels of the whole image: no candidate of any search can count
/// more. Turning the image and marking samples (red byte) keep it.
std::int64_t darkPixels(const Raster& raster, int colorMin) {
    std::int64_t dark = 0;
    const std::uint8_t* p = raster.data();
    const std::size_t bytes = raster.sizeBytes();
    for (std::size_t i = 0; i < bytes; i += Raster::kBytesPerPixel) dark += p[i] < colorMin;
    return dark;
}

}  // namespace

void applyZeroMarkExchange(SheetDefinition& def) {
    Point* z = def.zeroMarks.data();
    const double far3 = 0.5 * std::fabs(double(z[2].x) - z[0].x);
    if (far3 > std::fabs(double(z[1].x) - z[0].x)) std::swap(z[1], z[2]);
}

LocateOutcome locateZeroMarks(Raster& raster, const SheetDefinition& def, SamplingMode mode,
                              bool markSamples, const std::function<void()>& afterFirstAttempt) {
    const int required =
        requiredZeroMarkCount(def.zeroMarkRadius, def.zeroMarkRate, mode.step == 2);
    // A count the image cannot hold (a radius far beyond any mark) fails
    // every attempt whatever the winners are, and the winners of a failed
    // location are never reported: the searches are skipped, only their
    // samples are still marked. This keeps absurd radii quick; searches with
    // a mark-sized radius are quick anyway and spare the pass over the image.
    const bool reachable = def.zeroMarkRadius <= kQuickSearchRadius ||
                           required <= darkPixels(raster, def.zeroMarkColorMin);
    LocateOutcome outcome;
    // The turned attempts read the raster through a turned view. With marking
    // on, every attempt after the first starts from the image as loaded,
    // without the marks of earlier ones, so a copy is kept.
    Raster original;
    if (markSamples) original = raster.clone();
    for (std::size_t a = 0; a < std::size(kAttempts); ++a) {
        const Attempt& attempt = kAttempts[a];
        if (a > 0 && markSamples) std::memcpy(raster.data(), original.data(), raster.sizeBytes());
        const RasterView view(raster, attempt.turned);
        const ZeroMarkSearch params = searchParams(def, mode, attempt.wide);
        bool all = true;
        for (int i = 0; i < 3; ++i) {
            const Point centre = def.zeroMarks[std::size_t(i)];
            if (!reachable) {
                if (markSamples) markZeroMarkSamples(view, centre, params);
                outcome.marks[std::size_t(i)] = Point{0, 0};
                all = false;
                continue;
            }
            const SearchHit hit = searchZeroMark(view, centre, params, markSamples);
            outcome.marks[std::size_t(i)] = hit.centre;
            if (hit.count < required) all = false;
        }
        if (a == 0 && afterFirstAttempt) afterFirstAttempt();
        outcome.rotated = attempt.turned;
        if (all) {
            outcome.found = true;
            return outcome;
        }
    }
    return outcome;
}

int measureSkew(const RasterView& raster, const SheetDefinition& def, Point predicted,
                SamplingMode mode, bool markSamples, Point& foundMark3) {
    const SearchHit hit =
        searchZeroMark(raster, predicted, searchParams(def, mode, false), markSamples);
    foundMark3 = hit.centre;
    if (hit.count <= 0) return -1;
    const double dx = double(hit.centre.x) - predicted.x;
    const double dy = double(hit.centre.y) - predicted.y;
    return int(std::sqrt(dx * dx + dy * dy));
}

}  // namespace strovik
