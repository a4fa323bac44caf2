#include "scanner/ui/preview_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <algorithm>

#include "engine/image/raster.h"

namespace fenwary {

namespace {

const QColor kBackground(128, 128, 128);

}  // namespace

QImage imageOfPage(const strovik::Raster& pixels) {
    if (pixels.empty()) return {};
    const QImage view(pixels.data(), pixels.width(), pixels.height(), qsizetype(pixels.rowBytes()),
                      QImage::Format_BGR888);
    return view.mirrored(false, true);  // a deep copy with the rows turned
}

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PREVIEW"));
    setWindowTitle(QStringLiteral(u"プレビュー"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewWindow::placeAt(const PreviewRect& rect) {
    move(rect.x, rect.y);
    resize(std::max(rect.width, 1), std::max(rect.height, 1));
}

void PreviewWindow::setPage(const QImage& page) {
    page_ = page;
    scaled_ = QImage();
    update();
}

void PreviewWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (page_.isNull()) return;
    const double factor =
        std::min(double(width()) / page_.width(), double(height()) / page_.height());
    const QSize size(std::max(1, int(page_.width() * factor)),
                     std::max(1, int(page_.height() * factor)));
    if (scaled_.size() != size) {
        scaled_ = page_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    painter.drawImage(0, 0, scaled_);
    setWindowTitle(QStringLiteral(u"画像ｻｲｽﾞ=%1x%2  ﾌﾟﾚﾋﾞｭｰｻｲｽﾞ=%3x%4")
                       .arg(page_.width())
                       .arg(page_.height())
                       .arg(size.width())
                       .arg(size.height()));
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (width() > 0 && height() > 0) emit closedByUser(PreviewRect{0, 0, width(), height()});
    hide();
}

}  // namespace fenwary
