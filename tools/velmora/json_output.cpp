#include "tools/velmora/json_output.h"

#include <cmath>
#include <cstddef>
#include <cstdio>

namespace velmora::cli {
namespace {

void appendByteEscape(std::string& out, unsigned char byte) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(byte));
    out += buf;
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0U) == 0x80U;
}

/// Length of the well-formed UTF-8 sequence starting at text[i], or 0 when
/// the bytes there are not one (overlong forms, surrogates and code points
/// above U+10FFFF are rejected).
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    const std::size_t left = text.size() - i;
    if (lead < 0x80U) return 1;
    if (lead >= 0xC2U && lead <= 0xDFU) {
        return left >= 2 && isContinuation(at(i + 1)) ? 2 : 0;
    }
    if (lead >= 0xE0U && lead <= 0xEFU) {
        if (left < 3 || !isContinuation(at(i + 1)) || !isContinuation(at(i + 2))) return 0;
        if (lead == 0xE0U && at(i + 1) < 0xA0U) return 0;   // overlong
        if (lead == 0xEDU && at(i + 1) >= 0xA0U) return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0U && lead <= 0xF4U) {
        if (left < 4 || !isContinuation(at(i + 1)) || !isContinuation(at(i + 2)) ||
            !isContinuation(at(i + 3))) {
            return 0;
        }
        if (lead == 0xF0U && at(i + 1) < 0x90U) return 0;   // overlong
        if (lead == 0xF4U && at(i + 1) >= 0x90U) return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Whether `s` matches the JSON number grammar exactly.
bool isJsonNumber(std::string_view s) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        return i > start;
    };
    if (i < s.size() && s[i] == '-') ++i;
    if (i >= s.size()) return false;
    if (s[i] == '0') {
        ++i;
    } else if (!digits()) {
        return false;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!digits()) return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (!digits()) return false;
    }
    return i == s.size();
}

void appendField(std::string& out, std::string_view key, std::string_view value) {
    out += ", ";
    out += jsonString(key);
    out += ": ";
    out += value;
}

std::string jsonDots(const SheetRecord& record) {
    std::string out = "{";
    for (std::size_t i = 0; i < record.dots.size(); ++i) {
        if (i > 0) out += ", ";
        out += jsonString(std::to_string(record.dots[i].question));
        out += ": ";
        out += jsonNumberList(record.dots[i].dots);
    }
    out += "}";
    return out;
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t len = utf8SequenceLength(text, i);
        if (len == 0) {
            appendByteEscape(out, c);
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20U) {
            appendByteEscape(out, c);
        } else {
            out.append(text.substr(i, len));
        }
        i += len;
    }
    out += '"';
    return out;
}

std::string jsonNumberList(std::string_view commaJoined) {
    std::string out = "[";
    if (!commaJoined.empty()) {
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = commaJoined.find(',', start);
            const std::string_view field = commaJoined.substr(start, comma - start);
            out += isJsonNumber(field) ? field : std::string_view("null");
            if (comma == std::string_view::npos) break;
            out += ',';
            start = comma + 1;
        }
    }
    out += "]";
    return out;
}

std::string jsonAngle(double radians) {
    if (!std::isfinite(radians)) return "null";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", radians);
    return buf;
}

std::string formatRecord(const SheetRecord& record) {
    std::string out = "{";
    out += jsonString("image");
    out += ": ";
    out += jsonString(record.image);
    appendField(out, "status", std::to_string(record.status));
    if (record.status != 0) return out + "}";
    appendField(out, "answers", jsonNumberList(record.answers));
    appendField(out, "reliability", jsonNumberList(record.reliability));
    appendField(out, "marked", jsonNumberList(record.marked));
    appendField(out, "dots", jsonDots(record));
    appendField(out, "offset",
                "[" + std::to_string(record.offsetX) + ", " + std::to_string(record.offsetY) + "]");
    appendField(out, "angle", jsonAngle(record.angle));
    appendField(out, "rotated", std::to_string(record.rotated));
    appendField(out, "skew", std::to_string(record.skew));
    return out + "}";
}

}  // namespace velmora::cli
