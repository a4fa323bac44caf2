// Bubble centres grouped into questions in reading order.
//
// Rules, in this order:
// 1. The page's turn is the median slope of horizontal neighbour pairs
//    (centres less than 3 bubble widths apart whose vertical distance is
//    under 0.3 of the horizontal one); centres are turned back by it.
// 2. Columns are runs of centres whose turned x values lie within 0.6 of a
//    bubble width of the previous one; rows the same in y with the height.
// 3. Blocks: a column gap larger than 1.5 times the median column gap
//    starts a new block (left to right); within one, a row gap larger than
//    1.5 times the median row gap starts a new block (top to bottom). Each
//    part is split the same way again (at most 6 times deep) until none
//    splits further, so a bridge of bubbles above two blocks (an example
//    row) does not join them; each block is then cut into its own columns
//    and rows.
// 4. Within a block, rows holding fewer than half the columns and columns
//    holding fewer than half the rows are noise and dropped. Empty cells of
//    what remains, and cells of solid centres, take the row and column
//    positions (mean of the row's and the column's outlined centres). A block of
//    fewer than two cells is dropped, and so is a block whose every centre
//    is inked (bold glyphs of a title, not bubbles).
// 5. Choices run downwards (columns are questions) when the block has at
//    least two rows and two columns, no more than twice as many rows as
//    columns (a long list of rows is a list of questions), and its median
//    row pitch is below 0.85 of its median column pitch; otherwise rows are
//    questions, choices left to right.
// 6. Examples: a block of one row is dropped when, for every block of two
//    rows or more, it lies above or below that block by more than that
//    block's row pitch and farther than 4 median row pitches (the median
//    over those blocks) from it (distance between the boxes of the centres).
// 7. Number grids: a block of exactly 10 rows and at least two columns is a
//    number grid when some other block has two rows or more and no other
//    block has as many columns in 10 rows or fewer (the blocks of one list
//    of questions cut into columns, the last one shorter), except its
//    stacked partner: one block of 10 rows and as many columns whose first
//    and last columns lie within half a column pitch of its own, straight
//    above or below it with at least 3 of its median row pitches between
//    their nearest rows (two numbers, each under its own caption). A
//    second such partner makes neither a number grid (a list of questions
//    in groups of ten), and the partner does not count as the other block.
//    Its columns are questions (digit columns, choices downwards) and come
//    first, before every other question, grid by grid in block order; the
//    rest follow in block order (left to right, then top to bottom within
//    a stripe).
#pragma once

#include <cstddef>
#include <vector>

namespace strovik::layout {

struct PrintPoint {
    int x = -1;
    int y = -1;
    friend bool operator==(const PrintPoint&, const PrintPoint&) = default;
};

struct Centre {
    double x = 0.0;
    double y = 0.0;
    /// A filled-in bubble: pencil spills past the print, so its cell is
    /// placed from the row and column positions like an empty one.
    bool solid = false;
    /// Darker than the page's empty bubbles (a filled-in bubble, or a bold
    /// glyph of bubble size).
    bool inked = false;
};

/// Questions in reading order, each its choices in order, and how many of
/// the first are the digit columns of number grids (rule 7).
struct Grouping {
    std::vector<std::vector<PrintPoint>> questions;
    std::size_t numberColumns = 0;
};

/// The grouping of the centres. `width` and `height` are the full size of
/// one printed bubble in pixels (positive); otherwise nothing is grouped.
Grouping groupSheet(const std::vector<Centre>& centres, double width, double height);

/// The questions of groupSheet().
std::vector<std::vector<PrintPoint>> groupIntoQuestions(const std::vector<Centre>& centres,
                                                        double width, double height);

/// The page's turn in radians by rule 1 (0 when no pair qualifies).
double gridAngle(const std::vector<Centre>& centres, double width);

}  // namespace strovik::layout
