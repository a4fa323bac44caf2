#include "engine/layout/print_snap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/layout/print_components.h"

namespace strovik::layout {
namespace {

struct Window {
    int left = 0, top = 0, right = 0, bottom = 0;  // inclusive, inside the image
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

Raster crop(const Raster& raster, const Window& w) {
    Raster out(w.width(), w.height());
    for (int y = 0; y < w.height(); ++y) {
        const std::uint8_t* from = raster.data() + raster.offsetOf(w.left, w.top + y);
        std::memcpy(out.data() + out.offsetOf(0, y), from, std::size_t(w.width()) * 3);
    }
    return out;
}

bool sizeFits(int have, int want) {
    return have >= kSnapMinSize * want && have <= kSnapMaxSize * want;
}

}  // namespace

std::optional<PrintPoint> snapToPrint(const Raster& raster, const SnapTarget& t) {
    if (raster.empty() || t.width <= 0 || t.height <= 0 || t.reach < 0) return std::nullopt;
    if (!raster.contains(t.point.x, t.point.y)) return std::nullopt;
    const int mx = t.reach + int(kSnapMaxSize * t.width) + 2;
    const int my = t.reach + int(kSnapMaxSize * t.height) + 2;
    const Window w{std::max(0, t.point.x - mx), std::max(0, t.point.y - my),
                   std::min(raster.width() - 1, t.point.x + mx),
                   std::min(raster.height() - 1, t.point.y + my)};
    const Raster part = crop(raster, w);
    std::optional<PrintPoint> best;
    double bestDist = 0.0;
    for (const Component& c : findComponents(part, darkThreshold(part))) {
        if (!sizeFits(c.width(), t.width) || !sizeFits(c.height(), t.height)) continue;
        const bool atEdge = (c.left == 0 && w.left > 0) || (c.top == 0 && w.top > 0) ||
                            (c.right == w.width() - 1 && w.right < raster.width() - 1) ||
                            (c.bottom == w.height() - 1 && w.bottom < raster.height() - 1);
        if (atEdge) continue;
        const double x = w.left + (c.left + c.right) / 2.0, y = w.top + (c.top + c.bottom) / 2.0;
        const double d = std::hypot(x - t.point.x, y - t.point.y);
        if (d > t.reach || (best && d >= bestDist)) continue;
        best = PrintPoint{int(std::lround(x)), int(std::lround(y))};
        bestDist = d;
    }
    return best;
}

}  // namespace strovik::layout
