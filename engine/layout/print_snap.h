// Snapping a point placed by hand onto the print under it: the centre of
// the printed bubble or filled circle nearest to the point.
//
// Rule: the regions of a window around the point (dark below the window's
// own threshold, print_components.h) are considered when their box is between kSnapMinSize
// and kSnapMaxSize times the expected size in both directions and does not
// touch the window's edge; the one whose box centre is nearest the point
// wins if that centre lies within `reach` pixels (distance <= reach). Ties
// go to the region met first (top to bottom).
#pragma once

#include <optional>

#include "engine/image/raster.h"
#include "engine/layout/bubble_grid.h"

namespace strovik::layout {

inline constexpr double kSnapMinSize = 0.5;
inline constexpr double kSnapMaxSize = 1.6;

struct SnapTarget {
    PrintPoint point;  ///< the placed point, image pixels
    int width = 0;     ///< expected full size of the printed shape
    int height = 0;
    int reach = 0;  ///< largest move allowed, pixels
};

/// The centre of the printed shape, or nullopt when none qualifies (the
/// point then stays where it was placed).
std::optional<PrintPoint> snapToPrint(const Raster& raster, const SnapTarget& target);

}  // namespace strovik::layout
