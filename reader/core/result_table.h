// The result table of a batch: the values grid ("Grid"), the measurements
// grid ("ReliGrid") of identical row structure, the sheet list, the zero-mark
// offsets and the mark rectangles of the definition, and the saved flag.
// The table owns its layout: callers read and write cells through it, and
// the rows, columns and markers below are worked out here only.
//
// Rows (both grids): 0 header, 1 answer key ("正答入力"), 2 points
// ("配点入力"), s + 2 for sheet s = 1..S. Grid columns: 0 image label,
// 1..N question values, N + 1 rotation flag (width 0), N + 2 skew ("歪み").
// ReliGrid columns 1..N measurements (reliability or dot string, "999" = no
// measurement, "-1" in column 1 = failed sheet), N + 3 .. 2N + 2 marked
// counts.
#pragma once

#include <QString>
#include <QStringList>
#include <climits>
#include <optional>
#include <vector>

#include "engine/recognition/review_rule.h"
#include "reader/core/text_grid.h"

namespace tarrow {

namespace testing {
struct TableAccess;
}

/// One [MARK] entry of the definition: question, choice, x, y (sheet pixels).
struct MarkRect {
    int question = 0, choice = 0, x = 0, y = 0;
};

class ResultTable {
public:
    static constexpr int kHeaderRow = 0;
    static constexpr int kKeyRow = 1;
    static constexpr int kPointsRow = 2;
    static constexpr int kFirstSheetRow = 3;
    static constexpr int kLabelColumn = 0;
    static constexpr int kLabelWidth = 72;
    static constexpr int kSkewWidth = 30;
    static constexpr int kMultiColumnWidth = 42;
    /// ReliGrid text of a cell without a measurement (a loaded sheet).
    static inline const QString kNoMeasurement = QStringLiteral("999");
    /// ReliGrid column 1 of a failed sheet; Grid text of "no answer".
    static inline const QString kNoAnswer = QStringLiteral("-1");

    // ---- Rows and columns.

    /// N: the number of question columns (Grid columns - 3, at least 0).
    int questionCount() const;
    /// S: the number of sheets (sheet list size).
    int sheetCount() const { return int(sheets_.size()); }
    static int rowOfSheet(int s) { return s + 2; }
    static int sheetOfRow(int row) { return row - 2; }
    /// Grid's rows and columns (ReliGrid has as many rows).
    int rows() const { return grid_.rows(); }
    int cols() const { return grid_.cols(); }
    /// A row of a sheet (not the header, key or points row).
    bool isSheetRow(int row) const { return row >= kFirstSheetRow && row < grid_.rows(); }
    /// Question q (1-based) is Grid's and ReliGrid's column q.
    static int columnOfQuestion(int q) { return q; }
    bool isQuestionColumn(int col) const { return col >= 1 && col <= questionCount(); }
    /// Grid's hidden rotation flag column and its skew column.
    int rotationColumn() const { return questionCount() + 1; }
    int skewColumn() const { return questionCount() + 2; }
    /// ReliGrid's column of question q's marked count.
    int markedCountColumn(int q) const { return grid_.cols() + q - 1; }
    /// A header cell starting with "*": the question takes several answers.
    bool isMultiAnswerColumn(int col) const;

    // ---- Cells. Out-of-range reads give an empty text (and White);
    // out-of-range writes are ignored.

    /// Grid: labels, header, key, points and values.
    const QString& text(int row, int col) const { return grid_.text(row, col); }
    void setText(int row, int col, const QString& text) { grid_.setText(row, col, text); }
    PaletteColour colour(int row, int col) const { return grid_.colour(row, col); }
    void setColour(int row, int col, PaletteColour colour) { grid_.setColour(row, col, colour); }
    int columnWidth(int col) const { return grid_.columnWidth(col); }
    void setColumnWidth(int col, int pixels) { grid_.setColumnWidth(col, pixels); }
    /// ReliGrid: the measurement behind a value (or a marked count).
    const QString& measurement(int row, int col) const { return reli_.text(row, col); }
    void setMeasurement(int row, int col, const QString& text) { reli_.setText(row, col, text); }

    const QString& label(int s) const { return grid_.text(rowOfSheet(s), kLabelColumn); }
    const QString& answer(int s, int q) const { return grid_.text(rowOfSheet(s), q); }
    const QString& key(int q) const { return grid_.text(kKeyRow, q); }
    /// A sheet the engine failed on.
    bool isFailedSheet(int s) const { return isFailedRow(rowOfSheet(s)); }
    bool isFailedRow(int row) const { return reli_.text(row, 1) == kNoAnswer; }
    /// A value the user typed: the text, and no measurement behind it. On a
    /// sheet row the cell counts as reviewed: it leaves the doubtful cells
    /// and is coloured at once as the re-evaluation colours a typed value
    /// (light red for "-1", else white).
    void setTypedValue(int row, int col, const QString& text);

