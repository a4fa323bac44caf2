// Small hand-drawn sheets for the recognition tests: white paper, black
// discs and filled ovals at exact positions, saved as a 24-bit BMP, with a
// definition file to match.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/image/raster.h"

namespace strovik::testing {

class TestSheet {
public:
    TestSheet(int width, int height)
        : width_(width), height_(height), bgr_(std::size_t(width) * height * 3, 255) {}

    int width() const { return width_; }
    int height() const { return height_; }

    void set(int x, int y, std::uint8_t value) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        std::uint8_t* p = &bgr_[(std::size_t(y) * width_ + x) * 3];
        p[0] = p[1] = p[2] = value;
    }
    std::uint8_t blue(int x, int y) const { return bgr_[(std::size_t(y) * width_ + x) * 3]; }

    void disc(int cx, int cy, int r, std::uint8_t value = 0) {
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) set(x, y, value);
    }
    /// Fills the ellipse with half sizes a, b.
    void oval(int cx, int cy, int a, int b, std::uint8_t value = 0) {
        for (int y = cy - b; y <= cy + b; ++y)
            for (int x = cx - a; x <= cx + a; ++x) {
                const double u = double(x - cx) / a, v = double(y - cy) / b;
                if (u * u + v * v <= 1.0) set(x, y, value);
            }
    }
    /// Turns the whole picture by 180 degrees.
    void turn() {
        TestSheet t(width_, height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) t.set(width_ - 1 - x, height_ - 1 - y, blue(x, y));
        bgr_ = t.bgr_;
    }

    /// A raster in the engine's layout (bottom-up).
    Raster raster() const {
        Raster r(width_, height_);
        for (int y = 0; y < height_; ++y)
            std::copy_n(&bgr_[std::size_t(y) * width_ * 3], width_ * 3,
                        r.storedRow(height_ - 1 - y));
        return r;
    }

    void saveBmp(const std::filesystem::path& path) const {
        const std::uint32_t stride = (std::uint32_t(width_) * 3 + 3) & ~3u;
        const std::uint32_t size = 54 + stride * std::uint32_t(height_);
        std::vector<std::uint8_t> f(size, 0);
        auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i) f[at + i] = std::uint8_t(v >> (8 * i));
        };
        f[0] = 'B';
        f[1] = 'M';
        put32(2, size);
        put32(10, 54);
        put32(14, 40);
        put32(18, std::uint32_t(width_));
        put32(22, std::uint32_t(height_));
        f[26] = 1;
        f[28] = 24;
        put32(34, stride * std::uint32_t(height_));
        for (int y = 0; y < height_; ++y)
            std::copy_n(&bgr_[std::size_t(y) * width_ * 3], width_ * 3,
                        &f[54 + std::size_t(height_ - 1 - y) * stride]);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
    }

private:
    int width_, height_;
    std::vector<std::uint8_t> bgr_;
};

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// A fresh empty folder under the system's temp folder, private to this
/// process (tests run as parallel processes).
inline std::filesystem::path freshFolder(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() /
               ("velmora-test-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace strovik::testing
