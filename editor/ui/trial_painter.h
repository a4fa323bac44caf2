// Drawing a test read over the sheet: where the engine found the zero marks,
// and every defined oval at the place it was read, as outlines only so the
// printed bubble and the pencil mark stay visible. A chosen choice has a
// thick blue outline, the others a thin grey one; a flagged question gets a
// second, wider outline in the colour of its kind (trialKindColour); each
// question's reliability (or, for a several-answer question, each choice's
// dots) is written beside it.
#pragma once

#include <QColor>
#include <QRect>

#include "editor/core/editor_state.h"
#include "editor/core/trial_read.h"

class QPainter;

namespace dravel {

/// The outline colour of a flagged question: no mark red, faint orange,
/// doubled magenta, dot band violet; none for a question not flagged.
QColor trialKindColour(const QuestionReading& reading);

/// Draws `trial` for the marks of `s` that meet `visible` (image pixels).
void drawTrialReading(QPainter& p, const EditorState& s, const TrialResult& trial,
                      const QRect& visible);

}  // namespace dravel
