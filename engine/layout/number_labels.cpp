#include "engine/layout/number_labels.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace strovik::layout {
namespace {

constexpr double kMinLabelHeight = 0.3;
constexpr double kMaxLabelHeight = 1.5;
constexpr double kLabelReach = 2.0;

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

}  // namespace

bool zeroOnTop(const Raster& raster, int threshold, const std::vector<Component>& regions,
               const GridRows& g) {
    const double rowPitch = std::abs(g.second.y - g.first.y);
    if (rowPitch <= 0.0 || g.bubbleWidth <= 0 || g.bubbleHeight <= 0) return false;
    const std::optional<Component> top = labelOf(regions, g.first, rowPitch, g);
    const std::optional<Component> next = labelOf(regions, g.second, rowPitch, g);
    if (!top || !next) return false;
    return darkRunsAcross(raster, threshold, *top) == 2 &&
           darkRunsAcross(raster, threshold, *next) == 1;
}

}  // namespace strovik::layout
