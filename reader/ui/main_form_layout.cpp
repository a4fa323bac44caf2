// The main window's geometry: its controls placed in twips as the window
// has always laid them out, and the resize rule.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

#include "reader/core/main_window_layout.h"
#include "reader/ui/main_form.h"

namespace tarrow {
namespace {

// Geometry in twips, relative to the area under the menu bar.
constexpr int kNonClientHeightTwips = 450;  // caption and borders of the window
constexpr int kBorderWidthTwips = 120;      // left and right borders
constexpr int kInitialHeightTwips = 7500;
constexpr int kMargin = 120;
constexpr int kFrameWidth = 8880;
constexpr int kFrameControlHeight = 1500;
constexpr int kLabelTop = 120;
constexpr int kSourceLabelHeight = 420;
constexpr int kSourceTop = 560;
constexpr int kBoxWidth = 7300;
constexpr int kButtonLeft = 7560;
constexpr int kButtonWidth = 1200;
constexpr int kButtonHeight = 390;
constexpr int kButtonStep = 480;
constexpr int kLineHeight = 330;
constexpr int kStatusHeight = 300;

}  // namespace

void MainForm::applyInitialSize() {
    resize(toPixels(MainWindowLayout::kWidthTwips - kBorderWidthTwips),
           toPixels(kInitialHeightTwips - kNonClientHeightTwips));
    applyLayout();
}

int MainForm::toPixels(int twips) const {
    return twipsToPixels(twips, logicalDpiY());
}

int MainForm::toTwips(int pixels) const {
    return pixelsToTwips(pixels, logicalDpiY());
}

void MainForm::setGeometryTwips(QWidget* widget, int left, int top, int width, int height) const {
    widget->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void MainForm::applyLayout() {
    const MainWindowLayout layout =
        mainWindowLayout(toTwips(height()) + kNonClientHeightTwips, kFrameControlHeight);
    setGeometryTwips(frameSrc_, kMargin, 0, kFrameWidth, layout.frameSrcHeight);
    setGeometryTwips(lblSource_, kMargin, kLabelTop, kFrameWidth - 2 * kMargin, kSourceLabelHeight);
    setGeometryTwips(txtSource_, kMargin, kSourceTop, kBoxWidth, layout.txtSourceHeight);
    setGeometryTwips(cmdOpen_, kButtonLeft, kSourceTop, kButtonWidth, kButtonHeight);
    setGeometryTwips(btnClear_, kButtonLeft, kSourceTop + kButtonStep, kButtonWidth, kButtonHeight);
    setGeometryTwips(btnPdf_, kButtonLeft, kSourceTop + 2 * kButtonStep, kButtonWidth,
                     kButtonHeight);

    setGeometryTwips(frameControl_, kMargin, layout.frameControlTop, kFrameWidth,
                     kFrameControlHeight);
    setGeometryTwips(lblIniFile_, kMargin, kLabelTop, 4000, kLineHeight);
    setGeometryTwips(txtIniFile_, kMargin, 450, kBoxWidth, kLineHeight);
    setGeometryTwips(cmdOpenIni_, kButtonLeft, 420, kButtonWidth, kButtonHeight);
    setGeometryTwips(chkDebug_, kMargin, 960, 2600, kLineHeight);
    setGeometryTwips(cmdConvert_, 4920, 900, 1800, 450);
    setGeometryTwips(cmdStop_, 6840, 900, 1800, 450);

    // The status line sits under the lower frame; like the frames it is
    // placed from the window's outer height.
    setGeometryTwips(msgLabel_, kMargin, layout.statusTop, 5400, kStatusHeight);
    setGeometryTwips(progress_, 5640, layout.statusTop, 1700, kStatusHeight);
    setGeometryTwips(lblDpi_, 7440, layout.statusTop, 1560, kStatusHeight);
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const Qt::WindowStates free =
        windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (free == Qt::WindowNoState) {
        const int width = toPixels(MainWindowLayout::kWidthTwips - kBorderWidthTwips);
        const int minHeight = toPixels(MainWindowLayout::kMinHeightTwips - kNonClientHeightTwips);
        const QSize wanted(width, std::max(height(), minHeight));
        if (size() != wanted) resize(wanted);
    }
    applyLayout();
}

}  // namespace tarrow
