#include "engine/image/jfif_density.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

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

int bigEndianWord(const std::array<unsigned char, kHeaderBytes>& header, std::size_t at) {
    return header[at] * 256 + header[at + 1];
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<Density> readJfifDensity(const std::string& path) {
    if (!endsWithNoCase(path, ".jpg") && !endsWithNoCase(path, ".jpeg")) return std::nullopt;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::array<unsigned char, kHeaderBytes> header{};
    if (std::fread(header.data(), 1, header.size(), file.get()) != header.size()) {
        return std::nullopt;
    }
    if (std::memcmp(header.data() + kTagOffset, "JFIF", 4) != 0) return std::nullopt;
    return Density{bigEndianWord(header, kXDensityOffset), bigEndianWord(header, kYDensityOffset)};
}

}  // namespace strovik
