#include "reader/ui/image_viewer.h"

#include <QCloseEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "engine/image/image_loader.h"

namespace tarrow {

ImageViewer::ImageViewer(AppContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ctx_(ctx),
      view_([this](const QString& path) { return loadSheet(path); }) {
    setObjectName(QStringLiteral("frmImage"));
    if (parent) setWindowIcon(parent->windowIcon());
    picShow_ = new QLabel(this);
    picShow_->setObjectName(QStringLiteral("picShow"));
    picShow_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    move(0, 0);
}

namespace {

// Formats Qt cannot read here (TIFF) go through the engine's own decoders,
// so every scan the engine reads can be shown too.
QImage loadWithEngineDecoders(const QString& path) {
    const std::optional<strovik::Raster> raster = strovik::loadImageFile(path.toStdString());
    if (!raster) return {};
    QImage image(raster->width(), raster->height(), QImage::Format_RGB888);
    for (int y = 0; y < raster->height(); ++y) {
        const std::uint8_t* bgr = raster->storedRow(raster->height() - 1 - y);
        uchar* rgb = image.scanLine(y);
        for (int x = 0; x < raster->width(); ++x, bgr += 3, rgb += 3) {
            rgb[0] = bgr[2];
            rgb[1] = bgr[1];
            rgb[2] = bgr[0];
        }
    }
    return image;
}

}  // namespace

std::optional<QSize> ImageViewer::loadSheet(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) image = loadWithEngineDecoders(path);
    if (image.isNull()) return std::nullopt;
    sheet_ = std::move(image);
    return sheet_.size();
}

QSize ImageViewer::screenSize() const {
    if (!screenOverride_.isEmpty()) return screenOverride_;
    const QScreen* current = screen();
    return current ? current->geometry().size() : QSize();
}

QImage ImageViewer::drawCrop(const CropPlan& plan) const {
    // The block itself, white where it reaches beyond the sheet image.
    QImage block(plan.source.size(), QImage::Format_RGB32);
    block.fill(Qt::white);
    {
        QPainter painter(&block);
        painter.drawImage(-plan.source.topLeft(), sheet_);
    }
    if (plan.turned) block = block.mirrored(true, true);
    if (plan.drawSize != plan.cropSize) {
        block = block.scaled(plan.drawSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QImage picture(plan.cropSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(QPoint(0, 0), block);
    return picture;
}

QString ImageViewer::showImage(int row, int col, bool forceRotate) {
    const ImageViewOutcome outcome = view_.show(ctx_.table, row, col, forceRotate, screenSize());
    if (outcome.kind != ImageViewOutcome::Kind::Shown) return outcome.status;

    picture_ = drawCrop(outcome.crop);
    picShow_->setGeometry(QRect(QPoint(0, 0), outcome.crop.cropSize));
    picShow_->setPixmap(QPixmap::fromImage(picture_));
    // The client area is the picture; the frame around it is the desktop's.
    resize(outcome.crop.cropSize);
    setWindowTitle(outcome.caption);
    if (!isVisible()) {
        const QScreen* current = screen();
        move(current ? current->geometry().topLeft() : QPoint(0, 0));
        show();
    }
    return {};
}

void ImageViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ImageViewer::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

}  // namespace tarrow
