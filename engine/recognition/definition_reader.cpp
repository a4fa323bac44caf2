// Reading a sheet definition file into the engine's definition.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/profile_file.h"
#include "common/text_codec.h"
#include "engine/recognition/numbered_entries.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {
namespace {

using velmora::ProfileText;

constexpr std::size_t kMaxDebugPathBytes = 259;
/// Bound on the multi-answer list (each entry carries a dot-string buffer):
/// every question of the largest table may be listed.
constexpr std::size_t kMaxMultiQuestions = MarkTable::kMaxQuestions;

class DefinitionFile {
public:
    explicit DefinitionFile(const std::string& path) : text_(ProfileText::load(path)) {}

    int integer(const char* section, const char* key, int fallback) const {
        auto v = text_.value(section, key);
        return v ? velmora::parseProfileInt(*v) : fallback;
    }
    double real(const char* section, const char* key, const char* fallback) const {
        return velmora::parseProfileReal(text_.value(section, key).value_or(fallback));
    }
    std::string text(const char* section, const char* key) const {
        return text_.value(section, key).value_or("");
    }
    std::vector<std::string> lines(const char* section) const {
        return text_.sectionLines(section);
    }

private:
    ProfileText text_;
};

void readZeroMarks(const DefinitionFile& f, SheetDefinition& def) {
    const SheetDefinition defaults;
    def.zeroMarkRadius = f.integer("ZEROMARK", "ZEROMARK_RADIUS", defaults.zeroMarkRadius);
    static const char* const kKeys[3][2] = {{"ZEROMARK1_X", "ZEROMARK1_Y"},
                                            {"ZEROMARK2_X", "ZEROMARK2_Y"},
                                            {"ZEROMARK3_X", "ZEROMARK3_Y"}};
    for (int i = 0; i < 3; ++i) {
        def.zeroMarks[i].x = f.integer("ZEROMARK", kKeys[i][0], defaults.zeroMarks[i].x);
        def.zeroMarks[i].y = f.integer("ZEROMARK", kKeys[i][1], defaults.zeroMarks[i].y);
    }
    def.zeroMarkColorMin = f.integer("ZEROMARK", "ZEROMARK_COLOR_MIN", defaults.zeroMarkColorMin);
    def.zeroMarkRate = f.real("ZEROMARK", "ZEROMARK_RATE", "0.5");
}

void readMarkScalars(const DefinitionFile& f, SheetDefinition& def) {
    def.ovalHalfWidth = f.integer("MARK", "OVALMARK_WIDTH", 36) / 2;
    def.ovalHalfHeight = f.integer("MARK", "OVALMARK_HEIGHT", 66) / 2;
    def.ovalColorMin = f.integer("MARK", "OVALMARK_COLOR_MIN", 100);
    def.ovalColorMax = f.integer("MARK", "OVALMARK_COLOR_MAX", 200);
    def.noMarkMin = f.real("MARK", "OVALMARK_NOMARK_MIN", "2.0");
    def.noMarkMinDots = f.integer("MARK", "OVALMARK_NOMARK_MIN_DOTS", 10);
    def.multiMarkedMultiply = f.real("MARK", "MULTI_MARKED_MULTIPLY", "2.0");
}

void readImageAreas(const DefinitionFile& f, SheetDefinition& def) {
    def.imageAreas.clear();
    for (const std::string& value :
         numberedEntries(f.lines("IMAGEAREA"), "IMAGEAREA", SheetDefinition::kMaxImageAreas)) {
        int v[8] = {};
        parseIntList(value, v, 8);  // missing numbers stay 0: an empty area
        ImageArea area;
        for (int c = 0; c < 4; ++c) area.corners[c] = Point{v[2 * c], v[2 * c + 1]};
        def.imageAreas.push_back(area);
    }
}

void readMultiQuestions(const DefinitionFile& f, SheetDefinition& def) {
    def.multiQuestionsText = velmora::cp932ToUtf8Lenient(f.text("MULTI", "QUESTIONS"));
    def.multiQuestions.clear();
    std::size_t start = 0;
    const std::string& text = def.multiQuestionsText;
    while (start <= text.size() && def.multiQuestions.size() < kMaxMultiQuestions) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) {
            def.multiQuestions.push_back(
                velmora::parseProfileInt(std::string_view(text).substr(start, comma - start)));
        }
        start = comma + 1;
    }
    def.multiRead = true;
}

