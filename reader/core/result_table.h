// The result table of a batch: the values grid ("Grid"), the measurements
// grid ("ReliGrid") of identical row structure, the sheet list, the zero-mark
// offsets and the mark rectangles of the definition, and the saved flag.
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
#include <vector>

#include "reader/core/text_grid.h"

namespace tarrow {

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
    static constexpr int kLabelWidth = 72;
    static constexpr int kSkewWidth = 30;
    static constexpr int kMultiColumnWidth = 42;
    /// ReliGrid text of a cell without a measurement (a loaded sheet).
    static inline const QString kNoMeasurement = QStringLiteral("999");
    /// ReliGrid column 1 of a failed sheet; Grid text of "no answer".
    static inline const QString kNoAnswer = QStringLiteral("-1");

    TextGrid& grid() { return grid_; }
    const TextGrid& grid() const { return grid_; }
    TextGrid& reli() { return reli_; }
    const TextGrid& reli() const { return reli_; }

    /// N: the number of question columns (Grid columns - 3, at least 0).
    int questionCount() const;
    /// S: the number of sheets (sheet list size).
    int sheetCount() const { return int(sheets_.size()); }
    static int rowOfSheet(int s) { return s + 2; }

    /// Sheet list: full image paths, sheet s (1-based) at index s - 1.
    QStringList& sheetPaths() { return sheets_; }
    const QStringList& sheetPaths() const { return sheets_; }
    /// Zero-mark offsets, indices 0..S (index s for sheet s).
    std::vector<int>& offsetX() { return offsetX_; }
    std::vector<int>& offsetY() { return offsetY_; }
    const std::vector<int>& offsetX() const { return offsetX_; }
    const std::vector<int>& offsetY() const { return offsetY_; }
    /// [MARK] entries of the definition in file order.
    const std::vector<MarkRect>& markRects() const { return markRects_; }

    bool saved() const { return saved_; }
    void setSaved(bool saved) { saved_ = saved; }
    /// Base name (no folder, no extension) of the last chosen output file.
    const QString& destinationBase() const { return destBase_; }
    void setDestinationBase(const QString& base) { destBase_ = base; }

    /// A header cell starting with "*": the question takes several answers.
    bool isMultiAnswerColumn(int col) const;

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

private:
    TextGrid grid_;
    TextGrid reli_;
    QStringList sheets_;
    std::vector<int> offsetX_{0};
    std::vector<int> offsetY_{0};
    std::vector<MarkRect> markRects_;
    bool saved_ = true;
    QString destBase_;
};

}  // namespace tarrow
