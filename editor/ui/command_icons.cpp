#include "editor/ui/command_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace dravel {
namespace {

constexpr int kSize = 24;

/// A drawn glyph: `draw` paints into a 24 x 24 square.
template <typename Draw>
QIcon glyph(Draw draw) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    draw(p);
    return QIcon(pixmap);
}

void magnifier(QPainter& p, bool plus) {
    p.drawEllipse(QRectF(3, 3, 13, 13));
    p.drawLine(QPointF(14, 14), QPointF(21, 21));
    p.drawLine(QPointF(6, 9.5), QPointF(13, 9.5));
    if (plus) p.drawLine(QPointF(9.5, 6), QPointF(9.5, 13));
}

}  // namespace

QIcon commandIcon(Command command, const QStyle& style) {
    switch (command) {
        case Command::OpenImage:
            return style.standardIcon(QStyle::SP_DialogOpenButton);
        case Command::Import:
            return style.standardIcon(QStyle::SP_FileDialogContentsView);
        case Command::Save:
            return style.standardIcon(QStyle::SP_DialogSaveButton);
        case Command::Undo:
            return style.standardIcon(QStyle::SP_ArrowBack);
        case Command::Redo:
            return style.standardIcon(QStyle::SP_ArrowForward);
        case Command::MarkMode:
            return glyph([](QPainter& p) {
                p.setBrush(QColor(255, 255, 200));
                for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF(2 + 7 * i, 6, 6, 12));
            });
        case Command::ZeroMarkMode:
            return glyph([](QPainter& p) {
                p.setBrush(Qt::red);
                p.drawEllipse(QRectF(5, 5, 14, 14));
            });
        case Command::ToggleMode:
            return glyph([](QPainter& p) {
                p.setBrush(QColor(255, 200, 200));
                p.drawEllipse(QRectF(3, 6, 7, 12));
                p.setBrush(QColor(255, 255, 200));
                p.drawEllipse(QRectF(14, 6, 7, 12));
            });
        case Command::AreaMode:
            return glyph([](QPainter& p) {
                p.setPen(QPen(Qt::black, 1.5, Qt::DashLine));
                p.drawRect(QRectF(3, 5, 18, 14));
            });
        case Command::BlockMode:
            return glyph([](QPainter& p) {
                p.setBrush(QColor(255, 255, 200));
                for (int row = 0; row < 3; ++row) {
                    for (int col = 0; col < 3; ++col)
                        p.drawEllipse(QRectF(2 + 7 * col, 2 + 7 * row, 5, 6));
                }
            });
        case Command::ZoomIn:
            return glyph([](QPainter& p) { magnifier(p, true); });
        case Command::ZoomOut:
            return glyph([](QPainter& p) { magnifier(p, false); });
        case Command::TrialRead:
            return glyph([](QPainter& p) {
                p.setBrush(QColor(0, 90, 255, 140));
                p.drawEllipse(QRectF(3, 6, 7, 12));
                p.setPen(QPen(Qt::red, 2));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(QRectF(13, 5, 9, 14));
            });
        case Command::AutoDetect:
            return glyph([](QPainter& p) {
                p.setBrush(Qt::red);
                p.drawEllipse(QRectF(2, 2, 6, 6));
                p.setBrush(QColor(255, 255, 200));
                for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF(4 + 6 * i, 11, 5, 10));
            });
        default:
            return QIcon();
    }
}

}  // namespace dravel
