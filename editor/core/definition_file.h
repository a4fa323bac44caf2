// The sheet definition file as the editor imports and saves it, through the
// suite's one definition format: a new definition is written whole; an
// imported one is rewritten with only what the user changed, so opening and
// saving it leaves every byte as it was.
#pragma once

#include <optional>
#include <string>

#include "editor/core/editor_state.h"
#include "engine/recognition/definition_format.h"

namespace dravel {

/// Largest definition file the import reads; an editor-written file with
/// every record in use is about 300 KB.
inline constexpr std::size_t kMaxDefinitionBytes = 16u << 20;

/// What the state says as a definition: the imported content (or the
/// defaults) with the editor's zero marks, sizes, records in use, areas,
/// multi-select questions among those counted (ascending) and resolution.
strovik::DefinitionContent definitionContent(const EditorState& state);

/// The bytes to save: the imported file rewritten where the content
/// changed, or a whole new file when nothing was imported.
std::string definitionBytes(const EditorState& state);

enum class ImportRefusal {
    NotADefinition,  ///< neither [ZEROMARK] nor [MARK]
    BeyondLimits,    ///< beyond what the engine reads or the editor holds
};

/// What an import takes from a definition file.
struct ImportedDefinition {
    std::string bytes;  ///< the file as read
    strovik::DefinitionContent content;
    int questionCount = 0;   ///< highest question + 1
    int skippedEntries = 0;  ///< malformed MARK / IMAGEAREA entries, QUESTIONS items out of range
};

/// Reads the definition text with the definition format's rules. Refused
/// when it is not a definition, or when it holds more than the engine reads
/// (a question index from kMaxQuestions or choice index from kMaxChoices on)
/// or the editor holds (kMaxMarks records, kMaxAreas areas, question
/// indices below kMaxQuestions): importing part of it would lose the rest
/// on the next save.
struct ImportResult {
    std::optional<ImportedDefinition> definition;
    ImportRefusal refusal = ImportRefusal::NotADefinition;
};
ImportResult parseDefinition(const std::string& bytes);

/// Puts an import into the state: lists replaced, flags reset to the listed
/// questions, the redo chain ended, the file kept for the next save.
void applyImport(EditorState& state, const ImportedDefinition& imported);

}  // namespace dravel
