#include "engine/recognition/zero_mark_search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
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

/// The spans of disc rows jFirst .. jEnd - 1 (v = -r + j * step). Only rows
/// that can reach the image are asked for, so a radius far beyond any image
/// costs no more than the image's own rows.
std::vector<RowSpan> discRowSpans(i64 r, i64 step, i64 jFirst, i64 jEnd) {
    std::vector<RowSpan> spans;
    spans.reserve(std::size_t(std::max<i64>(0, jEnd - jFirst)));
    const i64 lastIndex = stepsBelow(-r, r, step) - 1;  // u < r
    for (i64 j = jFirst; j < jEnd; ++j) {
        const i64 v = -r + j * step;
        const i64 umax = isqrtFloor(r * r - v * v);
        RowSpan s;
        s.first = std::max<i64>(0, (r - umax + step - 1) / step);
        s.last = std::min(lastIndex, (r + umax) / step);
        spans.push_back(s);
    }
    return spans;
}

int saturatedInt(i64 v) {
    return int(std::clamp<i64>(v, INT32_MIN, INT32_MAX));
}

/// The lattice of sample positions of one search: column c is
/// x = baseX + c * s and row m is y = baseY + m * s; candidate (kx, ky)
/// samples columns kx + i and rows ky + j of disc sample (i, j). Only the
/// lattice rows and columns inside the image (colLo .. colHi, rowLo ..
/// rowHi) can hold a dark sample, and only disc rows jFirst .. jEnd reach
/// them.
struct SearchLattice {
    i64 r = 0, s = 1;
    i64 x0 = 0, y0 = 0;  ///< first candidate
    i64 nX = 0, nY = 0;  ///< candidates per row and rows of candidates
    i64 baseX = 0, baseY = 0;
    i64 colLo = 0, colHi = 0, rowLo = 0, rowHi = 0;
    i64 nDisc = 0;  ///< disc samples per row and column
    i64 jFirst = 0, jEnd = 0;
    std::vector<RowSpan> spans;  ///< disc rows jFirst .. jEnd - 1

    SearchLattice(const RasterView& raster, Point centre, const ZeroMarkSearch& p)
        : r(std::max(0, p.radius)), s(std::max(1, p.step)) {
        x0 = i64(centre.x) - p.windowWidth / 2;
        y0 = i64(centre.y) - p.windowHeight / 2;
        nX = stepsBelow(x0, i64(centre.x) + p.windowWidth / 2, s);
        nY = stepsBelow(y0, i64(centre.y) + p.windowHeight / 2, s);
        if (r == 0 || nX == 0 || nY == 0) return;
        nDisc = stepsBelow(-r, r, s);
        baseX = x0 - r;
        baseY = y0 - r;
        const i64 nCols = nX + nDisc;
        const i64 nRows = nY + nDisc;
        colLo = std::clamp<i64>(stepsBelow(baseX, 0, s), 0, nCols);
        colHi = std::clamp<i64>(stepsBelow(baseX, raster.width(), s), colLo, nCols);
        rowLo = std::clamp<i64>(stepsBelow(baseY, 0, s), 0, nRows);
        rowHi = std::clamp<i64>(stepsBelow(baseY, raster.height(), s), rowLo, nRows);
        if (colHi == colLo || rowHi == rowLo) return;
        jFirst = std::max<i64>(0, rowLo - (nY - 1));
        jEnd = std::min(nDisc, rowHi);
        spans = discRowSpans(r, s, jFirst, jEnd);
    }

    bool empty() const { return spans.empty(); }
    const RowSpan& span(i64 j) const { return spans[std::size_t(j - jFirst)]; }
    i64 x(i64 col) const { return baseX + col * s; }
    i64 y(i64 row) const { return baseY + row * s; }
};

/// Largest running-sum table (entries) of the search over whole candidate
/// rows; beyond it (a disc far larger than any mark) the search goes
/// candidate by candidate.
constexpr i64 kMaxCandidateRowTable = i64(1) << 22;

