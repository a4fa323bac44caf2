// A grid of text cells with a background palette colour per cell and a width
// per column, as the result window's two tables use it. Row 0 and column 0
// are ordinary cells here; views show them as headers.
#pragma once

#include <QSet>
#include <QString>
#include <cstdint>
#include <vector>

#include "reader/core/palette.h"

namespace tarrow {

class TextGrid {
public:
    int rows() const { return rows_; }
    int cols() const { return cols_; }

    /// Resizes; kept cells keep their text and colour, new cells are empty
    /// and white. Resizing to the current size does nothing (cheap).
    void setRows(int rows);
    void setCols(int cols);
    void clear();  ///< 0 x 0
    /// Removes one row; the rows below move up by one. Out of range: nothing.
    void removeRow(int row);

    /// Out-of-range reads give an empty text / White; out-of-range writes
    /// are ignored (callers size the grid first). Writing the text or colour
    /// a cell already has is not a change. Short texts are shared
    /// between cells (one copy of each distinct "1", "-1", "999", ...), so a
    /// large table costs little more than its cell slots.
    const QString& text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    PaletteColour colour(int row, int col) const;
    void setColour(int row, int col, PaletteColour colour);

    /// Column width in pixels (0 = hidden); new columns get 18.
    int columnWidth(int col) const;
    void setColumnWidth(int col, int pixels);

    /// What changed since the last call: whether the shape (rows, columns or
    /// widths) changed, and the bounding rectangle of the written cells, so
    /// a view refreshes only that.
    struct Changes {
        bool shape = false;
        bool cells = false;
        int top = 0, left = 0, bottom = -1, right = -1;  ///< inclusive
    };
    Changes takeChanges();

private:
    void markCell(int row, int col);

    struct Row {
        std::vector<QString> text;
        std::vector<PaletteColour> colour;
    };
    int rows_ = 0;
    int cols_ = 0;
    std::vector<Row> cells_;
    std::vector<int> widths_;
    Changes changes_;
    QSet<QString> shared_;  ///< the distinct short texts written so far
};

}  // namespace tarrow
