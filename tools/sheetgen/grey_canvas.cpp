#include "tools/sheetgen/grey_canvas.h"

#include <algorithm>
#include <cmath>

namespace sheetgen {
namespace {

constexpr int kStrokeValueLo = 25;
constexpr int kStrokeValueHi = 60;

}  // namespace

void GreyCanvas::darken(int x, int y, int value) {
    if (!contains(x, y)) return;
    auto& p = px[static_cast<std::size_t>(y) * width + x];
    p = static_cast<std::uint8_t>(std::min<int>(p, std::clamp(value, 0, 255)));
}

void drawDisc(GreyCanvas& canvas, int cx, int cy, int radius, int value) {
    for (int v = -radius; v <= radius; ++v) {
        for (int u = -radius; u <= radius; ++u) {
            if (u * u + v * v <= radius * radius) canvas.darken(cx + u, cy + v, value);
        }
    }
}

void drawOvalRing(GreyCanvas& canvas, int cx, int cy, int width, int height, int thickness,
                  int value) {
    const double a = width / 2.0;
    const double b = height / 2.0;
    const double ia = std::max(0.5, a - thickness);
    const double ib = std::max(0.5, b - thickness);
    const int ha = width / 2;
    const int hb = height / 2;
    for (int v = -hb; v <= hb; ++v) {
        for (int u = -ha; u <= ha; ++u) {
            const double outer = (u / a) * (u / a) + (v / b) * (v / b);
            const double inner = (u / ia) * (u / ia) + (v / ib) * (v / ib);
            if (outer <= 1.0 && inner > 1.0) canvas.darken(cx + u, cy + v, value);
        }
    }
}

void shadeOval(GreyCanvas& canvas, int cx, int cy, int width, int height, const Shading& shading,
               RandomSource& rng) {
    const double a = width / 2.0 * rng.uniform(shading.scaleLo, shading.scaleHi);
    const double b = height / 2.0 * rng.uniform(shading.scaleLo, shading.scaleHi);
    const int ox = cx + rng.between(-1, 1);
    const int oy = cy + rng.between(-1, 1);
    const int hb = static_cast<int>(b);
    for (int v = -hb; v <= hb; ++v) {
        const double t = static_cast<double>(v) / b;
        // Each pencil row ends a little early or late on either side.
        const double half = a * std::sqrt(std::max(0.0, 1.0 - t * t));
        const int left = static_cast<int>(std::lround(-half)) + rng.between(0, 1);
        const int right = static_cast<int>(std::lround(half)) - rng.between(0, 1);
        for (int u = left; u <= right; ++u) {
            canvas.darken(ox + u, oy + v, rng.between(shading.valueLo, shading.valueHi));
        }
    }
}

void drawFrame(GreyCanvas& canvas, int x, int y, int width, int height, int thickness, int value) {
    for (int t = 0; t < thickness; ++t) {
        for (int i = x; i < x + width; ++i) {
            canvas.darken(i, y + t, value);
            canvas.darken(i, y + height - 1 - t, value);
        }
        for (int j = y; j < y + height; ++j) {
            canvas.darken(x + t, j, value);
            canvas.darken(x + width - 1 - t, j, value);
        }
    }
}

void scribble(GreyCanvas& canvas, int x, int y, int width, int height, int penRadius,
              RandomSource& rng) {
    // A baseline of "letters": each a short wandering pen path whose heading
    // turns a little at every step.
    const int margin = height / 4;
    const int letterWidth = std::max(4, height / 3);
    const int baseline = y + height / 2;
    const int value = rng.between(kStrokeValueLo, kStrokeValueHi);
    const int letters = std::max(0, (width / 2) / letterWidth);
    for (int i = 0; i < letters; ++i) {
        double penX = x + margin + i * letterWidth + rng.uniform(0.0, letterWidth / 3.0);
        double penY = baseline + rng.uniform(-height / 6.0, height / 6.0);
        double heading = rng.uniform(0.0, 6.2831853);
        const int steps = rng.between(letterWidth, 3 * letterWidth);
        for (int s = 0; s < steps; ++s) {
            heading += rng.uniform(-0.5, 0.5);
            penX = std::clamp(penX + std::cos(heading), x + margin * 1.0, x + width - margin * 1.0);
            penY =
                std::clamp(penY + std::sin(heading), y + margin * 1.0, y + height - margin * 1.0);
            drawDisc(canvas, static_cast<int>(penX), static_cast<int>(penY), penRadius, value);
        }
    }
}

}  // namespace sheetgen
