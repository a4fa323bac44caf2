#include "editor/core/placer.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>
#include <utility>

#include "editor/core/editor_texts.h"
#include "editor/core/geometry.h"
#include "editor/core/mark_list.h"
#include "editor/core/print_assist.h"
#include "editor/core/zoom.h"

namespace dravel {
namespace {

// Size limits of the definition format.
constexpr int kMinDialogSize = strovik::kMinDialogSize;
constexpr int kMaxOvalSize = strovik::kMaxOvalSize;
constexpr int kMaxZeroRadius = strovik::kMaxZeroRadius;
constexpr int kMinKeySize = strovik::kMinKeyedSize;
constexpr int kOvalKeyStep = 2;
constexpr int kPageStep = 100;
constexpr int kEraseEveryMoves = 25;

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

/// Slope of the line from a to b, 0 when it is vertical.
double slope(Point a, Point b) {
    if (b.x == a.x) return 0.0;
    return std::atan(double(b.y - a.y) / double(b.x - a.x));
}

bool isSet(Point p) {
    return p.x >= 0 && p.y >= 0;
}

}  // namespace

Placer::Placer(EditorState& state, EditorHost& host, ModifiedHook onModified)
    : state_(state), host_(host), onModified_(std::move(onModified)) {}

void Placer::modified() {
    // A new edit ends what block redo could bring back; undo and redo keep it.
    if (!steppingHistory_) history_.dropRedo();
    if (onModified_) onModified_();
}

// ---- Modes ----------------------------------------------------------------

void Placer::enterZeroMarkMode() {
    // The marks are cleared so the circles vanish while the radius is chosen;
    // Cancel gives them back (the user chose not to place them again).
    const std::array<Point, 3> previous = state_.zeroMarks;
    state_.zeroMarks.fill(Point{});
    state_.drag = Drag{};
    // The zoom stays as the user set it: starting a mode never moves the view.
    host_.maximiseWindow();
    host_.redraw(true);
    const std::optional<int> radius = host_.editZeroMarkRadius(state_.zeroRadius);
    state_.clearPoints();
    if (!radius) {
        state_.zeroMarks = previous;
        host_.redraw(true);
        return;
    }
    if (inRange(*radius, kMinDialogSize, kMaxZeroRadius) && *radius != state_.zeroRadius) {
        state_.zeroRadius = *radius;
        modified();
    }
    state_.step = 1;
    state_.zeroMarkMode = true;
    state_.areaMode = false;
    state_.toggleMode = false;
    state_.blockMode = false;
    state_.clearSelection();
    host_.setCursor(CursorShape::Cross);
}

void Placer::enterMarkMode() {
    state_.drag = Drag{};
    host_.maximiseWindow();
    host_.redraw(true);
    const std::optional<MarkSettings> chosen =
        host_.editMarkSettings({state_.choicesPerQuestion, state_.ovalWidth, state_.ovalHeight});
    state_.clearPoints();
    if (!chosen) return;
    if (inRange(chosen->choices, 1, kMaxChoices)) {
        state_.choicesPerQuestion = chosen->choices;
    } else {
        host_.showMessage(messageFor(MessageId::ChoicesBeyondLimit));
    }
    bool sizeChanged = false;
    if (inRange(chosen->ovalWidth, kMinDialogSize, kMaxOvalSize)) {
        sizeChanged |= chosen->ovalWidth != state_.ovalWidth;
        state_.ovalWidth = chosen->ovalWidth;
    }
    if (inRange(chosen->ovalHeight, kMinDialogSize, kMaxOvalSize)) {
        sizeChanged |= chosen->ovalHeight != state_.ovalHeight;
        state_.ovalHeight = chosen->ovalHeight;
    }
    if (sizeChanged) {
        modified();
        host_.redraw(false);
    }
    state_.zeroMarkMode = false;
    state_.areaMode = false;
    state_.toggleMode = false;
    state_.blockMode = false;
    state_.clearSelection();
    state_.step = 1;
    host_.setCursor(CursorShape::Cross);
}

void Placer::enterToggleMode() {
    state_.toggleMode = true;
    state_.zeroMarkMode = false;
    state_.areaMode = false;
    state_.blockMode = false;
    state_.clearSelection();
    state_.step = 1;
}

void Placer::enterAreaMode() {
    state_.toggleMode = false;
    state_.zeroMarkMode = false;
    state_.areaMode = true;
    state_.blockMode = false;
    state_.clearSelection();
    state_.step = 1;
}

void Placer::zoomIn() {
    state_.divisor = zoomInDivisor(state_.divisor);
    host_.redraw(true);
}

void Placer::zoomOut() {
    state_.divisor = zoomOutDivisor(state_.divisor);
    host_.redraw(true);
}

// ---- Undo and redo ----------------------------------------------------------

void Placer::undo() {
    const QScopedValueRollback stepping(steppingHistory_, true);
    // A block drag in progress is dropped where it began.
    if (state_.drag.kind == Drag::Kind::Block) restoreSnapshot(state_, dragBefore_);
    state_.drag = Drag{};
    // A block begun by a click on a mark is only a selection: undo goes on.
    dropStartOnMark();
    if (state_.step >= 2) {
        state_.step = 1;
        state_.clearPoints();
        host_.redraw(false);
    } else if (undoBlockStep()) {
        // The block step is taken back whole.
    } else if (state_.step == 1 && undoQuestion(state_)) {
        if (!hasSelection(state_)) state_.clearSelection();
        host_.redraw(false);
        modified();
    }
    host_.setCursor(CursorShape::Arrow);
}

bool Placer::undoBlockStep() {
    const QScopedValueRollback stepping(steppingHistory_, true);
    dropStartOnMark();
    if (state_.step > 1 || !history_.undo(state_)) return false;
    host_.redraw(false);
    modified();
    return true;
}

void Placer::redo() {
    const QScopedValueRollback stepping(steppingHistory_, true);
    dropStartOnMark();
    if (state_.step == 1 && history_.redo(state_)) {
        host_.redraw(false);
        modified();
    } else if (state_.step == 1 && redoQuestion(state_)) {
        host_.redraw(false);
        modified();
    }
    host_.setCursor(CursorShape::Arrow);
}

// ---- Clicks -----------------------------------------------------------------

void Placer::leftButtonDown(Point p, Modifiers modifiers) {
    state_.moveCounter = 0;
    if (state_.toggleMode) {
        clickToggle(p);
    } else if (state_.zeroMarkMode) {
        clickZeroMark(p);
    } else if (state_.areaMode) {
        clickArea(p);
    } else if (state_.blockMode) {
        clickBlock(p, modifiers);
    } else if (state_.step == 1) {
        clickMarkFirst(p, modifiers);
    } else if (state_.step == 2) {
        clickMarkLast(p);
    }
    if (notice_.isEmpty()) {
        showStatus(p);
    } else {
        host_.setStatus(std::exchange(notice_, QString()));
    }
    applyCursor();
}

void Placer::clickToggle(Point p) {
    state_.toggleMode = false;
    const int hit = markAt(state_, p);
    if (hit < 0) return;
    const int question = state_.marks[std::size_t(hit)].question;
    state_.setMulti(question, !state_.isMulti(question));
    modified();
    host_.redraw(false);
}

void Placer::clickZeroMark(Point p) {
    if (print_ != nullptr) p = print_->snapZeroMark(p, state_.zeroRadius);
    switch (state_.step) {
        case 1:
            state_.points[0] = p;
            state_.zeroMarks[0] = p;
            state_.step = 2;
            break;
        case 2:
            state_.points[1] = p;
            state_.zeroMarks[1] = p;
            state_.angle = slope(state_.points[0], p);
            state_.step = 3;
            break;
        case 3:
            state_.points[2] = p;
            state_.zeroMarks[2] = p;
            modified();
            host_.redraw(false);
            state_.zeroMarkMode = false;
            state_.step = 1;
            enterMarkMode();
            break;
        default:
            break;
    }
}

void Placer::clickArea(Point p) {
    if (state_.step < 1 || state_.step > 4) return;
    state_.points[std::size_t(state_.step - 1)] = p;
    if (state_.step < 4) {
        ++state_.step;
        return;
    }
    state_.areaMode = false;
    state_.step = 1;
    if (int(state_.areas.size()) < kMaxAreas) {
        state_.areas.push_back(sortedArea(state_.points));
        modified();
    }
    host_.redraw(false);
}

bool Placer::startDrag(Point p) {
    state_.drag = Drag{};
    const int mark = markAt(state_, p);
    if (mark >= 0) {
        const MarkRecord& m = state_.marks[std::size_t(mark)];
        state_.drag = {Drag::Kind::Mark, mark, {p.x - m.x, p.y - m.y}};
    }
    // A later hit overrides an earlier one; zero marks that are not set are
    // not there to be hit.
    for (int i = 0; i < 3; ++i) {
        const Point z = state_.zeroMarks[std::size_t(i)];
        if (isSet(z) && insideDisc(p, z, state_.zeroRadius)) {
            state_.drag = {Drag::Kind::ZeroMark, i, {p.x - z.x, p.y - z.y}};
        }
    }
    return state_.drag.active();
}

void Placer::clickMarkFirst(Point p, Modifiers modifiers) {
    const bool dragging = startDrag(p);
    const int area = areaAt(state_, p);
    if (area >= 0) {
        // The question takes the button release; the drag would never end.
        state_.drag = Drag{};
        if (host_.ask(questionFor(QuestionId::DeleteArea)) == Answer::Yes) {
            state_.areas.erase(state_.areas.begin() + area);
            host_.redraw(true);
            modified();
        }
        return;
    }
    if (!dragging) {
        if (state_.choicesPerQuestion == 1) {
            if (appendQuestion(state_, p, p, 1)) {
                snapLastQuestion();
                modified();
                host_.redraw(false);
            }
            return;
        }
        const Point oldFirst = state_.points[0];
        const Point oldLast = state_.points[1];
        state_.points[0] = p;
        state_.step = 2;
        if (oldFirst.y > 0) state_.rowStep = (p.y - oldFirst.y) * 100 / state_.divisor;
        if (oldLast.x > 0) {
            host_.movePointer({p.x + oldLast.x - oldFirst.x, p.y + oldLast.y - oldFirst.y}, 0);
        }
        return;
    }
    if (state_.drag.kind != Drag::Kind::Mark) return;
    if (modifiers.shift) {
        if (removeLastChoice(state_, state_.drag.index)) {
            state_.drag = Drag{};
            modified();
            host_.redraw(true);
        }
    } else if (modifiers.control) {
        if (insertChoiceAfter(state_, state_.drag.index)) {
            state_.drag = Drag{};
            modified();
            host_.redraw(false);
        }
    }
}

void Placer::clickMarkLast(Point p) {
    host_.movePointer(state_.points[0], state_.rowStep);
    state_.points[1] = p;
    if (appendQuestion(state_, state_.points[0], p, state_.choicesPerQuestion)) {
        state_.angle = slope(state_.points[0], p);
        snapLastQuestion();
        modified();
    }
    state_.step = 1;
    host_.redraw(false);
}

void Placer::snapLastQuestion() {
    if (print_ == nullptr || state_.markCount == 0) return;
    const int question = state_.marks[std::size_t(state_.markCount - 1)].question;
    int first = state_.markCount - 1;
    while (first > 0 && state_.marks[std::size_t(first - 1)].question == question) --first;
    print_->snapQuestion(state_, first, state_.markCount - first);
}

// ---- Moves and releases -------------------------------------------------------

void Placer::mouseMove(Point p) {
    ++state_.moveCounter;
    const Drag& drag = state_.drag;
    if (drag.kind == Drag::Kind::Block) {
        dragBlock(p);
    } else if (drag.active()) {
        const Point centre{p.x - drag.grab.x, p.y - drag.grab.y};
        if (drag.kind == Drag::Kind::Mark) {
            MarkRecord& m = state_.marks[std::size_t(drag.index)];
            if (m.x != centre.x || m.y != centre.y) modified();
            m.x = centre.x;
            m.y = centre.y;
        } else {
            Point& z = state_.zeroMarks[std::size_t(drag.index)];
            if (z != centre) modified();
            z = centre;
        }
    }
    if (drag.kind == Drag::Kind::Block) {
        host_.redraw(false);
    } else if (followsPointer()) {
        host_.redrawFigure(state_.zeroMarkMode && state_.moveCounter % kEraseEveryMoves == 0);
    }
    applyCursor();
}

void Placer::leftButtonUp(Point) {
    if (state_.drag.kind == Drag::Kind::Block) releaseBlock();
    const bool wasDragging = state_.drag.active();
    state_.drag = Drag{};
    if (state_.step >= 1 && state_.step <= 3) host_.setCursor(CursorShape::Cross);
    if (wasDragging) host_.redraw(false);
}

bool Placer::followsPointer() const {
    return state_.drag.active() || state_.step >= 2 || (state_.zeroMarkMode && state_.step == 1);
}

void Placer::applyCursor() {
    if (state_.drag.active() || state_.toggleMode) {
        host_.setCursor(CursorShape::SizeAll);
    } else if (state_.step >= 1) {
        host_.setCursor(CursorShape::Cross);
    }
}

void Placer::showStatus(Point pointer) {
    host_.setStatus(statusText(state_, pointer));
}

// ---- Keys ---------------------------------------------------------------------

PointerStep Placer::keyDown(ViewKey key, Modifiers modifiers, Point pointer) {
    // A bare size key acts only while the size it changes follows the
    // pointer (the ovals of a question being placed, the zero-mark circle);
    // anywhere else it takes Shift, so letters typed into the canvas by
    // mistake change nothing.
    const bool placingOvals =
        (state_.markMode() && state_.step == 2) || (state_.blockMode && state_.step >= 2);
    const bool placingZeroMarks = state_.zeroMarkMode && state_.step >= 1;
    auto resize = [&](int& value, int delta, bool inTool) {
        if (!inTool && !modifiers.shift) return;
        value = std::max(kMinKeySize, value + delta);
        modified();
        host_.redraw(true);
    };
    auto arrow = [&](int dx, int dy) {
        // The selected block moves by a pixel; the pointer stays.
        if (!modifiers.shift && nudgeBlock(dx, dy)) return PointerStep{};
        if (modifiers.shift) {
            moveAllMarks(state_, dx, dy);
            modified();
            host_.redraw(false);
        }
        return PointerStep{dx, dy};
    };
    switch (key) {
        case ViewKey::Escape:
            if (state_.toggleMode) {
                state_.toggleMode = false;
            } else if (state_.blockMode && state_.selectedCount > 0 &&
                       (state_.step == 1 || (startOnMark_ && state_.step == 2))) {
                // The selection goes, with a block begun by clicking it.
                dropStartOnMark();
                state_.clearSelection();
                showStatus(pointer);
                host_.redraw(false);
            } else {
                undo();
                showStatus(pointer);
                host_.redraw(false);
            }
            return {};
        case ViewKey::Delete:
            deleteSelectedBlock();
            showStatus(pointer);
            return {};
        case ViewKey::PageUp:
            host_.redraw(false);
            return {0, -kPageStep};
        case ViewKey::PageDown:
            host_.redraw(false);
            return {0, kPageStep};
        case ViewKey::Left:
            return arrow(-1, 0);
        case ViewKey::Right:
            return arrow(1, 0);
        case ViewKey::Up:
            return arrow(0, -1);
        case ViewKey::Down:
            return arrow(0, 1);
        case ViewKey::WiderOval:
            resize(state_.ovalWidth, kOvalKeyStep, placingOvals);
            return {};
        case ViewKey::NarrowerOval:
            resize(state_.ovalWidth, -kOvalKeyStep, placingOvals);
            return {};
        case ViewKey::TallerOval:
            resize(state_.ovalHeight, kOvalKeyStep, placingOvals);
            return {};
        case ViewKey::ShorterOval:
            resize(state_.ovalHeight, -kOvalKeyStep, placingOvals);
            return {};
        case ViewKey::LargerZero:
            resize(state_.zeroRadius, 1, placingZeroMarks);
            return {};
        case ViewKey::SmallerZero:
            resize(state_.zeroRadius, -1, placingZeroMarks);
            return {};
        case ViewKey::Redo:
            redo();
            showStatus(pointer);
            host_.redraw(false);
            return {};
    }
    return {};
}

}  // namespace dravel
