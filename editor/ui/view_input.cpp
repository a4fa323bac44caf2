// CDravelView's input: left clicks and releases to the placing steps,
// mouse moves with the prompts, right-drag scrolling, the view's keys
// (with the pointer read first and written back moved), and dropped files.
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "editor/ui/dravel_doc.h"
#include "editor/ui/dravel_view.h"

namespace dravel {
namespace {

Modifiers modifiersOf(Qt::KeyboardModifiers m) {
    return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier)};
}

std::optional<ViewKey> viewKey(const QKeyEvent& event) {
    if (event.modifiers().testFlag(Qt::ControlModifier)) {
        if (event.key() == Qt::Key_Y) return ViewKey::Redo;
        return std::nullopt;
    }
    switch (event.key()) {
        case Qt::Key_Escape:
            return ViewKey::Escape;
        case Qt::Key_PageUp:
            return ViewKey::PageUp;
        case Qt::Key_PageDown:
            return ViewKey::PageDown;
        case Qt::Key_Left:
            return ViewKey::Left;
        case Qt::Key_Right:
            return ViewKey::Right;
        case Qt::Key_Up:
            return ViewKey::Up;
        case Qt::Key_Down:
            return ViewKey::Down;
        case Qt::Key_Delete:
            return ViewKey::Delete;
        case Qt::Key_A:
            return ViewKey::WiderOval;
        case Qt::Key_S:
            return ViewKey::NarrowerOval;
        case Qt::Key_W:
            return ViewKey::TallerOval;
        case Qt::Key_Z:
            return ViewKey::ShorterOval;
        case Qt::Key_D:
            return ViewKey::LargerZero;
        case Qt::Key_F:
            return ViewKey::SmallerZero;
        default:
            return std::nullopt;
    }
}

}  // namespace

void CDravelView::mousePressEvent(QMouseEvent* event) {
    const QPoint client = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        rightDragging_ = true;
        rightPress_ = client;
        rightScroll_ = scrollPosition();
        return;
    }
    if (event->button() != Qt::LeftButton || doc_.picture().isNull()) return;
    setFocus(Qt::MouseFocusReason);
    pointer_ = imageAt(client);
    doc_.document().placer().leftButtonDown(pointer_, modifiersOf(event->modifiers()));
}

void CDravelView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint client = event->position().toPoint();
    if (rightDragging_ && event->buttons() == Qt::RightButton) {
        const QPoint target = rightScroll_ - (client - rightPress_);
        horizontalScrollBar()->setValue(target.x());
        verticalScrollBar()->setValue(target.y());
        return;
    }
    if (doc_.picture().isNull()) return;
    pointer_ = imageAt(client);
    doc_.document().pointerMoved(pointer_);
}

void CDravelView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        rightDragging_ = false;
        redrawAll();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    pointer_ = imageAt(event->position().toPoint());
    doc_.document().placer().leftButtonUp(pointer_);
}

void CDravelView::keyPressEvent(QKeyEvent* event) {
    const std::optional<ViewKey> key = viewKey(*event);
    if (!key || !doc_.state().imageLoaded) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const QPoint before = QCursor::pos();
    const PointerStep step = doc_.document().placer().keyDown(
        *key, modifiersOf(event->modifiers()), imageAt(viewport()->mapFromGlobal(before)));
    if (step.dx != 0 || step.dy != 0) QCursor::setPos(before + QPoint(step.dx, step.dy));
    event->accept();
}

void CDravelView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CDravelView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CDravelView::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile()) return;
    event->acceptProposedAction();
    // Only the first file counts; the rest are ignored. Opened once the drop
    // is over: loading an image asks for the zero-mark radius.
    const QString path = urls.constFirst().toLocalFile();
    QTimer::singleShot(0, this, [this, path] { doc_.document().openDropped(path); });
}

}  // namespace dravel
