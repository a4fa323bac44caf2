// JPEG through libjpeg, with the resolution in the JFIF header (dots per inch).
#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "tools/sheetgen/image_writers.h"

namespace sheetgen {
namespace {

constexpr int kDotsPerInch = 1;

struct ErrorTrap {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
};

// libjpeg must not exit the process: jump back to the writer instead.
[[noreturn]] void onJpegError(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

// Kept free of C++ objects with destructors because of the longjmp.
bool compress(std::FILE* file, const Image& image, int dpi, int quality, ErrorTrap& trap) {
    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = onJpegError;
    if (setjmp(trap.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality < 1 ? 1 : (quality > 100 ? 100 : quality), TRUE);
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = kDotsPerInch;
    cinfo.X_density = static_cast<UINT16>(dpi);
    cinfo.Y_density = static_cast<UINT16>(dpi);
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(&image.bgr[cinfo.next_scanline * stride]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool writeJpeg(const std::string& path, const Image& image, int dpi, int quality,
               std::string& error) {
    std::FILE* file = openForWriting(path, error);
    if (file == nullptr) return false;
    ErrorTrap trap;
    bool ok = compress(file, image, dpi, quality, trap);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        trap.message[0] = '\0';
    }
    if (!ok) error = "writing " + path + " failed: " + trap.message;
    return ok;
}

}  // namespace sheetgen
