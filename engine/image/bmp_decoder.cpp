// Windows and OS/2 bitmaps: 1, 4, 8, 16, 24 and 32 bits a pixel, palettes,
// bit-field masks, RLE4 and RLE8, bottom-up and top-down rows. Every offset
// is checked against the buffer before it is read.
#include <algorithm>
#include <array>
#include <bit>

#include "engine/image/decoders.h"
#include "engine/image/image_loader.h"

namespace strovik::detail {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::array<std::uint32_t, 6> kKnownHeaderSizes{12, 40, 52, 56, 108, 124};
constexpr std::size_t kBitfieldMaskBytes = 12;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

constexpr int kMaxPaletteEntries = 256;
// An RLE8 run of 255 pixels costs two bytes; delta escapes skip more, but
// this bound is generous for any real sheet.
constexpr std::int64_t kRlePixelsPerByte = 512;
constexpr std::int64_t kPixelAllowance = 1'000'000;
constexpr unsigned kMaxSample = 255;

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
};

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // always positive; see topDown
    bool topDown = false;
    unsigned bits = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::size_t dataOffset = 0;
    std::size_t paletteOffset = 0;
    std::size_t paletteEntryBytes = 4;
    std::array<Channel, 3> channels{};  // red, green, blue
};

class Reader {
public:
    explicit Reader(Bytes bytes) : bytes_(bytes) {}
    bool has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint32_t u16(std::size_t at) const {
        return std::uint32_t(bytes_[at]) | std::uint32_t(bytes_[at + 1]) << 8;
    }
    std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
    std::uint8_t byte(std::size_t at) const { return bytes_[at]; }
    const std::uint8_t* ptr(std::size_t at) const { return bytes_.data() + at; }
    std::size_t size() const { return bytes_.size(); }

private:
    Bytes bytes_;
};

Channel makeChannel(std::uint32_t mask) {
    Channel channel;
    channel.mask = mask;
    if (mask != 0) {
        channel.shift = std::countr_zero(mask);
        channel.max = mask >> channel.shift;
    }
    return channel;
}

std::uint8_t extract(const Channel& channel, std::uint32_t pixel) {
    if (channel.max == 0) return 0;
    const std::uint64_t value = (pixel & channel.mask) >> channel.shift;
    return static_cast<std::uint8_t>((value * kMaxSample + channel.max / 2) / channel.max);
}

void setMasks(Header& header, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    header.channels = {makeChannel(red), makeChannel(green), makeChannel(blue)};
}

bool validBitsAndCompression(const Header& header, bool core) {
    const unsigned bits = header.bits;
    switch (header.compression) {
        case kBiRgb:
            return bits == 1 || bits == 4 || bits == 8 || bits == 24 ||
                   (!core && (bits == 16 || bits == 32));
        case kBiRle8:
            return !core && bits == 8;
        case kBiRle4:
            return !core && bits == 4;
        case kBiBitfields:
            return !core && (bits == 16 || bits == 32);
        default:
            return false;
    }
}

bool parseInfoHeader(const Reader& in, std::uint32_t infoSize, Header& header) {
    const std::size_t at = kFileHeaderBytes;
    const std::int32_t width = static_cast<std::int32_t>(in.u32(at + 4));
    const std::int32_t height = static_cast<std::int32_t>(in.u32(at + 8));
    header.width = width;
    header.topDown = height < 0;
    header.height = header.topDown ? -std::int64_t(height) : std::int64_t(height);
    header.bits = in.u16(at + 14);
    header.compression = in.u32(at + 16);
    header.colorsUsed = in.u32(at + 32);
    header.paletteOffset = at + infoSize;
    if (header.compression == kBiBitfields) {
        // A 40-byte header keeps the masks after it; larger ones inside it.
        if (infoSize == kInfoHeaderBytes) {
            if (!in.has(header.paletteOffset, kBitfieldMaskBytes)) return false;
            header.paletteOffset += kBitfieldMaskBytes;
        }
        const std::size_t masks = at + kInfoHeaderBytes;
        setMasks(header, in.u32(masks), in.u32(masks + 4), in.u32(masks + 8));
    } else if (header.bits == 16) {
        setMasks(header, 0x7C00, 0x03E0, 0x001F);
    } else {
        setMasks(header, 0xFF0000, 0xFF00, 0xFF);
    }
    return true;
}

