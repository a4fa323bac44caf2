#include "common/resolution.h"

#include <gtest/gtest.h>

#include <limits>

namespace velmora {
namespace {

// The whole-dpi cases nearest a half either way: 50 dpi is 1968.504 dots
// per metre (up), 77 dpi 3031.496 (down); a truncating or a half-down rule
// fails one of them.
TEST(ResolutionTest, DpiToDotsPerMetreRoundsToNearest) {
    EXPECT_EQ(dotsPerMetreFromDpi(50), 1969);
    EXPECT_EQ(dotsPerMetreFromDpi(77), 3031);
    EXPECT_EQ(dotsPerMetreFromDpi(127), 5000);  // exact
    EXPECT_EQ(dotsPerMetreFromDpi(200), 7874);
    EXPECT_EQ(dotsPerMetreFromDpi(300), 11811);
    EXPECT_EQ(dotsPerMetreFromDpi(0), 0);
    EXPECT_EQ(dotsPerMetreFromDpi(-300), 0);
}

TEST(ResolutionTest, AxesConvertApart) {
    EXPECT_EQ(dotsPerMetreFromDpi(DotsPerInch{200, 300}), (DotsPerMetre{7874, 11811}));
    EXPECT_EQ(dotsPerMetreFromDpi(DotsPerInch{300, 200}), (DotsPerMetre{11811, 7874}));
}

// A fractional resolution lands on a half exactly at 0.0127 dpi (0.5 dots
// per metre): halves go up.
TEST(ResolutionTest, FractionalDpiHalvesGoUp) {
    EXPECT_EQ(dotsPerMetreFromDpi(0.0127), 1);
    EXPECT_EQ(dotsPerMetreFromDpi(0.0126), 0);
    EXPECT_EQ(dotsPerMetreFromDpi(299.5), 11791);
    EXPECT_EQ(dotsPerMetreFromDpi(0.0), 0);
    EXPECT_EQ(dotsPerMetreFromDpi(-1.0), 0);
}

// TIFF rationals reach four billion and may be anything: what does not fit
// an int, and NaN, give 0 rather than an overflowed number.
TEST(ResolutionTest, OutOfRangeGivesZero) {
    EXPECT_EQ(dotsPerMetreFromDpi(4294967295.0), 0);
    EXPECT_EQ(dotsPerMetreFromDpi(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(dotsPerMetreFromDpi(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(dpiFromDotsPerMetre(1e300), 0);
    EXPECT_EQ(dpiFromDotsPerMetre(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(dpiFromDotsPerMetre(4294967295.0), 109092169);  // a BMP's largest field
}

TEST(ResolutionTest, DotsPerMetreToDpiRoundsToNearest) {
    EXPECT_EQ(dpiFromDotsPerMetre(59), 1);  // 1.4986
    EXPECT_EQ(dpiFromDotsPerMetre(60), 2);  // 1.524
    EXPECT_EQ(dpiFromDotsPerMetre(11811), 300);
    EXPECT_EQ(dpiFromDotsPerMetre(0), 0);
    EXPECT_EQ(dpiFromDotsPerMetre(-11811), 0);
    for (int dpi = 1; dpi <= 2400; ++dpi) {
        ASSERT_EQ(dpiFromDotsPerMetre(dotsPerMetreFromDpi(dpi)), dpi) << dpi;
    }
}

// The scanner's rule keeps its own results: equal to rounding at the common
// resolutions, one higher where the fraction lies just under a half.
TEST(ResolutionTest, ScannerRuleTruncatesAfterAddingJustUnderAHalf) {
    // 11811 is 299.9994 dpi, 3937 is 99.9998: both rules give the whole dpi.
    for (const int perMetre : {3937, 7874, 11811, 23622}) {
        EXPECT_EQ(dpiFromDotsPerMetreTruncated(perMetre), dpiFromDotsPerMetre(perMetre))
            << perMetre;
    }
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(11811), 300);
    // 163.4998 and 263.4996 dpi: rounding goes down, the scanner's rule up.
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(6437), 164);
    EXPECT_EQ(dpiFromDotsPerMetre(6437), 163);
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(10374), 264);
    EXPECT_EQ(dpiFromDotsPerMetre(10374), 263);
    // Its step from 199 to 200 (7854 * 100 + 1968 = 787368 < 200 * 3937).
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(7854), 199);
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(7855), 200);
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(19), 0);
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(20), 1);
    // Not positive: 0 down to -19 (truncation toward zero), below 0 further.
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(0), 0);
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(-19), 0);
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(-100), -2);
    // The largest field does not overflow.
    EXPECT_EQ(dpiFromDotsPerMetreTruncated(std::numeric_limits<int>::max()), 54546194);
}

}  // namespace
}  // namespace velmora
