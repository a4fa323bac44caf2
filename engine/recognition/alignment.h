// Sheet alignment: the offset and angle that map defined sheet positions onto
// the scanned image, derived from the found zero marks.
#pragma once

#include <array>

#include "engine/recognition/sheet_definition.h"

namespace strovik {

struct Alignment {
    std::array<Point, 3> found{};  ///< F1..F3, image positions of the zero marks
    int offsetX = 0;               ///< F1.x - Z1.x
    int offsetY = 0;               ///< F1.y - Z1.y
    double angle = 0.0;            ///< radians, found baseline minus defined baseline
    int skew = -1;                 ///< pixels; -1 = not measured

    /// Image position of a defined point: rotation about F1, offset added,
    /// each rotated term truncated towards zero.
    Point map(Point defined) const;
};

/// Angle of the baseline from p1 to p2 as arctan(dy / dx). When dx is 0 the
/// baseline is vertical and the angle is taken as +pi/2 or -pi/2 by the sign
/// of dy (0 when both points coincide).
double baselineAngle(Point p1, Point p2);

/// Offset and angle from the defined and found zero marks 1 and 2; `found`
/// must hold F1..F3. Leaves skew at -1.
Alignment computeAlignment(const std::array<Point, 3>& defined, const std::array<Point, 3>& found);

}  // namespace strovik
