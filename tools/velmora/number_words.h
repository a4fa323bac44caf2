// Numbers given on the command line: the whole word must be the number.
#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>

namespace velmora::cli {

/// A whole number of type T, or nullopt when the word is anything else.
template <typename T>
std::optional<T> parseWholeWord(std::string_view text) {
    T value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

/// A finite real number, or nullopt.
inline std::optional<double> parseRealWord(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace velmora::cli
