// The sheet definition as the engine holds it: zero marks, oval marks, image
// areas, multi-answer questions and a few thresholds, in sheet pixels.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/recognition/definition_format.h"

namespace strovik {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

/// Q questions by C choice slots; an undefined slot holds (-1, -1).
class MarkTable {
public:
    /// Bounds of what the engine holds (see definition_format.h). A
    /// definition beyond them is refused as a whole (no question is ever
    /// dropped), which keeps the table's memory bounded whatever a file
    /// claims.
    static constexpr int kMaxQuestions = strovik::kMaxQuestions;
    static constexpr int kMaxChoices = strovik::kMaxChoices;
    static constexpr std::size_t kMaxSlots = kMaxMarkSlots;

    MarkTable() = default;
    MarkTable(int questions, int choices);

    int questions() const { return questions_; }
    int choices() const { return choices_; }
    bool empty() const { return questions_ == 0; }

    Point slot(int question, int choice) const {
        return slots_[std::size_t(question) * std::size_t(choices_) + std::size_t(choice)];
    }
    void setSlot(int question, int choice, Point p) {
        slots_[std::size_t(question) * std::size_t(choices_) + std::size_t(choice)] = p;
    }
    static bool defined(Point p) { return !(p.x == -1 && p.y == -1); }

    /// Number of leading defined slots of a question (its choices).
    int choiceCount(int question) const;

private:
    int questions_ = 0;
    int choices_ = 0;
    std::vector<Point> slots_;
};

/// Corners top-left, top-right, bottom-right, bottom-left.
struct ImageArea {
    std::array<Point, 4> corners{};
};

struct SheetDefinition {
    static constexpr int kMaxImageAreas = strovik::kMaxImageAreas;

    // [ZEROMARK]
    int zeroMarkRadius = 14;
    std::array<Point, 3> zeroMarks{{{272, 3257}, {2334, 3245}, {-1, -1}}};
    int zeroMarkColorMin = 150;
    double zeroMarkRate = 0.5;

    // [MARK] scalars; the oval sizes are kept halved (integer halving)
    int ovalHalfWidth = 18;
    int ovalHalfHeight = 33;
    int ovalColorMin = 100;
    int ovalColorMax = 200;
    double noMarkMin = 2.0;
    int noMarkMinDots = 10;
    double multiMarkedMultiply = 2.0;

    MarkTable marks;
    /// Why the mark entries could not be held (one line); empty when they
    /// were. A refused definition has no questions and every run fails.
    std::string refusal;
    std::vector<ImageArea> imageAreas;

    // [MULTI]
    bool multiRead = false;           ///< false until a definition was read
    std::string multiQuestionsText;   ///< QUESTIONS as read (UTF-8)
    std::vector<int> multiQuestions;  ///< in list order

    // [SYSTEM]
    int editorDpiX = -1;
    int editorDpiY = -1;
    std::string debugPath;  ///< UTF-8; empty = no diagnostic image
};

/// Reads a definition file into `def` as the engine does on every new
/// definition file name: scalars fall back to their defaults, the mark table,
/// image areas and multi-answer list are replaced. A file without a [MARK]
/// section (or a missing file) leaves no questions and keeps the previous
/// [SYSTEM] values. Mark entries beyond what the table holds set `refusal`
/// and leave no questions; malformed entries (too few numbers, a negative
/// index) are passed over.
void readSheetDefinition(const std::string& path, SheetDefinition& def);

/// The engine's definition for a definition's content, as reading a file
/// that says exactly this would give it, starting from the defaults:
/// mark entries beyond what the table holds set `refusal` and leave no
/// questions; the several-answer list text is the list joined by ",".
SheetDefinition sheetDefinitionFrom(const DefinitionContent& content);

/// Writes the engine's current zero-mark and oval keys back into the file, in
/// one atomic rewrite that leaves the file as thirteen single-key writes
/// would. A file that already reads so is not rewritten. Returns false when
/// the file could not be written.
bool writeBackSheetDefinition(const std::string& path, const SheetDefinition& def);

}  // namespace strovik
