#include "engine/image/image_density.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "common/atomic_file.h"
#include "common/resolution.h"

namespace strovik {
namespace {

constexpr double kCentimetresPerInch = 2.54;
/// Resolution headers never need more of a file than this.
constexpr std::size_t kMaxBytes = std::size_t(1) << 30;

/// Bounds-checked little- or big-endian reads over the file's bytes.
class Bytes {
public:
    Bytes(std::string_view data, bool bigEndian) : data_(data), big_(bigEndian) {}

    bool has(std::size_t at, std::size_t n) const {
        return at <= data_.size() && n <= data_.size() - at;
    }
    std::uint32_t u16(std::size_t at) const { return value(at, 2); }
    std::uint32_t u32(std::size_t at) const { return value(at, 4); }

private:
    std::uint32_t value(std::size_t at, std::size_t n) const {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t byte =
                static_cast<unsigned char>(data_[at + (big_ ? i : n - 1 - i)]);
            v = (v << 8) | byte;
        }
        return v;
    }
    std::string_view data_;
    bool big_;
};

std::optional<Density> perMetre(double x, double y) {
    if (!(x > 0) || !(y > 0)) return std::nullopt;
    return Density{velmora::dpiFromDotsPerMetre(x), velmora::dpiFromDotsPerMetre(y)};
}

std::optional<Density> pngDensity(std::string_view data) {
    const Bytes b(data, true);
    std::size_t at = 8;  // after the signature
    while (b.has(at, 8)) {
        const std::uint32_t length = b.u32(at);
        const std::string_view type = data.substr(at + 4, 4);
        if (type == "IDAT" || type == "IEND") return std::nullopt;
        if (type == "pHYs") {
            if (length < 9 || !b.has(at + 8, 9)) return std::nullopt;
            if (data[at + 16] != 1) return std::nullopt;  // unit unknown: aspect only
            return perMetre(b.u32(at + 8), b.u32(at + 12));
        }
        if (!b.has(at + 8, std::size_t(length) + 4)) return std::nullopt;
        at += 12 + std::size_t(length);
    }
    return std::nullopt;
}

std::optional<Density> bmpDensity(std::string_view data) {
    const Bytes b(data, false);
    constexpr std::size_t kInfo = 14;
    if (!b.has(kInfo, 40) || b.u32(kInfo) < 40) return std::nullopt;
    // Signed in the header: a negative count is no resolution.
    const auto x = static_cast<std::int32_t>(b.u32(kInfo + 24));
    const auto y = static_cast<std::int32_t>(b.u32(kInfo + 28));
    return perMetre(x, y);
}

std::optional<Density> tiffDensity(std::string_view data) {
    const bool big = data.substr(0, 4) == std::string_view("MM\0*", 4);
    const Bytes b(data, big);
    if (!b.has(4, 4)) return std::nullopt;
    const std::size_t ifd = b.u32(4);
    if (!b.has(ifd, 2)) return std::nullopt;
    const std::uint32_t count = b.u16(ifd);
    double res[2] = {0, 0};
    std::uint32_t unit = 2;  // inch
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + std::size_t(i) * 12;
        if (!b.has(entry, 12)) return std::nullopt;
        const std::uint32_t tag = b.u16(entry);
        const std::uint32_t type = b.u16(entry + 2);
        if ((tag == 282 || tag == 283) && type == 5) {  // X/YResolution, RATIONAL
            const std::size_t at = b.u32(entry + 8);
            if (!b.has(at, 8) || b.u32(at + 4) == 0) return std::nullopt;
            res[tag - 282] = double(b.u32(at)) / double(b.u32(at + 4));
        } else if (tag == 296 && type == 3) {  // ResolutionUnit, SHORT
            unit = b.u16(entry + 8);
        }
    }
    if (!(res[0] > 0) || !(res[1] > 0)) return std::nullopt;
    if (unit == 2) return Density{int(std::lround(res[0])), int(std::lround(res[1]))};
    if (unit == 3) return perMetre(res[0] * 100.0, res[1] * 100.0);
    return std::nullopt;  // no absolute unit
}

}  // namespace

std::optional<Density> readImageDensity(const std::string& path) {
    if (std::optional<Density> jfif = readJfifDensity(path)) return jfif;
    const std::optional<std::string> bytes = velmora::readWholeFile(path, kMaxBytes);
    if (!bytes) return std::nullopt;
    const std::string_view data(*bytes);
    if (data.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return pngDensity(data);
    if (data.substr(0, 2) == "BM") return bmpDensity(data);
    if (data.substr(0, 4) == std::string_view("II*\0", 4) ||
        data.substr(0, 4) == std::string_view("MM\0*", 4)) {
        return tiffDensity(data);
    }
    return std::nullopt;
}

}  // namespace strovik
