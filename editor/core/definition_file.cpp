#include "editor/core/definition_file.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <optional>

#include "common/profile_file.h"
#include "common/text_codec.h"
#include "engine/recognition/numbered_entries.h"

namespace dravel {
namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kCommentUtf8 = "; ＝の両側に空白を含まないように記述してください。";
constexpr int kZeroMarkColorMin = 150;
constexpr double kZeroMarkRate = 0.5;
constexpr int kOvalColorMin = 100;
constexpr int kOvalColorMax = 200;
constexpr Point kDefaultZeroMark1{272, 3257};
constexpr Point kDefaultZeroMark2{2334, 3245};

[[gnu::format(printf, 2, 3)]] void line(std::string& out, const char* format, ...) {
    char buffer[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    out += buffer;
    out += kEol;
}

void sectionGap(std::string& out) {
    out += kEol;
    out += kEol;
}

void writeComment(std::string& out) {
    line(out, ";");
    line(out, ";");
    out += velmora::utf8ToCp932(kCommentUtf8).value_or(std::string());
    out += kEol;
    line(out, ";");
    line(out, ";");
    out += kEol;
}

void writeZeroMarks(std::string& out, const EditorState& s) {
    line(out, "[ZEROMARK]");
    line(out, "ZEROMARK_RADIUS=%d", s.zeroRadius);
    for (int i = 0; i < 3; ++i) {
        line(out, "ZEROMARK%d_X=%d", i + 1, s.zeroMarks[std::size_t(i)].x);
        line(out, "ZEROMARK%d_Y=%d", i + 1, s.zeroMarks[std::size_t(i)].y);
    }
    line(out, "ZEROMARK_COLOR_MIN=%d", kZeroMarkColorMin);
    line(out, "ZEROMARK_RATE=%f", kZeroMarkRate);
}

void writeMarks(std::string& out, const EditorState& s) {
    line(out, "[MARK]");
    line(out, "OVALMARK_WIDTH=%d", s.ovalWidth);
    line(out, "OVALMARK_HEIGHT=%d", s.ovalHeight);
    line(out, "OVALMARK_COLOR_MIN=%d", kOvalColorMin);
    line(out, "OVALMARK_COLOR_MAX=%d", kOvalColorMax);
    for (int i = 0; i < s.markCount; ++i) {
        const MarkRecord& m = s.marks[std::size_t(i)];
        line(out, "MARK%d=%d,%d,%d,%d", i, m.question, m.choice, m.x, m.y);
    }
}

void writeAreas(std::string& out, const EditorState& s) {
    line(out, "[IMAGEAREA]");
    for (std::size_t i = 0; i < s.areas.size(); ++i) {
        const auto& c = s.areas[i].corners;
        line(out, "IMAGEAREA%d=%d,%d,%d,%d,%d,%d,%d,%d", int(i), c[0].x, c[0].y, c[1].x, c[1].y,
             c[2].x, c[2].y, c[3].x, c[3].y);
    }
}

void writeMulti(std::string& out, const EditorState& s) {
    std::string list;
    const int last = std::min(s.questionCount, kMaxQuestions);
    for (int q = 0; q < last; ++q) {
        if (!s.isMulti(q)) continue;
        if (!list.empty()) list += ',';
        list += std::to_string(q);
    }
    line(out, "[MULTI]");
    out += "QUESTIONS=" + list;
    out += kEol;
}

void writeSystem(std::string& out, const EditorState& s) {
    line(out, "[SYSTEM]");
    line(out, "DPI_X=%d", s.dpiX);
    line(out, "DPI_Y=%d", s.dpiY);
    line(out, "DEBUG=");
}

int intValue(const velmora::ProfileText& text, std::string_view section, std::string_view key,
             int fallback) {
    const std::optional<std::string> value = text.value(section, key);
    return value ? velmora::parseProfileInt(*value) : fallback;
}

/// DPI keys are read as text: missing or empty gives -1.
int dpiValue(const velmora::ProfileText& text, std::string_view key) {
    const std::string value = text.value("SYSTEM", key).value_or(std::string());
    return value.empty() ? -1 : velmora::parseProfileInt(value);
}

void readMarks(const velmora::ProfileText& text, ImportedDefinition& out) {
    const std::vector<std::string> entries =
        strovik::numberedEntries(text.sectionLines("MARK"), "MARK", kMaxMarks);
    int highest = -1;
    for (const std::string& entry : entries) {
        int v[4] = {};
        const bool whole = strovik::parseIntList(entry, v, 4) == 4;
        if (!whole || v[0] < 0 || v[0] >= kMaxQuestions || v[1] < 0 || v[1] >= kMaxChoices) {
            ++out.skippedEntries;
            continue;
        }
        out.marks.push_back({v[2], v[3], v[0], v[1]});
        highest = std::max(highest, v[0]);
    }
    out.questionCount = highest + 1;
}

void readAreas(const velmora::ProfileText& text, ImportedDefinition& out) {
    const std::vector<std::string> entries =
        strovik::numberedEntries(text.sectionLines("IMAGEAREA"), "IMAGEAREA", kMaxAreas);
    for (const std::string& entry : entries) {
        int v[8] = {};
        if (strovik::parseIntList(entry, v, 8) != 8) {
            ++out.skippedEntries;
            continue;
        }
        ImageArea area;
        for (std::size_t i = 0; i < 4; ++i) area.corners[i] = {v[2 * i], v[2 * i + 1]};
        out.areas.push_back(area);
    }
}

void readMulti(const velmora::ProfileText& text, ImportedDefinition& out) {
    const std::string list = text.value("MULTI", "QUESTIONS").value_or(std::string());
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        const std::string_view item = std::string_view(list).substr(start, end - start);
        if (item.find_first_not_of(" \t") != std::string_view::npos) {
            int question = -1;
            if (strovik::parseIntList(item, &question, 1) == 1 && question >= 0 &&
                question < kMaxQuestions) {
                out.multiQuestions.push_back(question);
            } else {
                ++out.skippedEntries;
            }
        }
        start = end + 1;
    }
}

}  // namespace

