// The geometry of a block of questions, as plain functions over points in
// image pixels: where every oval of a block goes from three clicked points
// and two counts, how many questions or choices the print suggests between
// two points, how far a copy or a nudge moves it, and the order questions
// take when a block is renumbered.
//
// Rules:
// - Block positions. The block's first question runs from `first` (its
//   first choice) to `last` (its last choice); its last question starts at
//   `lastQuestion`. Choice c of question q lies at
//     first + c * (last - first) / (choices - 1)
//           + q * (lastQuestion - first) / (questions - 1),
//   each coordinate computed exactly over the common denominator and then
//   rounded once to the nearest pixel, halves away from `first` (so a block
//   mirrored about `first` stays mirrored). A count of 1 drops its term:
//   one choice lies on the question line, one question ignores
//   `lastQuestion`. Positions are question-major: index q * choices + c.
// - Counting along a line. A centre counts for the segment from `from` to
//   `to` when its perpendicular distance from the segment's line is at most
//   `tolerance` and its projection lies between -tolerance and the
//   segment's length + tolerance.
// - Estimated question count (without a print): the distance from `first`
//   to `lastQuestion` over the pitch, rounded to the nearest whole number
//   (halves up), plus one; the pitch is the choice spacing
//   |last - first| / (choices - 1), or `fallbackPitch` with one choice or
//   coinciding clicks; at least 1.
// - Continuing copy. A block copied by command goes where its next
//   question would be: the offset is `questions` times the question step
//   (firstOfLast - firstOfFirst) / (questions - 1), rounded as above. A
//   block of one question moves by the length of one choice spacing
//   (rounded), straight down for choices running sideways (|dx| >= |dy|
//   from first to last choice), straight right for choices running
//   downwards; with one choice, `fallbackPitch` downwards.
// - Renumbering. The block of `count` questions starting at `first` moves
//   to start at `target` (clamped to 0 .. questionCount - count); the
//   other questions keep their order around it.
// - Replacement area. A newly placed block covers the bounding box of its
//   ovals' centres grown on every side by half its spacing: the choice
//   spacing |last - first| / (choices - 1); with one choice or coinciding
//   clicks the question spacing |lastQuestion - first| / (questions - 1);
//   with neither, `fallbackSpacing`. A centre (x, y) lies in the area when
//   left - h <= x <= right + h and top - h <= y <= bottom + h (h the half
//   spacing, unrounded): a centre exactly on the grown edge is inside.
#pragma once

#include <vector>

#include "editor/core/editor_state.h"

namespace dravel {

/// The rounded position of `index` of `count` evenly spaced steps from
/// `from` towards `to` (index / (count - 1) of the way), by the rule above.
/// `count` below 2 gives `from`.
int evenStep(int from, int to, int index, int count);

/// Every oval of the block, question-major (see the rule above). Empty when
/// a count is below 1.
std::vector<Point> blockPositions(Point first, Point last, Point lastQuestion, int questions,
                                  int choices);

/// How many of `centres` lie along the segment from `from` to `to`.
int countAlong(const std::vector<Point>& centres, Point from, Point to, double tolerance);

/// The question count estimated from the spacing of the choices.
int estimateQuestions(Point first, Point last, Point lastQuestion, int choices, int fallbackPitch);

/// The offset of a continuing copy (see the rule above). `firstOfFirst`
/// and `lastOfFirst` are the first and last choice of the block's first
/// question, `firstOfLast` the first choice of its last question.
Point continuingOffset(Point firstOfFirst, Point lastOfFirst, Point firstOfLast, int questions,
                       int choices, int fallbackPitch);

/// The new index of every question 0 .. questionCount - 1 after the block
/// [first, first + count) moves to start at `target`. Empty when the block
/// does not lie within the questions.
std::vector<int> renumberOrder(int questionCount, int first, int count, int target);

/// The area a new block covers (see the rule above).
struct BlockArea {
    double left = 0.0;
    double top = 0.0;
    double right = -1.0;
    double bottom = -1.0;
    bool contains(Point p) const {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
};

/// The spacing the area grows by twice over (see the rule above).
double blockSpacing(Point first, Point last, Point lastQuestion, int questions, int choices,
                    double fallbackSpacing);

/// The bounding box of `positions` grown by `spacing` / 2 on every side;
/// an area that contains nothing when `positions` is empty.
BlockArea replacementArea(const std::vector<Point>& positions, double spacing);

/// The largest move that keeps a snapped oval from reaching a neighbour's
/// bubble: half the smallest distance between neighbouring centres of a
/// question-major block (choices of one question, first choices of
/// consecutive questions); `fallback` when there are no neighbours.
int snapReach(const std::vector<Point>& positions, int questions, int choices, int fallback);

}  // namespace dravel
