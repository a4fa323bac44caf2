// The suite's image file writers: JPEG (libjpeg-turbo, resolution in the JFIF
// header), PNG (libpng, 8-bit RGB, resolution in a pHYs chunk) and BMP (24
// bits, rows bottom-up, each padded to four bytes, resolution in the header's
// pixels-per-metre fields). Each writes a whole file at `path`, opened as
// openForWriting allows (another user's link in a shared folder is never
// written through), and returns false with a one-line reason instead of
// throwing or ending the process; a file that fails part way is removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/resolution.h"

namespace velmora {

/// Pixels to write, borrowed from the caller. Colour pixels are three bytes,
/// blue, green, red; grey ones one byte (JPEG only).
struct PixelView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    std::size_t stride = 0;  ///< bytes from one stored row to the next; 0: width * bytesPerPixel
    bool bottomUp = false;   ///< rows stored bottom row first (files still show them upright)

    std::size_t rowStride() const {
        return stride != 0 ? stride : std::size_t(width) * std::size_t(bytesPerPixel);
    }
    /// The row shown at `y` from the top.
    const std::uint8_t* row(int y) const {
        const int stored = bottomUp ? height - 1 - y : y;
        return pixels + std::size_t(stored) * rowStride();
    }
};

/// Why a write failed: a one-line reason and the system's error number
/// (errno of the failing call; 0 when the cause was not a system call).
struct ImageWriteError {
    enum class Stage {
        Pixels,  ///< the pixels were refused; no file was touched
        Open,    ///< the file could not be created (or a link was refused)
        Write,   ///< writing failed part way; the partial file is gone
    };
    std::string reason;
    int errorNumber = 0;
    Stage stage = Stage::Write;
    bool linkRefused = false;  ///< Open: the link rule refused; `reason` says why
};

struct JpegSettings {
    int quality = 75;  ///< 0..100; the library takes anything below 1 as 1
    /// Recorded in the JFIF header as dots per inch, each axis as given (even
    /// 0). nullopt keeps the library's default: no unit, a 1:1 aspect.
    std::optional<DotsPerInch> density;
};

/// Colour or grey pixels, baseline JPEG with the library's default settings.
bool writeJpegFile(const std::string& path, const PixelView& pixels, const JpegSettings& settings,
                   ImageWriteError* error = nullptr);

/// Colour pixels, 8-bit RGB PNG. `density` (nullopt: no pHYs chunk) is
/// written in the metre unit, each axis as given.
bool writePngFile(const std::string& path, const PixelView& pixels,
                  std::optional<DotsPerMetre> density, ImageWriteError* error = nullptr);

/// Colour pixels, 24-bit BMP with a 40-byte header; `density` fills the
/// pixels-per-metre fields (0: none). Refuses images whose file would
/// exceed 4 GiB.
bool writeBmpFile(const std::string& path, const PixelView& pixels, DotsPerMetre density,
                  ImageWriteError* error = nullptr);

}  // namespace velmora