bool parseHeader(const Reader& in, Header& header, std::string& error) {
    if (!in.has(0, kFileHeaderBytes + 4)) {
        error = "BMP: file too short";
        return false;
    }
    header.dataOffset = in.u32(10);
    const std::uint32_t infoSize = in.u32(kFileHeaderBytes);
    if (std::find(kKnownHeaderSizes.begin(), kKnownHeaderSizes.end(), infoSize) ==
            kKnownHeaderSizes.end() ||
        !in.has(kFileHeaderBytes, infoSize)) {
        error = "BMP: unsupported or truncated info header";
        return false;
    }
    const bool core = infoSize == kCoreHeaderBytes;
    if (core) {
        header.width = in.u16(kFileHeaderBytes + 4);
        header.height = in.u16(kFileHeaderBytes + 6);
        header.bits = in.u16(kFileHeaderBytes + 10);
        header.paletteOffset = kFileHeaderBytes + kCoreHeaderBytes;
        header.paletteEntryBytes = 3;
    } else if (!parseInfoHeader(in, infoSize, header)) {
        error = "BMP: truncated bit-field masks";
        return false;
    }
    if (!validBitsAndCompression(header, core)) {
        error = "BMP: unsupported bit count " + std::to_string(header.bits) + " or compression " +
                std::to_string(header.compression);
        return false;
    }
    if (header.topDown && header.compression != kBiRgb && header.compression != kBiBitfields) {
        error = "BMP: compressed bitmap cannot be top-down";
        return false;
    }
    if (header.dataOffset >= in.size()) {
        error = "BMP: pixel data lies outside the file";
        return false;
    }
    return true;
}

bool readPalette(const Reader& in, const Header& header, std::array<Bgr, kMaxPaletteEntries>& out,
                 std::string& error) {
    if (header.bits > 8) return true;
    std::uint64_t count = std::uint64_t(1) << header.bits;
    if (header.colorsUsed != 0 && header.colorsUsed < count) count = header.colorsUsed;
    if (!in.has(header.paletteOffset, count * header.paletteEntryBytes)) {
        error = "BMP: truncated palette";
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = header.paletteOffset + i * header.paletteEntryBytes;
        out[i] = Bgr{in.byte(at), in.byte(at + 1), in.byte(at + 2)};
    }
    return true;
}

void putPixel(std::uint8_t* row, std::int64_t x, Bgr color) {
    std::uint8_t* p = row + x * Raster::kBytesPerPixel;
    p[0] = color.b;
    p[1] = color.g;
    p[2] = color.r;
}

unsigned paletteIndex(const std::uint8_t* src, std::int64_t x, unsigned bits) {
    const std::int64_t bit = x * bits;
    const unsigned shift = 8 - bits - unsigned(bit % 8);
    return (src[bit / 8] >> shift) & ((1u << bits) - 1);
}

std::uint32_t packedPixel(const std::uint8_t* src, std::int64_t x, unsigned bits) {
    if (bits == 16) {
        const std::uint8_t* p = src + x * 2;
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
    }
    const std::uint8_t* p = src + x * 4;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void convertRow(const Header& header, const std::array<Bgr, kMaxPaletteEntries>& palette,
                const std::uint8_t* src, std::uint8_t* dst) {
    const std::int64_t width = header.width;
    if (header.bits == 24) {
        std::copy(src, src + width * 3, dst);
    } else if (header.bits <= 8) {
        for (std::int64_t x = 0; x < width; ++x) {
            putPixel(dst, x, palette[paletteIndex(src, x, header.bits)]);
        }
    } else {
        const auto& [red, green, blue] = header.channels;
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = packedPixel(src, x, header.bits);
            putPixel(dst, x, Bgr{extract(blue, pixel), extract(green, pixel), extract(red, pixel)});
        }
    }
}

std::optional<Raster> decodeUncompressed(const Reader& in, const Header& header,
                                         const std::array<Bgr, kMaxPaletteEntries>& palette,
                                         std::string& error) {
    const std::int64_t stride = (header.width * header.bits + 31) / 32 * 4;
    const std::int64_t lastRow = (header.width * header.bits + 7) / 8;
    // The last row's padding may be missing; everything else must be there.
    const std::int64_t available = std::int64_t(in.size() - header.dataOffset);
    if ((available - lastRow) / stride < header.height - 1 || available < lastRow) {
        error = "BMP: pixel data is truncated";
        return std::nullopt;
    }
    Raster raster(int(header.width), int(header.height));
    for (int i = 0; i < raster.height(); ++i) {
        const std::uint8_t* src = in.ptr(header.dataOffset + std::size_t(i) * std::size_t(stride));
        const int stored = header.topDown ? raster.height() - 1 - i : i;
        convertRow(header, palette, src, raster.storedRow(stored));
    }
    return raster;
}

