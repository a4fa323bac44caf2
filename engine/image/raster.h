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
    /// The same, in the memory of `spare` when it holds enough (a caller that
    /// reads sheet after sheet keeps the last raster as the spare, so the
    /// pages are neither released nor cleared again by the kernel). `spare`
    /// is left empty either way.
    Raster(int width, int height, Raster&& spare);

    /// A moved-from raster is empty.
    Raster(Raster&& other) noexcept;
    Raster& operator=(Raster&& other) noexcept;
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
    std::size_t capacity_ = 0;  ///< bytes allocated, at least sizeBytes()
    std::unique_ptr<std::uint8_t[], FreePixels> pixels_;
};

/// The raster's image upright or turned by 180 degrees, without moving a
/// pixel: pixel (x, y) of the turned image is pixel (width - 1 - x,
/// height - 1 - y) of the raster. The first byte of pixel x of image row y
/// (y = 0 at the top) is row(y) + x * pixelStep(), and row(y + 1) is
/// row(y) + rowStep(); the three bytes of a pixel
/// stay blue, green, red in either orientation. Positions are not checked.
class RasterView {
public:
    // Implicit: a raster is its own upright view.
    RasterView(Raster& raster, bool turned = false) : raster_(&raster), turned_(turned) {}

    Raster& raster() const { return *raster_; }
    bool turned() const { return turned_; }
    int width() const { return raster_->width(); }
    int height() const { return raster_->height(); }
    bool contains(int x, int y) const { return raster_->contains(x, y); }

    std::uint8_t* row(int y) const {
        if (!turned_) return raster_->storedRow(raster_->height() - 1 - y);
        return raster_->storedRow(y) + std::size_t(raster_->width() - 1) * Raster::kBytesPerPixel;
    }
    std::ptrdiff_t pixelStep() const {
        return turned_ ? -Raster::kBytesPerPixel : Raster::kBytesPerPixel;
    }
    /// row(y + 1) - row(y).
    std::ptrdiff_t rowStep() const {
        const auto bytes = std::ptrdiff_t(raster_->rowBytes());
        return turned_ ? bytes : -bytes;
    }
    std::uint8_t* pixel(int x, int y) const { return row(y) + x * pixelStep(); }

private:
    Raster* raster_;
    bool turned_;
};

/// Reverses the order of the rows in place.
void flipVertical(Raster& raster);

/// Turns the image by 180 degrees in place: the row order and the pixel order
/// within every row are reversed.
void rotate180(Raster& raster);

}  // namespace strovik
