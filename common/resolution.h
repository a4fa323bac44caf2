// Resolution units as image files record them: dots per inch (JFIF, TIFF)
// and dots per metre (PNG pHYs, BMP). One inch is exactly 0.0254 metres.
//
// Two rules turn dots per metre into dots per inch:
// - dpiFromDotsPerMetre rounds to the nearest: everything that reads an
//   image's resolution (the engine's sampling, the programs' displays).
// - dpiFromDotsPerMetreTruncated is the scanner's own rule, with 39.37
//   inches to the metre: Fenwary names "%ddpi" and records the density of
//   every page it saves with it, so pages saved before and after keep one
//   name for one resolution. It differs from rounding for eight values
//   below 20000 dots per metre (6437 gives 164 here, 163 by rounding), and
//   more often above, as 39.37 drifts from 1 / 0.0254.
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

/// The scanner's rule: (perMetre * 100 + 1968) / 3937, truncated toward
/// zero (7854 gives 199, 7855 gives 200, 11811 gives 300, 6437 gives 164).
/// Not positive input gives what the formula gives (0 from -19 up, below 0
/// further down), which callers take as no resolution.
int dpiFromDotsPerMetreTruncated(int perMetre);

}  // namespace velmora
