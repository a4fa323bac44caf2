#include "editor/core/zoom.h"

#include <algorithm>
#include <array>

namespace dravel {
namespace {

constexpr std::array<int, 9> kLadder{400, 300, 200, 150, 100, 67, 50, 33, 25};

// Smallest d with size * 100 / d <= view, i.e. ceil(size * 100 / view).
long long divisorFor(int size, int view) {
    return (static_cast<long long>(size) * 100 + view - 1) / view;
}

}  // namespace

int zoomInDivisor(int divisor) {
    for (int d : kLadder)
        if (d < divisor) return d;
    return kMinZoomDivisor;
}

int zoomOutDivisor(int divisor) {
    for (auto it = kLadder.rbegin(); it != kLadder.rend(); ++it)
        if (*it > divisor) return *it;
    return kMaxZoomDivisor;
}

int fitDivisor(int bitmapWidth, int bitmapHeight, int viewWidth, int viewHeight) {
    if (bitmapWidth <= 0 || bitmapHeight <= 0 || viewWidth <= 0 || viewHeight <= 0)
        return kMinDivisor;
    const long long d =
        std::max(divisorFor(bitmapWidth, viewWidth), divisorFor(bitmapHeight, viewHeight));
    return int(std::clamp<long long>(d, kMinZoomDivisor, kMaxZoomDivisor));
}

Point scrollKeeping(Point image, int clientX, int clientY, int divisor) {
    const int d = std::max(1, divisor);
    const long long x = static_cast<long long>(image.x) * 100 / d - clientX;
    const long long y = static_cast<long long>(image.y) * 100 / d - clientY;
    return {int(std::max(0LL, x)), int(std::max(0LL, y))};
}

}  // namespace dravel
