#include "editor/ui/dravel_view.h"

#include <QCursor>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "editor/ui/dravel_doc.h"
#include "editor/ui/sheet_painter.h"

namespace dravel {
namespace {

constexpr int kScrollLine = 20;

Qt::CursorShape qtShape(CursorShape shape) {
    switch (shape) {
        case CursorShape::Arrow:
            return Qt::ArrowCursor;
        case CursorShape::Cross:
            return Qt::CrossCursor;
        case CursorShape::SizeAll:
            return Qt::SizeAllCursor;
    }
    return Qt::ArrowCursor;
}

}  // namespace

CDravelView::CDravelView(CDravelDoc& doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc) {
    setObjectName(QStringLiteral("CDravelView"));
    viewport()->setObjectName(QStringLiteral("canvas"));
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setSingleStep(kScrollLine);
    verticalScrollBar()->setSingleStep(kScrollLine);
    connectHooks();
    connect(&doc_, &CDravelDoc::pictureChanged, this, [this] {
        updateScrollBars();
        horizontalScrollBar()->setValue(0);
        verticalScrollBar()->setValue(0);
        viewport()->update();
    });
}

void CDravelView::connectHooks() {
    CDravelDoc::ViewHooks hooks;
    hooks.redraw = [this](bool) { redrawAll(); };
    hooks.redrawFigure = [this](bool everything) { redrawFigure(everything); };
    hooks.movePointer = [this](Point image, int dy) { movePointerTo(image, dy); };
    hooks.setCursor = [this](CursorShape shape) { viewport()->setCursor(qtShape(shape)); };
    hooks.maximise = [this] {
        if (QWidget* top = window()) {
            top->showNormal();
            top->showMaximized();
        }
    };
    doc_.setViewHooks(std::move(hooks));
}

QPoint CDravelView::scrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

Point CDravelView::imageAt(QPoint client) const {
    return toImage(doc_.state(), client, scrollPosition());
}

Point CDravelView::pointerInImage() const {
    QPoint client = viewport()->mapFromGlobal(QCursor::pos());
    if (!viewport()->rect().contains(client)) client = viewport()->rect().center();
    return imageAt(client);
}

void CDravelView::updateScrollBars() {
    const EditorState& s = doc_.state();
    const QImage& picture = doc_.picture();
    const int divisor = std::max(1, s.divisor);
    const QSize display = picture.isNull() ? QSize()
                                           : QSize(int(qint64(picture.width()) * 100 / divisor),
                                                   int(qint64(picture.height()) * 100 / divisor));
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, display.width() - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, display.height() - page.height()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
}

void CDravelView::redrawAll() {
    updateScrollBars();
    shownFigure_ = QRect();
    viewport()->update();
}

QRect CDravelView::figureRect() const {
    const EditorState& s = doc_.state();
    QRect image = inProgressBounds(s, pointer_);
    const Drag& drag = s.drag;
    if (drag.active() && drag.kind != Drag::Kind::Block) {
        // The dragged item with its label or circle.
        const Point c = drag.kind == Drag::Kind::Mark ? Point{s.marks[std::size_t(drag.index)].x,
                                                              s.marks[std::size_t(drag.index)].y}
                                                      : s.zeroMarks[std::size_t(drag.index)];
        const int hw = std::max(s.ovalWidth, s.zeroRadius * 2) / 2 + 4 * std::max(1, s.ovalWidth);
        const int hh = std::max(s.ovalHeight, s.zeroRadius * 2) / 2 + 8;
        image |= QRect(c.x - hw, c.y - hh, 2 * hw + 1, 2 * hh + 1);
    }
    return image.isEmpty() ? QRect() : clientRect(s, image, scrollPosition());
}

void CDravelView::redrawFigure(bool everything) {
    if (everything) {
        redrawAll();
        return;
    }
    const QRect now = figureRect();
    viewport()->update(shownFigure_ | now);
    shownFigure_ = now;
}

void CDravelView::movePointerTo(Point image, int screenDy) {
    const QPoint client = toClient(doc_.state(), image, scrollPosition()) + QPoint(0, screenDy);
    QCursor::setPos(viewport()->mapToGlobal(client));
}

void CDravelView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    const EditorDocument& document = doc_.document();
    const SheetScene scene{&doc_.picture(), &document.state(),
                           document.trial() ? &*document.trial() : nullptr, pointer_, &cache_};
    paintSheet(painter, scene, scrollPosition(), event->rect());
}

void CDravelView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CDravelView::scrollContentsBy(int, int) {
    shownFigure_ = QRect();
    viewport()->update();
}

}  // namespace dravel
