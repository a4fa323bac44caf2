#include "editor/core/definition_file.h"

#include <algorithm>
#include <optional>

#include "common/profile_file.h"
#include "engine/recognition/definition_text.h"
#include "engine/recognition/numbered_entries.h"

namespace dravel {
namespace {

constexpr Point kDefaultZeroMark1{272, 3257};
constexpr Point kDefaultZeroMark2{2334, 3245};

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
    strovik::DefinitionText d;
    d.zeroRadius = state.zeroRadius;
    for (std::size_t i = 0; i < 3; ++i)
        d.zeroMarks[i] = {state.zeroMarks[i].x, state.zeroMarks[i].y};
    d.ovalWidth = state.ovalWidth;
    d.ovalHeight = state.ovalHeight;
    d.marks.reserve(std::size_t(state.markCount));
    for (int i = 0; i < state.markCount; ++i) {
        const MarkRecord& m = state.marks[std::size_t(i)];
        d.marks.push_back({m.question, m.choice, m.x, m.y});
    }
    for (const ImageArea& area : state.areas) {
        auto& corners = d.areas.emplace_back();
        for (std::size_t i = 0; i < 4; ++i) corners[i] = {area.corners[i].x, area.corners[i].y};
    }
    const int last = std::min(state.questionCount, kMaxQuestions);
    for (int q = 0; q < last; ++q)
        if (state.isMulti(q)) d.multiQuestions.push_back(q);
    d.dpiX = state.dpiX;
    d.dpiY = state.dpiY;
    return strovik::definitionFileBytes(d);
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
