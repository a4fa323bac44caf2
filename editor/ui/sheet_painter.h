// Drawing the sheet: the image at 100 / divisor and, in image pixels over
// it, the figure of the step in progress, every mark with its "q,c" label,
// the image areas with their numbers, the zero marks and the result of a
// test read. Only what meets the exposed rectangle is drawn, so a repaint
// costs what is on screen, not what is defined.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include "editor/core/editor_state.h"
#include "editor/core/trial_read.h"

class QPainter;

namespace dravel {

struct SheetScene {
    const QImage* picture = nullptr;
    const EditorState* state = nullptr;
    const TrialResult* trial = nullptr;  ///< null: no test read shown
    Point pointer;                       ///< image pixels, for the figure in progress
};

/// Paints the part of the view in `exposed` (client pixels) with the view
/// scrolled to `scroll` (display pixels).
void paintSheet(QPainter& painter, const SheetScene& scene, QPoint scroll, const QRect& exposed);

/// The rectangle, in image pixels, that the figure in progress covers with
/// the pointer at `pointer` (empty when nothing is in progress).
QRect inProgressBounds(const EditorState& state, Point pointer);

/// Image pixels to client pixels and back, with the view's integer rules.
QPoint toClient(const EditorState& state, Point image, QPoint scroll);
Point toImage(const EditorState& state, QPoint client, QPoint scroll);
/// The client rectangle that shows the image rectangle `image`.
QRect clientRect(const EditorState& state, const QRect& image, QPoint scroll);

}  // namespace dravel
