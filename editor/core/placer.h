// The placing steps of the view over the editor state: entering the four
// modes, left clicks (zero marks, areas, questions, toggling, Shift/Ctrl
// edits and drags), mouse moves and releases, undo and redo, the keys, and
// zoom. Points are image pixels; what the view must do in answer (redraw,
// move the pointer, set the cursor and the status line) goes to the host.
#pragma once

#include <QString>
#include <functional>

#include "editor/core/block_edit.h"
#include "editor/core/editor_host.h"
#include "editor/core/editor_state.h"

namespace dravel {

struct Modifiers {
    bool shift = false;
    bool control = false;
};

/// Keys the view passes on.
enum class ViewKey {
    Escape,
    PageUp,
    PageDown,
    Left,
    Right,
    Up,
    Down,
    Delete,
    WiderOval,     ///< A
    NarrowerOval,  ///< S
    TallerOval,    ///< W
    ShorterOval,   ///< Z
    LargerZero,    ///< D
    SmallerZero,   ///< F
    Redo,          ///< Ctrl+Y
};

/// Screen pixels the pointer moves for a key (Page Up/Down 100, arrows 1).
struct PointerStep {
    int dx = 0;
    int dy = 0;
};

class PrintAssist;

class Placer {
public:
    /// Called whenever the definition changes in a way that sets the
    /// document's modified flag.
    using ModifiedHook = std::function<void()>;

    Placer(EditorState& state, EditorHost& host, ModifiedHook onModified = {});
    /// Placed zero marks and questions snap to the print under them (null:
    /// they stay where they were clicked).
    void setPrintAssist(const PrintAssist* assist) { print_ = assist; }

    // ---- Commands.
    void enterZeroMarkMode();
    void enterMarkMode();
    void enterToggleMode();
    void enterAreaMode();
    /// Block mode: three clicks and the block dialog place a whole block,
    /// replacing the questions under it; clicks on marks select blocks to
    /// move, copy, renumber or delete, and a plain click on a mark is also
    /// the first click of a new block over it.
    void enterBlockMode();
    /// Copies the selected block to where its next question would be
    /// (snapped to the print); the copy is numbered after the others.
    void copySelectedBlock();
    /// Asks the new number of the selected block's first question.
    void renumberSelectedBlock();
    void deleteSelectedBlock();
    /// Takes back the last block step, when the state is still as it left
    /// it. False otherwise (nothing changed).
    bool undoBlockStep();
    /// Forgets every block step (a new scan or definition).
    void clearHistory() { history_.clear(); }
    void zoomIn();
    void zoomOut();
    /// Cancels a step in progress, or removes the last question.
    void undo();
    void redo();

    // ---- Mouse, in image pixels.
    void leftButtonDown(Point p, Modifiers modifiers);
    void leftButtonUp(Point p);
    /// Moves a dragged item, refreshes the status line and the cursor, and
    /// redraws while something is in progress.
    void mouseMove(Point p);

    // ---- Keys. Returns how far the pointer moves (the view moves it).
    PointerStep keyDown(ViewKey key, Modifiers modifiers, Point pointer);

    /// Shown on the status line after clicks, undo and redo.
    void showStatus(Point pointer);

    /// Whether the in-progress figure follows the pointer (mouse moves
    /// repaint only then).
    bool followsPointer() const;

private:
    void clickToggle(Point p);
    void clickZeroMark(Point p);
    void clickArea(Point p);
    void clickMarkFirst(Point p, Modifiers modifiers);
    void clickMarkLast(Point p);
    bool startDrag(Point p);
    void applyCursor();
    void modified();

    void snapLastQuestion();

    // placer_block.cpp
    void clickBlock(Point p, Modifiers modifiers);
    void finishBlock(Point lastQuestion);
    void pressOnBlock(int question, Point p, Modifiers modifiers);
    void dragBlock(Point p);
    void releaseBlock();
    bool nudgeBlock(int dx, int dy);
    void dropStartOnMark();
    Point snapClick(Point p) const;
    void snapSelectedBlock();
    void recordBlockStep(ListSnapshot before, BlockHistory::Kind kind = BlockHistory::Kind::Other);

    EditorState& state_;
    EditorHost& host_;
    ModifiedHook onModified_;
    const PrintAssist* print_ = nullptr;
    BlockHistory history_;
    bool steppingHistory_ = false;  ///< an undo or redo is changing the state
    ListSnapshot dragBefore_;       ///< the list when a block drag began
    Point dragApplied_{0, 0};       ///< how far the dragged block has moved
    Modifiers pressModifiers_;      ///< the keys held when the block drag began
    bool startOnMark_ = false;      ///< step 2 began with a click on a mark
    bool secondOnRelease_ = false;  ///< a press at step 2 is the second click unless it drags
    Point pressedAt_;               ///< where that press was, snapped
    QString notice_;                ///< what the last click did, for the status line
};

}  // namespace dravel