// Walks an RLE4 or RLE8 stream. Pixels the stream never sets keep palette
// entry 0; runs past the row or the image end are clipped.
class RleDecoder {
public:
    RleDecoder(const Reader& in, const Header& header,
               const std::array<Bgr, kMaxPaletteEntries>& palette, Raster& raster)
        : in_(in),
          palette_(palette),
          raster_(raster),
          four_(header.bits == 4),
          pos_(header.dataOffset) {}

    bool run() {
        while (y_ < raster_.height()) {
            if (!in_.has(pos_, 2)) return false;
            const unsigned count = in_.byte(pos_);
            const unsigned value = in_.byte(pos_ + 1);
            pos_ += 2;
            if (count > 0) {
                encodedRun(count, value);
            } else if (!escape(value)) {
                return false;
            } else if (done_) {
                return true;
            }
        }
        return true;
    }

private:
    static constexpr unsigned kEndOfLine = 0;
    static constexpr unsigned kEndOfBitmap = 1;
    static constexpr unsigned kDelta = 2;

    void put(unsigned index) {
        if (x_ < raster_.width() && y_ < raster_.height()) {
            putPixel(raster_.storedRow(int(y_)), x_, palette_[index]);
        }
        ++x_;
    }

    void encodedRun(unsigned count, unsigned value) {
        for (unsigned i = 0; i < count; ++i) {
            put(four_ ? ((i % 2 == 0) ? value >> 4 : value & 0x0F) : value);
        }
    }

    bool escape(unsigned code) {
        switch (code) {
            case kEndOfLine:
                x_ = 0;
                ++y_;
                return true;
            case kEndOfBitmap:
                done_ = true;
                return true;
            case kDelta:
                if (!in_.has(pos_, 2)) return false;
                x_ += in_.byte(pos_);
                y_ += in_.byte(pos_ + 1);
                pos_ += 2;
                return true;
            default:
                return absoluteRun(code);
        }
    }

    bool absoluteRun(unsigned count) {
        const std::size_t bytes = four_ ? (count + 1) / 2 : count;
        const std::size_t padded = (bytes + 1) / 2 * 2;
        if (!in_.has(pos_, bytes)) return false;
        for (unsigned i = 0; i < count; ++i) {
            if (four_) {
                const unsigned packed = in_.byte(pos_ + i / 2);
                put(i % 2 == 0 ? packed >> 4 : packed & 0x0F);
            } else {
                put(in_.byte(pos_ + i));
            }
        }
        pos_ += padded;
        return true;
    }

    const Reader& in_;
    const std::array<Bgr, kMaxPaletteEntries>& palette_;
    Raster& raster_;
    bool four_;
    std::size_t pos_;
    std::int64_t x_ = 0;
    std::int64_t y_ = 0;
    bool done_ = false;
};

std::optional<Raster> decodeRle(const Reader& in, const Header& header,
                                const std::array<Bgr, kMaxPaletteEntries>& palette,
                                std::string& error) {
    Raster raster(int(header.width), int(header.height));
    const Bgr fill = palette[0];
    for (int y = 0; y < raster.height(); ++y) {
        std::uint8_t* row = raster.storedRow(y);
        for (int x = 0; x < raster.width(); ++x) putPixel(row, x, fill);
    }
    RleDecoder decoder(in, header, palette, raster);
    if (!decoder.run()) {
        error = "BMP: run-length data is truncated";
        return std::nullopt;
    }
    return raster;
}

}  // namespace

std::optional<Raster> decodeBmp(Bytes bytes, std::string& error) {
    const Reader in(bytes);
    Header header;
    if (!parseHeader(in, header, error)) return std::nullopt;
    const bool rle = header.compression == kBiRle8 || header.compression == kBiRle4;
    const std::int64_t limit =
        rle ? kRlePixelsPerByte * std::int64_t(bytes.size()) + kPixelAllowance : kMaxImagePixels;
    if (!checkImageSize(header.width, header.height, limit, error)) {
        error = "BMP: " + error;
        return std::nullopt;
    }
    std::array<Bgr, kMaxPaletteEntries> palette{};
    if (!readPalette(in, header, palette, error)) return std::nullopt;
    return rle ? decodeRle(in, header, palette, error)
               : decodeUncompressed(in, header, palette, error);
}

}  // namespace strovik::detail
