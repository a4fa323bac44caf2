// Drawing the sheet: the image at 100 / divisor and, in image pixels over
// it, the figure of the step in progress, every mark with its "q,c" label,
// the image areas with their numbers, the zero marks and the result of a
// test read. Only what meets the exposed rectangle is drawn, so a repaint
// costs what is on screen, not what is defined.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QStaticText>
#include <unordered_map>

#include "editor/core/editor_state.h"
#include "editor/core/trial_read.h"

class QPainter;

namespace dravel {

/// What every repaint draws again and again, prepared once for the current
/// zoom: the "q,c" labels laid out (glyph blits instead of text shaping) and
/// the oval in each of its two colours at screen size (a blit instead of
/// rasterising an ellipse). Bounded; cleared when full or when the zoom or
/// the oval size changes.
class PaintCache {
public:
    static constexpr std::size_t kMaxLabels = 4 * 10100;

    /// Starts a paint at `divisor`; drops what was prepared for another.
    void useDivisor(int divisor);
    const QStaticText& label(int question, int choice, const QFont& font);
    /// The oval of full size w x h (image pixels) at screen size, filled
    /// pink when `multi`, else pale yellow, outlined in black.
    const QImage& oval(int width, int height, bool multi);
    /// Image pixels per screen pixel of the prepared figures.
    double scale() const { return scale_; }

private:
    std::unordered_map<long long, QStaticText> labels_;
    int divisor_ = 0;
    double scale_ = 1.0;
    QSize ovalSize_;
    QImage ovals_[2];
};

struct SheetScene {
    const QImage* picture = nullptr;
    const EditorState* state = nullptr;
    const TrialResult* trial = nullptr;  ///< null: no test read shown
    Point pointer;                       ///< image pixels, for the figure in progress
    PaintCache* cache = nullptr;         ///< null: everything drawn from scratch
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
