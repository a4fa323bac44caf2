// A draft definition read from the print of a sheet image (the layout
// module's proposal) put into the editing state, and written as a
// definition file through the editor's one writer.
#pragma once

#include <string>

#include "editor/core/editor_state.h"
#include "engine/layout/sheet_proposal.h"

namespace dravel {

/// Puts the draft into the state: zero marks (unset where not found), the
/// measured zero-mark radius and oval size (the current values stay where
/// nothing was measured; a measured value below kMinDraftSize becomes
/// kMinDraftSize), the mark list replaced by the draft's questions in order
/// (questions of one choice flagged multi-select, as placing one does), the
/// redo chain ended, the placing step abandoned. Image areas, choices per
/// question and resolution stay. Questions past kMaxQuestions or marks past
/// kMaxMarks are left out, whole questions only; choices past kMaxChoices
/// too.
void applyDraft(EditorState& state, const strovik::layout::SheetProposal& draft);

inline constexpr int kMinDraftSize = 5;

/// What was found, for the status line and stderr: "ゼロマーク 3, 設問 40 × 4"
/// (UTF-8), the second number the most choices of a question.
std::string draftSummary(const strovik::layout::SheetProposal& draft);

/// Why the draft has fewer than three zero marks (UTF-8), or empty when it
/// has three: "ゼロマークが見つかりません: " followed by how many of the
/// three corner marks were found, or that a corner mark was found but is too
/// thin for the reader's zero-mark search.
std::string zeroMarkProblem(const strovik::layout::SheetProposal& draft);

/// Whether the draft makes a definition the reader can use: all three zero
/// marks and at least one question.
bool draftIsComplete(const strovik::layout::SheetProposal& draft);

/// The definition file's bytes for the draft over an image of the given
/// resolution (-1 when not known).
std::string draftDefinitionBytes(const strovik::layout::SheetProposal& draft, int dpiX, int dpiY);

}  // namespace dravel
