#include "engine/image/jpeg_writer.h"

#include <unistd.h>

#include <csetjmp>
#include <cstdio>

#include "common/symlink_policy.h"
#include "engine/image/jpeg_error.h"

// jpeglib.h needs FILE and size_t declared first.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace strovik {

namespace {

constexpr int kGreyBytes = 1;
constexpr int kColourBytes = 3;
constexpr UINT8 kDotsPerInch = 1;

using ErrorManager = detail::JpegErrorManager;
constexpr auto onError = detail::jumpOnJpegError;

void onMessage(j_common_ptr, int) {}

// Feeds the rows top to bottom; runs between setjmp and the end of the
// compression, so it holds no objects with destructors.
void writeRows(jpeg_compress_struct& cinfo, const JpegImage& image) {
    const std::size_t rowBytes = std::size_t(image.width) * std::size_t(image.bytesPerPixel);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::size_t y = cinfo.next_scanline;
        const std::size_t stored = image.bottomUp ? std::size_t(image.height) - 1 - y : y;
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row = const_cast<JSAMPROW>(image.pixels + stored * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
}

// Compresses into an open file; false (with the library's message) on error.
bool compress(std::FILE* file, const JpegImage& image, int quality, int densityDpi,
              ErrorManager& manager) {
    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onError;
    manager.pub.emit_message = onMessage;
    if (setjmp(manager.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    const bool grey = image.bytesPerPixel == kGreyBytes;
    cinfo.input_components = grey ? kGreyBytes : kColourBytes;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (densityDpi > 0) {
        cinfo.density_unit = kDotsPerInch;
        cinfo.X_density = UINT16(densityDpi);
        cinfo.Y_density = UINT16(densityDpi);
    }
    jpeg_start_compress(&cinfo, TRUE);
    writeRows(cinfo, image);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool saveJpeg(const std::string& path, const JpegImage& image, int quality, int densityDpi) {
    if (image.width <= 0 || image.height <= 0 || image.pixels == nullptr) return false;
    if (image.bytesPerPixel != kGreyBytes && image.bytesPerPixel != kColourBytes) return false;
    // Another user's link in a shared folder is never written through.
    std::string reason;
    const int fd = velmora::openForWriting(path, &reason);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        if (fd >= 0) ::close(fd);
        std::fprintf(stderr, "can't open %s\n", path.c_str());
        if (!reason.empty()) std::fprintf(stderr, "%s\n", reason.c_str());
        return false;
    }
    ErrorManager manager{};
    bool ok = compress(file, image, quality, densityDpi, manager);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        std::snprintf(manager.message, sizeof manager.message, "write failed");
    }
    if (!ok) {
        std::remove(path.c_str());
        std::fprintf(stderr, "can't write %s: %s\n", path.c_str(), manager.message);
    }
    return ok;
}

}  // namespace strovik
