#include "engine/layout/bubble_grid.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace strovik::layout {
namespace {

constexpr double kNeighbourWidths = 3.0;
constexpr double kNeighbourSlope = 0.3;
constexpr double kSameLine = 0.6;
constexpr double kBlockGap = 1.5;
constexpr double kDownwardsPitch = 0.85;
constexpr std::size_t kMinBlockBubbles = 2;
constexpr int kMaxSplitDepth = 6;
constexpr double kLegendGap = 4.0;
constexpr std::size_t kDigitRows = 10;
constexpr std::size_t kMaxRowsPerColumn = 2;
constexpr double kStackedGap = 3.0;

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(mid), v.end());
    return v[mid];
}

// Indices of `pts` grouped into runs along `key`: a new run starts where
// the key grows by more than `gap` over the previous one.
using Group = std::vector<std::size_t>;
std::vector<Group> runsAlong(const std::vector<Centre>& pts, const Group& members,
                             const std::function<double(const Centre&)>& key, double gap) {
    Group order = members;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return key(pts[a]) < key(pts[b]); });
    std::vector<Group> runs;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || key(pts[order[i]]) - key(pts[order[i - 1]]) > gap) runs.emplace_back();
        runs.back().push_back(order[i]);
    }
    return runs;
}

// The mean over the outlined members, or over all when every one is solid.
double meanAlong(const std::vector<Centre>& pts, const Group& g,
                 const std::function<double(const Centre&)>& key) {
    double sum = 0.0, all = 0.0;
    std::size_t n = 0;
    for (std::size_t i : g) {
        all += key(pts[i]);
        if (pts[i].solid) continue;
        sum += key(pts[i]);
        ++n;
    }
    if (n > 0) return sum / double(n);
    return g.empty() ? 0.0 : all / double(g.size());
}

std::vector<double> pitches(const std::vector<double>& means) {
    std::vector<double> out;
    for (std::size_t i = 1; i < means.size(); ++i) out.push_back(means[i] - means[i - 1]);
    return out;
}

// Splits runs where the gap between their means exceeds kBlockGap times the
// median gap; the members of each part, in order.
std::vector<Group> splitAtWideGaps(const std::vector<Centre>& pts, const std::vector<Group>& runs,
                                   const std::function<double(const Centre&)>& key) {
    std::vector<double> means;
    for (const Group& r : runs) means.push_back(meanAlong(pts, r, key));
    const double typical = median(pitches(means));
    std::vector<Group> parts;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i == 0 || means[i] - means[i - 1] > kBlockGap * typical) parts.emplace_back();
        parts.back().insert(parts.back().end(), runs[i].begin(), runs[i].end());
    }
    return parts;
}

struct Frame {
    double c = 1.0, s = 0.0;  // turn back by the page's angle
    Centre toGrid(const Centre& p) const { return {c * p.x + s * p.y, -s * p.x + c * p.y}; }
    PrintPoint toImage(double u, double v) const {
        return {int(std::lround(c * u - s * v)), int(std::lround(s * u + c * v))};
    }
};

struct Block {
    std::vector<double> colU, rowV;
    std::vector<std::vector<int>> cell;  // [row][col] index into the points, -1 empty

    std::size_t rows() const { return rowV.size(); }
    std::size_t cols() const { return colU.size(); }
    bool empty() const { return rows() * cols() < kMinBlockBubbles; }
};

// The distance between the centre boxes of two blocks (0 when they overlap).
double gapBetween(const Block& a, const Block& b) {
    const double gx =
        std::max({0.0, a.colU.front() - b.colU.back(), b.colU.front() - a.colU.back()});
    const double gy =
        std::max({0.0, a.rowV.front() - b.rowV.back(), b.rowV.front() - a.rowV.back()});
    return std::hypot(gx, gy);
}

std::vector<Group> keepDense(const std::vector<Group>& runs, std::size_t other) {
    std::vector<Group> kept;
    for (const Group& r : runs)
        if (2 * r.size() >= other) kept.push_back(r);
    return kept;
}

