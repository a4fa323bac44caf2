// Windows bitmap, 24 bits, rows bottom-up and padded to four bytes.
#include <algorithm>
#include <array>
#include <memory>

#include "tools/sheetgen/image_writers.h"

namespace sheetgen {
namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void put16(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, unsigned v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

}  // namespace

bool writeBmp(const std::string& path, const Image& image, int dpi, std::string& error) {
    const unsigned rowBytes = (static_cast<unsigned>(image.width) * 3 + 3) & ~3u;
    const unsigned dataSize = rowBytes * static_cast<unsigned>(image.height);
    std::array<std::uint8_t, kFileHeaderSize + kInfoHeaderSize> header{};
    std::uint8_t* h = header.data();
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, kFileHeaderSize + kInfoHeaderSize + dataSize);
    put32(h + 10, kFileHeaderSize + kInfoHeaderSize);
    std::uint8_t* info = h + kFileHeaderSize;
    put32(info, kInfoHeaderSize);
    put32(info + 4, static_cast<unsigned>(image.width));
    put32(info + 8, static_cast<unsigned>(image.height));  // positive: bottom-up
    put16(info + 12, 1);                                   // planes
    put16(info + 14, 24);                                  // bits per pixel
    put32(info + 20, dataSize);
    put32(info + 24, pixelsPerMetre(dpi));
    put32(info + 28, pixelsPerMetre(dpi));

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openForWriting(path, error), &std::fclose);
    if (!file) return false;
    bool ok = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
    std::vector<std::uint8_t> row(rowBytes, 0);
    const std::size_t pixelBytes = static_cast<std::size_t>(image.width) * 3;
    for (int y = image.height - 1; ok && y >= 0; --y) {
        std::copy_n(&image.bgr[static_cast<std::size_t>(y) * pixelBytes], pixelBytes, row.begin());
        ok = std::fwrite(row.data(), 1, row.size(), file.get()) == row.size();
    }
    if (std::fclose(file.release()) != 0) ok = false;
    if (!ok) error = "writing " + path + " failed";
    return ok;
}

}  // namespace sheetgen
