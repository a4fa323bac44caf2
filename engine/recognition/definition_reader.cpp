// Reading a sheet definition file into the engine's definition: the file is
// parsed by the definition format, then taken over as the engine holds it.
#include <cstddef>
#include <optional>
#include <string>

#include "common/profile_file.h"
#include "common/text_codec.h"
#include "engine/recognition/definition_format.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {
namespace {

constexpr std::size_t kMaxDebugPathBytes = 259;

void takeScalars(const DefinitionContent& c, SheetDefinition& def) {
    def.zeroMarkRadius = c.zeroMarkRadius;
    for (std::size_t i = 0; i < 3; ++i)
        def.zeroMarks[i] = Point{c.zeroMarks[i].x, c.zeroMarks[i].y};
    def.zeroMarkColorMin = c.zeroMarkColorMin;
    def.zeroMarkRate = c.zeroMarkRate;
    def.ovalHalfWidth = c.ovalWidth / 2;
    def.ovalHalfHeight = c.ovalHeight / 2;
    def.ovalColorMin = c.ovalColorMin;
    def.ovalColorMax = c.ovalColorMax;
    def.noMarkMin = c.noMarkMin;
    def.noMarkMinDots = c.noMarkMinDots;
    def.multiMarkedMultiply = c.multiMarkedMultiply;
}

void takeAreas(const DefinitionContent& c, SheetDefinition& def) {
    def.imageAreas.clear();
    for (const DefinitionArea& a : c.areas) {
        ImageArea area;
        for (std::size_t i = 0; i < 4; ++i) area.corners[i] = Point{a[i].x, a[i].y};
        def.imageAreas.push_back(area);
    }
}

void takeMarkTable(const DefinitionContent& c, SheetDefinition& def) {
    int maxQuestion = 0;
    int maxChoice = 0;
    for (const DefinitionMark& m : c.marks) {
        maxQuestion = std::max(maxQuestion, m.question);
        maxChoice = std::max(maxChoice, m.choice);
    }
    def.marks = MarkTable(maxQuestion + 1, maxChoice + 1);
    for (const DefinitionMark& m : c.marks) def.marks.setSlot(m.question, m.choice, {m.x, m.y});
}

void takeSystem(const DefinitionContent& c, SheetDefinition& def) {
    std::string debug = c.debugPath;
    if (debug.size() > kMaxDebugPathBytes) debug.resize(kMaxDebugPathBytes);
    def.debugPath = velmora::cp932ToUtf8Lenient(debug);
    def.editorDpiX = c.dpiX;
    def.editorDpiY = c.dpiY;
}

}  // namespace

SheetDefinition sheetDefinitionFrom(const DefinitionContent& c) {
    SheetDefinition def;
    takeScalars(c, def);
    takeAreas(c, def);
    def.multiQuestions = c.multiQuestions;
    std::string listed;
    for (std::size_t i = 0; i < c.multiQuestions.size(); ++i) {
        if (i > 0) listed += ',';
        listed += std::to_string(c.multiQuestions[i]);
    }
    def.multiQuestionsText = listed;
    def.multiRead = true;
    if (c.marks.empty()) return def;
    if (const std::optional<LimitViolation> violation = limitViolation(c.marks)) {
        def.refusal = describeViolation(*violation);
        return def;
    }
    takeMarkTable(c, def);
    takeSystem(c, def);
    return def;
}

void readSheetDefinition(const std::string& path, SheetDefinition& def) {
    def.marks = MarkTable();
    def.refusal.clear();
    const ParsedDefinition parsed = parseDefinition(velmora::ProfileText::load(path));
    const DefinitionContent& c = parsed.content;
    takeScalars(c, def);
    takeAreas(c, def);
    def.multiQuestionsText = velmora::cp932ToUtf8Lenient(parsed.multiQuestionsRaw);
    def.multiQuestions = c.multiQuestions;
    def.multiRead = true;
    // Without mark entries reading ends here; [SYSTEM] keeps its values.
    if (!parsed.hasMarkEntries) return;
    if (parsed.violation) {
        def.refusal = describeViolation(*parsed.violation);
        return;
    }
    takeMarkTable(c, def);
    takeSystem(c, def);
}

}  // namespace strovik
