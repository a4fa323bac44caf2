#include "reader/core/image_view.h"

#include <algorithm>
#include <cmath>

namespace tarrow {

namespace {

// Margins around a question's marks, in image pixels. The width's margin is
// placed unevenly: 280 / 1.5 left of the marks, the rest right of them.
constexpr int kMarginWidth = 280;
constexpr int kMarginHeight = 200;
constexpr double kLeftShareDivisor = 1.5;
constexpr double kTopShareDivisor = 2.0;

const QString kCannotShow = QStringLiteral("表示できません：");

int rounded(double value) {
    return int(std::lround(value));
}

QSize scaledBy(QSize size, double ratio) {
    return {rounded(size.width() / ratio), rounded(size.height() / ratio)};
}

QSize fittedToScreen(QSize crop, QSize screen) {
    if (screen.width() <= 0 || screen.height() <= 0) return crop;
    const double rx = double(crop.width()) / screen.width();
    const double ry = double(crop.height()) / screen.height();
    if (rx < 1.0 && ry < 1.0) return crop;
    return scaledBy(crop, rx >= 1.0 ? rx : ry);
}

}  // namespace

std::optional<MarkBounds> questionMarkBounds(const std::vector<MarkRect>& marks, int col) {
    std::optional<MarkBounds> bounds;
    for (const MarkRect& mark : marks) {
        if (mark.question + 1 != col) continue;
        if (!bounds) {
            bounds = MarkBounds{mark.x, mark.y, mark.x, mark.y};
            continue;
        }
        bounds->minX = std::min(bounds->minX, mark.x);
        bounds->minY = std::min(bounds->minY, mark.y);
        bounds->maxX = std::max(bounds->maxX, mark.x);
        bounds->maxY = std::max(bounds->maxY, mark.y);
    }
    return bounds;
}

CropPlan planCrop(const MarkBounds& bounds, int dx, int dy, QSize imageSize, bool turned,
                  QSize screen) {
    const int w = bounds.maxX - bounds.minX + kMarginWidth;
    const int h = bounds.maxY - bounds.minY + kMarginHeight;
    const int x0 = rounded(bounds.minX + dx - kMarginWidth / kLeftShareDivisor);
    const int y0 = rounded(bounds.minY + dy - kMarginHeight / kTopShareDivisor);

    CropPlan plan;
    plan.cropSize = QSize(w, h);
    plan.turned = turned;
    if (turned) {
        // The block ends at the point mirrored through the image's centre.
        plan.source = QRect(imageSize.width() - x0 - w, imageSize.height() - y0 - h, w, h);
        plan.drawSize = plan.cropSize;
    } else {
        plan.source = QRect(x0, y0, w, h);
        plan.drawSize = fittedToScreen(plan.cropSize, screen);
    }
    return plan;
}

bool sheetShownTurned(const ResultTable& table, int row, bool forceRotate) {
    bool ok = false;
    const double flag = table.text(row, table.rotationColumn()).trimmed().toDouble(&ok);
    const bool turned = ok && flag != 0.0;
    return turned != forceRotate;
}

QString viewerCaption(const QString& path, QSize imageSize) {
    return QStringLiteral("画像ﾌｧｲﾙ=%1  画像ｻｲｽﾞ=(%2x%3)")
        .arg(path)
        .arg(imageSize.width())
        .arg(imageSize.height());
}

bool SheetImageView::ensureLoaded(const QString& path) {
    if (!cachedPath_.isEmpty() && path == cachedPath_) return true;
    ++loads_;
    const std::optional<QSize> size = loader_ ? loader_(path) : std::nullopt;
    if (!size) return false;
    cachedPath_ = path;
    cachedSize_ = *size;
    return true;
}

ImageViewOutcome SheetImageView::show(const ResultTable& table, int row, int col, bool forceRotate,
                                      QSize screen) {
    ImageViewOutcome out;
    const int sheet = ResultTable::sheetOfRow(row);
    if (sheet < 1 || sheet > table.sheetCount()) return out;
    out.path = table.sheetPath(sheet);
    if (!ensureLoaded(out.path)) {
        out.kind = ImageViewOutcome::Kind::NotLoaded;
        return out;
    }
    if (table.isFailedSheet(sheet)) {
        out.kind = ImageViewOutcome::Kind::SheetFailed;
        out.status = kCannotShow + out.path;
        return out;
    }
    const std::optional<MarkBounds> bounds = questionMarkBounds(table.markRects(), col);
    if (!bounds) {
        out.kind = ImageViewOutcome::Kind::NoMarks;
        return out;
    }
    const auto offset = [sheet](const std::vector<int>& values) {
        return std::size_t(sheet) < values.size() ? values[std::size_t(sheet)] : 0;
    };
    out.kind = ImageViewOutcome::Kind::Shown;
    out.imageSize = cachedSize_;
    out.caption = viewerCaption(out.path, cachedSize_);
    out.crop = planCrop(*bounds, offset(table.offsetX()), offset(table.offsetY()), cachedSize_,
                        sheetShownTurned(table, row, forceRotate), screen);
    return out;
}

}  // namespace tarrow
