// Search for one zero mark (a filled disc) around its expected centre: every
// candidate centre in a window is scored by the number of dark pixels in a
// disc around it, and the best-scoring candidate wins.
#pragma once

#include "engine/image/raster.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {

struct ZeroMarkSearch {
    int radius = 14;
    int colorMin = 150;  ///< a pixel is dark when its blue byte is below this
    int step = 1;        ///< sampling step: 1 fine, 2 coarse
    int windowWidth = 100;
    int windowHeight = 125;
};

struct SearchHit {
    Point centre{0, 0};
    int count = 0;
    friend bool operator==(const SearchHit&, const SearchHit&) = default;
};

/// Window sizes: 100 x 125 (normal) or 100 x 250 (wide), both doubled for
/// high-density images.
ZeroMarkSearch searchWindow(bool wide, bool highDensity);

/// Dark samples needed for a found mark: trunc(r * r * rate * 3.14) with fine
/// sampling, trunc(r * r * rate * 0.785) with coarse sampling.
int requiredZeroMarkCount(int radius, double rate, bool coarse);

/// The direct search: for every candidate (rows outer, columns inner, both
/// ascending, stepping by `step`) count the dark disc samples; the first
/// candidate with the highest count wins; no dark sample at all gives (0, 0)
/// with count 0. With `markSamples`, every sampled position inside the image
/// gets its red byte set to 14 (for the diagnostic image).
SearchHit searchZeroMarkDirect(Raster& raster, Point centre, const ZeroMarkSearch& params,
                               bool markSamples);

/// The same result as the direct search, computed with per-row running sums
/// of the dark samples, so each candidate costs one subtraction per disc row
/// (for mark-sized discs, taken for a whole row of candidates at once).
/// Only disc rows that reach the image are looked at: a radius beyond any
/// image (up to INT_MAX) costs time and memory bounded by the image's rows
/// and the window, never by the radius.
/// It reads the raster through a view, so the image turned by 180 degrees is
/// searched without turning the raster.
SearchHit searchZeroMarkFast(const RasterView& raster, Point centre, const ZeroMarkSearch& params);

/// Marks (red byte 14) every position inside the image that the direct
/// search samples, in time bounded by the image's rows and the window.
void markZeroMarkSamples(const RasterView& raster, Point centre, const ZeroMarkSearch& params);

/// The fast search, followed by the marking when samples must be marked:
/// the same winner, count and marked raster as the direct search.
SearchHit searchZeroMark(const RasterView& raster, Point centre, const ZeroMarkSearch& params,
                         bool markSamples);

}  // namespace strovik
