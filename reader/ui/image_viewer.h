// The sheet image viewer (frmImage): shows the part of a sheet's scan that
// holds one question's marks, turned for sheets read upside down and shrunk
// when it would not fit the screen. The geometry and the one-image cache are
// reader/core/image_view.h; this window loads the pixels and draws the crop.
// Closing or Escape only hides it.
#pragma once

#include <QImage>
#include <QWidget>

#include "reader/core/image_view.h"
#include "reader/ui/app_context.h"

class QLabel;

namespace tarrow {

class ImageViewer : public QWidget {
    Q_OBJECT
public:
    /// A top-level window over `ctx.table` (which must outlive it); it takes
    /// the icon of `parent` when there is one.
    explicit ImageViewer(AppContext& ctx, QWidget* parent = nullptr);

    /// Shows question column `col` of the sheet at grid `row`, turned once
    /// more when `forceRotate` (the "画像回転" option). Returns the text for
    /// the result window's status label ("表示できません：" and the path for
    /// a sheet the engine failed on), empty when there is nothing to say.
    QString showImage(int row, int col, bool forceRotate);
    /// The same with the current "画像回転" setting.
    QString showImage(int row, int col) { return showImage(row, col, ctx_.settings.rotateView); }

    /// The screen size crops are fitted to; by default the size of the
    /// screen the window is on. An empty size returns to the default.
    void setScreenSize(QSize size) { screenOverride_ = size; }

    /// The picture as last drawn (white beyond the drawn crop).
    const QImage& picture() const { return picture_; }
    /// How many times an image file was read.
    int imageLoads() const { return view_.loadCount(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::optional<QSize> loadSheet(const QString& path);
    QSize screenSize() const;
    QImage drawCrop(const CropPlan& plan) const;

    AppContext& ctx_;
    SheetImageView view_;
    QImage sheet_;  ///< the whole sheet image of the cached path
    QImage picture_;
    QSize screenOverride_;
    QLabel* picShow_ = nullptr;
};

}  // namespace tarrow
