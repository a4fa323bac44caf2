#include "common/resolution.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace velmora {

namespace {

// One inch is 254 / 10000 metres.
constexpr std::int64_t kTenThousandths = 10000;
constexpr std::int64_t kInchInTenThousandths = 254;
// The scanner's rule: 39.37 inches to the metre, plus just under a half.
constexpr std::int64_t kPerMetreScale = 100;
constexpr std::int64_t kPerMetreAlmostHalf = 1968;
constexpr std::int64_t kInchesPerMetreTimes100 = 3937;

/// Rounds to the nearest whole number, halves away from zero; 0 for what is
/// not positive or does not fit an int (NaN fails every comparison).
int roundedPositive(double value) {
    if (!(value > 0) || !(value < double(std::numeric_limits<int>::max()))) return 0;
    return int(std::lround(value));
}

}  // namespace

int dotsPerMetreFromDpi(int dpi) {
    if (dpi <= 0) return 0;
    return int((std::int64_t(dpi) * kTenThousandths + kInchInTenThousandths / 2) /
               kInchInTenThousandths);
}

DotsPerMetre dotsPerMetreFromDpi(DotsPerInch dpi) {
    return DotsPerMetre{dotsPerMetreFromDpi(dpi.x), dotsPerMetreFromDpi(dpi.y)};
}

int dotsPerMetreFromDpi(double dpi) {
    return roundedPositive(dpi / kMetresPerInch);
}

int dpiFromDotsPerMetre(double perMetre) {
    return roundedPositive(perMetre * kMetresPerInch);
}

int dpiFromDotsPerMetreTruncated(int perMetre) {
    return int((std::int64_t(perMetre) * kPerMetreScale + kPerMetreAlmostHalf) /
               kInchesPerMetreTimes100);
}

}  // namespace velmora
