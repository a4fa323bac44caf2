#include "editor/core/print_assist.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "editor/core/sheet_draft.h"
#include "engine/layout/print_snap.h"

namespace dravel {
namespace {

constexpr int kZeroReachRadii = 2;

}  // namespace

void PrintAssist::setPrint(const strovik::Raster& raster) {
    print_ = std::make_shared<const strovik::Raster>(raster.clone());
    const strovik::layout::SheetProposal draft = strovik::layout::proposeSheet(*print_);
    measured_ = {draft.ovalWidth, draft.ovalHeight, draft.zeroRadius};
    bubbles_.clear();
    for (const auto& question : draft.questions) {
        for (const strovik::layout::PrintPoint& p : question) bubbles_.push_back({p.x, p.y});
    }
}

strovik::layout::SheetProposal PrintAssist::propose() const {
    return print_ ? strovik::layout::proposeSheet(*print_) : strovik::layout::SheetProposal{};
}

Point PrintAssist::snapZeroMark(Point p, int radius) const {
    return snapBubble(p, 2 * radius, 2 * radius, kZeroReachRadii * radius);
}

Point PrintAssist::snapBubble(Point p, int width, int height, int reach) const {
    if (!print_) return p;
    const auto snapped = strovik::layout::snapToPrint(*print_, {{p.x, p.y}, width, height, reach});
    return snapped ? Point{snapped->x, snapped->y} : p;
}

void PrintAssist::snapQuestion(EditorState& state, int first, int count) const {
    if (!print_ || count <= 0 || first < 0 || first + count > state.markCount) return;
    const MarkRecord& a = state.marks[std::size_t(first)];
    const MarkRecord& b = state.marks[std::size_t(first + count - 1)];
    const double spacing = count > 1 ? std::hypot(b.x - a.x, b.y - a.y) / (count - 1)
                                     : double(std::max(state.ovalWidth, state.ovalHeight));
    const int reach = int(spacing / 2);
    for (int i = first; i < first + count; ++i) {
        MarkRecord& m = state.marks[std::size_t(i)];
        const Point p = snapBubble({m.x, m.y}, state.ovalWidth, state.ovalHeight, reach);
        m.x = p.x;
        m.y = p.y;
    }
}

bool applyMeasuredSizes(EditorState& state, const PrintSizes& sizes) {
    const std::array<int, 3> before{state.ovalWidth, state.ovalHeight, state.zeroRadius};
    if (sizes.ovalWidth > 0 && sizes.ovalHeight > 0) {
        state.ovalWidth = std::max(sizes.ovalWidth, kMinDraftSize);
        state.ovalHeight = std::max(sizes.ovalHeight, kMinDraftSize);
    }
    if (sizes.zeroRadius > 0) state.zeroRadius = std::max(sizes.zeroRadius, kMinDraftSize);
    return before != std::array<int, 3>{state.ovalWidth, state.ovalHeight, state.zeroRadius};
}

DraftUndo applyDraftWithUndo(EditorState& state, const strovik::layout::SheetProposal& draft) {
    DraftUndo undo;
    undo.zeroMarks = state.zeroMarks;
    undo.zeroRadius = state.zeroRadius;
    undo.ovalWidth = state.ovalWidth;
    undo.ovalHeight = state.ovalHeight;
    const int end = state.recordsWithRedoChain();
    undo.marks.assign(state.marks.begin(), state.marks.begin() + end);
    undo.markCount = state.markCount;
    undo.questionCount = state.questionCount;
    undo.multi = state.multi;
    applyDraft(state, draft);
    undo.draftMarkCount = state.markCount;
    undo.draftQuestionCount = state.questionCount;
    undo.draftZeroMarks = state.zeroMarks;
    return undo;
}

bool draftIsLastStep(const EditorState& state, const DraftUndo& undo) {
    return state.markCount == undo.draftMarkCount &&
           state.questionCount == undo.draftQuestionCount && state.zeroMarks == undo.draftZeroMarks;
}

void undoDraft(EditorState& state, const DraftUndo& undo) {
    state.zeroMarks = undo.zeroMarks;
    state.zeroRadius = undo.zeroRadius;
    state.ovalWidth = undo.ovalWidth;
    state.ovalHeight = undo.ovalHeight;
    std::copy(undo.marks.begin(), undo.marks.end(), state.marks.begin());
    state.markCount = undo.markCount;
    state.questionCount = undo.questionCount;
    state.multi = undo.multi;
    // The copied records end with the old redo chain's end marker.
    state.drag = Drag{};
}

}  // namespace dravel
