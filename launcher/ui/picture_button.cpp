#include "launcher/ui/picture_button.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace pandle {
namespace {

constexpr int kPictureSize = 96;
constexpr int kMargin = 10;
constexpr int kCaptionGap = 6;
constexpr qreal kCornerRadius = 10.0;

}  // namespace

PictureButton::PictureButton(const QPixmap& picture, const QString& caption, QWidget* parent)
    : QAbstractButton(parent), picture_(picture) {
    setText(caption);
    setAccessibleName(caption);
    setToolTip(caption);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QSize PictureButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int width = std::max(kPictureSize, metrics.horizontalAdvance(text())) + 2 * kMargin;
    const int height = kPictureSize + kCaptionGap + metrics.height() + 2 * kMargin;
    return {std::max(width, kPictureSize + 4 * kMargin), height};
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (isDown() || hovered_ || hasFocus()) {
        QColor fill = palette().color(QPalette::Highlight);
        fill.setAlpha(isDown() ? 90 : 40);
        painter.setBrush(fill);
        painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 2.0) : Qt::NoPen);
        painter.drawRoundedRect(frame, kCornerRadius, kCornerRadius);
    }
    const QRect pictureRect((width() - kPictureSize) / 2, kMargin, kPictureSize, kPictureSize);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(pictureRect, picture_);
    const QRect captionRect(0, pictureRect.bottom() + kCaptionGap, width(),
                            height() - pictureRect.bottom() - kCaptionGap - kMargin / 2);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop, text());
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    // The window moves between the buttons by their places in its grid.
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right ||
        event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        event->ignore();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace pandle
