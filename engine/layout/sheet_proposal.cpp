#include "engine/layout/sheet_proposal.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/layout/number_labels.h"
#include "engine/layout/print_components.h"
#include "engine/recognition/sheet_definition.h"
#include "engine/recognition/zero_mark_search.h"

namespace strovik::layout {
namespace {

constexpr int kPageSidesPerBubble = 12;
constexpr double kMaxElongation = 4.0;
constexpr double kModeTolerance = 0.08;
constexpr double kBubbleTolerance = 0.20;
constexpr int kSlackPx = 2;
constexpr double kNeighbourSizes = 4.0;
constexpr double kSquareness = 1.5;
constexpr double kCornerShare = 0.25;
constexpr double kCornerSizeShare = 0.6;
constexpr int kMinLArmPx = 3 * kMinBubblePx;
constexpr double kMinLThicknessPx = 2.0;
constexpr double kMaxLThickness = 0.3;
constexpr double kLCentreShare = 0.4;
constexpr int kMinLRadius = 2;
constexpr double kIsolationGap = 0.5;
constexpr double kIsolationSize = 0.5;
constexpr double kInkedFill = 1.8;
constexpr double kGlyphGap = 0.25;
constexpr double kGlyphShare = 0.3;

struct Size {
    int w = 0;
    int h = 0;
};

bool withinSize(int value, int reference, double tolerance) {
    return std::abs(value - reference) <= int(tolerance * reference) + kSlackPx;
}

bool isCandidate(const Component& c, int maxSide) {
    const int w = c.width(), h = c.height();
    if (w < kMinBubblePx || h < kMinBubblePx || w > maxSide || h > maxSide) return false;
    return w <= kMaxElongation * h && h <= kMaxElongation * w;
}

// Whether another region at least kGlyphShare of its height tall, sharing
// at least half the rows of the shorter of the two, lies beside it less
// than kGlyphGap of its height away; with `byOtherSizes`, only a region not
// of its size (within kBubbleTolerance) counts. The letters of a word
// differ in size and stand close; bubbles stand apart or beside bubbles,
// and letters inside a bubble lie within its box, not beside it.
bool isCrowded(const Component& c, const std::vector<Component>& comps, bool byOtherSizes) {
    const double reach = kGlyphGap * c.height();
    for (const Component& d : comps) {
        if (d.height() < kGlyphShare * c.height()) continue;
        if (byOtherSizes && withinSize(d.width(), c.width(), kBubbleTolerance) &&
            withinSize(d.height(), c.height(), kBubbleTolerance))
            continue;
        const int gap = std::max(d.left - c.right, c.left - d.right) - 1;
        if (gap < 0 || gap >= reach) continue;
        const int shared = std::min(c.bottom, d.bottom) - std::max(c.top, d.top) + 1;
        if (2 * shared >= std::min(c.height(), d.height())) return true;
    }
    return false;
}

// The candidate size with the most candidates of about the same size.
std::optional<Size> commonSize(const std::vector<Component>& cands, int maxSide) {
    const int n = maxSide + 2;
    std::vector<int> sum(std::size_t(n) * std::size_t(n), 0);  // prefix sums over (w, h)
    auto at = [&](int w, int h) -> int& {
        return sum[std::size_t(w) * std::size_t(n) + std::size_t(h)];
    };
    for (const Component& c : cands) ++at(c.width() + 1, c.height() + 1);
    for (int w = 1; w < n; ++w)
        for (int h = 1; h < n; ++h) at(w, h) += at(w - 1, h) + at(w, h - 1) - at(w - 1, h - 1);
    auto count = [&](int w0, int w1, int h0, int h1) {  // inclusive sizes
        w0 = std::max(w0, 0), h0 = std::max(h0, 0);
        w1 = std::min(w1, n - 2), h1 = std::min(h1, n - 2);
        if (w0 > w1 || h0 > h1) return 0;
        return at(w1 + 1, h1 + 1) - at(w0, h1 + 1) - at(w1 + 1, h0) + at(w0, h0);
    };
    std::optional<Size> best;
    int bestCount = 0;
    for (const Component& c : cands) {
        const int w = c.width(), h = c.height();
        const int dw = int(kModeTolerance * w) + kSlackPx, dh = int(kModeTolerance * h) + kSlackPx;
        const int k = count(w - dw, w + dw, h - dh, h + dh);
        if (k > bestCount) {
            bestCount = k;
            best = Size{w, h};
        }
    }
    return best;
}

int medianOf(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

Centre boxCentre(const Component& c) {
    return {(c.left + c.right) / 2.0, (c.top + c.bottom) / 2.0};
}

// Bubbles with another bubble nearby.
std::vector<Component> withNeighbours(const std::vector<Component>& bubbles, Size size) {
    const double reach = kNeighbourSizes * std::max(size.w, size.h);
    std::vector<Component> kept;
    for (std::size_t i = 0; i < bubbles.size(); ++i) {
        const Centre a = boxCentre(bubbles[i]);
        for (std::size_t j = 0; j < bubbles.size(); ++j) {
            const Centre b = boxCentre(bubbles[j]);
            if (i != j && std::hypot(a.x - b.x, a.y - b.y) < reach) {
                kept.push_back(bubbles[i]);
                break;
            }
        }
    }
    return kept;
}

bool isZeroMarkShape(const Component& c, int maxSide) {
    const int w = c.width(), h = c.height();
    if (w < kMinBubblePx || h < kMinBubblePx || w > maxSide || h > maxSide) return false;
    return c.fill() >= kZeroMarkFill && w <= kSquareness * h && h <= kSquareness * w;
}

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight, kCorners };

bool isRight(int k) {
    return k == TopRight || k == BottomRight;
}
bool isBottom(int k) {
    return k == BottomLeft || k == BottomRight;
}

// The stroke width of an L of box w x h and `area` dark pixels:
// area = t (w + h - t).
double armThickness(const Component& c) {
    const double s = c.width() + c.height();
    const double disc = s * s - 4.0 * double(c.area);
    return disc < 0.0 ? s / 2.0 : (s - std::sqrt(disc)) / 2.0;
}

// An L-shaped corner mark whose outer corner faces page corner `k`: thin
// arms along two box sides, so its centre of mass lies in the box's
// quarter on the corner's side.
bool isCornerL(const Component& c, int k, int maxSide) {
    const int w = c.width(), h = c.height();
    if (w < kMinLArmPx || h < kMinLArmPx || w > maxSide || h > maxSide) return false;
    if (c.fill() >= kZeroMarkFill || w > kSquareness * h || h > kSquareness * w) return false;
    const double t = armThickness(c);
    if (t < kMinLThicknessPx || t > kMaxLThickness * std::min(w, h)) return false;
    const double fx = (c.cx - c.left) / w, fy = (c.cy - c.top) / h;
    const bool xSide = isRight(k) ? fx > 1.0 - kLCentreShare : fx < kLCentreShare;
    const bool ySide = isBottom(k) ? fy > 1.0 - kLCentreShare : fy < kLCentreShare;
    return xSide && ySide;
}

bool sameBox(const Component& a, const Component& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// No region of a like size (kIsolationSize to 1 / kIsolationSize times its
// width plus height) within kIsolationGap times its longer side: a printed
// corner mark stands alone, while a glyph of a title or a filled bubble has
// neighbours like itself. Frames and lines nearby are far larger.
bool isIsolated(const Component& c, const std::vector<Component>& comps) {
    const double reach = kIsolationGap * std::max(c.width(), c.height());
    const double size = c.width() + c.height();
    for (const Component& d : comps) {
        const double other = d.width() + d.height();
        if (other < kIsolationSize * size || kIsolationSize * other > size) continue;
        if (sameBox(c, d)) continue;
        const double gx = std::max({0, d.left - c.right, c.left - d.right});
        const double gy = std::max({0, d.top - c.bottom, c.top - d.bottom});
        if (std::hypot(gx, gy) < reach) return false;
    }
    return true;
}

struct MarkCandidate {
    Component c;
    bool cornerL = false;
};

// The winner of each corner, if any.
std::array<std::optional<MarkCandidate>, kCorners> cornerMarks(const std::vector<Component>& comps,
                                                               int pageW, int pageH, int maxSide) {
    std::array<std::optional<MarkCandidate>, kCorners> out;
    for (int k = 0; k < kCorners; ++k) {
        const double cornerX = isRight(k) ? pageW - 1 : 0, cornerY = isBottom(k) ? pageH - 1 : 0;
        std::vector<MarkCandidate> here;
        int largest = 0;
        for (const Component& c : comps) {
            const Centre p = boxCentre(c);
            if (std::abs(p.x - cornerX) > kCornerShare * pageW ||
                std::abs(p.y - cornerY) > kCornerShare * pageH)
                continue;
            const bool solid = isZeroMarkShape(c, maxSide);
            if (!solid && !isCornerL(c, k, maxSide)) continue;
            if (!isIsolated(c, comps)) continue;
            here.push_back({c, !solid});
            largest = std::max(largest, c.width() + c.height());
        }
        double bestDist = 0.0;
        for (const MarkCandidate& m : here) {
            if (m.c.width() + m.c.height() < kCornerSizeShare * largest) continue;
            const Centre p = boxCentre(m.c);
            const double d = std::hypot(p.x - cornerX, p.y - cornerY);
            if (!out[std::size_t(k)] || d < bestDist) {
                out[std::size_t(k)] = m;
                bestDist = d;
            }
        }
    }
    return out;
}

// Zero marks 1, 2, 3 from the corner winners: a horizontal pair first.
std::vector<MarkCandidate> orderZeroMarks(
    const std::array<std::optional<MarkCandidate>, kCorners>& m) {
    auto has = [&](Corner c) { return m[std::size_t(c)].has_value(); };
    auto get = [&](Corner c) { return *m[std::size_t(c)]; };
    std::vector<MarkCandidate> z;
    auto third = [&](Corner a, Corner b) {
        if (has(a))
            z.push_back(get(a));
        else if (has(b))
            z.push_back(get(b));
    };
    if (has(BottomLeft) && has(BottomRight)) {
        z = {get(BottomLeft), get(BottomRight)};
        third(TopLeft, TopRight);
    } else if (has(TopLeft) && has(TopRight)) {
        z = {get(TopLeft), get(TopRight)};
        third(BottomLeft, BottomRight);
    } else {
        for (int k = 0; k < kCorners; ++k)
            if (m[std::size_t(k)] && z.size() < 3) z.push_back(*m[std::size_t(k)]);
    }
    return z;
}

// Where the engine's zero-mark search (fine sampling, the definition's
// colour minimum) finds a mark of radius `r` over the box of `c`, when its
// count reaches the count the engine requires.
std::optional<PrintPoint> whereEngineFinds(const Raster& raster, const Component& c, int r) {
    const strovik::SheetDefinition defaults;
    strovik::ZeroMarkSearch search;
    search.radius = r;
    search.colorMin = defaults.zeroMarkColorMin;
    search.step = 1;
    search.windowWidth = c.width() + 2 * r;
    search.windowHeight = c.height() + 2 * r;
    const strovik::Point centre{(c.left + c.right) / 2, (c.top + c.bottom) / 2};
    // The view is non-const because marking samples writes through it; the
    // search only reads.
    const strovik::RasterView upright(const_cast<Raster&>(raster));
    const strovik::SearchHit hit = strovik::searchZeroMarkFast(upright, centre, search);
    if (hit.count < strovik::requiredZeroMarkCount(r, defaults.zeroMarkRate, false))
        return std::nullopt;
    return PrintPoint{hit.centre.x, hit.centre.y};
}

// Places the zero marks and returns them, so they can be kept out of the
// bubbles (a corner square may have a bubble's size).
std::vector<Component> placeZeroMarks(const Raster& raster, const std::vector<Component>& comps,
                                      int maxSide, SheetProposal& out) {
    const std::vector<MarkCandidate> z =
        orderZeroMarks(cornerMarks(comps, raster.width(), raster.height(), maxSide));
    std::vector<int> radii;
    for (const MarkCandidate& m : z)
        radii.push_back(m.cornerL ? std::max(kMinLRadius, int(std::lround(armThickness(m.c))))
                                  : int(std::lround((m.c.width() + m.c.height() - 2) / 4.0)));
    out.zeroRadius = medianOf(radii);
    std::vector<Component> placed;
    for (std::size_t i = 0; i < z.size(); ++i) {
        const MarkCandidate& m = z[i];
        placed.push_back(m.c);
        std::optional<PrintPoint> at = whereEngineFinds(raster, m.c, out.zeroRadius);
        if (at && !m.cornerL) {
            const Centre p = boxCentre(m.c);
            at = PrintPoint{int(std::lround(p.x)), int(std::lround(p.y))};
        }
        if (!at) {
            out.unreadableZeroMarks = true;
            continue;
        }
        out.zeroMarks[i] = *at;
        ++out.zeroMarksFound;
    }
    if (out.zeroMarksFound == 0) out.zeroRadius = 0;
    return placed;
}

// A number grid printed 0 to 9 from the top: its first row is the digit 0,
// the reader's tenth choice.
void placeDigitZeroLast(const Raster& raster, int threshold, const std::vector<Component>& comps,
                        const SheetProposal& out, Grouping& grouping) {
    auto& qs = grouping.questions;
    GridRows rows;
    rows.first = qs[0][0];
    rows.second = qs[0][1];
    rows.columnPitch =
        grouping.numberColumns > 1 ? std::abs(qs[1][0].x - qs[0][0].x) : 2.0 * out.ovalWidth;
    // The grid's columns: the digit columns that start on its first row.
    const double rowPitch = std::abs(rows.second.y - rows.first.y);
    rows.columns = 0;
    for (std::size_t q = 0; q < grouping.numberColumns; ++q)
        if (std::abs(qs[q][0].y - rows.first.y) < rowPitch / 2.0) ++rows.columns;
    rows.bubbleWidth = out.ovalWidth;
    rows.bubbleHeight = out.ovalHeight;
    if (!zeroOnTop(raster, threshold, comps, rows)) return;
    for (std::size_t q = 0; q < grouping.numberColumns; ++q)
        std::rotate(qs[q].begin(), qs[q].begin() + 1, qs[q].end());
}

}  // namespace

int SheetProposal::choices() const {
    std::size_t most = 0;
    for (const auto& q : questions) most = std::max(most, q.size());
    return int(most);
}

SheetProposal proposeSheet(const Raster& raster) {
    SheetProposal out;
    if (raster.empty()) return out;
    const int maxSide =
        std::max(kMinBubblePx, std::min(raster.width(), raster.height()) / kPageSidesPerBubble);
    const int threshold = darkThreshold(raster);
    const std::vector<Component> comps = findComponents(raster, threshold);
    const std::vector<Component> zero = placeZeroMarks(raster, comps, maxSide, out);
    std::vector<Component> cands;
    for (const Component& c : comps) {
        const bool isZero = std::any_of(zero.begin(), zero.end(),
                                        [&](const Component& z) { return sameBox(z, c); });
        if (!isZero && isCandidate(c, maxSide)) cands.push_back(c);
    }
    std::optional<Size> mode = commonSize(cands, maxSide);
    // On a form with much text the most common size is that of the letters:
    // when most candidates of that size stand in words, the size and the
    // bubbles come from the candidates that stand apart.
    if (mode) {
        std::vector<Component> apart;
        std::size_t ofMode = 0, crowded = 0;
        for (const Component& c : cands) {
            if (!isCrowded(c, comps, false)) apart.push_back(c);
            if (withinSize(c.width(), mode->w, kBubbleTolerance) &&
                withinSize(c.height(), mode->h, kBubbleTolerance)) {
                ++ofMode;
                if (isCrowded(c, comps, true)) ++crowded;
            }
        }
        if (2 * crowded > ofMode) {
            cands = std::move(apart);
            mode = commonSize(cands, maxSide);
        }
    }
    std::vector<Component> bubbles;
    if (mode) {
        for (const Component& c : cands)
            if (withinSize(c.width(), mode->w, kBubbleTolerance) &&
                withinSize(c.height(), mode->h, kBubbleTolerance))
                bubbles.push_back(c);
        bubbles = withNeighbours(bubbles, *mode);
    }
    std::vector<int> ws, hs, allW, allH;
    std::vector<double> outlinedFill;
    for (const Component& b : bubbles) {
        allW.push_back(b.width());
        allH.push_back(b.height());
        if (b.fill() < kFilledFill) {
            ws.push_back(b.width());
            hs.push_back(b.height());
            outlinedFill.push_back(b.fill());
        }
    }
    std::sort(outlinedFill.begin(), outlinedFill.end());
    const double inkedAbove =
        outlinedFill.empty() ? kFilledFill : kInkedFill * outlinedFill[outlinedFill.size() / 2];
    std::vector<Centre> centres;
    for (const Component& b : bubbles) {
        centres.push_back(boxCentre(b));
        centres.back().solid = b.fill() >= kFilledFill;
        centres.back().inked = b.fill() > inkedAbove;
    }
    // A shape spanning n pixel columns measures n - 1 between the centres of
    // its outermost pixels: its printed diameter.
    out.ovalWidth = std::max(0, medianOf(ws.empty() ? allW : ws) - 1);
    out.ovalHeight = std::max(0, medianOf(hs.empty() ? allH : hs) - 1);
    if (bubbles.empty()) return out;
    Grouping grouping = groupSheet(centres, out.ovalWidth, out.ovalHeight);
    if (grouping.numberColumns > 0) placeDigitZeroLast(raster, threshold, comps, out, grouping);
    out.questions = std::move(grouping.questions);
    return out;
}

}  // namespace strovik::layout
