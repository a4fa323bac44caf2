#include "reader/core/file_name_bytes.h"

#include <cstdint>

#include "common/text_codec.h"

namespace tarrow {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kEscapeFirst = 0xDC80;
constexpr char16_t kEscapeLast = 0xDCFF;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

/// Length of the valid UTF-8 sequence at `at` and its code point; 0 when the
/// bytes there are not one (overlong forms, surrogates and values beyond
/// U+10FFFF are not).
int validSequence(std::string_view bytes, std::size_t at, char32_t* codePoint) {
    const auto byte = [&](std::size_t i) { return std::uint8_t(bytes[i]); };
    const std::uint8_t lead = byte(at);
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + std::size_t(length) > bytes.size()) return 0;
    for (int i = 1; i < length; ++i) {
        const std::uint8_t next = byte(at + std::size_t(i));
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > kMaxCodePoint || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    *codePoint = value;
    return length;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool isEscape(char16_t c) {
    return c >= kEscapeFirst && c <= kEscapeLast;
}

}  // namespace

QString pathFromBytes(std::string_view bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    std::size_t at = 0;
    while (at < bytes.size()) {
        char32_t c = 0;
        const int length = validSequence(bytes, at, &c);
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + std::uint8_t(bytes[at])));
            ++at;
            continue;
        }
        text += QString::fromUcs4(&c, 1);
        at += std::size_t(length);
    }
    return text;
}

std::string pathBytes(const QString& path) {
    std::string out;
    out.reserve(std::size_t(path.size()));
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = path.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && path.at(i + 1).isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(c, path.at(i + 1).unicode()));
            ++i;
        } else if (isEscape(c)) {
            out += char(c - kEscapeBase);
        } else if (QChar::isSurrogate(c)) {
            appendUtf8(out, QChar::ReplacementCharacter);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

bool holdsRawBytes(const QString& path) {
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = path.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && path.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (isEscape(c)) {
            return true;
        }
    }
    return false;
}

QString displayName(const QString& name) {
    if (!holdsRawBytes(name)) return name;
    const std::optional<std::string> decoded = velmora::cp932ToUtf8(pathBytes(name));
    return decoded ? QString::fromStdString(*decoded) : name;
}

}  // namespace tarrow
