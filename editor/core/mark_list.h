// Edits of the mark list. The records of one question are contiguous and in
// choice order. Records past the count are kept for redo up to the first
// record whose question is -1; every edit that adds marks writes that -1
// right after them, so redo only brings back what an undo removed. Nothing
// is ever written past kMaxMarks records or kMaxQuestions flags: an edit that
// would not fit is refused whole.
#pragma once

#include "editor/core/editor_state.h"

namespace dravel {

/// Places the next question with `choices` ovals spaced evenly from `first`
/// to `last` (x = first.x + i * (last.x - first.x) / (choices - 1), integer
/// division; one choice: at `first`). A one-choice question is flagged
/// multi-select, any other cleared. False when the question or its records
/// would not fit.
bool appendQuestion(EditorState& state, Point first, Point last, int choices);

/// Removes the last question in use (from its first record on; the records
/// stay for redo). False when there is nothing to undo.
bool undoQuestion(EditorState& state);

/// Takes back the records after the count that carry the current question
/// count and counts that question again. False when there is nothing to redo.
bool redoQuestion(EditorState& state);

/// True when record `index` is the last choice of its question: the next
/// record in use carries another question, or it is the last one in use.
bool isLastChoice(const EditorState& state, int index);

/// Removes record `index` when it is the last choice of its question; the
/// later records move up and the redo chain ends.
bool removeLastChoice(EditorState& state, int index);

/// Inserts after record `index` (the last choice of its question) a copy one
/// oval width to the right with the next choice number; the redo chain ends.
/// False when it is not a last choice, the list is full or the choice number
/// would pass kMaxChoices.
bool insertChoiceAfter(EditorState& state, int index);

/// Moves every record, those kept for redo included, by (dx, dy).
void moveAllMarks(EditorState& state, int dx, int dy);

}  // namespace dravel