/// The search for mark-sized discs: a running sum over every lattice column
/// of each lattice row (columns outside the image add nothing), so one disc
/// row adds its difference of two sums to a whole row of candidates at once,
/// with no bounds to check. Same winner and count as the direct search.
SearchHit searchCandidateRows(const RasterView& raster, const SearchLattice& lat, int colorMin) {
    const i64 nCols = lat.nX + lat.nDisc;
    const i64 stride = nCols + 1;
    std::vector<std::int32_t> prefix(std::size_t((lat.rowHi - lat.rowLo) * stride), 0);
    const std::ptrdiff_t pixelStep = raster.pixelStep();
    for (i64 m = lat.rowLo; m < lat.rowHi; ++m) {
        std::int32_t* row = &prefix[std::size_t((m - lat.rowLo) * stride)];
        const std::uint8_t* pixels = raster.row(int(lat.y(m)));
        std::int32_t sum = 0;
        for (i64 c = lat.colLo; c < lat.colHi; ++c) {
            sum += pixels[lat.x(c) * pixelStep] < colorMin ? 1 : 0;
            row[c + 1] = sum;
        }
        for (i64 c = lat.colHi; c < nCols; ++c) row[c + 1] = sum;
    }
    SearchHit best;
    std::vector<std::int32_t> counts(std::size_t(lat.nX));
    for (i64 ky = 0; ky < lat.nY; ++ky) {
        const i64 jLo = std::max(lat.jFirst, lat.rowLo - ky);
        const i64 jHi = std::min(lat.jEnd, lat.rowHi - ky);
        if (jHi <= jLo) continue;  // no disc row of this candidate row reaches the image
        std::fill(counts.begin(), counts.end(), 0);
        for (i64 j = jLo; j < jHi; ++j) {
            const RowSpan& span = lat.span(j);
            if (span.last < span.first) continue;
            const std::int32_t* row = &prefix[std::size_t((ky + j - lat.rowLo) * stride)];
            const std::int32_t* after = row + span.last + 1;
            const std::int32_t* before = row + span.first;
            std::int32_t* out = counts.data();
            for (i64 kx = 0; kx < lat.nX; ++kx) out[kx] += after[kx] - before[kx];
        }
        for (i64 kx = 0; kx < lat.nX; ++kx) {
            if (counts[std::size_t(kx)] > best.count) {
                best = SearchHit{
                    Point{saturatedInt(lat.x0 + kx * lat.s), saturatedInt(lat.y0 + ky * lat.s)},
                    counts[std::size_t(kx)]};
            }
        }
    }
    return best;
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

SearchHit searchZeroMarkFast(const RasterView& raster, Point centre, const ZeroMarkSearch& p) {
    SearchHit best;
    const SearchLattice lat(raster, centre, p);
    if (lat.empty()) return best;
    if ((lat.rowHi - lat.rowLo) * (lat.nX + lat.nDisc + 1) <= kMaxCandidateRowTable) {
        return searchCandidateRows(raster, lat, p.colorMin);
    }
    const i64 width = lat.colHi - lat.colLo;

    // prefix[(m - rowLo) * (width + 1) + k] = dark samples of row m in
    // columns colLo .. colLo + k - 1.
    std::vector<std::int32_t> prefix(std::size_t((lat.rowHi - lat.rowLo) * (width + 1)));
    const std::ptrdiff_t pixelStep = raster.pixelStep();
    for (i64 m = lat.rowLo; m < lat.rowHi; ++m) {
        std::int32_t* row = &prefix[std::size_t((m - lat.rowLo) * (width + 1))];
        const std::uint8_t* pixels = raster.row(int(lat.y(m)));
        row[0] = 0;
        for (i64 k = 0; k < width; ++k) {
            row[k + 1] = row[k] + (pixels[lat.x(lat.colLo + k) * pixelStep] < p.colorMin ? 1 : 0);
        }
    }
    auto prefixAt = [&](i64 m, i64 col) {
        const i64 k = std::clamp<i64>(col - lat.colLo, 0, width);
        return prefix[std::size_t((m - lat.rowLo) * (width + 1) + k)];
    };
    // Disc rows fullLo .. fullHi - 1 span the whole image row for every
    // candidate; their counts are whole-row totals, summed over rows at
    // once. For a disc larger than the image that is every row.
    std::vector<std::int64_t> rowsBefore(std::size_t(lat.rowHi - lat.rowLo + 1), 0);
    for (i64 m = lat.rowLo; m < lat.rowHi; ++m) {
        rowsBefore[std::size_t(m - lat.rowLo + 1)] =
            rowsBefore[std::size_t(m - lat.rowLo)] + prefixAt(m, lat.colHi);
    }
    const auto spansImage = [&](i64 j) {
        const RowSpan& span = lat.span(j);
        return span.first + (lat.nX - 1) <= lat.colLo && span.last + 1 >= lat.colHi;
    };
    i64 fullLo = lat.jFirst;
    while (fullLo < lat.jEnd && !spansImage(fullLo)) ++fullLo;
    i64 fullHi = fullLo;
    while (fullHi < lat.jEnd && spansImage(fullHi)) ++fullHi;
    const auto partialRows = [&](i64 ky, i64 kx, i64 jFrom, i64 jTo) {
        int count = 0;
        for (i64 j = jFrom; j < jTo; ++j) {
            const RowSpan& span = lat.span(j);
            if (span.last < span.first) continue;
            count += prefixAt(ky + j, kx + span.last + 1) - prefixAt(ky + j, kx + span.first);
        }
        return count;
    };

    for (i64 ky = 0; ky < lat.nY; ++ky) {
        const i64 jLo = std::max(lat.jFirst, lat.rowLo - ky);
        const i64 jHi = std::min(lat.jEnd, lat.rowHi - ky);
        if (jHi <= jLo) continue;  // no disc row of this candidate row reaches the image
        const i64 wholeLo = std::clamp(fullLo, jLo, jHi);
        const i64 wholeHi = std::clamp(fullHi, wholeLo, jHi);
        const int whole = int(rowsBefore[std::size_t(ky + wholeHi - lat.rowLo)] -
                              rowsBefore[std::size_t(ky + wholeLo - lat.rowLo)]);
        for (i64 kx = 0; kx < lat.nX; ++kx) {
            const int count =
                whole + partialRows(ky, kx, jLo, wholeLo) + partialRows(ky, kx, wholeHi, jHi);
            if (count > best.count) {
                best = SearchHit{
                    Point{saturatedInt(lat.x0 + kx * lat.s), saturatedInt(lat.y0 + ky * lat.s)},
                    count};
            }
        }
    }
    return best;
}

void markZeroMarkSamples(const RasterView& raster, Point centre, const ZeroMarkSearch& p) {
    const SearchLattice lat(raster, centre, p);
    if (lat.empty()) return;
    // Row m is sampled by disc rows j = m - ky of every candidate row ky;
    // disc row j reaches columns first_j .. nX - 1 + last_j over all the
    // candidates of a row. Every non-empty span holds the sample nearest
    // u = 0, so these ranges overlap and their union is one range.
    for (i64 m = lat.rowLo; m < lat.rowHi; ++m) {
        const i64 jLo = std::max(lat.jFirst, m - (lat.nY - 1));
        const i64 jHi = std::min(lat.jEnd, m + 1);
        i64 first = std::numeric_limits<i64>::max();
        i64 last = std::numeric_limits<i64>::min();
        for (i64 j = jLo; j < jHi; ++j) {
            const RowSpan& span = lat.span(j);
            if (span.last < span.first) continue;
            first = std::min(first, span.first);
            last = std::max(last, lat.nX - 1 + span.last);
        }
        first = std::max(first, lat.colLo);
        last = std::min(last, lat.colHi - 1);
        std::uint8_t* pixels = raster.row(int(lat.y(m)));
        for (i64 c = first; c <= last; ++c) pixels[lat.x(c) * raster.pixelStep() + 2] = kSampleMark;
    }
}

SearchHit searchZeroMark(const RasterView& raster, Point centre, const ZeroMarkSearch& params,
                         bool markSamples) {
    // Marking sets the red byte only and counting reads the blue one, so
    // marking after the count gives what the direct search leaves.
    const SearchHit hit = searchZeroMarkFast(raster, centre, params);
    if (markSamples) markZeroMarkSamples(raster, centre, params);
    return hit;
}

}  // namespace strovik
