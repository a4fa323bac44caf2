#include "scanner/core/native_page.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/resolution.h"
#include "engine/image/image_loader.h"

namespace fenwary {

namespace {

constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::array<std::uint32_t, 5> kInfoHeaderSizes{40, 52, 56, 108, 124};
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kMaskBytes = 12;
constexpr std::size_t kPaletteEntryBytes = 4;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr int kMaxIndexedBits = 8;

constexpr std::uint16_t kTiffMagic = 42;
constexpr std::uint16_t kTagXResolution = 282;
constexpr std::uint16_t kTagYResolution = 283;
constexpr std::uint16_t kTagResolutionUnit = 296;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeRational = 5;
constexpr std::uint32_t kUnitInch = 2;
constexpr std::uint32_t kUnitCentimetre = 3;
constexpr double kCentimetresPerMetre = 100.0;
constexpr std::size_t kTiffEntryBytes = 12;

std::uint32_t u16le(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}
std::uint32_t u32le(const std::uint8_t* p) {
    return u16le(p) | u16le(p + 2) << 16;
}
std::int32_t i32le(const std::uint8_t* p) {
    return std::int32_t(u32le(p));
}

void setError(std::string* error, const char* text) {
    if (error != nullptr) *error = text;
}

bool validBits(std::uint32_t bits, std::uint32_t compression) {
    switch (compression) {
        case kBiRgb:
            return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        case kBiRle8:
            return bits == 8;
        case kBiRle4:
            return bits == 4;
        case kBiBitfields:
            return bits == 16 || bits == 32;
        default:
            return false;
    }
}

/// Reads the TIFF's resolution tags in its first directory; 0 when absent.
class TiffTags {
public:
    explicit TiffTags(std::span<const std::uint8_t> bytes)
        : bytes_(bytes), bigEndian_(bytes.size() > 1 && bytes[0] == 'M') {}

    PageResolution resolution() const {
        PageResolution result;
        if (!has(0, 8) || u16(2) != kTiffMagic) return result;
        const std::uint32_t directory = u32(4);
        if (!has(directory, 2)) return result;
        const std::uint32_t count = u16(directory);
        double x = 0, y = 0;
        std::uint32_t unit = kUnitInch;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t entry = directory + 2 + std::size_t(i) * kTiffEntryBytes;
            if (!has(entry, kTiffEntryBytes)) break;
            const std::uint32_t tag = u16(entry);
            const std::uint32_t type = u16(entry + 2);
            if ((tag == kTagXResolution || tag == kTagYResolution) && type == kTypeRational) {
                (tag == kTagXResolution ? x : y) = rational(u32(entry + 8));
            } else if (tag == kTagResolutionUnit && type == kTypeShort) {
                unit = u16(entry + 8);
            }
        }
        const double scale = unit == kUnitCentimetre ? kCentimetresPerMetre
                             : unit == kUnitInch     ? 1.0 / velmora::kMetresPerInch
                                                     : 0.0;
        result.xPixelsPerMetre = perMetre(x * scale);
        result.yPixelsPerMetre = perMetre(y * scale);
        return result;
    }

private:
    bool has(std::size_t at, std::size_t count) const {
        return at <= bytes_.size() && count <= bytes_.size() - at;
    }
    std::uint32_t u16(std::size_t at) const {
        const std::uint8_t* p = bytes_.data() + at;
        return bigEndian_ ? std::uint32_t(p[0]) << 8 | p[1] : u16le(p);
    }
    std::uint32_t u32(std::size_t at) const {
        return bigEndian_ ? u16(at) << 16 | u16(at + 2) : u16(at) | u16(at + 2) << 16;
    }
    double rational(std::uint32_t at) const {
        if (!has(at, 8) || u32(at + 4) == 0) return 0;
        return double(u32(at)) / double(u32(at + 4));
    }
    static int perMetre(double value) {
        constexpr double kLimit = 1e7;
        return value > 0 && value < kLimit ? int(std::lround(value)) : 0;
    }

    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
};

}  // namespace

bool looksLikeTiff(std::span<const std::uint8_t> bytes) {
    static constexpr std::array<std::uint8_t, 4> kIntel{'I', 'I', 42, 0};
    static constexpr std::array<std::uint8_t, 4> kMotorola{'M', 'M', 0, 42};
    return bytes.size() >= 4 && (std::memcmp(bytes.data(), kIntel.data(), 4) == 0 ||
                                 std::memcmp(bytes.data(), kMotorola.data(), 4) == 0);
}

