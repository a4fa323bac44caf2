#include "tools/sheetgen/distortions.h"

#include <algorithm>
#include <cmath>

namespace sheetgen {
namespace {

constexpr std::uint8_t kWhite = 255;
constexpr int kFixedShift = 16;  // fraction bits of the blur weights
constexpr int kNoiseTableBits = 16;
constexpr int kPosBits = 32;    // fraction bits of resampling positions
constexpr int kWeightBits = 8;  // fraction bits of the bilinear weights
constexpr std::int64_t kWeightMask = (1 << kWeightBits) - 1;

// Bilinear sample at a fixed-point position (kPosBits fraction bits), white
// outside the canvas.
std::uint8_t sampleBilinear(const GreyCanvas& c, std::int64_t fx, std::int64_t fy) {
    const auto x0 = static_cast<int>(fx >> kPosBits);
    const auto y0 = static_cast<int>(fy >> kPosBits);
    const auto ax = static_cast<int>((fx >> (kPosBits - kWeightBits)) & kWeightMask);
    const auto ay = static_cast<int>((fy >> (kPosBits - kWeightBits)) & kWeightMask);
    int p00 = kWhite, p01 = kWhite, p10 = kWhite, p11 = kWhite;
    if (x0 >= 0 && y0 >= 0 && x0 + 1 < c.width && y0 + 1 < c.height) {
        const std::uint8_t* p = &c.px[static_cast<std::size_t>(y0) * c.width + x0];
        p00 = p[0];
        p01 = p[1];
        p10 = p[c.width];
        p11 = p[c.width + 1];
    } else {
        auto at = [&](int x, int y) -> int {
            return c.contains(x, y) ? c.px[static_cast<std::size_t>(y) * c.width + x] : kWhite;
        };
        p00 = at(x0, y0);
        p01 = at(x0 + 1, y0);
        p10 = at(x0, y0 + 1);
        p11 = at(x0 + 1, y0 + 1);
    }
    constexpr int one = 1 << kWeightBits;
    const int top = p00 * (one - ax) + p01 * ax;
    const int bottom = p10 * (one - ax) + p11 * ax;
    return static_cast<std::uint8_t>(
        (top * (one - ay) + bottom * ay + (1 << (2 * kWeightBits - 1))) >> (2 * kWeightBits));
}

std::int64_t toFixed(double v) {
    return std::llround(v * static_cast<double>(1LL << kPosBits));
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

std::uint8_t weighted(long long acc) {
    const long long value = (acc + (1 << (kFixedShift - 1))) >> kFixedShift;
    return static_cast<std::uint8_t>(std::clamp<long long>(value, 0, 255));
}

// Horizontal pass; the edges repeat their last pixel.
void blurRows(GreyCanvas& c, const std::vector<int>& weights) {
    const int reach = static_cast<int>(weights.size() / 2);
    std::vector<std::uint8_t> src(c.width);
    for (int y = 0; y < c.height; ++y) {
        std::uint8_t* row = &c.px[static_cast<std::size_t>(y) * c.width];
        std::copy(row, row + c.width, src.begin());
        for (int x = 0; x < c.width; ++x) {
            long long acc = 0;
            for (int k = -reach; k <= reach; ++k) {
                acc += static_cast<long long>(weights[k + reach]) *
                       src[std::clamp(x + k, 0, c.width - 1)];
            }
            row[x] = weighted(acc);
        }
    }
}

// Vertical pass, a whole row at a time so memory is read in order.
void blurColumns(GreyCanvas& c, const std::vector<int>& weights) {
    const int reach = static_cast<int>(weights.size() / 2);
    const std::vector<std::uint8_t> src = c.px;
    std::vector<long long> acc(c.width);
    for (int y = 0; y < c.height; ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        for (int k = -reach; k <= reach; ++k) {
            const int sy = std::clamp(y + k, 0, c.height - 1);
            const std::uint8_t* in = &src[static_cast<std::size_t>(sy) * c.width];
            const long long w = weights[k + reach];
            for (int x = 0; x < c.width; ++x) acc[x] += w * in[x];
        }
        std::uint8_t* out = &c.px[static_cast<std::size_t>(y) * c.width];
        for (int x = 0; x < c.width; ++x) out[x] = weighted(acc[x]);
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
    const std::int64_t stepX = toFixed(cs);
    const std::int64_t stepY = toFixed(-sn);
    for (int y = 0; y < canvas.height; ++y) {
        // Inverse map: undo the shift, then turn back by -angle about the centre;
        // along a row the source position moves by a constant step.
        const double dy = y - shiftY - cy;
        const double dx = -shiftX - cx;
        std::int64_t fx = toFixed(cx + cs * dx + sn * dy);
        std::int64_t fy = toFixed(cy - sn * dx + cs * dy);
        std::uint8_t* row = &out.px[static_cast<std::size_t>(y) * canvas.width];
        for (int x = 0; x < canvas.width; ++x, fx += stepX, fy += stepY) {
            row[x] = sampleBilinear(canvas, fx, fy);
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
    blurRows(canvas, weights);
    blurColumns(canvas, weights);
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
