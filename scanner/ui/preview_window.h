// The preview window: a plain top-level window that shows the last saved
// page scaled to fit (aspect kept, drawn at the top left over grey) and
// names both sizes in its title. Closing it hides it and reports its
// client size, which the program stores as the preview rectangle.
#pragma once

#include <QImage>
#include <QWidget>

#include "scanner/core/scan_settings.h"

namespace fenwary {

class PreviewWindow final : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* parent = nullptr);

    /// Position (of the frame) and client size from the stored rectangle.
    void placeAt(const PreviewRect& rect);
    /// The page to show; a null image shows grey only.
    void setPage(const QImage& page);
    const QImage& page() const { return page_; }

signals:
    /// The user closed the window; `client` is 0, 0 and its client size.
    void closedByUser(const PreviewRect& client);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QImage page_;
    QImage scaled_;
};

/// The page as an image (blue-green-red bottom-up rows turned into a
/// top-down RGB image); null when it cannot be allocated.
QImage imageOfPage(const strovik::Raster& pixels);

}  // namespace fenwary
