#include "editor/core/definition_file.h"

#include <algorithm>

#include "common/profile_file.h"

namespace dravel {
namespace {

using strovik::DefinitionContent;

bool withinEditor(const DefinitionContent& c) {
    if (int(c.marks.size()) > kMaxMarks || int(c.areas.size()) > kMaxAreas) return false;
    return std::all_of(c.marks.begin(), c.marks.end(),
                       [](const strovik::DefinitionMark& m) { return m.question < kMaxQuestions; });
}

int questionCountOf(const DefinitionContent& c) {
    int highest = -1;
    for (const strovik::DefinitionMark& m : c.marks) highest = std::max(highest, m.question);
    return highest + 1;
}

}  // namespace

DefinitionContent definitionContent(const EditorState& state) {
    DefinitionContent d = state.importedBytes.empty() ? DefinitionContent{} : state.importedContent;
    d.zeroMarkRadius = state.zeroRadius;
    for (std::size_t i = 0; i < 3; ++i)
        d.zeroMarks[i] = {state.zeroMarks[i].x, state.zeroMarks[i].y};
    d.ovalWidth = state.ovalWidth;
    d.ovalHeight = state.ovalHeight;
    d.marks.clear();
    d.marks.reserve(std::size_t(state.markCount));
    for (int i = 0; i < state.markCount; ++i) {
        const MarkRecord& m = state.marks[std::size_t(i)];
        d.marks.push_back({m.question, m.choice, m.x, m.y});
    }
    d.areas.clear();
    for (const ImageArea& area : state.areas) {
        auto& corners = d.areas.emplace_back();
        for (std::size_t i = 0; i < 4; ++i) corners[i] = {area.corners[i].x, area.corners[i].y};
    }
    d.multiQuestions.clear();
    const int last = std::min(state.questionCount, kMaxQuestions);
    for (int q = 0; q < last; ++q)
        if (state.isMulti(q)) d.multiQuestions.push_back(q);
    d.dpiX = state.dpiX;
    d.dpiY = state.dpiY;
    return d;
}

std::string definitionBytes(const EditorState& state) {
    const DefinitionContent content = definitionContent(state);
    if (state.importedBytes.empty()) return strovik::newDefinitionBytes(content);
    return strovik::updatedDefinitionBytes(state.importedBytes, state.importedContent, content);
}

ImportResult parseDefinition(const std::string& bytes) {
    const strovik::ParsedDefinition parsed = strovik::parseDefinition(velmora::ProfileText(bytes));
    if (!parsed.hasZeroMarkSection && !parsed.hasMarkSection) return {};
    if (parsed.violation || !withinEditor(parsed.content))
        return {std::nullopt, ImportRefusal::BeyondLimits};
    ImportedDefinition out;
    out.bytes = bytes;
    out.content = parsed.content;
    out.questionCount = questionCountOf(parsed.content);
    out.skippedEntries = parsed.malformedMarks + parsed.malformedAreas;
    out.skippedEntries +=
        int(std::count_if(out.content.multiQuestions.begin(), out.content.multiQuestions.end(),
                          [](int q) { return q < 0 || q >= kMaxQuestions; }));
    return {std::move(out), ImportRefusal::NotADefinition};
}

void applyImport(EditorState& state, const ImportedDefinition& imported) {
    const DefinitionContent& c = imported.content;
    state.zeroRadius = c.zeroMarkRadius;
    for (std::size_t i = 0; i < 3; ++i) state.zeroMarks[i] = {c.zeroMarks[i].x, c.zeroMarks[i].y};
    state.ovalWidth = c.ovalWidth;
    state.ovalHeight = c.ovalHeight;
    for (std::size_t i = 0; i < c.marks.size(); ++i) {
        const strovik::DefinitionMark& m = c.marks[i];
        state.marks[i] = {m.x, m.y, m.question, m.choice};
    }
    state.markCount = int(c.marks.size());
    state.questionCount = imported.questionCount;
    state.endRedoChain();
    state.areas.clear();
    for (const strovik::DefinitionArea& a : c.areas) {
        ImageArea area;
        for (std::size_t i = 0; i < 4; ++i) area.corners[i] = {a[i].x, a[i].y};
        state.areas.push_back(area);
    }
    std::fill(state.multi.begin(), state.multi.end(), std::uint8_t(0));
    for (int q : c.multiQuestions) state.setMulti(q, true);
    state.dpiX = c.dpiX;
    state.dpiY = c.dpiY;
    state.drag = Drag{};
    // What a save compares against: the state as just imported.
    state.importedBytes = imported.bytes;
    state.importedContent = c;
    state.importedContent = definitionContent(state);
}

}  // namespace dravel
