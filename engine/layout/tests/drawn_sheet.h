// Sheets drawn in the tests: white paper with bubbles (outlined ovals or
// boxes, filled ovals, a letter inside), filled zero marks, a small turn
// about the page centre and grey noise.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/image/raster.h"
#include "engine/layout/bubble_grid.h"

namespace layout_test {

using strovik::layout::PrintPoint;

struct DrawnBlock {
    int left = 0, top = 0;  ///< centre of the first bubble
    int questions = 0, choices = 0;
    int pitchX = 0, pitchY = 0;
    bool downwards = false;  ///< choices run down a column
};

struct DrawnSheet {
    int width = 1240, height = 1754;  // A4 at 150 dpi
    int ovalW = 18, ovalH = 30, stroke = 2;
    bool boxes = false;    ///< squares instead of ovals
    bool letters = false;  ///< a letter stroke inside every bubble
    int zeroRadius = 10;
    std::vector<PrintPoint> zeroMarks{{100, 1654}, {1140, 1654}, {100, 100}};
    /// With an arm length, zero marks are L-shaped corner marks instead of
    /// discs: the point is the L's outer corner, its arms run away from the
    /// nearest page corner, `cornerStroke` thick.
    int cornerArm = 0;
    int cornerStroke = 0;
    int zeroGrey = 20;  ///< grey of the zero marks
    /// Filled squares (centre, half side): bold print such as a title.
    std::vector<std::pair<PrintPoint, int>> blots;
    /// Row labels 20 pixels tall: '0' a ring, '1' a bar.
    std::vector<std::pair<PrintPoint, char>> labels;
    std::vector<DrawnBlock> blocks;
    std::vector<std::pair<int, int>> filled;  ///< (question, choice) shaded
    double angle = 0.0;                       ///< radians, about the page centre
    double noise = 0.0;                       ///< fraction of pixels set to a random grey
    std::uint32_t seed = 1;

    /// Bubble centres in reading order, before the turn.
    std::vector<std::vector<PrintPoint>> centres() const;
    /// Where the turn takes a point.
    PrintPoint turned(PrintPoint p) const;
    strovik::Raster draw() const;
};

}  // namespace layout_test
