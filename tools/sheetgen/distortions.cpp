#include "tools/sheetgen/distortions.h"

#include <algorithm>
#include <cmath>

namespace sheetgen {
namespace {

constexpr std::uint8_t kWhite = 255;
constexpr int kFixedShift = 16;  // fraction bits of the blur weights
constexpr int kNoiseTableBits = 16;

std::uint8_t sampleBilinear(const GreyCanvas& c, double x, double y) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const double ax = x - fx;
    const double ay = y - fy;
    auto at = [&](int px, int py) -> double {
        return c.contains(px, py) ? c.px[static_cast<std::size_t>(py) * c.width + px] : kWhite;
    };
    const double top = at(x0, y0) * (1 - ax) + at(x0 + 1, y0) * ax;
    const double bottom = at(x0, y0 + 1) * (1 - ax) + at(x0 + 1, y0 + 1) * ax;
    return static_cast<std::uint8_t>(std::lround(top * (1 - ay) + bottom * ay));
}

std::vector<int> gaussianWeights(double radius) {
    const int reach = static_cast<int>(std::ceil(radius));
    const double sigma = std::max(0.3, radius / 2.0);
    std::vector<double> w(2 * reach + 1);
    double sum = 0;
    for (int i = -reach; i <= reach; ++i) {
        w[i + reach] = std::exp(-(i * i) / (2 * sigma * sigma));
        sum += w[i + reach];
    }
    std::vector<int> fixed(w.size());
    for (std::size_t i = 0; i < w.size(); ++i) {
        fixed[i] = static_cast<int>(std::lround(w[i] / sum * (1 << kFixedShift)));
    }
    return fixed;
}

// One blur pass along rows (step 1) or columns (step = width); edges repeat.
void blurPass(GreyCanvas& c, const std::vector<int>& weights, bool alongRows) {
    const int reach = static_cast<int>(weights.size() / 2);
    const int lines = alongRows ? c.height : c.width;
    const int length = alongRows ? c.width : c.height;
    const std::size_t step = alongRows ? 1 : static_cast<std::size_t>(c.width);
    std::vector<std::uint8_t> src(length);
    for (int l = 0; l < lines; ++l) {
        const std::size_t base = alongRows ? static_cast<std::size_t>(l) * c.width : l;
        for (int i = 0; i < length; ++i) src[i] = c.px[base + i * step];
        for (int i = 0; i < length; ++i) {
            long long acc = 0;
            for (int k = -reach; k <= reach; ++k) {
                acc += static_cast<long long>(weights[k + reach]) *
                       src[std::clamp(i + k, 0, length - 1)];
            }
            const long long value = (acc + (1 << (kFixedShift - 1))) >> kFixedShift;
            c.px[base + i * step] = static_cast<std::uint8_t>(std::clamp<long long>(value, 0, 255));
        }
    }
}

void shiftOnly(GreyCanvas& c, int shiftX, int shiftY) {
    GreyCanvas out(c.width, c.height, kWhite);
    for (int y = 0; y < c.height; ++y) {
        const int sy = y - shiftY;
        if (sy < 0 || sy >= c.height) continue;
        for (int x = 0; x < c.width; ++x) {
            const int sx = x - shiftX;
            if (sx >= 0 && sx < c.width) {
                out.px[static_cast<std::size_t>(y) * c.width + x] =
                    c.px[static_cast<std::size_t>(sy) * c.width + sx];
            }
        }
    }
    c.px.swap(out.px);
}

}  // namespace

void turnAndShift(GreyCanvas& canvas, double angleRad, int shiftX, int shiftY) {
    if (angleRad == 0.0 && shiftX == 0 && shiftY == 0) return;
    if (angleRad == 0.0) {
        shiftOnly(canvas, shiftX, shiftY);
        return;
    }
    GreyCanvas out(canvas.width, canvas.height, kWhite);
    const double cx = (canvas.width - 1) / 2.0;
    const double cy = (canvas.height - 1) / 2.0;
    const double cs = std::cos(angleRad);
    const double sn = std::sin(angleRad);
    for (int y = 0; y < canvas.height; ++y) {
        // Inverse map: undo the shift, then turn back by -angle about the centre.
        const double dy = y - shiftY - cy;
        std::uint8_t* row = &out.px[static_cast<std::size_t>(y) * canvas.width];
        for (int x = 0; x < canvas.width; ++x) {
            const double dx = x - shiftX - cx;
            row[x] = sampleBilinear(canvas, cx + cs * dx + sn * dy, cy - sn * dx + cs * dy);
        }
    }
    canvas.px.swap(out.px);
}

void turnHalf(GreyCanvas& canvas) {
    std::reverse(canvas.px.begin(), canvas.px.end());
}

void blur(GreyCanvas& canvas, double radius) {
    if (radius <= 0.0) return;
    const auto weights = gaussianWeights(radius);
    blurPass(canvas, weights, true);
    blurPass(canvas, weights, false);
}

void addNoise(GreyCanvas& canvas, double sigma, RandomSource& rng) {
    if (sigma <= 0.0) return;
    // Gaussian values drawn once; each pixel then picks one with 16 random bits.
    std::vector<int> table(std::size_t{1} << kNoiseTableBits);
    for (int& v : table) v = static_cast<int>(std::lround(rng.normal() * sigma));
    for (std::size_t i = 0; i < canvas.px.size(); i += 2) {
        const std::uint32_t r = rng.next();
        const int picks[2] = {table[r & 0xFFFF], table[r >> 16]};
        for (std::size_t k = 0; k < 2 && i + k < canvas.px.size(); ++k) {
            auto& p = canvas.px[i + k];
            p = static_cast<std::uint8_t>(std::clamp(p + picks[k], 0, 255));
        }
    }
}

}  // namespace sheetgen
