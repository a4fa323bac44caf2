// Edits of whole blocks of questions in the mark list, and the history
// that makes each of them one undo step.
//
// A block is a run of consecutive questions [first, first + count). Every
// edit keeps the list's rules (records of one question contiguous and in
// choice order, questions in ascending order, the redo chain ended after
// the records in use) and is refused whole, with nothing changed, when the
// result would pass kMaxQuestions questions, kMaxMarks records or
// kMaxChoices choices.
//
// History: each step keeps the mark list, the counts, the multi-select
// flags and the selection before and after it. Undo takes a step back only
// while the state is still as the step left it (records in use, counts and
// the flags of the questions in use); otherwise the older, question-wise
// undo applies. Redo likewise needs the state the step started from. A new
// step clears what could be redone. At most kMaxHistory steps are kept.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "editor/core/block_geometry.h"
#include "editor/core/editor_state.h"

namespace dravel {

/// Whether `count` more questions with `marks` more records fit.
bool blockFits(const EditorState& state, int questions, int marks);

/// Whether the selection names questions in use.
bool hasSelection(const EditorState& state);

/// Appends a block of `questions` x `choices` ovals at `positions`
/// (question-major), numbered after the existing questions; questions of
/// one choice are flagged multi-select, as placing one does. Selects it.
bool placeBlock(EditorState& state, const std::vector<Point>& positions, int questions,
                int choices);

/// The questions in use with at least one record centre in `area`,
/// ascending: the questions a block placed there replaces.
std::vector<int> questionsUnder(const EditorState& state, const BlockArea& area);

/// Places a block over the questions `replaced` (ascending, in use): every
/// record of those questions goes, whether all of its ovals lie under the
/// block or only some; the block takes the lowest of their numbers and the
/// other questions keep their order, renumbered to stay consecutive (the
/// renumbering rule of block_geometry.h). With nothing replaced this is
/// placeBlock. The limits apply to the result; refused whole. Selects the
/// block.
bool replaceBlock(EditorState& state, const std::vector<Point>& positions, int questions,
                  int choices, const std::vector<int>& replaced);

/// Appends a copy of the selected block moved by `offset`, numbered after
/// the existing questions, with the same multi-select flags; selects the
/// copy.
bool copyBlock(EditorState& state, Point offset);

/// Moves every record of the selected block by `offset`.
bool moveBlock(EditorState& state, Point offset);

/// Gives the selected block the numbers from `target` on (0-based), the
/// other questions following in order; flags move with their questions,
/// the list is put back in question order. The selection follows the block.
bool renumberBlock(EditorState& state, int target);

/// Removes the selected block; later questions move down to close the gap.
bool deleteBlock(EditorState& state);

/// The centres of the selected block's records in list order (question-
/// major), with its question count and its choices per question (0 when
/// its questions differ in choices).
struct BlockLayout {
    std::vector<Point> positions;
    std::vector<Point> firstChoices;  ///< of every question, in order
    Point lastOfFirst;                ///< the last choice of the first question
    int questions = 0;
    int choices = 0;
    int firstChoiceCount = 0;  ///< choices of the first question
};
BlockLayout selectedLayout(const EditorState& state);

/// The part of the state a block step changes.
struct ListSnapshot {
    std::vector<MarkRecord> marks;  ///< records in use, then the redo chain and its end
    int markCount = 0;
    int questionCount = 0;
    std::vector<std::uint8_t> multi;
    int selectedFirst = -1;
    int selectedCount = 0;
};

ListSnapshot takeSnapshot(const EditorState& state);
void restoreSnapshot(EditorState& state, const ListSnapshot& snapshot);
/// Whether the state holds what `snapshot` holds (records in use, counts,
/// the flags of the questions in use; not the redo chain or selection).
bool holdsSnapshot(const EditorState& state, const ListSnapshot& snapshot);

class BlockHistory {
public:
    static constexpr std::size_t kMaxHistory = 100;

    enum class Kind { Other, KeyMove };

    /// Records a step from `before` to the current state. Consecutive key
    /// moves whose state was not changed in between merge into one step.
    void record(ListSnapshot before, const EditorState& after, Kind kind = Kind::Other);
    bool undo(EditorState& state);
    bool redo(EditorState& state);
    /// Any other edit: what was undone can no longer come back.
    void dropRedo() { undone_.clear(); }
    void clear();

private:
    struct Step {
        ListSnapshot before;
        ListSnapshot after;
        Kind kind = Kind::Other;
    };
    std::deque<Step> done_;
    std::vector<Step> undone_;
};

}  // namespace dravel
