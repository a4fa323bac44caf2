// TIFF through libtiff: 8-bit RGB strips, resolution in dots per inch.
#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/sheetgen/image_writers.h"

namespace sheetgen {
namespace {

constexpr std::uint32_t kRowsPerStrip = 64;

bool encode(TIFF* tif, const Image& image, int dpi) {
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const auto resolution = static_cast<float>(dpi);
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width) == 1 &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height) == 1 &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) == 1 &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) == 1 &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) == 1 &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) == 1 &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kRowsPerStrip) == 1 &&
              TIFFSetField(tif, TIFFTAG_XRESOLUTION, resolution) == 1 &&
              TIFFSetField(tif, TIFFTAG_YRESOLUTION, resolution) == 1 &&
              TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) == 1;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
    for (std::uint32_t y = 0; ok && y < height; ++y) {
        const std::uint8_t* bgr = &image.bgr[y * rgb.size()];
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = bgr[i + 2];
            rgb[i + 1] = bgr[i + 1];
            rgb[i + 2] = bgr[i];
        }
        ok = TIFFWriteScanline(tif, rgb.data(), y, 0) == 1;
    }
    return ok;
}

}  // namespace

bool writeTiff(const std::string& path, const Image& image, int dpi, std::string& error) {
    // Opening the file ourselves gives a clear message for a bad path.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    TIFF* tif = TIFFFdOpen(fd, path.c_str(), "w");
    if (tif == nullptr) {
        ::close(fd);
        error = "cannot write " + path;
        return false;
    }
    bool ok = encode(tif, image, dpi) && TIFFFlush(tif) == 1;
    TIFFClose(tif);  // also closes fd
    if (!ok) error = "writing " + path + " failed";
    return ok;
}

}  // namespace sheetgen
