// TIFF through libtiff, first page only. Bilevel, 8-bit grey, 8-bit RGB and
// palette images are converted scanline by scanline; anything else goes
// through libtiff's RGBA reader when it is small enough.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>

#include "engine/image/decoders.h"
#include "engine/image/image_loader.h"
#include "engine/image/tiff_memory_stream.h"

namespace strovik::detail {

namespace {

// A fax-coded blank line costs about a bit.
constexpr std::int64_t kRowsPerFileByte = 8;
constexpr std::int64_t kRowAllowance = 1'000'000;
// The RGBA reader needs four bytes a pixel for the whole image.
constexpr std::int64_t kMaxRgbaPixels = 40'000'000;
constexpr tmsize_t kMaxSingleAllocation = 512L * 1024 * 1024;
constexpr int kColormapShift = 8;
constexpr unsigned kMaxSample = 255;

// The file being decoded and the first error libtiff reported on it.
struct Source {
    explicit Source(Bytes fileBytes) : bytes(fileBytes), stream(fileBytes) {}
    Bytes bytes;
    TiffMemoryStream stream;
    bool failed = false;
    char message[256] = {};
};

int onError(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto* source = static_cast<Source*>(user);
    if (!source->failed) {
        char text[200];
        std::vsnprintf(text, sizeof text, format, args);
        std::snprintf(source->message, sizeof source->message, "%s%s%s",
                      module != nullptr ? module : "", module != nullptr ? ": " : "", text);
    }
    source->failed = true;
    return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle openTiff(Source& source) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, &source);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
    TIFF* tif = source.stream.open("memory", "rm", options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
}

enum class Layout { kBilevel, kGrey, kRgb, kPalette, kOther };

struct Info {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    Layout layout = Layout::kOther;
};

Layout classify(const Info& info, TIFF* tif) {
    if (TIFFIsTiled(tif) || info.planar != PLANARCONFIG_CONTIG) return Layout::kOther;
    const bool grey =
        info.photometric == PHOTOMETRIC_MINISWHITE || info.photometric == PHOTOMETRIC_MINISBLACK;
    if (grey && info.samples == 1 && info.bits == 1) return Layout::kBilevel;
    if (grey && info.samples == 1 && info.bits == 8) return Layout::kGrey;
    if (info.photometric == PHOTOMETRIC_RGB && info.samples == 3 && info.bits == 8) {
        return Layout::kRgb;
    }
    if (info.photometric == PHOTOMETRIC_PALETTE && info.samples == 1 &&
        (info.bits == 1 || info.bits == 2 || info.bits == 4 || info.bits == 8)) {
        return Layout::kPalette;
    }
    return Layout::kOther;
}

bool readInfo(TIFF* tif, Info& info) {
    if (TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &info.width) != 1 ||
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &info.height) != 1) {
        return false;
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &info.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &info.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &info.planar);
    if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &info.photometric) != 1) {
        info.photometric = PHOTOMETRIC_MINISWHITE;
    }
    info.layout = classify(info, tif);
    return true;
}

// Every strip must lie inside the file, so a cut-off file fails instead of
// decoding to a partly blank page.
bool stripsInsideFile(TIFF* tif, std::size_t fileBytes) {
    const std::uint32_t strips = TIFFNumberOfStrips(tif);
    for (std::uint32_t s = 0; s < strips; ++s) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, s);
        const std::uint64_t count = TIFFGetStrileByteCount(tif, s);
        if (offset > fileBytes || count > fileBytes - offset) return false;
    }
    return true;
}

struct Palette {
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
};

void setGrey(std::uint8_t* p, std::uint8_t value) {
    p[0] = p[1] = p[2] = value;
}

unsigned sampleAt(const std::uint8_t* line, std::uint32_t x, unsigned bits) {
    const std::uint64_t bit = std::uint64_t(x) * bits;
    const unsigned shift = 8 - bits - unsigned(bit % 8);
    return (line[bit / 8] >> shift) & ((1u << bits) - 1);
}

void convertLine(const Info& info, const Palette& palette, const std::uint8_t* line,
                 std::uint8_t* row) {
    const bool inverted = info.photometric == PHOTOMETRIC_MINISWHITE;
    for (std::uint32_t x = 0; x < info.width; ++x) {
        std::uint8_t* p = row + std::size_t(x) * Raster::kBytesPerPixel;
        switch (info.layout) {
            case Layout::kBilevel: {
                const bool set = sampleAt(line, x, 1) != 0;
                setGrey(p, set != inverted ? std::uint8_t(kMaxSample) : 0);
                break;
            }
            case Layout::kGrey:
                setGrey(p, inverted ? std::uint8_t(kMaxSample - line[x]) : line[x]);
                break;
            case Layout::kRgb:
                p[0] = line[3 * std::size_t(x) + 2];
                p[1] = line[3 * std::size_t(x) + 1];
                p[2] = line[3 * std::size_t(x)];
                break;
            case Layout::kPalette: {
                const unsigned index = sampleAt(line, x, info.bits);
                p[0] = std::uint8_t(palette.blue[index] >> kColormapShift);
                p[1] = std::uint8_t(palette.green[index] >> kColormapShift);
                p[2] = std::uint8_t(palette.red[index] >> kColormapShift);
                break;
            }
            case Layout::kOther:
                break;
        }
    }
}

