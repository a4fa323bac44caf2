#include <cstdio>

#include "engine/com/com_types.h"

namespace strovik {
namespace {

constexpr std::size_t kGuidTextLength = 38;  // {8-4-4-4-12}
// Offsets of the 16 bytes' hex pairs in the text, in Data1..Data4 order.
constexpr std::size_t kBytePositions[16] = {1,  3,  5,  7,  10, 12, 15, 17,
                                            20, 22, 25, 27, 29, 31, 33, 35};
constexpr std::size_t kDashPositions[4] = {9, 14, 19, 24};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<GUID> parseGuid(std::string_view text) {
    if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') {
        return std::nullopt;
    }
    for (std::size_t pos : kDashPositions) {
        if (text[pos] != '-') return std::nullopt;
    }
    std::uint8_t bytes[16];
    for (int i = 0; i < 16; ++i) {
        const int hi = hexValue(text[kBytePositions[i]]);
        const int lo = hexValue(text[kBytePositions[i] + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    GUID g;
    g.Data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
              (std::uint32_t(bytes[2]) << 8) | bytes[3];
    g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}

std::string formatGuid(const GUID& g) {
    char buffer[kGuidTextLength + 1];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                  static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}

}  // namespace strovik
