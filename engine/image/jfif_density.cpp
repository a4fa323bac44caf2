#include "engine/image/jfif_density.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/atomic_file.h"

namespace strovik {

namespace {

constexpr std::size_t kHeaderBytes = 20;
constexpr std::size_t kTagOffset = 6;
constexpr std::size_t kXDensityOffset = 14;
constexpr std::size_t kYDensityOffset = 16;

bool endsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    return std::equal(text.end() - std::ptrdiff_t(n), text.end(), suffix, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

int bigEndianWord(const std::string& header, std::size_t at) {
    return static_cast<unsigned char>(header[at]) * 256 +
           static_cast<unsigned char>(header[at + 1]);
}

}  // namespace

std::optional<Density> readJfifDensity(const std::string& path) {
    if (!endsWithNoCase(path, ".jpg") && !endsWithNoCase(path, ".jpeg")) return std::nullopt;
    // Only the head of a regular file is read: a FIFO named like an image
    // must not block the caller.
    const std::optional<std::string> header = velmora::readFileStart(path, kHeaderBytes);
    if (!header || header->size() != kHeaderBytes) return std::nullopt;
    if (header->compare(kTagOffset, 4, "JFIF") != 0) return std::nullopt;
    return Density{bigEndianWord(*header, kXDensityOffset),
                   bigEndianWord(*header, kYDensityOffset)};
}

}  // namespace strovik
