// The result table's edits as model operations: the in-place cell editor,
// the input dialog that fills several columns at once, clearing a cell, the
// status line for a cell and the reset of the thresholds. Every edit writes
// "999" (no measurement) into ReliGrid where a value was typed, so the
// re-evaluation keeps it, and clears the table's saved flag.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "reader/core/prompter.h"
#include "reader/core/result_table.h"
#include "reader/core/run_feedback.h"
#include "reader/core/threshold_colouring.h"

namespace tarrow {

/// Whether the in-place editor may open on (row, col): a row below the
/// header and a column from 1 up to, not including, the rotation and skew
/// columns (col < Grid columns - 2).
bool canEditInPlace(const ResultTable& table, int row, int col);

/// Opens the in-place editor: its starting text (the cell's text, or
/// `typed` when a digit, "+" or "-" key opened it), and the saved flag is
/// cleared; nullopt (nothing changed) when the cell cannot be edited.
std::optional<QString> openInPlaceEditor(ResultTable& table, int row, int col,
                                         const std::optional<QString>& typed = std::nullopt);

/// Commits the editor: `text` into Grid, "999" into ReliGrid, saved flag
/// cleared. Returns the column the current cell moves to (the next one,
/// kept inside the grid); a cell that cannot be edited is left alone.
int commitInPlaceEdit(ResultTable& table, int row, int col, const QString& text);

/// The column the current cell moves to after an edit in `col`: the next
/// one, at most the grid's last column.
int columnAfterEdit(const ResultTable& table, int col);

/// What the input dialog at (row, col) shows, or why it does not open.
struct InputDialogRequest {
    enum class Kind {
        None,     ///< header row, right of the last question, outside: nothing happens
        Refused,  ///< failed sheet: `status` goes to the status line
        Ask,      ///< show the dialog with `title` and `prompt`, empty default
    };
    Kind kind = Kind::None;
    QString status;
    QString title;
    QString prompt;
    int firstColumn = 1;  ///< column 0 is taken as column 1
};

InputDialogRequest inputDialogRequest(const ResultTable& table, int row, int col);

/// One cell that an input-dialog answer writes: its column and text.
struct InputDialogCell {
    int col = 0;
    QString text;
    bool operator==(const InputDialogCell&) const = default;
};

/// The cells an input-dialog answer writes from `firstColumn` on: commas
/// (also "、" and "，") separate the parts, else ";", else ":", else tabs;
/// full-width ASCII is made half-width. Parts beyond the last question
/// column are dropped; an empty answer gives none.
std::vector<InputDialogCell> inputDialogCells(const ResultTable& table, int firstColumn,
                                              const QString& answer);

/// Writes one part of an input-dialog answer into (row, col): "+" and "-"
/// (join markers, no values of their own) as plain text, anything else as
/// a typed value ("999" into ReliGrid, reviewed on a sheet row, as the
/// in-place editor's commit). Clears the saved flag. False, nothing
/// changed, where the in-place editor would not open.
bool writeInputDialogPart(ResultTable& table, int row, int col, const QString& text);

/// Writes every cell of inputDialogCells() with writeInputDialogPart() and
/// clears the saved flag; an empty answer changes nothing. Returns the
/// cells written.
int applyInputDialogAnswer(ResultTable& table, int row, int firstColumn, const QString& answer);

/// What an answered input dialog writes: the row and its cells.
struct InputDialogAnswer {
    int row = 0;
    std::vector<InputDialogCell> cells;
};

/// The input dialog through the prompter without writing a cell: refusal
/// (on the `status` line), question; a non-empty answer clears the saved
/// flag and gives the cells to write with writeInputDialogPart() (a view
/// writes them through its model). nullopt when nothing is to be written.
std::optional<InputDialogAnswer> askInputDialog(ResultTable& table, int row, int col,
                                                Prompter& prompter, RunFeedback& status);

/// The whole input dialog through the prompter: askInputDialog(), then its
/// cells written. Returns true when the table changed.
bool runInputDialog(ResultTable& table, int row, int col, Prompter& prompter, RunFeedback& status);

enum class ClearResult {
    NotApplicable,  ///< not a cell that this way of clearing works on
    Refused,        ///< failed sheet; "クリアできません。" shown
    Declined,       ///< the question was not answered Yes
    Confirmed,      ///< answered Yes; the cell is not touched yet
    Cleared,        ///< the cell is empty and the saved flag cleared
};

/// Whether the clear question may be asked at (row, col): any cell below
/// the header, right of the label column.
bool canClearCell(const ResultTable& table, int row, int col);

/// Empties the cell's text (ReliGrid keeps its reading) and clears the
/// saved flag; false, nothing changed, where canClearCell() is false.
bool clearCell(ResultTable& table, int row, int col);

/// The Shift+click question alone: NotApplicable, Refused (on the `status`
/// line), Declined or Confirmed; the table is not changed.
ClearResult confirmClearOnShiftClick(const ResultTable& table, int row, int col, Prompter& prompter,
                                     RunFeedback& status);

/// The Backspace question alone, as confirmClearOnShiftClick().
ClearResult confirmClearOnBackspace(const ResultTable& table, int row, int col, Prompter& prompter);

/// Shift+click: on a sheet row and question column 1..N, refuses a failed
/// sheet (on the `status` line), else asks "値をクリアします。よろしいですか？"
/// and empties the cell on Yes.
ClearResult clearCellOnShiftClick(ResultTable& table, int row, int col, Prompter& prompter,
                                  RunFeedback& status);

/// Backspace on the current cell (any cell below the header, right of the
/// label column): asks the same question, no failed-sheet check.
ClearResult clearCellOnBackspace(ResultTable& table, int row, int col, Prompter& prompter);

/// The status line for (row, col): "ﾏｰｸ濃度=" and the density of a
/// single-answer cell, "ﾄﾞｯﾄ数(●=ﾏｰｸ有、▲=薄いﾏｰｸ)=" and the annotated dot
/// counts of a multi-answer cell, empty on the key and points rows and the
/// skew column. nullopt means "leave the status line as it is": the header
/// row, the label column, outside the table, or a number that does not
/// parse.
std::optional<QString> cellStatusText(const ResultTable& table, int row, int col,
                                      const ThresholdTexts& thresholds);

/// The reset button: asks, and on Yes puts the default texts into the four
/// boxes (no re-evaluation). Returns true when it reset them.
bool resetThresholds(ThresholdTexts& thresholds, Prompter& prompter);

}  // namespace tarrow
