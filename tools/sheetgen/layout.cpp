// Sheet layout: zero marks near three corners, question blocks between them,
// writing fields above the questions. All sizes follow the dpi.
#include <algorithm>
#include <cmath>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

constexpr double kA4WidthInch = 210.0 / 25.4;
constexpr double kA4HeightInch = 297.0 / 25.4;
constexpr double kReferenceDpi = 300.0;
constexpr double kZeroRadiusAt300 = 14.0;
constexpr double kOvalWidthAt300 = 36.0;
constexpr double kOvalHeightAt300 = 66.0;
constexpr double kZeroInsetInch = 0.9;
constexpr double kChoicePitch = 1.5;  // oval widths between neighbouring choices
constexpr double kRowPitch = 1.3;     // oval heights between question rows
constexpr double kColumnGap = 2.5;    // oval widths between question blocks
constexpr double kAreaHeightInch = 0.45;
constexpr double kGapInch = 0.1;
constexpr int kAreasPerRow = 3;
// The reader looks for a zero mark within this many pixels of its defined
// centre (twice as far at high density); no oval may come that close
// horizontally, even after the sheet moved by kShiftAllowance.
constexpr int kZeroWindowHalfWidth = 50;
constexpr int kHighDensityDpi = 450;
constexpr int kShiftAllowance = 40;

int scaled(double valueAt300, int dpi) {
    return static_cast<int>(std::lround(valueAt300 * dpi / kReferenceDpi));
}

int inches(double inch, int dpi) {
    return static_cast<int>(std::lround(inch * dpi));
}

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Region that ovals and writing fields may occupy.
Box contentBox(const Layout& l) {
    const int window = l.dpi >= kHighDensityDpi ? 2 * kZeroWindowHalfWidth : kZeroWindowHalfWidth;
    const int side = window + l.zeroRadius + kShiftAllowance + inches(kGapInch / 2, l.dpi);
    const int vertical = l.zeroRadius + inches(kGapInch, l.dpi);
    return {l.zero[0].x + side, l.zero[2].y + vertical, l.zero[1].x - side, l.zero[0].y - vertical};
}

void placeZeroMarks(Layout& l) {
    const int inset = inches(kZeroInsetInch, l.dpi);
    l.zero[0] = {inset, l.heightPx - inset};
    l.zero[1] = {l.widthPx - inset, l.heightPx - inset};
    l.zero[2] = {inset, inset};
}

// Writing fields in rows of up to three; returns the y below the last row.
int placeAreas(Layout& l, const Box& box, int count) {
    if (count <= 0) return box.top;
    const int height = inches(kAreaHeightInch, l.dpi);
    const int gap = inches(kGapInch, l.dpi);
    int y = box.top;
    for (int first = 0; first < count; first += kAreasPerRow) {
        const int inRow = std::min(kAreasPerRow, count - first);
        const int width = (box.width() - (inRow - 1) * gap) / inRow;
        for (int i = 0; i < inRow; ++i) {
            l.areas.push_back({box.left + i * (width + gap), y, width, height});
        }
        y += height + gap;
    }
    return y + gap;
}

// Spacing of the question blocks, in pixels.
struct Pitches {
    int choice = 0;  ///< centre to centre of neighbouring choices
    int row = 0;     ///< centre to centre of neighbouring questions
    int gap = 0;     ///< free space between two blocks
    int block = 0;   ///< width of one block, outline to outline

    Pitches(const Layout& l, int choices)
        : choice(static_cast<int>(std::lround(kChoicePitch * l.ovalWidth))),
          row(static_cast<int>(std::lround(kRowPitch * l.ovalHeight))),
          gap(static_cast<int>(std::lround(kColumnGap * l.ovalWidth))),
          block((choices - 1) * choice + l.ovalWidth) {}
};

struct Grid {
    int columns = 1;
    int rows = 1;
};

