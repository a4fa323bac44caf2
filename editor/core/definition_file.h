// The sheet definition file as the editor writes and imports it: CP932 text
// with CR LF line ends, sections [ZEROMARK], [MARK], [IMAGEAREA], [MULTI]
// and [SYSTEM] in that order, the thresholds the editor does not edit
// written as constants.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "editor/core/editor_state.h"

namespace dravel {

/// Largest definition file the import reads; an editor-written file with
/// every record in use is about 300 KB.
inline constexpr std::size_t kMaxDefinitionBytes = 16u << 20;

/// The bytes of the definition: the comment block, the zero marks and their
/// constants, the oval sizes and one "MARK%d=question,choice,x,y" line per
/// record in use, the areas, the multi-select questions among those counted
/// (ascending) and the resolution.
std::string definitionBytes(const EditorState& state);

/// What an import takes from a definition file.
struct ImportedDefinition {
    int zeroRadius = kDefaultZeroRadius;
    std::array<Point, 3> zeroMarks{};
    int ovalWidth = kDefaultOvalWidth;
    int ovalHeight = kDefaultOvalHeight;
    std::vector<MarkRecord> marks;    ///< at most kMaxMarks
    int questionCount = 0;            ///< highest question taken + 1
    std::vector<ImageArea> areas;     ///< at most kMaxAreas, in the file's order
    std::vector<int> multiQuestions;  ///< flagged questions, as listed
    int dpiX = -1;
    int dpiY = -1;
    int skippedEntries = 0;  ///< MARK / IMAGEAREA / QUESTIONS entries left out
};

/// Reads the definition text. Missing keys take the editor's defaults
/// (zero marks 1 and 2 at (272,3257) and (2334,3245), zero mark 3 unset).
/// MARK entries are read from index 0 until the first missing one; an entry
/// that does not hold four numbers, or whose question lies outside
/// 0..kMaxQuestions-1 or choice outside 0..kMaxChoices-1, is skipped, as is
/// an IMAGEAREA entry without eight numbers and a QUESTIONS item outside the
/// question range. nullopt when the text has neither a [ZEROMARK] nor a
/// [MARK] section (not a definition).
std::optional<ImportedDefinition> parseDefinition(const std::string& bytes);

/// Puts an import into the state: lists replaced, flags reset to the listed
/// questions, the redo chain ended.
void applyImport(EditorState& state, const ImportedDefinition& imported);

}  // namespace dravel
