#include "engine/image/raster.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace strovik {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

// A sheet raster is tens of megabytes that are written once, front to back.
// Touching it page by page costs more than decoding on some machines, so
// large rasters are aligned to huge pages and the kernel is asked to back
// them with huge pages where it can (a hint; ordinary pages work the same).
std::uint8_t* allocatePixels(std::size_t bytes) {
    if (bytes < 2 * kHugePage) return static_cast<std::uint8_t*>(std::malloc(bytes ? bytes : 1));
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (p != nullptr) ::madvise(p, rounded, MADV_HUGEPAGE);
    return static_cast<std::uint8_t*>(p);
}

}  // namespace

void Raster::FreePixels::operator()(std::uint8_t* p) const {
    std::free(p);
}

Raster::Raster(int width, int height)
    : width_(width > 0 && height > 0 ? width : 0),
      height_(width > 0 && height > 0 ? height : 0),
      capacity_(sizeBytes()),
      pixels_(allocatePixels(capacity_)) {
    if (!pixels_) throw std::bad_alloc();
}

Raster::Raster(int width, int height, Raster&& spare)
    : width_(width > 0 && height > 0 ? width : 0), height_(width > 0 && height > 0 ? height : 0) {
    Raster old(std::move(spare));
    if (old.pixels_ && old.capacity_ >= sizeBytes()) {
        capacity_ = old.capacity_;
        pixels_ = std::move(old.pixels_);
        return;
    }
    old = Raster();  // released before the new block is taken
    capacity_ = sizeBytes();
    pixels_.reset(allocatePixels(capacity_));
    if (!pixels_) throw std::bad_alloc();
}

Raster::Raster(Raster&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      pixels_(std::move(other.pixels_)) {}

Raster& Raster::operator=(Raster&& other) noexcept {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    pixels_ = std::move(other.pixels_);
    return *this;
}

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

namespace {

// Writes the pixels of `source` into `target` in reverse order.
void copyReversed(const std::uint8_t* source, std::uint8_t* target, int width) {
    const std::uint8_t* from = source + std::size_t(width - 1) * Raster::kBytesPerPixel;
    for (int x = 0; x < width; ++x, from -= Raster::kBytesPerPixel) {
        target[0] = from[0];
        target[1] = from[1];
        target[2] = from[2];
        target += Raster::kBytesPerPixel;
    }
}

}  // namespace

void rotate180(Raster& raster) {
    if (raster.empty()) return;
    const std::size_t bytes = raster.rowBytes();
    const int width = raster.width();
    std::vector<std::uint8_t> scratch(bytes);
    int top = 0;
    int bottom = raster.height() - 1;
    for (; top < bottom; ++top, --bottom) {
        std::uint8_t* a = raster.storedRow(top);
        std::uint8_t* b = raster.storedRow(bottom);
        copyReversed(a, scratch.data(), width);
        copyReversed(b, a, width);
        std::memcpy(b, scratch.data(), bytes);
    }
    if (top == bottom) reversePixels(raster.storedRow(top), width);
}

}  // namespace strovik
