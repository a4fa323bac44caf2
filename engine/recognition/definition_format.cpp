#include "engine/recognition/definition_format.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <unordered_map>

#include "common/line_text.h"
#include "common/text_codec.h"

namespace strovik {
namespace {

using velmora::ProfileText;

constexpr const char* kCommentUtf8 = "; ＝の両側に空白を含まないように記述してください。";
constexpr const char* kMarkPrefix = "MARK";
constexpr const char* kAreaPrefix = "IMAGEAREA";
/// The platform's section query returns at most this many bytes.
constexpr std::size_t kSectionBytes = 327630;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// ---- Keys ----------------------------------------------------------------------

/// The fields behind the keys, by key name. One switch per direction keeps
/// the key table and the content in step.
template <typename Content>
auto* intField(Content& c, std::string_view name) {
    if (name == "ZEROMARK_RADIUS") return &c.zeroMarkRadius;
    if (name == "ZEROMARK1_X") return &c.zeroMarks[0].x;
    if (name == "ZEROMARK1_Y") return &c.zeroMarks[0].y;
    if (name == "ZEROMARK2_X") return &c.zeroMarks[1].x;
    if (name == "ZEROMARK2_Y") return &c.zeroMarks[1].y;
    if (name == "ZEROMARK3_X") return &c.zeroMarks[2].x;
    if (name == "ZEROMARK3_Y") return &c.zeroMarks[2].y;
    if (name == "ZEROMARK_COLOR_MIN") return &c.zeroMarkColorMin;
    if (name == "OVALMARK_WIDTH") return &c.ovalWidth;
    if (name == "OVALMARK_HEIGHT") return &c.ovalHeight;
    if (name == "OVALMARK_COLOR_MIN") return &c.ovalColorMin;
    if (name == "OVALMARK_COLOR_MAX") return &c.ovalColorMax;
    if (name == "OVALMARK_NOMARK_MIN_DOTS") return &c.noMarkMinDots;
    if (name == "DPI_X") return &c.dpiX;
    if (name == "DPI_Y") return &c.dpiY;
    return static_cast<decltype(&c.dpiY)>(nullptr);
}

template <typename Content>
auto* realField(Content& c, std::string_view name) {
    if (name == "ZEROMARK_RATE") return &c.zeroMarkRate;
    if (name == "OVALMARK_NOMARK_MIN") return &c.noMarkMin;
    if (name == "MULTI_MARKED_MULTIPLY") return &c.multiMarkedMultiply;
    return static_cast<decltype(&c.noMarkMin)>(nullptr);
}

/// Default texts of the real keys, converted like the values.
const char* realDefault(std::string_view name) {
    return name == "ZEROMARK_RATE" ? "0.5" : "2.0";
}

std::string joinList(const std::vector<int>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ',';
        text += std::to_string(values[i]);
    }
    return text;
}

/// QUESTIONS items: split at ",", empty items skipped, each read like atoi.
std::vector<int> parseList(std::string_view text) {
    std::vector<int> values;
    std::size_t start = 0;
    while (start <= text.size() && values.size() < std::size_t(kMaxQuestions)) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        if (comma > start)
            values.push_back(velmora::parseProfileInt(text.substr(start, comma - start)));
        start = comma + 1;
    }
    return values;
}

std::string fixed6(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", v);
    return buffer;
}

// ---- Writing -------------------------------------------------------------------

// Appends one printf-formatted line and its CR LF.
[[gnu::format(printf, 2, 3)]] void line(std::string& out, const char* format, ...) {
    char buffer[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    velmora::appendCrLfLine(out, buffer);
}

std::string markLine(int n, const DefinitionMark& m) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "MARK%d=%d,%d,%d,%d", n, m.question, m.choice, m.x, m.y);
    return buffer;
}

std::string areaLine(int n, const DefinitionArea& c) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "IMAGEAREA%d=%d,%d,%d,%d,%d,%d,%d,%d", n, c[0].x, c[0].y,
                  c[1].x, c[1].y, c[2].x, c[2].y, c[3].x, c[3].y);
    return buffer;
}

std::vector<std::string> markLines(const std::vector<DefinitionMark>& marks) {
    std::vector<std::string> lines;
    lines.reserve(marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) lines.push_back(markLine(int(i), marks[i]));
    return lines;
}

std::vector<std::string> areaLines(const std::vector<DefinitionArea>& areas) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < areas.size(); ++i) lines.push_back(areaLine(int(i), areas[i]));
    return lines;
}

void sectionGap(std::string& out) {
    velmora::appendCrLfLines(out, {"", ""});
}

