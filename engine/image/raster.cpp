#include "engine/image/raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace strovik {

Raster::Raster(int width, int height)
    : width_(width > 0 && height > 0 ? width : 0),
      height_(width > 0 && height > 0 ? height : 0),
      pixels_(std::make_unique_for_overwrite<std::uint8_t[]>(sizeBytes())) {}

Raster Raster::clone() const {
    Raster copy(width_, height_);
    if (!empty()) std::memcpy(copy.data(), data(), sizeBytes());
    return copy;
}

namespace {

// Reverses the pixel order of one row; three bytes move together.
void reversePixels(std::uint8_t* row, int width) {
    std::uint8_t* left = row;
    std::uint8_t* right = row + std::size_t(width - 1) * Raster::kBytesPerPixel;
    while (left < right) {
        std::swap(left[0], right[0]);
        std::swap(left[1], right[1]);
        std::swap(left[2], right[2]);
        left += Raster::kBytesPerPixel;
        right -= Raster::kBytesPerPixel;
    }
}

// Exchanges two rows of `bytes` bytes through the scratch buffer.
void swapRows(std::uint8_t* a, std::uint8_t* b, std::uint8_t* scratch, std::size_t bytes) {
    std::memcpy(scratch, a, bytes);
    std::memcpy(a, b, bytes);
    std::memcpy(b, scratch, bytes);
}

}  // namespace

void flipVertical(Raster& raster) {
    if (raster.empty()) return;
    const std::size_t bytes = raster.rowBytes();
    std::vector<std::uint8_t> scratch(bytes);
    for (int top = 0, bottom = raster.height() - 1; top < bottom; ++top, --bottom) {
        swapRows(raster.storedRow(top), raster.storedRow(bottom), scratch.data(), bytes);
    }
}

void rotate180(Raster& raster) {
    if (raster.empty()) return;
    const std::size_t bytes = raster.rowBytes();
    const int width = raster.width();
    std::vector<std::uint8_t> scratch(bytes);
    int top = 0;
    int bottom = raster.height() - 1;
    for (; top < bottom; ++top, --bottom) {
        reversePixels(raster.storedRow(top), width);
        reversePixels(raster.storedRow(bottom), width);
        swapRows(raster.storedRow(top), raster.storedRow(bottom), scratch.data(), bytes);
    }
    if (top == bottom) reversePixels(raster.storedRow(top), width);
}

}  // namespace strovik
