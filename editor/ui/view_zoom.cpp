// CDravelView's zoom: fit to window and Ctrl+wheel around the pointer.
#include <QScrollBar>
#include <QWheelEvent>

#include "editor/core/zoom.h"
#include "editor/ui/dravel_doc.h"
#include "editor/ui/dravel_view.h"

namespace dravel {

void CDravelView::zoomToFit() {
    EditorState& s = doc_.state();
    const QImage& picture = doc_.picture();
    if (picture.isNull()) return;
    s.divisor =
        fitDivisor(picture.width(), picture.height(), viewport()->width(), viewport()->height());
    redrawAll();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void CDravelView::zoomAround(int divisor, QPoint anchor) {
    EditorState& s = doc_.state();
    const Point image = imageAt(anchor);
    s.divisor = std::clamp(divisor, kMinZoomDivisor, kMaxZoomDivisor);
    updateScrollBars();
    const Point scroll = scrollKeeping(image, anchor.x(), anchor.y(), s.divisor);
    horizontalScrollBar()->setValue(scroll.x);
    verticalScrollBar()->setValue(scroll.y);
    redrawAll();
}

void CDravelView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || doc_.picture().isNull()) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta == 0) return event->accept();
    const int divisor = doc_.state().divisor;
    zoomAround(delta > 0 ? zoomInDivisor(divisor) : zoomOutDivisor(divisor),
               event->position().toPoint());
    event->accept();
}

}  // namespace dravel
