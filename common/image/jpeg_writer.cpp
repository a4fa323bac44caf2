// JPEG output: libjpeg-turbo's defaults at the given quality, colour from
// blue-green-red rows, the JFIF density only when asked for.
#include <cerrno>
#include <csetjmp>
#include <cstdio>

#include "common/image/image_writers.h"
#include "common/image/jpeg_error.h"
#include "common/image/output_file.h"

namespace velmora {

namespace {

constexpr UINT8 kDotsPerInch = 1;

using detail::JpegErrorManager;

void onMessage(j_common_ptr, int) {}

// Feeds the rows top to bottom; runs between setjmp and the end of the
// compression, so it holds no objects with destructors.
void writeRows(jpeg_compress_struct& cinfo, const PixelView& pixels) {
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row = const_cast<JSAMPROW>(pixels.row(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
}

// Compresses into an open file; false (with the library's message and the
// errno left by a failed write) on error.
bool compress(std::FILE* file, const PixelView& pixels, const JpegSettings& settings,
              JpegErrorManager& manager, int& errorNumber) {
    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = detail::jumpOnJpegError;
    manager.pub.emit_message = onMessage;
    errno = 0;
    if (setjmp(manager.jump) != 0) {
        errorNumber = errno;
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(pixels.width);
    cinfo.image_height = JDIMENSION(pixels.height);
    const bool grey = pixels.bytesPerPixel == 1;
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, settings.quality, TRUE);
    if (settings.density) {
        cinfo.write_JFIF_header = TRUE;
        cinfo.density_unit = kDotsPerInch;
        cinfo.X_density = UINT16(settings.density->x);
        cinfo.Y_density = UINT16(settings.density->y);
    }
    jpeg_start_compress(&cinfo, TRUE);
    writeRows(cinfo, pixels);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool writeJpegFile(const std::string& path, const PixelView& pixels, const JpegSettings& settings,
                   ImageWriteError* error) {
    if (!detail::checkPixels(pixels, true, error)) return false;
    std::FILE* file = detail::openImageFile(path, error);
    if (file == nullptr) return false;
    JpegErrorManager manager{};
    int errorNumber = 0;
    const bool written = compress(file, pixels, settings, manager, errorNumber);
    const ImageWriteError failure{manager.message, errorNumber};
    return detail::closeImageFile(file, path, written, failure, error);
}

}  // namespace velmora
