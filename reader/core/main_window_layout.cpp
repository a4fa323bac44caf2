#include "reader/core/main_window_layout.h"

#include <algorithm>
#include <cmath>

namespace tarrow {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kFrameControlBottomGap = 1200;
constexpr int kFrameGap = 100;
constexpr int kListMargin = 600;
constexpr int kStatusFromBottom = 1100;

}  // namespace

MainWindowLayout mainWindowLayout(int heightTwips, int frameControlHeightTwips) {
    MainWindowLayout layout;
    layout.windowWidth = MainWindowLayout::kWidthTwips;
    layout.windowHeight = std::max(heightTwips, MainWindowLayout::kMinHeightTwips);
    layout.frameControlTop = layout.windowHeight - frameControlHeightTwips - kFrameControlBottomGap;
    layout.frameSrcHeight = layout.frameControlTop - kFrameGap;
    layout.txtSourceHeight = layout.frameSrcHeight - kListMargin;
    layout.statusTop = layout.windowHeight - kStatusFromBottom;
    return layout;
}

int pixelsToTwips(int pixels, double dpi) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi));
}

int twipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

}  // namespace tarrow
