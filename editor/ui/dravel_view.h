// CDravelView: the canvas. A scroll area that shows the sheet at
// 100 / divisor and passes clicks, moves, keys and drops to the editor's
// placing steps in image pixels; right-drag scrolls. Painting is in
// sheet_painter.cpp, input handling in view_input.cpp.
#pragma once

#include <QAbstractScrollArea>
#include <QRect>

#include "editor/core/editor_state.h"
#include "editor/ui/sheet_painter.h"

namespace dravel {

class CDravelDoc;

class CDravelView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CDravelView(CDravelDoc& doc, QWidget* parent = nullptr);

    /// Scroll position in display pixels.
    QPoint scrollPosition() const;
    /// Image pixels under the mouse pointer (or the view's centre when the
    /// pointer is elsewhere).
    Point pointerInImage() const;
    /// The image point at a client position.
    Point imageAt(QPoint client) const;
    /// Scroll bars for the current image and zoom.
    void updateScrollBars();
    /// The largest zoom that shows the whole image (view_zoom.cpp).
    void zoomToFit();
    /// Zooms to `divisor`, keeping the image point under client point
    /// `anchor` where it is.
    void zoomAround(int divisor, QPoint anchor);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// Ctrl+wheel zooms around the pointer; the plain wheel scrolls.
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void connectHooks();
    void redrawAll();
    void redrawFigure(bool everything);
    void movePointerTo(Point image, int screenDy);
    QRect figureRect() const;

    CDravelDoc& doc_;
    PaintCache cache_;
    Point pointer_;      ///< last image point the mouse was at
    QRect shownFigure_;  ///< client rectangle of the figure drawn last
    bool rightDragging_ = false;
    QPoint rightPress_;   ///< client point of the right press
    QPoint rightScroll_;  ///< scroll position at the right press
};

}  // namespace dravel
