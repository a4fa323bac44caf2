#include "engine/recognition/alignment.h"

#include <cmath>
#include <numbers>

namespace strovik {

double baselineAngle(Point p1, Point p2) {
    const double dx = double(p2.x) - double(p1.x);
    const double dy = double(p2.y) - double(p1.y);
    if (dx == 0.0) {
        if (dy == 0.0) return 0.0;
        return dy > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    }
    return std::atan(dy / dx);
}

namespace {
int saturatedDifference(int a, int b) {
    const long long d = (long long)a - b;
    return int(d < -2147483647LL - 1 ? -2147483647LL - 1 : d > 2147483647LL ? 2147483647LL : d);
}
}  // namespace

Alignment computeAlignment(const std::array<Point, 3>& defined, const std::array<Point, 3>& found) {
    Alignment a;
    a.found = found;
    // Saturated: a definition may place zero mark 1 anywhere in the int range.
    a.offsetX = saturatedDifference(found[0].x, defined[0].x);
    a.offsetY = saturatedDifference(found[0].y, defined[0].y);
    a.angle = baselineAngle(found[0], found[1]) - baselineAngle(defined[0], defined[1]);
    a.skew = -1;
    return a;
}

namespace {
int truncToInt(double v) {
    if (!(v > -2147483648.0)) return v != v ? 0 : -2147483647 - 1;
    if (!(v < 2147483647.0)) return 2147483647;
    return int(v);
}
}  // namespace

Point Alignment::map(Point p) const {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double rx = double(p.x) - found[0].x;
    const double ry = double(p.y) - found[0].y;
    const long long x = (long long)found[0].x + offsetX + truncToInt(c * rx - s * ry);
    const long long y = (long long)found[0].y + offsetY + truncToInt(s * rx + c * ry);
    auto clamp = [](long long v) {
        return int(v < -2147483647LL ? -2147483647LL : v > 2147483647LL ? 2147483647LL : v);
    };
    return Point{clamp(x), clamp(y)};
}

}  // namespace strovik
