// The placing steps of block mode: the three clicks and the block dialog,
// the block replacing the questions under it, selecting blocks by clicking
// their marks (a plain click on a mark also starts a new block there),
// dragging (Ctrl: a copy), nudging by keys, the continuing copy,
// renumbering and deleting. Every change is one step of the block history;
// undo, redo, Escape and the commands on the selection first drop a block
// begun on a mark.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "editor/core/block_geometry.h"
#include "editor/core/editor_texts.h"
#include "editor/core/geometry.h"
#include "editor/core/placer.h"
#include "editor/core/print_assist.h"

namespace dravel {
namespace {

/// The larger oval side: how far a click may sit from the bubble's centre.
int ovalReach(const EditorState& state) {
    return std::max(state.ovalWidth, state.ovalHeight) / 2;
}

}  // namespace

void Placer::enterBlockMode() {
    state_.drag = Drag{};
    state_.clearPoints();
    state_.clearSelection();
    startOnMark_ = false;
    secondOnRelease_ = false;
    state_.blockMode = true;
    state_.zeroMarkMode = false;
    state_.areaMode = false;
    state_.toggleMode = false;
    state_.step = 1;
    host_.setCursor(CursorShape::Cross);
    host_.redraw(false);
}

Point Placer::snapClick(Point p) const {
    if (print_ == nullptr) return p;
    return print_->snapBubble(p, state_.ovalWidth, state_.ovalHeight, ovalReach(state_));
}

void Placer::recordBlockStep(ListSnapshot before, BlockHistory::Kind kind) {
    history_.record(std::move(before), state_, kind);
    modified();
    host_.redraw(false);
}

// ---- Clicks -----------------------------------------------------------------

void Placer::clickBlock(Point p, Modifiers modifiers) {
    switch (state_.step) {
        case 1: {
            const int hit = markAt(state_, p);
            if (hit >= 0) {
                pressOnBlock(state_.marks[std::size_t(hit)].question, p, modifiers);
                return;
            }
            state_.clearSelection();
            startOnMark_ = false;
            state_.points[0] = snapClick(p);
            state_.step = 2;
            host_.redraw(false);
            return;
        }
        case 2:
            if (const int hit = startOnMark_ ? markAt(state_, p) : -1; hit >= 0) {
                // The block began on a mark: a plain press on a mark is the
                // second click unless it drags; Shift or Ctrl edit the
                // selection as at the first step.
                const bool plain = !modifiers.shift && !modifiers.control;
                if (!plain) dropStartOnMark();
                pressOnBlock(state_.marks[std::size_t(hit)].question, p, modifiers);
                secondOnRelease_ = plain;
                return;
            }
            state_.points[1] = snapClick(p);
            state_.step = 3;
            return;
        case 3:
            finishBlock(snapClick(p));
            return;
        default:
            return;
    }
}

void Placer::finishBlock(Point lastQuestion) {
    startOnMark_ = false;
    const Point first = state_.points[0];
    const Point last = state_.points[1];
    state_.points[2] = lastQuestion;
    // The print suggests the counts: the bubbles it shows along the first
    // question and along the first choices; the spacing is the fallback.
    BlockCounts suggested{1, state_.choicesPerQuestion};
    const double tolerance = std::min(state_.ovalWidth, state_.ovalHeight) / 2.0;
    const std::vector<Point> none;
    const std::vector<Point>& bubbles = print_ != nullptr ? print_->bubbles() : none;
    const int choicesSeen = countAlong(bubbles, first, last, tolerance);
    if (choicesSeen >= 2) suggested.choices = std::min(choicesSeen, kMaxChoices);
    const int questionsSeen = countAlong(bubbles, first, lastQuestion, tolerance);
    suggested.questions = questionsSeen >= 2
                              ? questionsSeen
                              : estimateQuestions(first, last, lastQuestion, suggested.choices,
                                                  2 * ovalReach(state_));
    const std::optional<BlockCounts> counts = host_.editBlockCounts(suggested);
    state_.step = 1;
    state_.clearPoints();
    if (!counts) {
        host_.redraw(false);
        return;
    }
    const int questions = counts->questions;
    const int choices = counts->choices;
    if (choices < 1 || choices > kMaxChoices ||
        !blockFits(state_, questions, questions * std::max(1, choices))) {
        host_.showMessage(messageFor(MessageId::BlockBeyondLimits));
        host_.redraw(false);
        return;
    }
    std::vector<Point> positions = blockPositions(first, last, lastQuestion, questions, choices);
    if (print_ != nullptr) {
        const int reach = snapReach(positions, questions, choices, ovalReach(state_));
        for (Point& at : positions) {
            at = print_->snapBubble(at, state_.ovalWidth, state_.ovalHeight, reach);
        }
    }
    // The questions under the block give way to it, in one step.
    const double spacing =
        blockSpacing(first, last, lastQuestion, questions, choices, 2 * ovalReach(state_));
    const std::vector<int> replaced = questionsUnder(state_, replacementArea(positions, spacing));
    ListSnapshot before = takeSnapshot(state_);
    if (!replaceBlock(state_, positions, questions, choices, replaced)) {
        host_.showMessage(messageFor(MessageId::BlockBeyondLimits));
        host_.redraw(false);
        return;
    }
    notice_ = blockPlacedText(questions, choices, replaced);
    recordBlockStep(std::move(before));
}

void Placer::pressOnBlock(int question, Point p, Modifiers modifiers) {
    const bool selected = hasSelection(state_) && question >= state_.selectedFirst &&
                          question < state_.selectedFirst + state_.selectedCount;
    pressModifiers_ = modifiers;
    pressedAt_ = snapClick(p);
    if (modifiers.shift && hasSelection(state_)) {
        // Shift extends the selection to the clicked question.
        const int from = std::min(state_.selectedFirst, question);
        const int to = std::max(state_.selectedFirst + state_.selectedCount - 1, question);
        state_.selectedFirst = from;
        state_.selectedCount = to - from + 1;
        host_.redraw(false);
        return;
    }
    if (!selected) {
        state_.selectedFirst = question;
        state_.selectedCount = 1;
    }
    dragBefore_ = takeSnapshot(state_);
    dragApplied_ = {0, 0};
    if (modifiers.control && !copyBlock(state_, {0, 0})) {
        host_.showMessage(messageFor(MessageId::BlockBeyondLimits));
        return;
    }
    state_.drag = {Drag::Kind::Block, 0, p};
    host_.redraw(false);
}

// ---- Dragging -----------------------------------------------------------------

void Placer::dragBlock(Point p) {
    const Point offset{p.x - state_.drag.grab.x, p.y - state_.drag.grab.y};
    moveBlock(state_, {offset.x - dragApplied_.x, offset.y - dragApplied_.y});
    dragApplied_ = offset;
}

void Placer::releaseBlock() {
    state_.drag = Drag{};
    if (dragApplied_ == Point{0, 0}) {
        // A click without a move only selects; a Ctrl+click copies nothing.
        const int first = state_.selectedFirst;
        const int count = state_.selectedCount;
        restoreSnapshot(state_, dragBefore_);
        if (state_.questionCount >= first + count) {
            state_.selectedFirst = first;
            state_.selectedCount = count;
        }
        if (!hasSelection(state_)) state_.clearSelection();
        if (std::exchange(secondOnRelease_, false)) {
            state_.points[1] = pressedAt_;
            state_.step = 3;
        } else if (!pressModifiers_.shift && !pressModifiers_.control) {
            // A plain click on a mark is also the first click of a block
            // over it; anything but the second click settles the selection.
            state_.points[0] = pressedAt_;
            state_.step = 2;
            startOnMark_ = true;
        }
        host_.redraw(false);
        return;
    }
    dropStartOnMark();
    snapSelectedBlock();
    recordBlockStep(std::move(dragBefore_));
}

void Placer::snapSelectedBlock() {
    if (print_ == nullptr || !hasSelection(state_)) return;
    const BlockLayout layout = selectedLayout(state_);
    const int reach =
        snapReach(layout.positions, layout.questions, layout.choices, ovalReach(state_));
    for (int i = 0; i < state_.markCount; ++i) {
        MarkRecord& m = state_.marks[std::size_t(i)];
        if (m.question < state_.selectedFirst ||
            m.question >= state_.selectedFirst + state_.selectedCount) {
            continue;
        }
        const Point at = print_->snapBubble({m.x, m.y}, state_.ovalWidth, state_.ovalHeight, reach);
        m.x = at.x;
        m.y = at.y;
    }
}

void Placer::dropStartOnMark() {
    if (state_.blockMode && startOnMark_ && state_.step == 2) {
        state_.step = 1;
        state_.clearPoints();
    }
    startOnMark_ = false;
    secondOnRelease_ = false;
}

bool Placer::nudgeBlock(int dx, int dy) {
    if (!state_.blockMode || !hasSelection(state_)) return false;
    dropStartOnMark();
    if (state_.step != 1) return false;
    ListSnapshot before = takeSnapshot(state_);
    moveBlock(state_, {dx, dy});
    recordBlockStep(std::move(before), BlockHistory::Kind::KeyMove);
    return true;
}

// ---- Commands on the selection ---------------------------------------------------

void Placer::copySelectedBlock() {
    if (!hasSelection(state_)) return;
    dropStartOnMark();
    if (state_.step > 1) return;
    const BlockLayout layout = selectedLayout(state_);
    const Point offset = continuingOffset(layout.firstChoices.front(), layout.lastOfFirst,
                                          layout.firstChoices.back(), layout.questions,
                                          layout.firstChoiceCount, 2 * ovalReach(state_));
    ListSnapshot before = takeSnapshot(state_);
    if (!copyBlock(state_, offset)) {
        host_.showMessage(messageFor(MessageId::BlockBeyondLimits));
        return;
    }
    snapSelectedBlock();
    recordBlockStep(std::move(before));
}

void Placer::renumberSelectedBlock() {
    if (!hasSelection(state_)) return;
    dropStartOnMark();
    if (state_.step > 1) return;
    const int highest = state_.questionCount - state_.selectedCount + 1;
    const std::optional<int> number = host_.editBlockNumber(state_.selectedFirst + 1, highest);
    if (!number || *number < 1 || *number > highest || *number == state_.selectedFirst + 1) {
        return;
    }
    ListSnapshot before = takeSnapshot(state_);
    if (renumberBlock(state_, *number - 1)) recordBlockStep(std::move(before));
}

void Placer::deleteSelectedBlock() {
    if (!state_.blockMode || !hasSelection(state_)) return;
    dropStartOnMark();
    if (state_.step > 1) return;
    ListSnapshot before = takeSnapshot(state_);
    if (deleteBlock(state_)) recordBlockStep(std::move(before));
}

}  // namespace dravel
