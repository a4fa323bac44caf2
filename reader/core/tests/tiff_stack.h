// Multi-page TIFF files for the tests, made with libtiff: 8-bit grey pages
// whose every pixel depends on the page, so a page out of order, a shifted
// row or a lost page shows; and reading a page's pixels back.
#pragma once

#include <tiffio.h>

#include <QString>
#include <cstdint>
#include <vector>

namespace tarrow::testing {

using PagePixels = std::vector<std::uint8_t>;

/// The pixels of page `page` of a stack, rows top first.
inline PagePixels stackPagePixels(int page, std::uint32_t width, std::uint32_t height) {
    PagePixels pixels(std::size_t(width) * height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = std::uint8_t((i * 5 + std::size_t(page) * 97) & 0xFF);
    }
    return pixels;
}

/// Writes `pages` pages of width x height at 200 x 300 dpi to `path`; false
/// when libtiff could not write it.
inline bool writeTiffStack(const QString& path, int pages, std::uint32_t width = 24,
                           std::uint32_t height = 17) {
    TIFF* tif = TIFFOpen(path.toStdString().c_str(), "w");
    if (tif == nullptr) return false;
    bool ok = true;
    for (int page = 0; page < pages && ok; ++page) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, std::uint16_t(8));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(1));
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, 200.0f);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0f);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        PagePixels pixels = stackPagePixels(page, width, height);
        for (std::uint32_t y = 0; y < height && ok; ++y) {
            ok = TIFFWriteScanline(tif, pixels.data() + std::size_t(y) * width, y, 0) == 1;
        }
        ok = ok && TIFFWriteDirectory(tif) == 1;
    }
    TIFFClose(tif);
    return ok;
}

/// The first page of a TIFF written by writeTiffStack: its pixels and its
/// resolution.
struct ReadPage {
    PagePixels pixels;
    float xres = 0;
    float yres = 0;
    int pages = 0;
};

inline ReadPage readTiffPage(const QString& path) {
    ReadPage page;
    TIFF* tif = TIFFOpen(path.toStdString().c_str(), "r");
    if (tif == nullptr) return page;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &page.xres);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &page.yres);
    page.pixels.resize(std::size_t(width) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        TIFFReadScanline(tif, page.pixels.data() + std::size_t(y) * width, y, 0);
    }
    page.pages = int(TIFFNumberOfDirectories(tif));
    TIFFClose(tif);
    return page;
}

}  // namespace tarrow::testing
