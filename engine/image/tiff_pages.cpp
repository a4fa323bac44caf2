#include "engine/image/tiff_pages.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "common/atomic_file.h"
#include "engine/image/image_loader.h"  // kMaxImagePixels
#include "engine/image/tiff_memory_stream.h"

namespace strovik {

namespace {

constexpr std::size_t kMagicBytes = 4;
constexpr tmsize_t kMaxSingleAllocation = 512L * 1024 * 1024;
// The RGBA reader needs four bytes a pixel for the whole page.
constexpr std::uint64_t kMaxRgbaPixels = 40'000'000;
constexpr unsigned kOpaque = 255;

// libtiff reports through these; the first error is kept as the reason.
struct Messages {
    std::string error;
};

int onError(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto* messages = static_cast<Messages*>(user);
    if (messages->error.empty()) {
        char text[200];
        std::vsnprintf(text, sizeof text, format, args);
        messages->error = std::string(module != nullptr ? module : "TIFF") + ": " + text;
    }
    return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TIFFOpenOptions* quietOptions(Messages& messages) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, &messages);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
    return options;
}

TiffHandle openForReading(const std::string& path, Messages& messages) {
    std::string leading;
    if (const auto start = velmora::readFileStart(path, kMagicBytes)) leading = *start;
    if (!looksLikeTiff(leading)) return nullptr;
    TIFFOpenOptions* options = quietOptions(messages);
    if (options == nullptr) return nullptr;
    TIFF* tif = TIFFOpenExt(path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
}

// ---- A TIFF written into memory, then to its file in one atomic step.

TiffHandle openSink(TiffMemoryStream& sink, Messages& messages) {
    TIFFOpenOptions* options = quietOptions(messages);
    if (options == nullptr) return nullptr;
    TIFF* tif = sink.open("page", "w", options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
}

// ---- What a page is.

struct PageLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
};

bool readLayout(TIFF* tif, PageLayout& page) {
    if (TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width) != 1 ||
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height) != 1 || page.width == 0 ||
        page.height == 0) {
        return false;
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &page.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &page.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &page.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &page.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &page.sampleFormat);
    if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &page.photometric) != 1) {
        page.photometric = PHOTOMETRIC_MINISWHITE;
    }
    return true;
}

/// Pages whose scanlines can be copied as they are; the rest go through
/// libtiff's RGBA reader.
bool copiesScanlines(TIFF* tif, const PageLayout& page) {
    if (TIFFIsTiled(tif)) return false;
    if (page.compression == COMPRESSION_JPEG || page.compression == COMPRESSION_OJPEG) return false;
    switch (page.photometric) {
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_RGB:
        case PHOTOMETRIC_PALETTE:
        case PHOTOMETRIC_SEPARATED:
            return true;
        default:
            return false;
    }
}

/// The page file's compression: lossless always, the source's when it is.
std::uint16_t targetCompression(const PageLayout& page) {
    if (page.bits == 1 && page.samples == 1) return COMPRESSION_CCITTFAX4;
    switch (page.compression) {
        case COMPRESSION_NONE:
        case COMPRESSION_LZW:
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
        case COMPRESSION_PACKBITS:
            return page.compression;
        default:
            return COMPRESSION_LZW;
    }
}

void copyResolution(TIFF* from, TIFF* to) {
    float x = 0;
    float y = 0;
    std::uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(from, TIFFTAG_XRESOLUTION, &x) == 1) TIFFSetField(to, TIFFTAG_XRESOLUTION, x);
    if (TIFFGetField(from, TIFFTAG_YRESOLUTION, &y) == 1) TIFFSetField(to, TIFFTAG_YRESOLUTION, y);
    if (TIFFGetField(from, TIFFTAG_RESOLUTIONUNIT, &unit) == 1) {
        TIFFSetField(to, TIFFTAG_RESOLUTIONUNIT, unit);
    }
}

void copyExtraTags(TIFF* from, TIFF* to, const PageLayout& page) {
    if (page.photometric == PHOTOMETRIC_PALETTE) {
        std::uint16_t* red = nullptr;
        std::uint16_t* green = nullptr;
        std::uint16_t* blue = nullptr;
        if (TIFFGetField(from, TIFFTAG_COLORMAP, &red, &green, &blue) == 1) {
            TIFFSetField(to, TIFFTAG_COLORMAP, red, green, blue);
        }
    }
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    if (TIFFGetField(from, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) == 1 && extraCount > 0) {
        TIFFSetField(to, TIFFTAG_EXTRASAMPLES, extraCount, extra);
    }
    std::uint16_t inkSet = 0;
    if (TIFFGetField(from, TIFFTAG_INKSET, &inkSet) == 1) TIFFSetField(to, TIFFTAG_INKSET, inkSet);
}