std::optional<std::size_t> packedDibSize(const std::uint8_t* data, std::size_t available,
                                         std::string* error) {
    if (data == nullptr || available < kInfoHeaderBytes) {
        setError(error, "the page is shorter than a bitmap header");
        return std::nullopt;
    }
    const std::uint32_t headerSize = u32le(data);
    const std::int64_t width = i32le(data + 4);
    const std::int64_t height = std::abs(std::int64_t(i32le(data + 8)));
    const std::uint32_t planes = u16le(data + 12);
    const std::uint32_t bits = u16le(data + 14);
    const std::uint32_t compression = u32le(data + 16);
    const std::uint32_t imageSize = u32le(data + 20);
    const std::uint32_t coloursUsed = u32le(data + 32);
    bool knownHeader = false;
    for (std::uint32_t size : kInfoHeaderSizes) knownHeader = knownHeader || size == headerSize;
    if (!knownHeader || planes != 1 || !validBits(bits, compression)) {
        setError(error, "the page's bitmap header is not valid");
        return std::nullopt;
    }
    if (width <= 0 || height <= 0 || width * height > strovik::kMaxImagePixels) {
        setError(error, "the page's bitmap header gives an impossible size");
        return std::nullopt;
    }
    const std::uint64_t maxColours = bits <= kMaxIndexedBits ? std::uint64_t(1) << bits : 256;
    if (coloursUsed > maxColours) {
        setError(error, "the page's colour table is too long");
        return std::nullopt;
    }
    const std::uint64_t colours =
        coloursUsed != 0 ? coloursUsed : (bits <= kMaxIndexedBits ? maxColours : 0);
    const std::uint64_t masks =
        compression == kBiBitfields && headerSize == kInfoHeaderBytes ? kMaskBytes : 0;
    const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    const bool runLength = compression == kBiRle8 || compression == kBiRle4;
    const std::uint64_t pixelBytes = runLength ? imageSize : stride * std::uint64_t(height);
    if (runLength && (imageSize == 0 || imageSize > stride * std::uint64_t(height) * 2 + 1024)) {
        setError(error, "the page's compressed size is not plausible");
        return std::nullopt;
    }
    const std::uint64_t total = headerSize + masks + colours * kPaletteEntryBytes + pixelBytes;
    if (total > available) {
        setError(error, "the page's bitmap header claims more data than was transferred");
        return std::nullopt;
    }
    return std::size_t(total);
}

std::optional<ScannedPage> decodeNativePage(std::span<const std::uint8_t> bytes,
                                            std::string* error) {
    if (looksLikeTiff(bytes)) {
        std::string reason;
        auto raster = strovik::decodeImage(bytes, &reason);
        if (!raster) {
            if (error != nullptr) *error = "TIFF page: " + reason;
            return std::nullopt;
        }
        return ScannedPage{std::move(*raster), TiffTags(bytes).resolution()};
    }
    const auto size = packedDibSize(bytes.data(), bytes.size(), error);
    if (!size) return std::nullopt;
    // The engine's bitmap decoder reads files: put a file header before the
    // packed bitmap, pointing at the pixels after the colour table.
    const std::uint32_t headerSize = u32le(bytes.data());
    const std::uint32_t bits = u16le(bytes.data() + 14);
    const std::uint32_t compression = u32le(bytes.data() + 16);
    const std::uint32_t coloursUsed = u32le(bytes.data() + 32);
    const std::size_t colours =
        coloursUsed != 0 ? coloursUsed : (bits <= kMaxIndexedBits ? std::size_t(1) << bits : 0);
    const std::size_t masks =
        compression == kBiBitfields && headerSize == kInfoHeaderBytes ? kMaskBytes : 0;
    const std::size_t pixelOffset =
        kFileHeaderBytes + headerSize + masks + colours * kPaletteEntryBytes;
    std::vector<std::uint8_t> file(kFileHeaderBytes + *size);
    file[0] = 'B';
    file[1] = 'M';
    const auto put32 = [&](std::size_t at, std::size_t value) {
        for (int i = 0; i < 4; ++i) file[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
    };
    put32(2, file.size());
    put32(10, pixelOffset);
    std::memcpy(file.data() + kFileHeaderBytes, bytes.data(), *size);
    std::string reason;
    auto raster = strovik::decodeImage(file, &reason);
    if (!raster) {
        if (error != nullptr) *error = "bitmap page: " + reason;
        return std::nullopt;
    }
    PageResolution resolution{std::max(0, i32le(bytes.data() + 24)),
                              std::max(0, i32le(bytes.data() + 28))};
    return ScannedPage{std::move(*raster), resolution};
}

std::optional<std::size_t> nativePageBound(const TransferInfo& info, bool tiff) {
    const int bits = info.bitsPerPixel;
    const bool knownDepth =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!knownDepth || info.width <= 0 || info.length <= 0 ||
        info.width * info.length > strovik::kMaxImagePixels) {
        return std::nullopt;
    }
    const std::uint64_t stride = (std::uint64_t(info.width) * std::uint64_t(bits) + 31) / 32 * 4;
    const std::uint64_t colours = bits <= kMaxIndexedBits ? std::uint64_t(1) << bits : 0;
    const std::uint64_t longestHeader = kInfoHeaderSizes.back();
    std::uint64_t bound = longestHeader + kMaskBytes + colours * kPaletteEntryBytes +
                          stride * std::uint64_t(info.length);
    if (tiff) bound += kTiffAllowance;
    return std::size_t(bound);
}

std::optional<ScannedPage> decodeTransferredPage(const std::uint8_t* data, const TransferInfo& info,
                                                 std::string* error) {
    const auto bitmapBound = nativePageBound(info, false);
    if (data == nullptr || !bitmapBound) {
        setError(error, "the source's image info gives no plausible page size");
        return std::nullopt;
    }
    const std::span<const std::uint8_t> head(data, kInfoHeaderBytes);
    if (looksLikeTiff(head)) {
        return decodeNativePage(std::span(data, *nativePageBound(info, true)), error);
    }
    const std::int64_t width = i32le(data + 4);
    const std::int64_t height = std::abs(std::int64_t(i32le(data + 8)));
    const int bits = u16le(data + 14);
    if (width != info.width || height != info.length || bits != info.bitsPerPixel) {
        setError(error, "the page's bitmap header does not match the source's image info");
        return std::nullopt;
    }
    return decodeNativePage(std::span(data, *bitmapBound), error);
}

}  // namespace fenwary