Block makeBlock(const std::vector<Centre>& g, const Group& members, double w, double h) {
    auto u = [](const Centre& p) { return p.x; };
    auto v = [](const Centre& p) { return p.y; };
    std::vector<Group> cols = runsAlong(g, members, u, kSameLine * w);
    std::vector<Group> rows = runsAlong(g, members, v, kSameLine * h);
    const std::size_t nCols = cols.size(), nRows = rows.size();
    cols = keepDense(cols, nRows);
    rows = keepDense(rows, nCols);
    Block b;
    for (const Group& c : cols) b.colU.push_back(meanAlong(g, c, u));
    for (const Group& r : rows) b.rowV.push_back(meanAlong(g, r, v));
    b.cell.assign(rows.size(), std::vector<int>(cols.size(), -1));
    std::vector<int> colOf(g.size(), -1);
    for (std::size_t c = 0; c < cols.size(); ++c)
        for (std::size_t i : cols[c]) colOf[i] = int(c);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t i : rows[r])
            if (colOf[i] >= 0) b.cell[r][std::size_t(colOf[i])] = int(i);
    return b;
}

void emitBlock(const Block& b, bool downwards, const std::vector<Centre>& image, const Frame& f,
               std::vector<std::vector<PrintPoint>>& out) {
    const std::size_t nr = b.rows(), nc = b.cols();
    auto at = [&](std::size_t r, std::size_t c) {
        const int i = b.cell[r][c];
        if (i >= 0 && !image[std::size_t(i)].solid)
            return PrintPoint{int(std::lround(image[std::size_t(i)].x)),
                              int(std::lround(image[std::size_t(i)].y))};
        return f.toImage(b.colU[c], b.rowV[r]);
    };
    if (downwards) {
        for (std::size_t c = 0; c < nc; ++c) {
            out.emplace_back();
            for (std::size_t r = 0; r < nr; ++r) out.back().push_back(at(r, c));
        }
    } else {
        for (std::size_t r = 0; r < nr; ++r) {
            out.emplace_back();
            for (std::size_t c = 0; c < nc; ++c) out.back().push_back(at(r, c));
        }
    }
}

// Rule 6: every printed shape inked.
bool allInked(const Block& b, const std::vector<Centre>& pts) {
    for (const auto& row : b.cell)
        for (int i : row)
            if (i >= 0 && !pts[std::size_t(i)].inked) return false;
    return true;
}

// Rule 6: a lone row standing apart, above or below every block of
// several rows (beyond one row pitch of its first and last row), and
// farther than kLegendGap median row pitches from each, is an example
// printed on the form. A row beside a block is a question of the layout.
std::vector<Block> withoutLegendRows(const std::vector<Block>& blocks) {
    std::vector<double> rowPitches;
    for (const Block& b : blocks)
        if (b.rows() >= 2) rowPitches.push_back(median(pitches(b.rowV)));
    if (rowPitches.empty()) return blocks;
    const double reach = kLegendGap * median(rowPitches);
    auto apart = [&](const Block& row, const Block& o) {
        const double v = row.rowV.front(), pitch = median(pitches(o.rowV));
        const bool beside = v >= o.rowV.front() - pitch && v <= o.rowV.back() + pitch;
        return !beside && gapBetween(row, o) > reach;
    };
    std::vector<Block> kept;
    for (const Block& b : blocks) {
        bool lone = b.rows() == 1;
        for (const Block& o : blocks)
            if (lone && o.rows() >= 2 && !apart(b, o)) lone = false;
        if (!lone) kept.push_back(b);
    }
    return kept;
}

// Rule 7: the other grid of a stacked pair (two numbers, such as a student
// and a course number): the same columns, straight above or below, with at
// least kStackedGap row pitches between their nearest rows (room for a
// printed caption or a row of write-in boxes).
bool isStackedPartner(const Block& b, const Block& o) {
    if (o.rows() != kDigitRows || o.cols() != b.cols()) return false;
    const double colPitch = median(pitches(b.colU)), rowPitch = median(pitches(b.rowV));
    if (std::abs(o.colU.front() - b.colU.front()) > colPitch / 2.0 ||
        std::abs(o.colU.back() - b.colU.back()) > colPitch / 2.0)
        return false;
    const double gap = std::max(o.rowV.front() - b.rowV.back(), b.rowV.front() - o.rowV.back());
    return gap >= kStackedGap * rowPitch;
}

