// The main window's resize rules, in twips: the width is held, the height
// has a floor, and the two frames, the input list and the status line
// follow the window's bottom edge.
#pragma once

namespace tarrow {

struct MainWindowLayout {
    static constexpr int kWidthTwips = 9250;
    static constexpr int kMinHeightTwips = 4500;

    int windowWidth = 0;      ///< held at kWidthTwips
    int windowHeight = 0;     ///< raised to kMinHeightTwips
    int frameControlTop = 0;  ///< window height - frameControl height - 1200
    int frameSrcHeight = 0;   ///< frameControl top - 100
    int txtSourceHeight = 0;  ///< frameSrc height - 600
    int statusTop = 0;        ///< MsgLabel and lblDPI: window height - 1100
};

/// The layout for a window of `heightTwips` whose lower frame is
/// `frameControlHeightTwips` high.
MainWindowLayout mainWindowLayout(int heightTwips, int frameControlHeightTwips);

/// Twips from pixels at `dpi` logical dots per inch, and back (rounded).
int pixelsToTwips(int pixels, double dpi);
int twipsToPixels(int twips, double dpi);

}  // namespace tarrow
