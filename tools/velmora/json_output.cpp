#include "tools/velmora/json_output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <system_error>

#include "reader/core/batch_run.h"

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

/// A JSON array of strings.
std::string jsonStringList(const QStringList& texts) {
    std::string out = "[";
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0) out += ",";
        out += jsonString(texts[i].toStdString());
    }
    return out + "]";
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

/// Question index of a multi-answer list field, or -1 when it is not one.
int questionIndex(std::string_view field) {
    field = trimBlanks(field);
    int value = -1;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0 ? value : -1;
}

std::string jsonDots(const tarrow::SheetReading& reading) {
    std::string out = "{";
    const std::vector<QuestionDots> dots = distinctQuestionDots(reading);
    for (std::size_t i = 0; i < dots.size(); ++i) {
        if (i > 0) out += ", ";
        out += jsonString(std::to_string(dots[i].question));
        out += ": ";
        out += jsonNumberList(dots[i].dots);
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

std::vector<QuestionDots> distinctQuestionDots(const tarrow::SheetReading& reading) {
    // The k-th non-empty field of the list goes with the engine's k-th dot
    // string.
    std::vector<QuestionDots> dots;
    std::vector<int> seen;
    std::size_t k = 0;
    std::string_view list = reading.multiQuestions;
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view field = list.substr(0, comma);
        list.remove_prefix(std::min(comma + 1, list.size()));
        if (field.empty()) continue;
        const std::size_t position = k++;
        const int question = questionIndex(field);
        if (question < 0 || std::find(seen.begin(), seen.end(), question) != seen.end()) continue;
        seen.push_back(question);
        const bool known = position < reading.multiDots.size();
        dots.push_back({question, known ? reading.multiDots[position] : std::string()});
    }
    return dots;
}

std::string formatRecord(const std::string& image, const tarrow::SheetReading& reading,
                         const tarrow::AppSettings& review) {
    std::string out = "{";
    out += jsonString("image");
    out += ": ";
    out += jsonString(image);
    appendField(out, "status", std::to_string(reading.status));
    if (reading.status != 0) return out + "}";
    appendField(out, "answers", jsonNumberList(reading.answers));
    appendField(out, "reliability", jsonNumberList(reading.reliability));
    appendField(out, "marked", jsonNumberList(reading.markedCounts));
    appendField(out, "dots", jsonDots(reading));
    const tarrow::ReviewedSheet shown = tarrow::reviewedSheet(reading, review);
    appendField(out, "values", jsonStringList(shown.values));
    appendField(out, "review", jsonStringList(shown.review));
    appendField(
        out, "offset",
        "[" + std::to_string(reading.offsetX) + ", " + std::to_string(reading.offsetY) + "]");
    appendField(out, "angle", jsonAngle(reading.angle.value_or(0.0)));
    appendField(out, "rotated", std::to_string(reading.rotated));
    appendField(out, "skew", std::to_string(reading.skew));
    return out + "}";
}

}  // namespace velmora::cli