    // ---- Readings kept behind the values (sheet rows, question columns).

    /// The engine's answer behind a single-answer value (1-based, -1 none)
    /// as the sheet was read, so a threshold can be raised and taken back;
    /// nullopt where none was read (a failed sheet). Cells without a
    /// measurement ("999") keep their text instead.
    std::optional<int> readAnswer(int row, int col) const;
    /// The user typed this cell's value since it was read or loaded.
    bool isReviewed(int row, int col) const;
    /// Why the cell needs a look, as the last re-evaluation found it; None
    /// for a reviewed cell.
    strovik::ReviewKind doubt(int row, int col) const;
    void setDoubt(int row, int col, strovik::ReviewKind kind);

    /// Read-only views of the two grids (display, files, tests).
    const TextGrid& grid() const { return grid_; }
    const TextGrid& reli() const { return reli_; }
    /// What changed in Grid since the last call (for a view).
    TextGrid::Changes takeChanges() { return grid_.takeChanges(); }

    // ---- Sheets.

    /// Sheet list: full image paths, sheet s (1-based) at index s - 1.
    const QStringList& sheetPaths() const { return sheets_; }
    const QString& sheetPath(int s) const { return sheets_.at(s - 1); }
    /// A new sheet list (the offsets stay as they are: a loaded file has
    /// none of its own).
    void setSheetPaths(QStringList paths) { sheets_ = std::move(paths); }
    /// Offsets for a fresh reading of the sheet list: S + 1 zeros.
    void resetOffsets();
    /// Zero-mark offsets, indices 0..S (index s for sheet s).
    const std::vector<int>& offsetX() const { return offsetX_; }
    const std::vector<int>& offsetY() const { return offsetY_; }
    void setOffset(int s, int x, int y);
    /// [MARK] entries of the definition in file order.
    const std::vector<MarkRect>& markRects() const { return markRects_; }

    bool saved() const { return saved_; }
    void setSaved(bool saved) { saved_ = saved; }
    /// Base name (no folder, no extension) of the last chosen output file.
    const QString& destinationBase() const { return destBase_; }
    void setDestinationBase(const QString& base) { destBase_ = base; }

    /// Starts a fresh table: both grids cleared, Grid 3 rows with the key and
    /// points labels, and the mark rectangles loaded from the definition's
    /// [MARK] section (lines whose first four characters, upper-cased, are
    /// "MARK": the four numbers after "=").
    void initMarks(const QString& definitionPath);
    /// Keeps the header, key and points rows and drops every sheet row.
    void reuseMarks();

    /// Stores the engine's outcome for sheet s (see the layout above): sets
    /// the column counts and widths, the label, values, rotation, skew,
    /// measurements and marked counts; with tenToZero a "10" is stored as
    /// "0". The sheet list is not touched (the run fills it).
    void storeSheet(int s, const QString& label, const QString& result, const QString& reliability,
                    const QString& markedCounts, int rotated, int skew, bool tenToZero);
    /// Puts each multi-answer question's dot string into ReliGrid and marks
    /// its header with one "*". `questions` are 0-based indices as text.
    void storeMultiAnswerData(int s, const QStringList& questions, const QStringList& dots);
    /// A sheet the engine failed on: label and "-1" in ReliGrid column 1.
    void recordErrorRow(int s, const QString& label);
    /// After a run: failed sheets get "-1" in every question cell of both
    /// grids and a light red label cell.
    void markFailedSheets();
    /// Removes a sheet row from both grids and the sheet list (and the
    /// offsets), as taking the first sheet as key or points sheet does.
    void removeSheetRow(int row);
    /// Fixes Grid's size to the header, key and points rows and `cols`
    /// columns (a read-values file's key line sets the column count).
    void setFixedRows(int cols);

private:
    friend struct testing::TableAccess;

    /// What is kept per cell besides the two grids.
    struct Kept {
        static constexpr int kNoAnswer = INT_MIN;
        int answer = kNoAnswer;
        bool reviewed = false;
        strovik::ReviewKind doubt = strovik::ReviewKind::None;
    };
    Kept* kept(int row, int col);
    const Kept* kept(int row, int col) const;
    Kept* keptSlot(int row, int col);  ///< grown as needed; null off the sheet cells

    TextGrid grid_;
    TextGrid reli_;
    std::vector<std::vector<Kept>> kept_;  ///< by row, then column
    QStringList sheets_;
    std::vector<int> offsetX_{0};
    std::vector<int> offsetY_{0};
    std::vector<MarkRect> markRects_;
    bool saved_ = true;
    QString destBase_;
};

}  // namespace tarrow