struct MarkEntry {
    int question, choice;
    Point centre;
};

/// The entries of the mark table; nullopt with `refusal` set when an entry
/// lies beyond what the table holds.
std::optional<std::vector<MarkEntry>> parseMarkEntries(const std::vector<std::string>& values,
                                                       std::string& refusal) {
    std::vector<MarkEntry> entries;
    entries.reserve(values.size());
    for (std::size_t n = 0; n < values.size(); ++n) {
        int v[4];
        if (parseIntList(values[n], v, 4) != 4 || v[0] < 0 || v[1] < 0) continue;
        if (v[0] >= MarkTable::kMaxQuestions || v[1] >= MarkTable::kMaxChoices) {
            refusal = "MARK" + std::to_string(n) + " names question " + std::to_string(v[0]) +
                      ", choice " + std::to_string(v[1]) + "; the engine holds " +
                      std::to_string(MarkTable::kMaxQuestions) + " questions of " +
                      std::to_string(MarkTable::kMaxChoices) + " choices";
            return std::nullopt;
        }
        entries.push_back({v[0], v[1], Point{v[2], v[3]}});
    }
    return entries;
}

/// Returns false when the section is missing or empty: reading ends there.
bool readMarkTable(const DefinitionFile& f, SheetDefinition& def) {
    const std::vector<std::string> lines = f.lines("MARK");
    if (lines.empty()) return false;
    // The scan runs until the first missing index; the section's size bounds it.
    const auto entries = parseMarkEntries(numberedEntries(lines, "MARK", 1 << 30), def.refusal);
    if (!entries) return true;
    int maxQuestion = 0;
    int maxChoice = 0;
    for (const MarkEntry& e : *entries) {
        maxQuestion = std::max(maxQuestion, e.question);
        maxChoice = std::max(maxChoice, e.choice);
    }
    const std::size_t slots = std::size_t(maxQuestion + 1) * std::size_t(maxChoice + 1);
    if (slots > MarkTable::kMaxSlots) {
        def.refusal = std::to_string(maxQuestion + 1) + " questions of " +
                      std::to_string(maxChoice + 1) + " choices exceed the " +
                      std::to_string(MarkTable::kMaxSlots) + " marks the engine holds";
        return true;
    }
    def.marks = MarkTable(maxQuestion + 1, maxChoice + 1);
    for (const MarkEntry& e : *entries) def.marks.setSlot(e.question, e.choice, e.centre);
    return true;
}

int dpiValue(const DefinitionFile& f, const char* key) {
    const std::string v = f.text("SYSTEM", key);
    return v.empty() ? -1 : velmora::parseProfileInt(v);
}

void readSystem(const DefinitionFile& f, SheetDefinition& def) {
    std::string debug = f.text("SYSTEM", "DEBUG");
    if (debug.size() > kMaxDebugPathBytes) debug.resize(kMaxDebugPathBytes);
    def.debugPath = velmora::cp932ToUtf8Lenient(debug);
    def.editorDpiX = dpiValue(f, "DPI_X");
    def.editorDpiY = dpiValue(f, "DPI_Y");
}

}  // namespace

void readSheetDefinition(const std::string& path, SheetDefinition& def) {
    def.marks = MarkTable();
    def.refusal.clear();
    def.multiQuestions.clear();
    const DefinitionFile file(path);
    readZeroMarks(file, def);
    readMarkScalars(file, def);
    readImageAreas(file, def);
    readMultiQuestions(file, def);
    if (!readMarkTable(file, def)) return;
    readSystem(file, def);
}

}  // namespace strovik