// Rule 7: a number grid.
bool isDigitGrid(const Block& b, const std::vector<Block>& blocks) {
    if (b.rows() != kDigitRows || b.cols() < 2) return false;
    bool other = false;
    int partners = 0;
    for (const Block& o : blocks) {
        if (&o == &b) continue;
        if (isStackedPartner(b, o)) {
            if (++partners > 1) return false;
            continue;
        }
        // The same columns in no more rows: answers continued from a list
        // cut into blocks, not a number.
        if (o.cols() == b.cols() && o.rows() <= b.rows()) return false;
        if (o.rows() >= 2) other = true;
    }
    return other;
}

// Rule 5.
bool choicesRunDown(const Block& b) {
    const std::size_t nr = b.rows(), nc = b.cols();
    if (nr < 2 || nc < 2 || nr > kMaxRowsPerColumn * nc) return false;
    return median(pitches(b.rowV)) < kDownwardsPitch * median(pitches(b.colU));
}

// Rule 3, repeated on every part until no part splits further: a part cut
// off vertically may still hold blocks side by side that a bridge of
// bubbles elsewhere joined.
void splitIntoBlocks(const std::vector<Centre>& g, const Group& members, double w, double h,
                     int depth, std::vector<Group>& out) {
    auto u = [](const Centre& p) { return p.x; };
    auto v = [](const Centre& p) { return p.y; };
    std::vector<Group> parts;
    for (const Group& stripe : splitAtWideGaps(g, runsAlong(g, members, u, kSameLine * w), u))
        for (const Group& part : splitAtWideGaps(g, runsAlong(g, stripe, v, kSameLine * h), v))
            parts.push_back(part);
    if (parts.size() == 1 || depth == 0) {
        out.insert(out.end(), parts.begin(), parts.end());
        return;
    }
    for (const Group& part : parts) splitIntoBlocks(g, part, w, h, depth - 1, out);
}

}  // namespace

double gridAngle(const std::vector<Centre>& centres, double width) {
    std::vector<double> slopes;
    for (std::size_t i = 0; i < centres.size(); ++i) {
        double bestDx = kNeighbourWidths * width;
        double slope = 0.0;
        bool found = false;
        for (std::size_t j = 0; j < centres.size(); ++j) {
            const double dx = centres[j].x - centres[i].x;
            const double dy = centres[j].y - centres[i].y;
            if (dx <= 0.0 || dx >= bestDx || std::abs(dy) >= kNeighbourSlope * dx) continue;
            bestDx = dx;
            slope = dy / dx;
            found = true;
        }
        if (found) slopes.push_back(slope);
    }
    return slopes.empty() ? 0.0 : std::atan(median(slopes));
}

Grouping groupSheet(const std::vector<Centre>& centres, double width, double height) {
    Grouping grouping;
    std::vector<std::vector<PrintPoint>>& out = grouping.questions;
    if (centres.empty() || width <= 0.0 || height <= 0.0) return grouping;
    const double angle = gridAngle(centres, width);
    const Frame f{std::cos(angle), std::sin(angle)};
    std::vector<Centre> g;
    for (const Centre& p : centres) {
        g.push_back(f.toGrid(p));
        g.back().solid = p.solid;
        g.back().inked = p.inked;
    }
    Group all(g.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    std::vector<Group> parts;
    splitIntoBlocks(g, all, width, height, kMaxSplitDepth, parts);
    std::vector<Block> blocks;
    for (const Group& part : parts) {
        Block b = makeBlock(g, part, width, height);
        if (!b.empty() && !allInked(b, g)) blocks.push_back(std::move(b));
    }
    blocks = withoutLegendRows(blocks);
    std::vector<bool> digits;
    for (const Block& b : blocks) digits.push_back(isDigitGrid(b, blocks));
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (digits[i]) emitBlock(blocks[i], true, centres, f, out);
    grouping.numberColumns = out.size();
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (!digits[i]) emitBlock(blocks[i], choicesRunDown(blocks[i]), centres, f, out);
    return grouping;
}

std::vector<std::vector<PrintPoint>> groupIntoQuestions(const std::vector<Centre>& centres,
                                                        double width, double height) {
    return groupSheet(centres, width, height).questions;
}

}  // namespace strovik::layout
