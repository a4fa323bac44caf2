// Encoders that build test images in memory with the same libraries the
// loaders use, plus small helpers for checking raster pixels.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/image/image_loader.h"
#include "engine/image/raster.h"

namespace strovik::testing {

using ByteVector = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

/// Colour of image pixel (x, y) (y from the top) of a raster.
inline Rgb pixelAt(const Raster& raster, int x, int y) {
    const std::uint8_t* p = raster.data() + raster.offsetOf(x, y);
    return Rgb{p[2], p[1], p[0]};
}

inline std::optional<Raster> decodeBytes(const ByteVector& bytes, std::string* error = nullptr) {
    return decodeImage(std::span<const std::uint8_t>(bytes.data(), bytes.size()), error);
}

/// A deterministic colourful pattern used by most encoders below.
inline Rgb patternColour(int x, int y) {
    return Rgb{std::uint8_t(x * 37 + y * 11), std::uint8_t(x * 5 + y * 29),
               std::uint8_t(x * y * 3)};
}

/// Interleaved RGB (or grey when components == 1) rows, top row first.
struct PlainImage {
    int width = 0;
    int height = 0;
    int components = 3;
    ByteVector pixels;
};

inline PlainImage patternImage(int width, int height, int components) {
    PlainImage image{width, height, components, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = patternColour(x, y);
            if (components == 1) {
                image.pixels.push_back(c.r);
            } else {
                image.pixels.insert(image.pixels.end(), {c.r, c.g, c.b});
            }
        }
    }
    return image;
}

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    bool arithmetic = false;  ///< arithmetic instead of Huffman coding
};
ByteVector encodeJpeg(const PlainImage& image, JpegOptions options = {});

struct PngOptions {
    int colorType = 2;  // PNG_COLOR_TYPE_RGB
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::array<std::uint8_t, 3>> palette{};
    std::vector<std::uint8_t> transparency{};  // tRNS alpha for palette entries
};
/// `rows` hold the raw PNG samples of each row, top row first.
ByteVector encodePng(int width, int height, const std::vector<ByteVector>& rows,
                     const PngOptions& options);

struct GifOptions {
    int screenWidth = 0;
    int screenHeight = 0;
    int left = 0;
    int top = 0;
    bool interlaced = false;
    int transparentIndex = -1;
    bool localMap = false;
};
/// `indices` are the frame's colour indices, top row first.
ByteVector encodeGif(int width, int height, const ByteVector& indices,
                     const std::vector<Rgb>& colours, const GifOptions& options);

/// Writes a TIFF with libtiff; `rows` are raw packed scanlines, top first.
ByteVector encodeTiff(int width, int height, int bits, int samples, int photometric,
                      int compression, const std::vector<ByteVector>& rows);

inline ByteVector readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(in), {});
}

inline void writeFileBytes(const std::filesystem::path& path, const ByteVector& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

/// A fresh folder under the system temporary directory, removed on exit.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace strovik::testing
