// Hit tests and the corner order of image areas, in image pixels.
#pragma once

#include "editor/core/editor_state.h"

namespace dravel {

/// True when `p` lies inside the oval of the given full size centred on
/// `centre`: dx² / (w/2)² + dy² / (h/2)² < 1 with the integer halves of the
/// size. An oval with a half below 1 holds no point.
bool insideOval(Point p, Point centre, int width, int height);

/// True when `p` lies within `radius` of `centre` (distance² < radius²).
bool insideDisc(Point p, Point centre, int radius);

/// Crossing-number test over the area's four edges: inside when an odd
/// number of edges cross the horizontal ray from `p` to the right.
bool insideArea(Point p, const ImageArea& area);

/// The last mark record in use (searched from the end) whose oval holds `p`,
/// or -1.
int markAt(const EditorState& state, Point p);

/// The last of zero marks 1..3 (0-based) whose disc holds `p`, or -1.
int zeroMarkAt(const EditorState& state, Point p);

/// The first image area that holds `p`, or -1.
int areaAt(const EditorState& state, Point p);

/// Orders four clicked corners top-left, top-right, bottom-right,
/// bottom-left: sorted by y, the upper two and the lower two each by x, then
/// the lower two exchanged. Ties keep the click order.
ImageArea sortedArea(const std::array<Point, 4>& clicked);

}  // namespace dravel
