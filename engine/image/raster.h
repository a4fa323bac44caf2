// The working raster: 24-bit pixels, blue-green-red, rows stored bottom-up
// (the first stored row is the bottom row of the image), each row exactly
// width * 3 bytes with no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace strovik {

class Raster {
public:
    static constexpr int kBytesPerPixel = 3;

    Raster() = default;
    /// Allocates width * height pixels without initialising them.
    Raster(int width, int height);

    Raster(Raster&&) noexcept = default;
    Raster& operator=(Raster&&) noexcept = default;
    Raster(const Raster&) = delete;
    Raster& operator=(const Raster&) = delete;

    Raster clone() const;

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    std::size_t rowBytes() const { return std::size_t(width_) * kBytesPerPixel; }
    std::size_t sizeBytes() const { return rowBytes() * std::size_t(height_); }

    std::uint8_t* data() { return pixels_.get(); }
    const std::uint8_t* data() const { return pixels_.get(); }

    /// Stored row r (0 = first row in memory).
    std::uint8_t* storedRow(int r) { return pixels_.get() + std::size_t(r) * rowBytes(); }
    const std::uint8_t* storedRow(int r) const {
        return pixels_.get() + std::size_t(r) * rowBytes();
    }

    bool contains(int x, int y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }

    /// Byte offset of pixel (x, y), y counted from the top row of the image,
    /// while the rows are stored bottom-up.
    std::size_t offsetOf(int x, int y) const {
        return (std::size_t(height_ - 1 - y) * std::size_t(width_) + std::size_t(x)) *
               kBytesPerPixel;
    }

    /// 1 when pixel (x, y) lies inside and its blue byte is below threshold.
    int isDark(int x, int y, int threshold) const {
        if (!contains(x, y)) return 0;
        return pixels_[offsetOf(x, y)] < threshold ? 1 : 0;
    }

private:
    struct FreePixels {
        void operator()(std::uint8_t* p) const;
    };
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint8_t[], FreePixels> pixels_;
};

/// Reverses the order of the rows in place.
void flipVertical(Raster& raster);

/// Turns the image by 180 degrees in place: the row order and the pixel order
/// within every row are reversed.
void rotate180(Raster& raster);

}  // namespace strovik