bool readScanlines(TIFF* tif, const Info& info, Raster& raster, std::string& error) {
    Palette palette;
    if (info.layout == Layout::kPalette &&
        TIFFGetField(tif, TIFFTAG_COLORMAP, &palette.red, &palette.green, &palette.blue) != 1) {
        error = "TIFF: palette image without a colour map";
        return false;
    }
    const tmsize_t lineBytes = TIFFScanlineSize(tif);
    const std::uint64_t needed = (std::uint64_t(info.width) * info.bits * info.samples + 7) / 8;
    if (lineBytes <= 0 || std::uint64_t(lineBytes) < needed) {
        error = "TIFF: bad scanline size";
        return false;
    }
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    for (std::uint32_t y = 0; y < info.height; ++y) {
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) {
            error = "TIFF: cannot read row " + std::to_string(y);
            return false;
        }
        convertLine(info, palette, line.data(), imageRow(raster, int(y)));
    }
    return true;
}

// libtiff's RGBA pixels have premultiplied alpha; the rest is white.
bool readRgba(TIFF* tif, const Info& info, Raster& raster, std::string& error) {
    char reason[1024] = {};
    if (TIFFRGBAImageOK(tif, reason) != 1) {
        error = std::string("TIFF: unsupported image: ") + reason;
        return false;
    }
    if (std::int64_t(info.width) * info.height > kMaxRgbaPixels) {
        error = "TIFF: image of this kind is too large";
        return false;
    }
    std::vector<std::uint32_t> rgba(std::size_t(info.width) * info.height);
    if (TIFFReadRGBAImageOriented(tif, info.width, info.height, rgba.data(), ORIENTATION_BOTLEFT,
                                  0) != 1) {
        error = "TIFF: cannot read image";
        return false;
    }
    const std::uint32_t* src = rgba.data();
    std::uint8_t* dst = raster.data();
    for (std::size_t i = 0; i < rgba.size(); ++i, dst += 3) {
        const unsigned clear = kMaxSample - TIFFGetA(src[i]);
        dst[0] = std::uint8_t(std::min(kMaxSample, TIFFGetB(src[i]) + clear));
        dst[1] = std::uint8_t(std::min(kMaxSample, TIFFGetG(src[i]) + clear));
        dst[2] = std::uint8_t(std::min(kMaxSample, TIFFGetR(src[i]) + clear));
    }
    return true;
}

std::optional<Raster> decodeOpened(TIFF* tif, Source& source, std::string& error) {
    Info info;
    if (!readInfo(tif, info)) {
        error = "TIFF: image size missing";
        return std::nullopt;
    }
    const std::int64_t rowLimit =
        kRowsPerFileByte * std::int64_t(source.bytes.size()) + kRowAllowance;
    if (std::int64_t(info.height) > rowLimit) {
        error = "TIFF: image height exceeds what the file can hold";
        return std::nullopt;
    }
    if (!checkImageSize(info.width, info.height, kMaxImagePixels, error)) {
        error = "TIFF: " + error;
        return std::nullopt;
    }
    if (!TIFFIsTiled(tif) && !stripsInsideFile(tif, source.bytes.size())) {
        error = "TIFF: image data is truncated";
        return std::nullopt;
    }
    Raster raster(int(info.width), int(info.height));
    const bool ok = info.layout == Layout::kOther ? readRgba(tif, info, raster, error)
                                                  : readScanlines(tif, info, raster, error);
    if (!ok) return std::nullopt;
    return raster;
}

}  // namespace

std::optional<Raster> decodeTiff(Bytes bytes, std::string& error) {
    Source source(bytes);
    std::optional<Raster> raster;
    {
        TiffHandle tif = openTiff(source);
        if (tif) raster = decodeOpened(tif.get(), source, error);
    }
    if (source.failed) {
        raster.reset();
        error = std::string("TIFF: ") + source.message;
    } else if (!raster && error.empty()) {
        error = "TIFF: cannot open image";
    }
    return raster;
}

}  // namespace strovik::detail
