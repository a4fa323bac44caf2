// Resolution units as image files record them: dots per inch (JFIF, TIFF)
// and dots per metre (PNG pHYs, BMP). One inch is exactly 0.0254 metres.
#pragma once

namespace velmora {

/// One inch in metres, exactly.
inline constexpr double kMetresPerInch = 0.0254;

/// A resolution in dots per inch, x (across) and y (down) apart.
struct DotsPerInch {
    int x = 0;
    int y = 0;
    bool operator==(const DotsPerInch&) const = default;
};

/// A resolution in dots per metre, x and y apart.
struct DotsPerMetre {
    int x = 0;
    int y = 0;
    bool operator==(const DotsPerMetre&) const = default;
};

/// Dots per metre for dots per inch, rounded to the nearest, halves away
/// from zero: (dpi * 10000 + 127) / 254 for dpi >= 0 (200 gives 7874, 300
/// gives 11811). A whole dpi never lands on a half exactly. Negative input
/// gives 0.
int dotsPerMetreFromDpi(int dpi);
DotsPerMetre dotsPerMetreFromDpi(DotsPerInch dpi);

/// Dots per metre for a fractional count per inch (a TIFF rational), rounded
/// to the nearest, halves away from zero; not positive, not a number or a
/// result beyond int gives 0.
int dotsPerMetreFromDpi(double dpi);

/// Dots per inch for a count per metre: perMetre * 0.0254 rounded to the
/// nearest, halves away from zero; not positive, not a number or a result
/// beyond int gives 0.
int dpiFromDotsPerMetre(double perMetre);

}  // namespace velmora