/// A key of a numbered list: the prefix (as the lookup compares it) and a
/// decimal index.
bool isNumberedKey(std::string_view key, std::string_view prefix) {
    if (key.size() <= prefix.size() || key.substr(0, prefix.size()) != prefix) return false;
    for (char c : key.substr(prefix.size()))
        if (!isDigit(c)) return false;
    return true;
}

// ---- Reading -------------------------------------------------------------------

/// Parses the index after a prefix occurrence; -1 when the text there is not
/// a canonical decimal index followed by "=" (or exceeds the limit).
int indexAt(std::string_view line, std::size_t pos, int limit, std::size_t* valueStart) {
    std::size_t end = pos;
    long long n = 0;
    while (end < line.size() && isDigit(line[end])) {
        n = n * 10 + (line[end] - '0');
        if (n >= limit) return -1;
        ++end;
    }
    const std::size_t digits = end - pos;
    if (digits == 0 || end >= line.size() || line[end] != '=') return -1;
    if (digits > 1 && line[pos] == '0') return -1;  // "MARK01=" is no key text
    *valueStart = end + 1;
    return int(n);
}

std::optional<LimitViolation> indexViolation(const DefinitionMark& m, int entry) {
    if (m.question < kMaxQuestions && m.choice < kMaxChoices) return std::nullopt;
    return LimitViolation{LimitViolation::Kind::Index, entry, m.question, m.choice};
}

std::optional<LimitViolation> slotViolation(const std::vector<DefinitionMark>& marks) {
    int maxQuestion = 0;
    int maxChoice = 0;
    for (const DefinitionMark& m : marks) {
        maxQuestion = std::max(maxQuestion, m.question);
        maxChoice = std::max(maxChoice, m.choice);
    }
    if (std::size_t(maxQuestion + 1) * std::size_t(maxChoice + 1) <= kMaxMarkSlots)
        return std::nullopt;
    return LimitViolation{LimitViolation::Kind::Slots, 0, maxQuestion + 1, maxChoice + 1};
}

void readMarks(const ProfileText& text, ParsedDefinition& out) {
    const std::vector<std::string> lines = text.sectionLines("MARK", kSectionBytes);
    out.hasMarkEntries = !lines.empty();
    // The scan runs until the first missing index; the section's size bounds it.
    const std::vector<std::string> values = numberedEntries(lines, kMarkPrefix, 1 << 30);
    for (std::size_t n = 0; n < values.size(); ++n) {
        int v[4];
        if (parseIntList(values[n], v, 4) != 4 || v[0] < 0 || v[1] < 0) {
            ++out.malformedMarks;
            continue;
        }
        const DefinitionMark mark{v[0], v[1], v[2], v[3]};
        if (!out.violation) out.violation = indexViolation(mark, int(n));
        out.content.marks.push_back(mark);
    }
    if (!out.violation) out.violation = slotViolation(out.content.marks);
}

void readAreas(const ProfileText& text, ParsedDefinition& out) {
    for (const std::string& value : numberedEntries(text.sectionLines("IMAGEAREA", kSectionBytes),
                                                    kAreaPrefix, kMaxImageAreas)) {
        int v[8] = {};
        if (parseIntList(value, v, 8) != 8) ++out.malformedAreas;  // missing numbers stay 0
        DefinitionArea area;
        for (std::size_t c = 0; c < 4; ++c) area[c] = {v[2 * c], v[2 * c + 1]};
        out.content.areas.push_back(area);
    }
}

}  // namespace

// ---- Keys ----------------------------------------------------------------------

