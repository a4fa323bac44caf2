// Case folding for ASCII names (settings keys, sections, method names): only
// 'A'..'Z' fold; every other code unit, bytes of UTF-8 or CP932 included,
// compares as it is.
#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

template <typename Char>
constexpr Char asciiLower(Char c) {
    return (c >= Char('A') && c <= Char('Z')) ? Char(c - Char('A') + Char('a')) : c;
}

/// Equal after folding ASCII capitals.
template <typename Char>
constexpr bool equalsIgnoringAsciiCase(std::basic_string_view<Char> a,
                                       std::basic_string_view<Char> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace velmora
