#include "engine/com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace strovik {
namespace {

constexpr std::size_t kPrefixBytes = sizeof(std::uint32_t);
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

unsigned char* prefixOf(BSTR text) {
    return reinterpret_cast<unsigned char*>(text) - kPrefixBytes;
}

/// Length of the UTF-8 sequence led by `lead`, 0 for a byte that cannot lead.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

/// Decodes one code point at `pos`, advancing it; malformed input yields
/// U+FFFD and advances by one byte.
char32_t decodeUtf8(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    const int length = sequenceLength(lead);
    if (length == 1) {
        ++pos;
        return lead;
    }
    if (length == 0 || pos + std::size_t(length) > s.size()) {
        ++pos;
        return kReplacement;
    }
    char32_t cp = lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(s[pos + std::size_t(i)]);
        if ((c & 0xC0u) != 0x80u) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (c & 0x3Fu);
    }
    constexpr char32_t kMinForLength[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinForLength[length] || cp > kMaxCodePoint || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += std::size_t(length);
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
}

// The code point of the surrogate pair at `i`, or 0 when none starts there.
char32_t surrogatePairAt(std::u16string_view s, std::size_t i) {
    if (!isHighSurrogate(s[i]) || i + 1 >= s.size() || !isLowSurrogate(s[i + 1])) return 0;
    return 0x10000 + ((char32_t(s[i]) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00);
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    constexpr std::size_t kMaxLength =
        (std::numeric_limits<std::uint32_t>::max() - kPrefixBytes) / sizeof(OLECHAR) - 1;
    if (length > kMaxLength) return nullptr;
    const std::size_t byteCount = std::size_t(length) * sizeof(OLECHAR);
    auto* block =
        static_cast<unsigned char*>(std::malloc(kPrefixBytes + byteCount + sizeof(OLECHAR)));
    if (!block) return nullptr;
    const auto prefix = static_cast<std::uint32_t>(byteCount);
    std::memcpy(block, &prefix, kPrefixBytes);
    auto* chars = reinterpret_cast<OLECHAR*>(block + kPrefixBytes);
    if (text) {
        std::memcpy(chars, text, byteCount);
    } else {
        std::memset(chars, 0, byteCount);
    }
    chars[length] = u'\0';
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

void SysFreeString(BSTR text) {
    if (text) std::free(prefixOf(text));
}

UINT SysStringLen(BSTR text) {
    if (!text) return 0;
    std::uint32_t byteCount = 0;
    std::memcpy(&byteCount, prefixOf(text), kPrefixBytes);
    return byteCount / static_cast<UINT>(sizeof(OLECHAR));
}

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = decodeUtf8(utf8, pos);
        appendUtf16(out, cp);
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t c = utf16[i];
        if (const char32_t paired = surrogatePairAt(utf16, i)) {
            appendUtf8(out, paired);
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

namespace {

constexpr char16_t kByteEscape = 0xDC00;
constexpr char16_t kFirstByteEscape = 0xDC80;
constexpr char16_t kLastByteEscape = 0xDCFF;

std::u16string utf16FromBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t start = pos;
        const char32_t cp = decodeUtf8(bytes, pos);
        // A malformed byte advances by one; a real U+FFFD by three.
        if (cp == kReplacement && pos == start + 1) {
            out += static_cast<char16_t>(kByteEscape + static_cast<unsigned char>(bytes[start]));
        } else {
            appendUtf16(out, cp);
        }
    }
    return out;
}

std::string bytesFromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t c = utf16[i];
        if (const char32_t paired = surrogatePairAt(utf16, i)) {
            appendUtf8(out, paired);
            ++i;
        } else if (c >= kFirstByteEscape && c <= kLastByteEscape) {
            out += static_cast<char>(c - kByteEscape);
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

}  // namespace

BSTR bstrFromBytes(std::string_view bytes) {
    const std::u16string text = utf16FromBytes(bytes);
    if (text.size() > std::numeric_limits<UINT>::max()) return nullptr;
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::string bytesFromBstr(BSTR text) {
    if (!text) return {};
    return bytesFromUtf16(std::u16string_view(text, SysStringLen(text)));
}

BSTR bstrFromUtf8(std::string_view utf8) {
    const std::u16string text = utf16FromUtf8(utf8);
    if (text.size() > std::numeric_limits<UINT>::max()) return nullptr;
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::string utf8FromBstr(BSTR text) {
    if (!text) return {};
    return utf8FromUtf16(std::u16string_view(text, SysStringLen(text)));
}

}  // namespace strovik
