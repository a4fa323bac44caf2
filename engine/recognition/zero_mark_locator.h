// Finding the three zero marks on a loaded sheet: up to four attempts, turning
// the image by 180 degrees and widening the search windows as needed.
#pragma once

#include <array>
#include <functional>

#include "engine/image/raster.h"
#include "engine/recognition/sheet_definition.h"
#include "engine/recognition/zero_mark_search.h"

namespace strovik {

struct SamplingMode {
    int step = 1;              ///< 2 for images of 250 dpi and more in both directions
    bool highDensity = false;  ///< 450 dpi and more: windows doubled
};

/// Exchanges zero marks 2 and 3 when mark 3 lies much farther from mark 1
/// horizontally, so that marks 1 and 2 always form the horizontal baseline.
void applyZeroMarkExchange(SheetDefinition& def);

struct LocateOutcome {
    bool found = false;
    bool rotated = false;  ///< the last attempt worked on the turned image
    /// Winners of the last attempt; (0, 0) each when the required count
    /// exceeds the image's dark pixels, as then no attempt is searched.
    std::array<Point, 3> marks{};
};

/// Runs the attempts on `raster`. The raster is never turned: the turned
/// attempts search it through a turned view, and `rotated` tells in which
/// orientation later steps must read it (RasterView(raster, rotated)). With
/// `markSamples`, the raster holds the last attempt's marks only.
/// `afterFirstAttempt` runs right after the first attempt's searches, before
/// its outcome is judged.
LocateOutcome locateZeroMarks(Raster& raster, const SheetDefinition& def, SamplingMode mode,
                              bool markSamples, const std::function<void()>& afterFirstAttempt);

/// Looks for zero mark 3 near its mapped position after alignment: the
/// distance in pixels (truncated), or -1 when nothing dark is there.
int measureSkew(const RasterView& raster, const SheetDefinition& def, Point predicted,
                SamplingMode mode, bool markSamples, Point& foundMark3);

}  // namespace strovik