std::string definitionBytes(const EditorState& state) {
    std::string out;
    out.reserve(std::size_t(state.markCount) * 32 + 1024);
    writeComment(out);
    writeZeroMarks(out, state);
    sectionGap(out);
    writeMarks(out, state);
    sectionGap(out);
    writeAreas(out, state);
    sectionGap(out);
    writeMulti(out, state);
    sectionGap(out);
    writeSystem(out, state);
    return out;
}

std::optional<ImportedDefinition> parseDefinition(const std::string& bytes) {
    const velmora::ProfileText text(bytes);
    if (!text.hasSection("ZEROMARK") && !text.hasSection("MARK")) return std::nullopt;
    ImportedDefinition out;
    out.zeroRadius = intValue(text, "ZEROMARK", "ZEROMARK_RADIUS", kDefaultZeroRadius);
    const std::array<Point, 3> defaults{kDefaultZeroMark1, kDefaultZeroMark2, Point{}};
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i + 1);
        const Point d = defaults[std::size_t(i)];
        out.zeroMarks[std::size_t(i)] = {intValue(text, "ZEROMARK", "ZEROMARK" + n + "_X", d.x),
                                         intValue(text, "ZEROMARK", "ZEROMARK" + n + "_Y", d.y)};
    }
    out.ovalWidth = intValue(text, "MARK", "OVALMARK_WIDTH", kDefaultOvalWidth);
    out.ovalHeight = intValue(text, "MARK", "OVALMARK_HEIGHT", kDefaultOvalHeight);
    readMarks(text, out);
    readAreas(text, out);
    readMulti(text, out);
    out.dpiX = dpiValue(text, "DPI_X");
    out.dpiY = dpiValue(text, "DPI_Y");
    return out;
}

void applyImport(EditorState& state, const ImportedDefinition& imported) {
    state.zeroRadius = imported.zeroRadius;
    state.zeroMarks = imported.zeroMarks;
    state.ovalWidth = imported.ovalWidth;
    state.ovalHeight = imported.ovalHeight;
    std::copy(imported.marks.begin(), imported.marks.end(), state.marks.begin());
    state.markCount = int(imported.marks.size());
    state.questionCount = imported.questionCount;
    state.endRedoChain();
    state.areas = imported.areas;
    std::fill(state.multi.begin(), state.multi.end(), std::uint8_t(0));
    for (int q : imported.multiQuestions) state.setMulti(q, true);
    state.dpiX = imported.dpiX;
    state.dpiY = imported.dpiY;
    state.drag = Drag{};
}

}  // namespace dravel
