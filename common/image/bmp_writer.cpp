// BMP output: a 14-byte file header, a 40-byte info header (24 bits, no
// compression, the resolution in pixels per metre), then the rows bottom
// row first, each padded with zero bytes to a multiple of four.
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/image/image_writers.h"
#include "common/image/output_file.h"

namespace velmora {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::uint16_t kPlanes = 1;
constexpr std::uint16_t kBitsPerPixel = 24;
constexpr std::size_t kColourBytes = 3;

void putU16(std::uint8_t* at, std::uint32_t value) {
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

void putU32(std::uint8_t* at, std::uint32_t value) {
    putU16(at, value & 0xFFFFu);
    putU16(at + 2, value >> 16);
}

}  // namespace

bool writeBmpFile(const std::string& path, const PixelView& pixels, DotsPerMetre density,
                  ImageWriteError* error) {
    if (!detail::checkPixels(pixels, false, error)) return false;
    const std::size_t pixelBytes = std::size_t(pixels.width) * kColourBytes;
    const std::size_t rowBytes = (pixelBytes + 3) & ~std::size_t(3);
    const std::size_t offset = kFileHeaderBytes + kInfoHeaderBytes;
    if (rowBytes > (std::size_t(UINT32_MAX) - offset) / std::size_t(pixels.height)) {
        detail::setWriteError(error, "image too large for a bitmap file", EFBIG,
                              ImageWriteError::Stage::Pixels);
        return false;
    }
    const std::size_t imageBytes = rowBytes * std::size_t(pixels.height);
    std::array<std::uint8_t, kFileHeaderBytes + kInfoHeaderBytes> header{};
    header[0] = 'B';
    header[1] = 'M';
    putU32(&header[2], std::uint32_t(offset + imageBytes));
    putU32(&header[10], std::uint32_t(offset));
    std::uint8_t* info = &header[kFileHeaderBytes];
    putU32(info, std::uint32_t(kInfoHeaderBytes));
    putU32(info + 4, std::uint32_t(pixels.width));
    putU32(info + 8, std::uint32_t(pixels.height));  // positive: bottom row first
    putU16(info + 12, kPlanes);
    putU16(info + 14, kBitsPerPixel);
    putU32(info + 20, std::uint32_t(imageBytes));
    putU32(info + 24, std::uint32_t(density.x));
    putU32(info + 28, std::uint32_t(density.y));

    std::FILE* file = detail::openImageFile(path, error);
    if (file == nullptr) return false;
    errno = 0;
    bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    const std::array<std::uint8_t, 3> padding{};
    const std::size_t padBytes = rowBytes - pixelBytes;
    for (int y = pixels.height - 1; written && y >= 0; --y) {
        written = std::fwrite(pixels.row(y), 1, pixelBytes, file) == pixelBytes &&
                  std::fwrite(padding.data(), 1, padBytes, file) == padBytes;
    }
    const int errorNumber = errno != 0 ? errno : EIO;
    const ImageWriteError failure{std::strerror(errorNumber), errorNumber};
    return detail::closeImageFile(file, path, written, failure, error);
}

}  // namespace velmora
