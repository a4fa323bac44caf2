// The one editing state of the definition editor: the sheet definition being
// drawn (zero marks, mark records, image areas, sizes, multi-select flags,
// resolution) and the placing state of the view (mode, step, the points of
// the step in progress, dragging, zoom). Every coordinate is in pixels of the
// loaded image, origin top left. The lists have fixed limits; nothing is ever
// stored past them.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/recognition/definition_format.h"

namespace dravel {

// The limits and defaults of the definition format: a definition the editor
// holds is always one the engine reads.
inline constexpr int kMaxMarks = strovik::kMaxWrittenMarks;          ///< mark records
inline constexpr int kMaxAreas = strovik::kMaxWrittenAreas;          ///< image areas
inline constexpr int kMaxQuestions = strovik::kMaxWrittenQuestions;  ///< multi-select flags
inline constexpr int kMaxChoices = strovik::kMaxChoices;             ///< choices per question

inline constexpr int kDefaultZeroRadius = strovik::kDefaultZeroRadius;
inline constexpr int kDefaultOvalWidth = strovik::kDefaultOvalWidth;
inline constexpr int kDefaultOvalHeight = strovik::kDefaultOvalHeight;
inline constexpr int kDefaultChoices = 10;

/// Zoom divisor in percent: the image is shown at size * 100 / divisor.
inline constexpr int kMinDivisor = 100;
inline constexpr int kMaxDivisor = 400;
inline constexpr int kDivisorStep = 50;
inline constexpr int kZeroMarkDivisor = 200;

/// A point in image pixels; -1 in a coordinate means "not set".
struct Point {
    int x = -1;
    int y = -1;
    friend bool operator==(const Point&, const Point&) = default;
};

/// One oval: its centre, the 0-based question and the 0-based choice within
/// the question. A question of -1 ends the redo chain (see EditorState).
struct MarkRecord {
    int x = 0;
    int y = 0;
    int question = -1;
    int choice = 0;
    friend bool operator==(const MarkRecord&, const MarkRecord&) = default;
};

/// Corners top-left, top-right, bottom-right, bottom-left.
struct ImageArea {
    std::array<Point, 4> corners{};
    friend bool operator==(const ImageArea&, const ImageArea&) = default;
};

/// What a drag holds: a mark record, one of the three zero marks, or the
/// selected block.
struct Drag {
    enum class Kind { None, Mark, ZeroMark, Block };
    Kind kind = Kind::None;
    int index = 0;     ///< record index, or 0..2 for zero marks 1..3
    Point grab{0, 0};  ///< click minus the item's centre; for a block, the click
    bool active() const { return kind != Kind::None; }
};

struct EditorState {
    EditorState();

    // ---- The definition.
    std::string imagePath;  ///< UTF-8; empty = no image
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    bool imageLoaded = false;  ///< set by the first image load, never cleared
    std::array<Point, 3> zeroMarks{};
    int zeroRadius = kDefaultZeroRadius;
    int ovalWidth = kDefaultOvalWidth;
    int ovalHeight = kDefaultOvalHeight;
    int choicesPerQuestion = kDefaultChoices;
    /// Always kMaxMarks records. Records at markCount and after are kept for
    /// redo up to the first one whose question is -1.
    std::vector<MarkRecord> marks;
    int markCount = 0;
    int questionCount = 0;
    std::vector<std::uint8_t> multi;  ///< kMaxQuestions flags, by question
    std::vector<ImageArea> areas;     ///< at most kMaxAreas
    int dpiX = -1;
    int dpiY = -1;
    /// The definition file last imported, byte for byte, and what the state
    /// said right after the import: a save rewrites only what changed since,
    /// so an untouched definition is saved exactly as it was read. Empty
    /// bytes: saves write a whole new file.
    std::string importedBytes;
    strovik::DefinitionContent importedContent;

    // ---- Placing.
    std::array<Point, 4> points{};  ///< P1..P4 of the step in progress
    double angle = 0.0;             ///< slope of the last P1-P2 line, radians
    bool zeroMarkMode = false;
    bool areaMode = false;
    bool toggleMode = false;  ///< mark mode is in force when none is set
    bool blockMode = false;   ///< placing and editing whole blocks of questions
    int step = 0;             ///< 0 before any mode, then 1..4
    Drag drag;
    int divisor = kMinDivisor;
    int rowStep = 0;  ///< screen pixels between the last two first choices
    int moveCounter = 0;
    /// The selected block: questions [selectedFirst, selectedFirst +
    /// selectedCount); none when the count is 0.
    int selectedFirst = -1;
    int selectedCount = 0;

    bool markMode() const { return !zeroMarkMode && !areaMode && !toggleMode && !blockMode; }
    void clearSelection() {
        selectedFirst = -1;
        selectedCount = 0;
    }
    bool isMulti(int question) const {
        return question >= 0 && question < kMaxQuestions && multi[std::size_t(question)] != 0;
    }
    void setMulti(int question, bool on) {
        if (question >= 0 && question < kMaxQuestions) multi[std::size_t(question)] = on ? 1 : 0;
    }
    /// Ends the redo chain at the current count (no-op when the list is full).
    void endRedoChain() {
        if (markCount < kMaxMarks) marks[std::size_t(markCount)].question = -1;
    }
    /// The records a whole-list undo keeps: those in use, the redo chain
    /// after them and its end marker (kMaxMarks at most).
    int recordsWithRedoChain() const {
        int end = markCount;
        while (end < kMaxMarks && marks[std::size_t(end)].question >= 0) ++end;
        return std::min(kMaxMarks, end + 1);
    }
    void clearPoints() {
        points.fill(Point{});
        angle = 0.0;
    }
};

}  // namespace dravel
