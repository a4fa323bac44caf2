#include "engine/image/image_loader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "common/atomic_file.h"
#include "engine/image/decoders.h"

namespace strovik {

namespace detail {

bool checkImageSize(std::int64_t width, std::int64_t height, std::int64_t pixelLimit,
                    std::string& error) {
    if (width <= 0 || height <= 0) {
        error = "image has no pixels";
        return false;
    }
    if (width > kMaxImagePixels || height > kMaxImagePixels || width * height > kMaxImagePixels) {
        error =
            "image is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return false;
    }
    if (width * height > pixelLimit) {
        error = "image size " + std::to_string(width) + " x " + std::to_string(height) +
                " exceeds what the file can hold";
        return false;
    }
    return true;
}

}  // namespace detail

namespace {

constexpr std::array<std::uint8_t, 3> kJpegMagic{0xFF, 0xD8, 0xFF};
constexpr std::array<std::uint8_t, 8> kPngMagic{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

template <std::size_t N>
bool startsWith(std::span<const std::uint8_t> bytes, const std::array<std::uint8_t, N>& magic) {
    return bytes.size() >= N && std::equal(magic.begin(), magic.end(), bytes.begin());
}

bool startsWithText(std::span<const std::uint8_t> bytes, const char* text, std::size_t n) {
    return bytes.size() >= n && std::memcmp(bytes.data(), text, n) == 0;
}

std::optional<Raster> dispatch(std::span<const std::uint8_t> bytes, std::string& error,
                               Raster* spare) {
    if (startsWith(bytes, kJpegMagic)) return detail::decodeJpeg(bytes, error, spare);
    if (startsWith(bytes, kPngMagic)) return detail::decodePng(bytes, error, spare);
    if (startsWithText(bytes, "BM", 2)) return detail::decodeBmp(bytes, error);
    if (startsWithText(bytes, "GIF87a", 6) || startsWithText(bytes, "GIF89a", 6)) {
        return detail::decodeGif(bytes, error);
    }
    if (startsWithText(bytes, "II*\0", 4) || startsWithText(bytes, "MM\0*", 4)) {
        return detail::decodeTiff(bytes, error);
    }
    error = bytes.empty() ? "empty file" : "unknown image format";
    return std::nullopt;
}

}  // namespace

std::optional<Raster> decodeImage(std::span<const std::uint8_t> bytes, std::string* error,
                                  Raster* spare) {
    std::string reason;
    std::optional<Raster> raster;
    try {
        raster = dispatch(bytes, reason, spare);
    } catch (const std::exception& e) {
        raster.reset();
        reason = std::string("cannot decode image: ") + e.what();
    }
    if (!raster && error != nullptr) *error = reason.empty() ? "cannot decode image" : reason;
    return raster;
}

std::optional<Raster> loadImageFile(const std::string& path, std::string* error, Raster* spare) {
    std::optional<std::string> contents;
    std::string reason;
    try {
        contents = velmora::readWholeFile(path, std::size_t(kMaxImageFileBytes), &reason);
    } catch (const std::exception& e) {
        contents.reset();
        reason = e.what();
    }
    if (!contents) {
        if (error != nullptr) *error = "cannot read " + path + ": " + reason;
        return std::nullopt;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(contents->data());
    std::optional<Raster> raster = decodeImage({data, contents->size()}, &reason, spare);
    if (!raster && error != nullptr) *error = path + ": " + reason;
    return raster;
}

}  // namespace strovik