// Starts from the requested number of blocks and adds blocks while the
// questions are too many for the height and another block fits the width.
Grid chooseGrid(const LayoutParams& p, const Layout& l, const Pitches& pitch, const Box& box,
                int top) {
    const int fitColumns = std::max(1, (box.width() + pitch.gap) / (pitch.block + pitch.gap));
    const int fitRows = std::max(1, (box.bottom - top - l.ovalHeight) / pitch.row + 1);
    auto rowsFor = [&](int columns) { return (p.questions + columns - 1) / columns; };
    Grid g;
    g.columns = std::max(1, p.columns);
    while (rowsFor(g.columns) > fitRows && g.columns < fitColumns) ++g.columns;
    g.rows = std::max(1, rowsFor(g.columns));
    return g;
}

// Questions run down the first block, then the next; blocks are centred.
void placeOvals(Layout& l, const LayoutParams& p, const Box& box, int top) {
    const Pitches pitch(l, p.choices);
    const Grid g = chooseGrid(p, l, pitch, box, top);
    const int totalWidth = g.columns * pitch.block + (g.columns - 1) * pitch.gap;
    const int left = box.left + std::max(0, (box.width() - totalWidth) / 2);
    l.ovals.assign(p.questions, {});
    for (int q = 0; q < p.questions; ++q) {
        const int column = q / g.rows;
        const int row = q % g.rows;
        const int x0 = left + column * (pitch.block + pitch.gap) + l.ovalWidth / 2;
        const int y = top + row * pitch.row + l.ovalHeight / 2;
        for (int c = 0; c < p.choices; ++c) l.ovals[q].push_back({x0 + c * pitch.choice, y});
    }
}

}  // namespace

Layout makeLayout(const LayoutParams& params) {
    Layout l;
    l.dpi = std::max(1, params.dpi);
    l.widthPx =
        params.widthPx > 0 ? params.widthPx : static_cast<int>(std::lround(kA4WidthInch * l.dpi));
    l.heightPx = params.heightPx > 0 ? params.heightPx
                                     : static_cast<int>(std::lround(kA4HeightInch * l.dpi));
    l.zeroRadius = std::max(1, scaled(kZeroRadiusAt300, l.dpi));
    l.ovalWidth = std::max(2, scaled(kOvalWidthAt300, l.dpi));
    l.ovalHeight = std::max(2, scaled(kOvalHeightAt300, l.dpi));
    placeZeroMarks(l);

    LayoutParams p = params;
    p.questions = std::max(0, p.questions);
    p.choices = std::max(1, p.choices);
    const Box box = contentBox(l);
    const int top = placeAreas(l, box, p.imageAreas);
    placeOvals(l, p, box, top);

    for (int q : params.multiQuestions) {
        if (q >= 0 && q < p.questions) l.multiQuestions.push_back(q);
    }
    std::sort(l.multiQuestions.begin(), l.multiQuestions.end());
    l.multiQuestions.erase(std::unique(l.multiQuestions.begin(), l.multiQuestions.end()),
                           l.multiQuestions.end());
    return l;
}

bool layoutFits(const Layout& l, int marginPx) {
    auto inside = [&](int left, int top, int right, int bottom) {
        return left >= marginPx && top >= marginPx && right <= l.widthPx - marginPx &&
               bottom <= l.heightPx - marginPx;
    };
    for (const Pt& z : l.zero) {
        if (!inside(z.x - l.zeroRadius, z.y - l.zeroRadius, z.x + l.zeroRadius,
                    z.y + l.zeroRadius)) {
            return false;
        }
    }
    const Box box = contentBox(l);
    for (const auto& question : l.ovals) {
        for (const Pt& o : question) {
            const int left = o.x - l.ovalWidth / 2;
            const int top = o.y - l.ovalHeight / 2;
            const int right = left + l.ovalWidth;
            const int bottom = top + l.ovalHeight;
            if (!inside(left, top, right, bottom)) return false;
            // Ovals must also stay clear of the zero marks' search area.
            if (left < box.left || right > box.right || top < box.top || bottom > box.bottom) {
                return false;
            }
        }
    }
    for (const AreaRect& a : l.areas) {
        if (!inside(a.x, a.y, a.x + a.width, a.y + a.height)) return false;
    }
    return true;
}

}  // namespace sheetgen
