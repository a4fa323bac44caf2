#include "engine/recognition/zero_mark_search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace strovik {
namespace {

using i64 = std::int64_t;

constexpr std::uint8_t kSampleMark = 14;
constexpr int kWindowWidth = 100;
constexpr int kWindowHeight = 125;

/// Number of values start, start + step, ... below end.
i64 stepsBelow(i64 start, i64 end, i64 step) {
    return end > start ? (end - start + step - 1) / step : 0;
}

i64 isqrtFloor(i64 m) {
    if (m <= 0) return 0;
    i64 r = i64(std::sqrt(double(m)));
    while (r * r > m) --r;
    while ((r + 1) * (r + 1) <= m) ++r;
    return r;
}

/// The disc sample indices i (u = -r + i * step) of one disc row.
struct RowSpan {
    i64 first = 0;  ///< inclusive
    i64 last = -1;  ///< inclusive; last < first means empty
};

std::vector<RowSpan> discRowSpans(i64 r, i64 step) {
    std::vector<RowSpan> spans;
    const i64 rows = stepsBelow(-r, r, step);
    spans.reserve(std::size_t(rows));
    const i64 lastIndex = stepsBelow(-r, r, step) - 1;  // u < r
    for (i64 j = 0; j < rows; ++j) {
        const i64 v = -r + j * step;
        const i64 umax = isqrtFloor(r * r - v * v);
        RowSpan s;
        s.first = std::max<i64>(0, (r - umax + step - 1) / step);
        s.last = std::min(lastIndex, (r + umax) / step);
        spans.push_back(s);
    }
    return spans;
}

}  // namespace

ZeroMarkSearch searchWindow(bool wide, bool highDensity) {
    ZeroMarkSearch p;
    const int scale = highDensity ? 2 : 1;
    p.windowWidth = kWindowWidth * scale;
    p.windowHeight = kWindowHeight * (wide ? 2 : 1) * scale;
    return p;
}

int requiredZeroMarkCount(int radius, double rate, bool coarse) {
    const double t = double(radius) * double(radius) * rate * (coarse ? 0.785 : 3.14);
    if (!(t > -2147483648.0)) return t != t ? 0 : INT32_MIN;
    if (!(t < 2147483647.0)) return INT32_MAX;
    return int(t);
}

SearchHit searchZeroMarkDirect(Raster& raster, Point centre, const ZeroMarkSearch& p,
                               bool markSamples) {
    const i64 r = p.radius;
    const i64 s = p.step;
    const i64 halfW = p.windowWidth / 2;
    const i64 halfH = p.windowHeight / 2;
    SearchHit best;
    for (i64 y = i64(centre.y) - halfH; y < i64(centre.y) + halfH; y += s) {
        for (i64 x = i64(centre.x) - halfW; x < i64(centre.x) + halfW; x += s) {
            int count = 0;
            for (i64 v = -r; v < r; v += s) {
                for (i64 u = -r; u < r; u += s) {
                    if (u * u + v * v > r * r) continue;
                    const i64 px = x + u;
                    const i64 py = y + v;
                    if (px < 0 || py < 0 || px >= raster.width() || py >= raster.height()) continue;
                    const std::size_t off = raster.offsetOf(int(px), int(py));
                    if (raster.data()[off] < p.colorMin) ++count;
                    if (markSamples) raster.data()[off + 2] = kSampleMark;
                }
            }
            if (count > best.count) best = SearchHit{Point{int(x), int(y)}, count};
        }
    }
    return best;
}

SearchHit searchZeroMarkFast(const Raster& raster, Point centre, const ZeroMarkSearch& p) {
    const i64 r = std::max(0, p.radius);
    const i64 s = std::max(1, p.step);
    const i64 x0 = i64(centre.x) - p.windowWidth / 2;
    const i64 y0 = i64(centre.y) - p.windowHeight / 2;
    const i64 nX = stepsBelow(x0, i64(centre.x) + p.windowWidth / 2, s);
    const i64 nY = stepsBelow(y0, i64(centre.y) + p.windowHeight / 2, s);
    SearchHit best;
    if (r == 0 || nX == 0 || nY == 0) return best;
    const std::vector<RowSpan> spans = discRowSpans(r, s);
    const i64 nDisc = i64(spans.size());

    // Lattice of sample positions: column j is x = x0 - r + j*s, row m is
    // y = y0 - r + m*s. Only lattice points inside the image can be dark, so
    // only those columns and rows are stored.
    const i64 baseX = x0 - r;
    const i64 baseY = y0 - r;
    const i64 nCols = nX + nDisc;
    const i64 nRows = nY + nDisc;
    const i64 colLo = std::clamp<i64>(stepsBelow(baseX, 0, s), 0, nCols);
    const i64 colHi = std::clamp<i64>(stepsBelow(baseX, raster.width(), s), colLo, nCols);
    const i64 rowLo = std::clamp<i64>(stepsBelow(baseY, 0, s), 0, nRows);
    const i64 rowHi = std::clamp<i64>(stepsBelow(baseY, raster.height(), s), rowLo, nRows);
    const i64 width = colHi - colLo;
    if (width == 0 || rowHi == rowLo) return best;

    // prefix[(m - rowLo) * (width + 1) + k] = dark samples of row m in
    // columns colLo .. colLo + k - 1.
    std::vector<std::int32_t> prefix(std::size_t((rowHi - rowLo) * (width + 1)));
    for (i64 m = rowLo; m < rowHi; ++m) {
        std::int32_t* row = &prefix[std::size_t((m - rowLo) * (width + 1))];
        const i64 y = baseY + m * s;
        const std::uint8_t* pixels = raster.storedRow(raster.height() - 1 - int(y));
        row[0] = 0;
        for (i64 k = 0; k < width; ++k) {
            const i64 x = baseX + (colLo + k) * s;
            row[k + 1] = row[k] + (pixels[x * 3] < p.colorMin ? 1 : 0);
        }
    }
    auto prefixAt = [&](i64 m, i64 col) {
        const i64 k = std::clamp<i64>(col - colLo, 0, width);
        return prefix[std::size_t((m - rowLo) * (width + 1) + k)];
    };

    for (i64 ky = 0; ky < nY; ++ky) {
        const i64 jLo = std::max<i64>(0, rowLo - ky);
        const i64 jHi = std::min<i64>(nDisc, rowHi - ky);
        for (i64 kx = 0; kx < nX; ++kx) {
            int count = 0;
            for (i64 j = jLo; j < jHi; ++j) {
                const RowSpan& span = spans[std::size_t(j)];
                if (span.last < span.first) continue;
                count += prefixAt(ky + j, kx + span.last + 1) - prefixAt(ky + j, kx + span.first);
            }
            if (count > best.count) {
                best = SearchHit{Point{int(x0 + kx * s), int(y0 + ky * s)}, count};
            }
        }
    }
    return best;
}

SearchHit searchZeroMark(Raster& raster, Point centre, const ZeroMarkSearch& params,
                         bool markSamples) {
    if (markSamples) return searchZeroMarkDirect(raster, centre, params, true);
    return searchZeroMarkFast(raster, centre, params);
}

}  // namespace strovik