void setLayout(TIFF* to, const PageLayout& page, std::uint16_t compression) {
    TIFFSetField(to, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(to, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(to, TIFFTAG_BITSPERSAMPLE, page.bits);
    TIFFSetField(to, TIFFTAG_SAMPLESPERPIXEL, page.samples);
    TIFFSetField(to, TIFFTAG_PHOTOMETRIC, page.photometric);
    TIFFSetField(to, TIFFTAG_PLANARCONFIG, page.planar);
    TIFFSetField(to, TIFFTAG_SAMPLEFORMAT, page.sampleFormat);
    TIFFSetField(to, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(to, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(to, 0));
}

bool copyScanlines(TIFF* from, TIFF* to, const PageLayout& page) {
    setLayout(to, page, targetCompression(page));
    copyResolution(from, to);
    copyExtraTags(from, to, page);
    const tmsize_t lineBytes = TIFFScanlineSize(from);
    if (lineBytes <= 0) return false;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    // Separate planes are stored one sample plane after another.
    const std::uint16_t planes = page.planar == PLANARCONFIG_SEPARATE ? page.samples : 1;
    for (std::uint16_t plane = 0; plane < planes; ++plane) {
        for (std::uint32_t y = 0; y < page.height; ++y) {
            if (TIFFReadScanline(from, line.data(), y, plane) < 0) return false;
            if (TIFFWriteScanline(to, line.data(), y, plane) < 0) return false;
        }
    }
    return true;
}

bool copyAsRgba(TIFF* from, TIFF* to, const PageLayout& source) {
    char reason[1024] = {};
    if (TIFFRGBAImageOK(from, reason) != 1) return false;
    if (std::uint64_t(source.width) * source.height > kMaxRgbaPixels) return false;
    std::vector<std::uint32_t> rgba(std::size_t(source.width) * source.height);
    if (TIFFReadRGBAImageOriented(from, source.width, source.height, rgba.data(),
                                  ORIENTATION_TOPLEFT, 0) != 1) {
        return false;
    }
    const bool opaque = std::all_of(rgba.begin(), rgba.end(),
                                    [](std::uint32_t p) { return TIFFGetA(p) == kOpaque; });
    PageLayout page = source;
    page.bits = 8;
    page.samples = opaque ? 3 : 4;
    page.photometric = PHOTOMETRIC_RGB;
    page.planar = PLANARCONFIG_CONTIG;
    page.sampleFormat = SAMPLEFORMAT_UINT;
    setLayout(to, page, COMPRESSION_LZW);
    copyResolution(from, to);
    if (!opaque) {
        const std::uint16_t associated = EXTRASAMPLE_ASSOCALPHA;
        TIFFSetField(to, TIFFTAG_EXTRASAMPLES, 1, &associated);
    }
    std::vector<std::uint8_t> line(std::size_t(page.width) * page.samples);
    for (std::uint32_t y = 0; y < page.height; ++y) {
        const std::uint32_t* src = rgba.data() + std::size_t(y) * page.width;
        for (std::uint32_t x = 0; x < page.width; ++x) {
            std::uint8_t* p = line.data() + std::size_t(x) * page.samples;
            p[0] = std::uint8_t(TIFFGetR(src[x]));
            p[1] = std::uint8_t(TIFFGetG(src[x]));
            p[2] = std::uint8_t(TIFFGetB(src[x]));
            if (!opaque) p[3] = std::uint8_t(TIFFGetA(src[x]));
        }
        if (TIFFWriteScanline(to, line.data(), y, 0) < 0) return false;
    }
    return true;
}

/// The current page of `from` as a whole single-page TIFF file; empty on
/// failure with `error` set.
std::string encodePage(TIFF* from, std::string& error) {
    PageLayout page;
    if (!readLayout(from, page)) {
        error = "TIFF: page size missing";
        return {};
    }
    if (std::uint64_t(page.width) * page.height > std::uint64_t(kMaxImagePixels)) {
        error = "TIFF: page too large";
        return {};
    }
    TiffMemoryStream sink;
    Messages messages;
    {
        TiffHandle to = openSink(sink, messages);
        if (!to) {
            error = "TIFF: cannot start a page file";
            return {};
        }
        const bool ok = copiesScanlines(from, page) ? copyScanlines(from, to.get(), page)
                                                    : copyAsRgba(from, to.get(), page);
        if (!ok || TIFFWriteDirectory(to.get()) != 1) {
            error = messages.error.empty() ? "TIFF: cannot copy the page" : messages.error;
            return {};
        }
    }
    if (!messages.error.empty()) {
        error = messages.error;
        return {};
    }
    return sink.takeBytes();
}

}  // namespace

bool looksLikeTiff(const std::string& leading) {
    if (leading.size() < kMagicBytes) return false;
    const bool little = leading[0] == 'I' && leading[1] == 'I' && leading[3] == '\0' &&
                        (leading[2] == '*' || leading[2] == '+');
    const bool big = leading[0] == 'M' && leading[1] == 'M' && leading[2] == '\0' &&
                     (leading[3] == '*' || leading[3] == '+');
    return little || big;
}

std::optional<int> tiffPageCount(const std::string& path) {
    Messages messages;
    TiffHandle tif = openForReading(path, messages);
    if (!tif) return std::nullopt;
    return int(TIFFNumberOfDirectories(tif.get()));
}

TiffSplitResult splitTiffPages(const std::string& path,
                               const std::function<std::string(int)>& pagePath) {
    TiffSplitResult result;
    Messages messages;
    TiffHandle tif = openForReading(path, messages);
    if (!tif) {
        result.error = "not a readable TIFF file: " + path;
        return result;
    }
    const int pages = int(TIFFNumberOfDirectories(tif.get()));
    for (int i = 0; i < pages; ++i) {
        if (TIFFSetDirectory(tif.get(), tdir_t(i)) != 1) {
            result.error = path + ": cannot read page " + std::to_string(i + 1);
            return result;
        }
        std::string error;
        messages.error.clear();
        std::string bytes = encodePage(tif.get(), error);
        // A page that libtiff could only partly decode is not copied.
        if (!bytes.empty() && !messages.error.empty()) {
            bytes.clear();
            error = messages.error;
        }
        if (bytes.empty()) {
            result.error = path + ": page " + std::to_string(i + 1) + ": " + error;
            return result;
        }
        const std::string target = pagePath(i);
        if (!velmora::writeFileAtomically(target, bytes, &error)) {
            result.error = target + ": " + error;
            return result;
        }
        result.written.push_back(target);
    }
    return result;
}

}  // namespace strovik
