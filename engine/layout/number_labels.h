// The printed order of a number grid's digits, read from the labels
// printed to the left of its rows. The reader takes a digit column's
// choices 1 to 9 as digits 1 to 9 and the tenth as 0; a grid printed with
// 0 on top must then start its choices at its second row.
//
// Rule: the label of a row is, among the regions (print_components.h)
// whose box centre lies within half a row pitch of the row's centre, whose
// right side is left of the row's first bubble (its centre less half the
// bubble width) by at most two column pitches, and whose box is between
// 0.3 and 1.5 times the bubble height tall and at most the bubble width
// wide, the one whose right side is nearest the bubble. The grid has 0 on
// top when both of its first two rows have a label, the first closed (two
// runs of dark pixels, grey below the page's threshold, along the middle
// row of its box: a "0") and the second a single stroke (one run: a "1").
// When neither of the first two rows has a label to its left, the digits
// may be printed inside the bubbles: the glyph of a bubble is a region
// whose box centre lies within a quarter of the bubble width and height of
// the bubble's centre, 0.3 to 0.9 times the bubble height tall and at most
// 0.9 times its width wide. Over the grid's columns (the first row's
// bubble plus whole column pitches) where both rows' bubbles hold a glyph
// (a filled-in bubble holds none), the grid has 0 on top when more show a
// "0" over a "1" than anything else. Every other case keeps the printed
// order.
#pragma once

#include <vector>

#include "engine/layout/bubble_grid.h"
#include "engine/layout/print_components.h"

namespace strovik::layout {

struct GridRows {
    PrintPoint first;   ///< centre of the first bubble of the first row
    PrintPoint second;  ///< centre of the first bubble of the second row
    double columnPitch = 0.0;
    int columns = 1;  ///< the grid's digit columns
    int bubbleWidth = 0;
    int bubbleHeight = 0;
};

/// Whether the grid's labels read 0 above 1. `regions` are the raster's
/// regions at `threshold`.
bool zeroOnTop(const Raster& raster, int threshold, const std::vector<Component>& regions,
               const GridRows& grid);

}  // namespace strovik::layout
