#include "common/resolution.h"

#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

// One inch is 254 / 10000 metres.
constexpr std::int64_t kTenThousandths = 10000;
constexpr std::int64_t kInchInTenThousandths = 254;
constexpr double kMetresPerInch = 0.0254;

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
    if (!(dpi > 0)) return 0;
    return int(std::lround(dpi / kMetresPerInch));
}

int dpiFromDotsPerMetre(double perMetre) {
    if (!(perMetre > 0)) return 0;
    return int(std::lround(perMetre * kMetresPerInch));
}

}  // namespace velmora
