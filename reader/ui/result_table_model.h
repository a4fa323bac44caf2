// The result table's values grid as a Qt item model: one item per cell of
// Grid, its text and palette colour, with row 0 and column 0 dressed as
// header cells. The model keeps no copy of the cells. The user's edits (the
// in-place editor, the input dialog's cells, clearing) go through setData(),
// which writes the table and tells the views; refresh() tells them what
// other code changed in the table since. After scoring, one more column
// beyond the table's own shows each sheet's total ("合計"); it is the view's
// alone and never part of the table or its files.
#pragma once

#include <QAbstractTableModel>
#include <QRgb>
#include <cstdint>
#include <optional>
#include <vector>

#include "reader/core/result_table.h"

namespace tarrow {

class ResultTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    /// Background of header cells (row 0, column 0) that carry no colour of
    /// their own.
    static constexpr QRgb kHeaderBackground = 0xffd8d8d8;

    /// The table is borrowed; it must outlive the model.
    explicit ResultTableModel(ResultTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    /// DisplayRole: the cell text; BackgroundRole: the palette colour (header
    /// cells grey unless coloured); FontRole: bold on row 0 and the key and
    /// points labels; TextAlignmentRole: question cells centred.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    /// The view's own headers are not used: row 0 and column 0 are cells.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    /// Question cells below the header (where the in-place editor opens)
    /// are editable; the views open no editor of their own.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// Roles setData() takes besides Qt::EditRole.
    enum Role {
        /// Empties a cell below the header, right of the label column, as
        /// the clear question's Yes does (the reading behind it stays).
        ClearRole = Qt::UserRole + 1,
        /// One part of an input-dialog answer in an editable cell, as
        /// writeInputDialogPart() writes it: a value as Qt::EditRole does,
        /// the join markers "+" and "-" as plain text.
        InputPartRole = Qt::UserRole + 2,
    };
    /// Qt::EditRole: the value typed into an editable cell, as the in-place
    /// editor commits it ("999" behind it, reviewed, saved flag cleared);
    /// ClearRole, InputPartRole: see above. Emits dataChanged for the cell (and the totals column)
    /// and returns true; false, nothing changed, for any other cell or role.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    /// Takes the grid's changes: a model reset when the shape (rows, columns
    /// or widths) changed, else one dataChanged over the written rectangle.
    /// Returns true when the shape changed (the view re-applies the widths).
    bool refresh();
    /// A full reset whatever changed; a new table has no totals column.
    void resetFromTable();

    /// Shows the totals column (sheetTotals(), kept up to date by every
    /// refresh) after the table's columns; hides it when no question is
    /// scored. Returns true when the column is shown.
    bool showTotals();
    /// The totals column's index, -1 while it is hidden.
    int totalsColumn() const { return totalsShown_ ? cols_ : -1; }
    static const QString kTotalsHeader;

    static bool isHeaderCell(int row, int col) { return row == 0 || col == 0; }

    /// data() calls since the last resetDataCalls(): what a view asked for.
    qint64 dataCalls() const { return dataCalls_; }
    void resetDataCalls() { dataCalls_ = 0; }

private:
    ResultTable& table_;
    int rows_ = 0;  ///< the shape the views know
    int cols_ = 0;
    mutable qint64 dataCalls_ = 0;
    bool totalsShown_ = false;
    std::vector<std::optional<std::int64_t>> totals_;

    QVariant totalsData(int row, int role) const;
    void updateTotals();
};

}  // namespace tarrow
