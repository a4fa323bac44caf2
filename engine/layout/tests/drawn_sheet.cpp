#include "engine/layout/tests/drawn_sheet.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace layout_test {
namespace {

void setGrey(strovik::Raster& r, int x, int y, std::uint8_t g) {
    if (!r.contains(x, y)) return;
    std::uint8_t* p = r.data() + r.offsetOf(x, y);
    p[0] = p[1] = p[2] = g;
}

}  // namespace

std::vector<std::vector<PrintPoint>> DrawnSheet::centres() const {
    std::vector<std::vector<PrintPoint>> out;
    for (const DrawnBlock& b : blocks) {
        for (int q = 0; q < b.questions; ++q) {
            out.emplace_back();
            for (int c = 0; c < b.choices; ++c) {
                const int col = b.downwards ? q : c, row = b.downwards ? c : q;
                out.back().push_back({b.left + col * b.pitchX, b.top + row * b.pitchY});
            }
        }
    }
    return out;
}

PrintPoint DrawnSheet::turned(PrintPoint p) const {
    const double cx = width / 2.0, cy = height / 2.0, c = std::cos(angle), s = std::sin(angle);
    const double dx = p.x - cx, dy = p.y - cy;
    return {int(std::lround(cx + c * dx - s * dy)), int(std::lround(cy + s * dx + c * dy))};
}

strovik::Raster DrawnSheet::draw() const {
    strovik::Raster r(width, height);
    std::fill(r.data(), r.data() + r.sizeBytes(), std::uint8_t(255));
    const std::vector<std::vector<PrintPoint>> all = centres();
    auto isFilled = [&](int q, int c) {
        for (const auto& f : filled)
            if (f.first == q && f.second == c) return true;
        return false;
    };
    // Each shape is drawn by taking the pixels around its turned centre back
    // through the turn and testing them against the unturned shape.
    const double cx = width / 2.0, cy = height / 2.0, co = std::cos(angle), si = std::sin(angle);
    auto drawShape = [&](PrintPoint centre, double reach, auto inside, std::uint8_t grey = 20) {
        const PrintPoint t = turned(centre);
        const int m = int(reach) + 2;
        for (int y = t.y - m; y <= t.y + m; ++y) {
            for (int x = t.x - m; x <= t.x + m; ++x) {
                const double dx = x - cx, dy = y - cy;
                const double ux = cx + co * dx + si * dy, uy = cy - si * dx + co * dy;
                if (inside(ux - centre.x, uy - centre.y)) setGrey(r, x, y, grey);
            }
        }
    };
    for (const PrintPoint& z : zeroMarks) {
        if (cornerArm > 0) {
            // Arms point towards the page centre from the outer corner.
            const double sx = z.x < width / 2 ? 1.0 : -1.0, sy = z.y < height / 2 ? 1.0 : -1.0;
            drawShape(
                z, std::sqrt(2.0) * cornerArm,
                [&](double dx, double dy) {
                    const double u = sx * dx, v = sy * dy;
                    if (u < 0.0 || v < 0.0 || u >= cornerArm || v >= cornerArm) return false;
                    return u < cornerStroke || v < cornerStroke;
                },
                std::uint8_t(zeroGrey));
        } else {
            drawShape(
                z, zeroRadius,
                [&](double dx, double dy) { return std::hypot(dx, dy) <= zeroRadius; },
                std::uint8_t(zeroGrey));
        }
    }
    for (const auto& [centre, glyph] : labels)
        drawShape(centre, 12.0, [&, zero = glyph == '0'](double dx, double dy) {
            if (!zero) return std::abs(dx) <= 1.5 && std::abs(dy) <= 10.0;
            const double outer = (dx * dx) / 36.0 + (dy * dy) / 100.0;
            return outer <= 1.0 && (dx * dx) / 9.0 + (dy * dy) / 49.0 > 1.0;
        });
    for (const auto& [centre, half] : blots)
        drawShape(centre, std::sqrt(2.0) * half, [&](double dx, double dy) {
            return std::abs(dx) <= half && std::abs(dy) <= half;
        });
    const double a = ovalW / 2.0, b = ovalH / 2.0;
    for (std::size_t q = 0; q < all.size(); ++q) {
        for (std::size_t c = 0; c < all[q].size(); ++c) {
            const bool shade = isFilled(int(q), int(c));
            drawShape(all[q][c], std::max(a, b), [&](double dx, double dy) {
                const double outer = (dx * dx) / (a * a) + (dy * dy) / (b * b);
                if (shade && outer <= 1.0) return true;
                if (boxes) {
                    if (std::abs(dx) <= a && std::abs(dy) <= b &&
                        (std::abs(dx) > a - stroke || std::abs(dy) > b - stroke))
                        return true;
                } else {
                    const double ia = a - stroke, ib = b - stroke;
                    if (outer <= 1.0 && (dx * dx) / (ia * ia) + (dy * dy) / (ib * ib) > 1.0)
                        return true;
                }
                // A letter: a vertical bar and a short cross stroke, clear of
                // the outline.
                if (letters && std::abs(dx) <= 1.0 && std::abs(dy) <= b * 0.45) return true;
                return letters && std::abs(dy) <= 1.0 && std::abs(dx) <= a * 0.35;
            });
        }
    }
    if (noise > 0.0) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<int> px(0, width - 1), py(0, height - 1), grey(0, 255);
        const long long count = static_cast<long long>(noise * width * height);
        for (long long i = 0; i < count; ++i) setGrey(r, px(rng), py(rng), std::uint8_t(grey(rng)));
    }
    return r;
}

}  // namespace layout_test
