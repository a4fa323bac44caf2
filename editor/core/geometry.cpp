#include "editor/core/geometry.h"

#include <algorithm>

namespace dravel {

bool insideOval(Point p, Point centre, int width, int height) {
    const int halfWidth = width / 2;
    const int halfHeight = height / 2;
    if (halfWidth < 1 || halfHeight < 1) return false;
    const double dx = double(p.x) - double(centre.x);
    const double dy = double(p.y) - double(centre.y);
    const double hw = halfWidth;
    const double hh = halfHeight;
    return dx * dx / (hw * hw) + dy * dy / (hh * hh) < 1.0;
}

bool insideDisc(Point p, Point centre, int radius) {
    const double dx = double(p.x) - double(centre.x);
    const double dy = double(p.y) - double(centre.y);
    return dx * dx + dy * dy < double(radius) * double(radius);
}

bool insideArea(Point p, const ImageArea& area) {
    bool inside = false;
    const double px = p.x;
    const double py = p.y;
    for (std::size_t i = 0; i < area.corners.size(); ++i) {
        const Point a = area.corners[i];
        const Point b = area.corners[(i + 1) % area.corners.size()];
        if ((a.y > p.y) == (b.y > p.y)) continue;
        const double crossX =
            double(a.x) + (py - double(a.y)) * double(b.x - a.x) / double(b.y - a.y);
        if (px < crossX) inside = !inside;
    }
    return inside;
}

int markAt(const EditorState& state, Point p) {
    for (int i = state.markCount - 1; i >= 0; --i) {
        const MarkRecord& m = state.marks[std::size_t(i)];
        if (insideOval(p, {m.x, m.y}, state.ovalWidth, state.ovalHeight)) return i;
    }
    return -1;
}

int zeroMarkAt(const EditorState& state, Point p) {
    int hit = -1;
    for (int i = 0; i < 3; ++i) {
        if (insideDisc(p, state.zeroMarks[std::size_t(i)], state.zeroRadius)) hit = i;
    }
    return hit;
}

int areaAt(const EditorState& state, Point p) {
    for (std::size_t i = 0; i < state.areas.size(); ++i) {
        if (insideArea(p, state.areas[i])) return int(i);
    }
    return -1;
}

ImageArea sortedArea(const std::array<Point, 4>& clicked) {
    std::array<Point, 4> c = clicked;
    auto byY = [](const Point& a, const Point& b) { return a.y < b.y; };
    auto byX = [](const Point& a, const Point& b) { return a.x < b.x; };
    std::stable_sort(c.begin(), c.end(), byY);
    std::stable_sort(c.begin(), c.begin() + 2, byX);
    std::stable_sort(c.begin() + 2, c.end(), byX);
    std::swap(c[2], c[3]);
    return ImageArea{c};
}

}  // namespace dravel
