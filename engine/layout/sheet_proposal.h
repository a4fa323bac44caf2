// A draft sheet definition read from the print of a blank or filled sheet:
// the three zero marks, the size of the printed bubbles and the bubbles
// grouped into questions.
//
// Rules:
// - Dark is below the page's threshold (print_components.h).
// - Bubble candidates are regions between kMinBubblePx and 1/12 of the
//   shorter page side in both directions, no more than 4 times as long as
//   wide. The bubble size is the most common candidate size (within 8 % and
//   2 pixels); candidates within 20 % and 2 pixels of it are bubbles. When
//   more than half of the candidates of that size stand in words (a region
//   not of their size, within 20 % and 2 pixels, at least 0.3 of their
//   height tall, sharing at least half the rows of the shorter of the two,
//   lies beside them less than 0.25 of their height away), the text is
//   what is common: the size is taken again over the candidates with no
//   region of any size so near, and only they can be bubbles. The
//   measured width and height are the medians over outlined bubbles (fill
//   below kFilledFill), or over all bubbles when none is outlined, less one
//   (a box of n pixels spans n - 1 between its outer pixel centres). Letters
//   printed inside a bubble lie within its box and are not bubbles.
// - A bubble with no other bubble within 4 bubble sizes is dropped.
// - Bubbles darker than 1.8 times the median fill of the outlined ones are
//   inked (bubble_grid.h rule 4).
// - Zero marks are chosen first, and the three chosen are never bubbles.
//   Candidates lie in the outer quarter of the page towards a corner and
//   are either solid (fill at least kZeroMarkFill: a disc, a square, or a
//   ring thick enough that it darkens half its disc as the reader requires,
//   roughly round or square: sides within a factor 1.5, at least
//   kMinBubblePx) or L-shaped (sides within a factor 1.5, at least
//   3 kMinBubblePx, fill below kZeroMarkFill, a stroke t from
//   area = t (w + h - t) of at least 2 pixels and at most 0.3 of the
//   shorter side, and the centre of mass within 0.4 of the box from the
//   sides facing the page corner). A candidate must stand alone: no region
//   of half to twice its width plus height within half its longer side.
//   Per corner, the candidates at least 0.6 times the size of that corner's
//   largest are kept and the one nearest the corner wins. Zero marks 1 and
//   2 are a horizontal pair (bottom left and bottom right when both exist,
//   otherwise top left and top right), zero mark 3 one of the remaining
//   corners (left before right).
// - Radius: per mark, the half mean side less one half for a solid mark,
//   the stroke t (rounded, at least 2) for an L; the median of the three.
// - Every chosen mark must reach the count the engine requires at that
//   radius in its zero-mark search (fine sampling, the definition's colour
//   minimum and rate) over the mark's box; one that does not stays unset
//   and `unreadableZeroMarks` is set (light grey print the reader does not
//   count as dark, a stroke too thin).
// - Position: a solid mark's box centre. An L has no centre of its own: its
//   position is where that search finds it, inside the bend.
#pragma once

#include <array>
#include <vector>

#include "engine/image/raster.h"
#include "engine/layout/bubble_grid.h"

namespace strovik::layout {

inline constexpr int kMinBubblePx = 8;
inline constexpr double kFilledFill = 0.6;
inline constexpr double kZeroMarkFill = 0.45;

struct SheetProposal {
    int zeroMarksFound = 0;  ///< 0..3; the marks not found stay -1
    /// A corner mark was chosen but the engine's search would not find it
    /// (too light or too thin); it stays -1.
    bool unreadableZeroMarks = false;
    std::array<PrintPoint, 3> zeroMarks{};
    int zeroRadius = 0;  ///< 0 when no zero mark was found
    int ovalWidth = 0;   ///< full size of a printed bubble; 0 when none
    int ovalHeight = 0;
    std::vector<std::vector<PrintPoint>> questions;  ///< [question][choice], reading order

    /// The most choices any question has.
    int choices() const;
};

/// The draft for one sheet image.
SheetProposal proposeSheet(const Raster& raster);

}  // namespace strovik::layout
