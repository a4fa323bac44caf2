// The sheet image viewer's geometry, without widgets: which block of a
// sheet's scan holds a question's marks (corrected by the sheet's zero-mark
// offsets), whether it is shown turned by 180 degrees, the size it is drawn
// at so it fits the screen, and the one-image cache (an image is loaded only
// when the requested path differs from the last one).
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "reader/core/result_table.h"

namespace tarrow {

/// Extent of a question's mark positions, in the definition's pixels.
struct MarkBounds {
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
};

/// How a question's crop is taken from the sheet image and drawn.
struct CropPlan {
    /// Block of the full image, in image pixels; may reach beyond the image.
    /// When `turned`, the block is drawn rotated by 180 degrees.
    QRect source;
    bool turned = false;
    /// The picture's size: the marks' extent plus the margins (280 x 200).
    QSize cropSize;
    /// The size the block is drawn at from the picture's top left corner:
    /// cropSize, or smaller when the crop is wider or taller than the screen.
    QSize drawSize;
};

/// Bounds of every mark rectangle of grid column `col` (question col - 1);
/// nullopt when the definition has no mark for it.
std::optional<MarkBounds> questionMarkBounds(const std::vector<MarkRect>& marks, int col);

/// The crop of a question: the marks' bounds widened by 280 pixels (two
/// thirds of it left of the marks) and 200 pixels (half above), shifted by
/// the sheet's offsets (dx, dy). A turned crop is taken at the mirrored
/// position of an image of `imageSize` and never scaled; otherwise a crop
/// wider than `screen` is scaled to its width, else one taller than it to
/// its height, keeping the aspect ratio.
CropPlan planCrop(const MarkBounds& bounds, int dx, int dy, QSize imageSize, bool turned,
                  QSize screen);

/// Whether the sheet at grid `row` is shown turned: its rotation flag (Grid
/// column N + 1; non-zero number = read upside down), inverted when
/// `forceRotate` (the "画像回転" option) is on.
bool sheetShownTurned(const ResultTable& table, int row, bool forceRotate);

/// The viewer's caption: "画像ﾌｧｲﾙ=path  画像ｻｲｽﾞ=(WxH)".
QString viewerCaption(const QString& path, QSize imageSize);

/// What showing a question of a sheet came to.
struct ImageViewOutcome {
    enum class Kind {
        Shown,        ///< crop, caption and imageSize are set
        SheetFailed,  ///< the engine failed on the sheet: status says so
        NotLoaded,    ///< the image could not be loaded: nothing to say
        NoMarks,      ///< the definition has no marks for the column: nothing
        NoSheet,      ///< the row is not a sheet row: nothing
    };
    Kind kind = Kind::NoSheet;
    QString path;     ///< the sheet's image path (empty for NoSheet)
    QString status;   ///< text for the result window's status label, or empty
    QString caption;  ///< the window caption when shown
    QSize imageSize;  ///< size of the whole sheet image when shown
    CropPlan crop;
};

/// The viewer's decisions for one request after another, with the cache of
/// the last loaded image path. The pixels stay with the caller's loader.
class SheetImageView {
public:
    /// Loads the image at `path` into the caller's storage and returns its
    /// size, or nullopt when it cannot be loaded (the previous image must
    /// then stay in place).
    using Loader = std::function<std::optional<QSize>(const QString& path)>;

    explicit SheetImageView(Loader loader) : loader_(std::move(loader)) {}

    /// Shows question column `col` of the sheet at grid `row`, fitting the
    /// crop to `screen` (pixels).
    ImageViewOutcome show(const ResultTable& table, int row, int col, bool forceRotate,
                          QSize screen);

    /// Path of the image currently loaded (empty before the first load).
    const QString& cachedPath() const { return cachedPath_; }
    /// How many times the loader was called, failed loads included.
    int loadCount() const { return loads_; }

private:
    bool ensureLoaded(const QString& path);

    Loader loader_;
    QString cachedPath_;
    QSize cachedSize_;
    int loads_ = 0;
};

}  // namespace tarrow