const std::vector<DefinitionKey>& definitionKeys() {
    static const std::vector<DefinitionKey> keys = {
        {"ZEROMARK", "ZEROMARK_RADIUS", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK1_X", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK1_Y", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK2_X", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK2_Y", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK3_X", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK3_Y", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK_COLOR_MIN", KeyType::Integer},
        {"ZEROMARK", "ZEROMARK_RATE", KeyType::Real},
        {"MARK", "OVALMARK_WIDTH", KeyType::Integer},
        {"MARK", "OVALMARK_HEIGHT", KeyType::Integer},
        {"MARK", "OVALMARK_COLOR_MIN", KeyType::Integer},
        {"MARK", "OVALMARK_COLOR_MAX", KeyType::Integer},
        {"MARK", "OVALMARK_NOMARK_MIN", KeyType::Real},
        {"MARK", "OVALMARK_NOMARK_MIN_DOTS", KeyType::Integer},
        {"MARK", "MULTI_MARKED_MULTIPLY", KeyType::Real},
        {"MULTI", "QUESTIONS", KeyType::List},
        {"SYSTEM", "DPI_X", KeyType::Dpi},
        {"SYSTEM", "DPI_Y", KeyType::Dpi},
        {"SYSTEM", "DEBUG", KeyType::Text},
    };
    return keys;
}

std::string keyText(const DefinitionContent& content, const DefinitionKey& key) {
    const DefinitionContent& c = content;
    switch (key.type) {
        case KeyType::Integer:
        case KeyType::Dpi:
            return std::to_string(*intField(c, key.name));
        case KeyType::Real:
            return fixed6(*realField(c, key.name));
        case KeyType::List:
            return joinList(content.multiQuestions);
        case KeyType::Text:
            return content.debugPath;
    }
    return {};
}

void setKeyFromText(DefinitionContent& c, const DefinitionKey& key,
                    const std::optional<std::string>& text) {
    const DefinitionContent defaults;
    switch (key.type) {
        case KeyType::Integer:
            *intField(c, key.name) =
                text ? velmora::parseProfileInt(*text) : *intField(defaults, key.name);
            return;
        case KeyType::Dpi:
            *intField(c, key.name) =
                (!text || text->empty()) ? -1 : velmora::parseProfileInt(*text);
            return;
        case KeyType::Real:
            *realField(c, key.name) =
                velmora::parseProfileReal(text ? std::string_view(*text) : realDefault(key.name));
            return;
        case KeyType::List:
            c.multiQuestions = parseList(text.value_or(std::string()));
            return;
        case KeyType::Text:
            c.debugPath = text.value_or(std::string());
            return;
    }
}

// ---- Reading -------------------------------------------------------------------

ParsedDefinition parseDefinition(const ProfileText& text) {
    ParsedDefinition out;
    out.hasZeroMarkSection = text.hasSection("ZEROMARK");
    out.hasMarkSection = text.hasSection("MARK");
    for (const DefinitionKey& key : definitionKeys())
        setKeyFromText(out.content, key, text.value(key.section, key.name));
    out.multiQuestionsRaw = text.value("MULTI", "QUESTIONS").value_or(std::string());
    readAreas(text, out);
    readMarks(text, out);
    return out;
}

std::optional<LimitViolation> limitViolation(const std::vector<DefinitionMark>& marks) {
    for (std::size_t n = 0; n < marks.size(); ++n) {
        if (marks[n].question < 0 || marks[n].choice < 0) continue;
        if (auto v = indexViolation(marks[n], int(n))) return v;
    }
    return slotViolation(marks);
}

std::string describeViolation(const LimitViolation& v) {
    if (v.kind == LimitViolation::Kind::Index) {
        return "MARK" + std::to_string(v.entry) + " names question " + std::to_string(v.question) +
               ", choice " + std::to_string(v.choice) + "; the engine holds " +
               std::to_string(kMaxQuestions) + " questions of " + std::to_string(kMaxChoices) +
               " choices";
    }
    return std::to_string(v.question) + " questions of " + std::to_string(v.choice) +
           " choices exceed the " + std::to_string(kMaxMarkSlots) + " marks the engine holds";
}

// ---- Writing -------------------------------------------------------------------

std::string newDefinitionBytes(const DefinitionContent& d) {
    std::string out;
    line(out, ";");
    line(out, ";");
    velmora::appendCrLfLine(out, velmora::utf8ToCp932Lenient(kCommentUtf8));
    line(out, ";");
    line(out, ";");
    velmora::appendCrLfLine(out, "");

    line(out, "[ZEROMARK]");
    line(out, "ZEROMARK_RADIUS=%d", d.zeroMarkRadius);
    for (std::size_t i = 0; i < 3; ++i) {
        line(out, "ZEROMARK%d_X=%d", int(i) + 1, d.zeroMarks[i].x);
        line(out, "ZEROMARK%d_Y=%d", int(i) + 1, d.zeroMarks[i].y);
    }
    line(out, "ZEROMARK_COLOR_MIN=%d", d.zeroMarkColorMin);
    line(out, "ZEROMARK_RATE=%f", d.zeroMarkRate);
    sectionGap(out);

    line(out, "[MARK]");
    line(out, "OVALMARK_WIDTH=%d", d.ovalWidth);
    line(out, "OVALMARK_HEIGHT=%d", d.ovalHeight);
    line(out, "OVALMARK_COLOR_MIN=%d", d.ovalColorMin);
    line(out, "OVALMARK_COLOR_MAX=%d", d.ovalColorMax);
    velmora::appendCrLfLines(out, markLines(d.marks));
    sectionGap(out);

    line(out, "[IMAGEAREA]");
    velmora::appendCrLfLines(out, areaLines(d.areas));
    sectionGap(out);

    line(out, "[MULTI]");
    velmora::appendCrLfLine(out, "QUESTIONS=" + joinList(d.multiQuestions));
    sectionGap(out);

    line(out, "[SYSTEM]");
    line(out, "DPI_X=%d", d.dpiX);
    line(out, "DPI_Y=%d", d.dpiY);
    velmora::appendCrLfLine(out, "DEBUG=" + d.debugPath);
    return out;
}

std::string updatedDefinitionBytes(const std::string& base, const DefinitionContent& before,
                                   const DefinitionContent& after) {
    if (before == after) return base;
    ProfileText text(base);
    for (const DefinitionKey& key : definitionKeys()) {
        const std::string was = keyText(before, key);
        const std::string now = keyText(after, key);
        if (was != now) text.setValue(key.section, key.name, now);
    }
    if (before.marks != after.marks) {
        text.replaceEntries(
            "MARK", [](std::string_view k) { return isNumberedKey(k, kMarkPrefix); },
            markLines(after.marks));
    }
    if (before.areas != after.areas) {
        text.replaceEntries(
            "IMAGEAREA", [](std::string_view k) { return isNumberedKey(k, kAreaPrefix); },
            areaLines(after.areas));
    }
    return text.bytes();
}

std::vector<std::pair<std::string, std::string>> writeBackValues(const DefinitionContent& c,
                                                                 const char* section) {
    auto decimal = [](int v) { return std::to_string(v); };
    if (std::string_view(section) == "ZEROMARK") {
        return {
            {"ZEROMARK_RADIUS", decimal(c.zeroMarkRadius)},
            {"ZEROMARK1_X", decimal(c.zeroMarks[0].x)},
            {"ZEROMARK1_Y", decimal(c.zeroMarks[0].y)},
            {"ZEROMARK2_X", decimal(c.zeroMarks[1].x)},
            {"ZEROMARK2_Y", decimal(c.zeroMarks[1].y)},
            {"ZEROMARK3_X", decimal(c.zeroMarks[2].x)},
            {"ZEROMARK3_Y", decimal(c.zeroMarks[2].y)},
            {"ZEROMARK_COLOR_MIN", decimal(c.zeroMarkColorMin)},
            {"ZEROMARK_RATE", formatZeroMarkRate(c.zeroMarkRate)},
        };
    }
    return {
        {"OVALMARK_WIDTH", decimal(c.ovalWidth)},
        {"OVALMARK_HEIGHT", decimal(c.ovalHeight)},
        {"OVALMARK_COLOR_MIN", decimal(c.ovalColorMin)},
        {"OVALMARK_COLOR_MAX", decimal(c.ovalColorMax)},
    };
}

void setWriteBackValues(velmora::ProfileText& text, const DefinitionContent& content) {
    text.setValues("ZEROMARK", writeBackValues(content, "ZEROMARK"));
    text.setValues("MARK", writeBackValues(content, "MARK"));
}

std::string formatZeroMarkRate(double rate) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.7g", rate);
    std::string text(buffer);
    if (text.find_first_of(".eEn") == std::string::npos) text += '.';
    return text;
}

