#include "engine/layout/number_labels.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace strovik::layout {
namespace {

constexpr double kMinLabelHeight = 0.3;
constexpr double kMaxLabelHeight = 1.5;
constexpr double kLabelReach = 2.0;
constexpr double kMaxInnerShare = 0.9;

std::optional<Component> labelOf(const std::vector<Component>& regions, PrintPoint row,
                                 double rowPitch, const GridRows& g) {
    const double edge = row.x - g.bubbleWidth / 2.0;
    const double reach = kLabelReach * g.columnPitch;
    std::optional<Component> best;
    for (const Component& c : regions) {
        const double cy = (c.top + c.bottom) / 2.0;
        if (std::abs(cy - row.y) > rowPitch / 2.0) continue;
        if (c.right >= edge || edge - c.right > reach) continue;
        if (c.height() < kMinLabelHeight * g.bubbleHeight ||
            c.height() > kMaxLabelHeight * g.bubbleHeight || c.width() > g.bubbleWidth)
            continue;
        if (!best || c.right > best->right) best = c;
    }
    return best;
}

// Runs of dark pixels along the middle row of the region's box.
int darkRunsAcross(const Raster& raster, int threshold, const Component& c) {
    const int y = (c.top + c.bottom) / 2;
    int runs = 0;
    bool inRun = false;
    for (int x = c.left; x <= c.right; ++x) {
        const std::uint8_t* p = raster.data() + raster.offsetOf(x, y);
        const bool dark = (int(p[0]) + int(p[1]) + int(p[2])) / 3 < threshold;
        if (dark && !inRun) ++runs;
        inRun = dark;
    }
    return runs;
}

// The glyph printed inside the bubble centred at `at`: a region whose box
// centre lies within a quarter of the bubble of `at`, smaller than the
// bubble (the ring and a filled bubble are not glyphs).
std::optional<Component> glyphInside(const std::vector<Component>& regions, PrintPoint at,
                                     const GridRows& g) {
    for (const Component& c : regions) {
        const double cx = (c.left + c.right) / 2.0, cy = (c.top + c.bottom) / 2.0;
        if (std::abs(cx - at.x) > g.bubbleWidth / 4.0 || std::abs(cy - at.y) > g.bubbleHeight / 4.0)
            continue;
        if (c.height() < kMinLabelHeight * g.bubbleHeight ||
            c.height() > kMaxInnerShare * g.bubbleHeight ||
            c.width() > kMaxInnerShare * g.bubbleWidth)
            continue;
        return c;
    }
    return std::nullopt;
}

// Digits printed inside the bubbles: per column of the first grid, both
// glyphs present, a "0" over a "1" or anything else.
bool innerZeroOnTop(const Raster& raster, int threshold, const std::vector<Component>& regions,
                    const GridRows& g) {
    int zeroOverOne = 0, other = 0;
    for (int col = 0; col < g.columns; ++col) {
        const int dx = int(std::lround(col * g.columnPitch));
        const std::optional<Component> top = glyphInside(regions, {g.first.x + dx, g.first.y}, g);
        const std::optional<Component> next =
            glyphInside(regions, {g.second.x + dx, g.second.y}, g);
        if (!top || !next) continue;
        if (darkRunsAcross(raster, threshold, *top) == 2 &&
            darkRunsAcross(raster, threshold, *next) == 1)
            ++zeroOverOne;
        else
            ++other;
    }
    return zeroOverOne > other;
}

}  // namespace

bool zeroOnTop(const Raster& raster, int threshold, const std::vector<Component>& regions,
               const GridRows& g) {
    const double rowPitch = std::abs(g.second.y - g.first.y);
    if (rowPitch <= 0.0 || g.bubbleWidth <= 0 || g.bubbleHeight <= 0) return false;
    const std::optional<Component> top = labelOf(regions, g.first, rowPitch, g);
    const std::optional<Component> next = labelOf(regions, g.second, rowPitch, g);
    if (!top && !next) return innerZeroOnTop(raster, threshold, regions, g);
    if (!top || !next) return false;
    return darkRunsAcross(raster, threshold, *top) == 2 &&
           darkRunsAcross(raster, threshold, *next) == 1;
}

}  // namespace strovik::layout
