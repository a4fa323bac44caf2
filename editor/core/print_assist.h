// What the editor reads from the print of the loaded scan: the draft of
// the whole sheet (the layout module's proposal), the bubble and zero-mark
// sizes measured when the scan is opened, and snapping of placed points
// onto the printed shape under them. Holds its own copy of the scan.
#pragma once

#include <memory>
#include <optional>

#include "editor/core/editor_state.h"
#include "engine/image/raster.h"
#include "engine/layout/sheet_proposal.h"

namespace dravel {

/// Sizes measured from the print; 0 where nothing was measured.
struct PrintSizes {
    int ovalWidth = 0;
    int ovalHeight = 0;
    int zeroRadius = 0;
};

class PrintAssist {
public:
    /// Takes a copy of the scan and measures its print.
    void setPrint(const strovik::Raster& raster);
    bool hasPrint() const { return print_ != nullptr; }
    const PrintSizes& measured() const { return measured_; }
    /// The centres of every printed bubble the draft found when the scan
    /// was opened (empty without a scan).
    const std::vector<Point>& bubbles() const { return bubbles_; }

    /// The draft of the whole sheet (empty without a scan).
    strovik::layout::SheetProposal propose() const;

    /// The centre of the filled circle of about `radius` under `p` (within
    /// twice the radius), or `p` itself when there is none.
    Point snapZeroMark(Point p, int radius) const;
    /// The centre of the bubble of about `width` x `height` under `p`
    /// within `reach` pixels, or `p` itself.
    Point snapBubble(Point p, int width, int height, int reach) const;

    /// Moves records [first, first + count) of the state onto their
    /// bubbles, each within half the spacing of neighbouring choices (half
    /// the larger oval side for a question of one choice).
    void snapQuestion(EditorState& state, int first, int count) const;

private:
    std::shared_ptr<const strovik::Raster> print_;
    PrintSizes measured_;
    std::vector<Point> bubbles_;
};

/// Sets the oval size and zero-mark radius to what was measured, where
/// something was (kept otherwise). Returns whether anything changed.
bool applyMeasuredSizes(EditorState& state, const PrintSizes& sizes);

/// The definition part of the state that a draft replaces, kept so one
/// undo step takes the whole draft back.
struct DraftUndo {
    std::array<Point, 3> zeroMarks{};
    int zeroRadius = 0;
    int ovalWidth = 0;
    int ovalHeight = 0;
    std::vector<MarkRecord> marks;  ///< the records in use and the redo chain
    int markCount = 0;
    int questionCount = 0;
    std::vector<std::uint8_t> multi;
    /// What the draft left: undo takes it back only while these still hold
    /// (later questions are undone one by one first).
    int draftMarkCount = 0;
    int draftQuestionCount = 0;
    std::array<Point, 3> draftZeroMarks{};
};

/// Puts the draft into the state and returns what takes it back.
DraftUndo applyDraftWithUndo(EditorState& state, const strovik::layout::SheetProposal& draft);
/// Whether the state is still as the draft left it (counts and zero marks).
bool draftIsLastStep(const EditorState& state, const DraftUndo& undo);
/// Restores what the state held before the draft.
void undoDraft(EditorState& state, const DraftUndo& undo);

}  // namespace dravel
