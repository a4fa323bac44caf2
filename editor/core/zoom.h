// Zoom of the editor's canvas as the divisor of the editing state: the
// image is shown at size * 100 / divisor, so divisor 25 is 400 % and 400
// is 25 %. Menu steps and the Ctrl+wheel walk a ladder of divisors; fit to
// window picks the largest zoom that shows the whole image.
#pragma once

#include "editor/core/editor_state.h"

namespace dravel {

/// 400 % and 25 %.
inline constexpr int kMinZoomDivisor = 25;
inline constexpr int kMaxZoomDivisor = 400;

/// The next step in (a smaller divisor) from the ladder 400, 300, 200, 150,
/// 100, 67, 50, 33, 25: the largest ladder divisor below `divisor`, or
/// kMinZoomDivisor when there is none.
int zoomInDivisor(int divisor);
/// The next step out: the smallest ladder divisor above `divisor`, or
/// kMaxZoomDivisor.
int zoomOutDivisor(int divisor);

/// The smallest divisor at which a bitmap of the given size fits in a view
/// of the given size (rounded up, so it never overflows), clamped to
/// [kMinZoomDivisor, kMaxZoomDivisor]; kMinDivisor when a size is not
/// positive.
int fitDivisor(int bitmapWidth, int bitmapHeight, int viewWidth, int viewHeight);

/// The scroll position (display pixels) that keeps image point `image`
/// under client point (clientX, clientY) at `divisor`; never negative.
Point scrollKeeping(Point image, int clientX, int clientY, int divisor);

}  // namespace dravel