// ---- Entry helpers -------------------------------------------------------------

std::vector<std::string> numberedEntries(const std::vector<std::string>& lines,
                                         std::string_view prefix, int limit) {
    std::unordered_map<int, std::string> first;
    for (const std::string& l : lines) {
        std::string_view text(l);
        for (std::size_t pos = text.find(prefix); pos != std::string_view::npos;
             pos = text.find(prefix, pos + 1)) {
            std::size_t valueStart = 0;
            const int n = indexAt(text, pos + prefix.size(), limit, &valueStart);
            if (n >= 0 && !first.count(n)) first.emplace(n, std::string(text.substr(valueStart)));
        }
    }
    std::vector<std::string> values;
    for (int n = 0; n < limit; ++n) {
        auto it = first.find(n);
        if (it == first.end()) break;
        values.push_back(std::move(it->second));
    }
    return values;
}

int parseIntList(std::string_view text, int* out, int count) {
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',') return i;
            ++pos;
        }
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        bool negative = false;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
            negative = text[pos] == '-';
            ++pos;
        }
        if (pos >= text.size() || !isDigit(text[pos])) return i;
        long long v = 0;
        while (pos < text.size() && isDigit(text[pos])) {
            if (v < LLONG_MAX / 100) v = v * 10 + (text[pos] - '0');
            ++pos;
        }
        if (negative) v = -v;
        out[i] = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
    }
    return count;
}

}  // namespace strovik
