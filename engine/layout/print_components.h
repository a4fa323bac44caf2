// The printed shapes of a sheet image as connected dark regions. A pixel is
// dark when its grey value (the mean of its three bytes) is below the
// threshold; regions join 8-connected dark pixels. Every region carries its
// bounding box, pixel count and centre of mass, in image pixels with the
// origin at the top-left pixel.
#pragma once

#include <vector>

#include "engine/image/raster.h"

namespace strovik::layout {

struct Component {
    int left = 0;    ///< first column
    int top = 0;     ///< first row
    int right = 0;   ///< last column (inclusive)
    int bottom = 0;  ///< last row (inclusive)
    long long area = 0;
    double cx = 0.0;  ///< centre of mass
    double cy = 0.0;

    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    /// Dark pixels over the bounding box: about 0.785 for a filled disc,
    /// 1 for a filled square, well below for an outline.
    double fill() const { return double(area) / (double(width()) * double(height())); }
};

/// Lowest and highest threshold darkThreshold() returns. On white paper the
/// threshold sits high so that light grey, blurred bubble outlines stay
/// whole rings.
inline constexpr int kMinDarkThreshold = 80;
inline constexpr int kMaxDarkThreshold = 200;

/// Percent of the paper's grey below which a pixel is dark.
inline constexpr int kDarkShareOfPaper = 75;

/// The paper's grey is the median grey of the page (every second row; a
/// sheet is mostly paper); the threshold is kDarkShareOfPaper percent of it
/// (integer division), clamped to [kMinDarkThreshold, kMaxDarkThreshold].
int darkThreshold(const Raster& raster);

/// The dark regions at `threshold` (grey value strictly below it), in the
/// order their first run is met (top to bottom, left to right).
std::vector<Component> findComponents(const Raster& raster, int threshold);

}  // namespace strovik::layout
