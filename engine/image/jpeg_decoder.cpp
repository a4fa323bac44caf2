// JPEG through libjpeg-turbo, decoded straight into the raster rows.

#include "common/image/jpeg_error.h"
//
// The library reports fatal errors through error_exit, which must not return;
// ours longjmps back to decodeJpeg. Corrupt-data warnings (a damaged
// entropy-coded segment, data cut short inside a scan) would otherwise yield
// a picture padded with grey, so they abort the decode as well. A file that
// merely ends without its end-of-image marker is different: the library
// warns that the data ran out and supplies the marker, and when every scan
// was complete by then the picture is whole and is taken.
#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

// jpeglib.h needs FILE and size_t declared first; jerror.h needs jpeglib.h.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "engine/image/decoders.h"
#include "engine/image/image_loader.h"

namespace strovik::detail {

namespace {

// Each 8x8 block of the first component costs at least one bit of data.
constexpr std::int64_t kPixelsPerFileByte = 512;
constexpr std::int64_t kPixelAllowance = 1'000'000;
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;
// Progressive files with thousands of tiny scans decode very slowly; real
// encoders use around ten.
constexpr int kMaxScans = 1000;
constexpr int kMaxSample = 255;

using ErrorManager = velmora::detail::JpegErrorManager;
constexpr auto onError = velmora::detail::jumpOnJpegError;

bool isCorruptionWarning(int code) {
    switch (code) {
        case JWRN_EXTRANEOUS_DATA:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
            return true;
        default:
            return false;
    }
}

// Level -1 is a warning; positive levels are trace output. Nothing is printed.
void onMessage(j_common_ptr cinfo, int level) {
    if (level != -1) return;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) {
        // Arithmetic decoding pads a short scan with zeros without a word, so
        // only a Huffman-coded file can show that nothing but the end marker
        // was missing; its case is judged once the scans are decoded.
        if (reinterpret_cast<j_decompress_ptr>(cinfo)->arith_code) onError(cinfo);
        reinterpret_cast<ErrorManager*>(cinfo->err)->inputEnded = true;
        return;
    }
    if (isCorruptionWarning(cinfo->err->msg_code)) onError(cinfo);
}

// After the data ran out early: is the picture whole anyway? A single-scan
// file is, once every scanline decoded (data missing inside the scan would
// have raised a corruption warning). A progressive file is when every
// coefficient of every component reached full precision. A sequential file
// with one scan per component may have lost whole scans, which nothing
// reports, so it is not.
bool scansComplete(jpeg_decompress_struct& cinfo) {
    if (!jpeg_has_multiple_scans(&cinfo)) return true;
    if (!cinfo.progressive_mode || cinfo.coef_bits == nullptr) return false;
    for (int c = 0; c < cinfo.num_components; ++c) {
        for (int k = 0; k < DCTSIZE2; ++k) {
            if (cinfo.coef_bits[c][k] != 0) return false;
        }
    }
    return true;
}

void onProgress(j_common_ptr cinfo) {
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxScans) {
        auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(manager->message, sizeof manager->message, "too many scans");
        std::longjmp(manager->jump, 1);
    }
}

std::uint8_t scaled(unsigned value, unsigned black) {
    return static_cast<std::uint8_t>((value * black + kMaxSample / 2) / kMaxSample);
}

// Adobe files store inverted CMYK: C, M, Y and K are 255 for no ink.
void cmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, unsigned width) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned k = cmyk[3];
        bgr[0] = scaled(cmyk[2], k);
        bgr[1] = scaled(cmyk[1], k);
        bgr[2] = scaled(cmyk[0], k);
    }
}

// Reads every scanline into the raster. Runs between setjmp and the end of
// the decode, so it holds no objects with destructors of its own.
void readRows(jpeg_decompress_struct& cinfo, Raster& raster, std::uint8_t* cmykRow) {
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        std::uint8_t* row = imageRow(raster, y);
        JSAMPROW target = cmykRow != nullptr ? cmykRow : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) {
            ERREXIT(&cinfo, JERR_INPUT_EMPTY);
        }
        if (cmykRow != nullptr) cmykToBgr(cmykRow, row, cinfo.output_width);
    }
}

bool isCmyk(J_COLOR_SPACE space) {
    return space == JCS_CMYK || space == JCS_YCCK;
}

}  // namespace

std::optional<Raster> decodeJpeg(Bytes bytes, std::string& error, Raster* spare) {
    // Everything the jump target touches lives outside the setjmp frame's
    // registers: the objects below are only changed through pointers.
    std::optional<Raster> raster;
    std::vector<std::uint8_t> cmykRow;
    jpeg_decompress_struct cinfo{};
    ErrorManager manager{};
    jpeg_progress_mgr progress{};

    cinfo.err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onError;
    manager.pub.emit_message = onMessage;
    if (setjmp(manager.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        raster.reset();
        error = std::string("JPEG: ") + manager.message;
        return std::nullopt;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    progress.progress_monitor = onProgress;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);

    const std::int64_t limit =
        kPixelsPerFileByte * static_cast<std::int64_t>(bytes.size()) + kPixelAllowance;
    if (!checkImageSize(cinfo.image_width, cinfo.image_height, limit, error)) {
        jpeg_destroy_decompress(&cinfo);
        error = "JPEG: " + error;
        return std::nullopt;
    }
    const bool cmyk = isCmyk(cinfo.jpeg_color_space);
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&cinfo);

    try {
        raster.emplace(newRaster(static_cast<int>(cinfo.output_width),
                                 static_cast<int>(cinfo.output_height), spare));
        if (cmyk) cmykRow.resize(std::size_t(cinfo.output_width) * 4);
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&cinfo);
        error = "JPEG: out of memory";
        return std::nullopt;
    }
    readRows(cinfo, *raster, cmyk ? cmykRow.data() : nullptr);
    if (manager.inputEnded && !scansComplete(cinfo)) {
        jpeg_destroy_decompress(&cinfo);
        raster.reset();
        error = "JPEG: file is truncated";
        return std::nullopt;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return raster;
}

}  // namespace strovik::detail
