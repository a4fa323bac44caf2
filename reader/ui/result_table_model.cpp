#include "reader/ui/result_table_model.h"

#include <QColor>
#include <QFont>
#include <algorithm>

#include "reader/core/palette.h"
#include "reader/core/sheet_totals.h"
#include "reader/core/table_edits.h"

namespace tarrow {

ResultTableModel::ResultTableModel(ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    table_.takeChanges();
    rows_ = table_.rows();
    cols_ = table_.cols();
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_ + (totalsShown_ ? 1 : 0);
}

const QString ResultTableModel::kTotalsHeader = QStringLiteral("合計");

namespace {

QColor colourOf(PaletteColour colour) {
    const Rgb rgb = paletteRgb(int(colour));
    return QColor(rgb.r, rgb.g, rgb.b);
}

bool isRowLabel(int row, int col) {
    return col == 0 && (row == ResultTable::kKeyRow || row == ResultTable::kPointsRow);
}

}  // namespace

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    ++dataCalls_;
    if (!index.isValid()) return {};
    const int row = index.row();
    const int col = index.column();
    if (col >= cols_) return totalsData(row, role);
    const TextGrid& grid = table_.grid();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            if (role == Qt::ToolTipRole && !isHeaderCell(row, col)) return {};
            return grid.text(row, col);
        case Qt::BackgroundRole: {
            const PaletteColour colour = grid.colour(row, col);
            if (isHeaderCell(row, col) && colour == PaletteColour::White) {
                return QColor::fromRgb(kHeaderBackground);
            }
            return colourOf(colour);
        }
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case Qt::FontRole:
            if (row == ResultTable::kHeaderRow || isRowLabel(row, col)) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        case Qt::TextAlignmentRole:
            return col == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                            : QVariant(Qt::AlignCenter);
        default:
            return {};
    }
}

QVariant ResultTableModel::totalsData(int row, int role) const {
    const int sheet = ResultTable::sheetOfRow(row);
    switch (role) {
        case Qt::DisplayRole:
            if (row == ResultTable::kHeaderRow) return kTotalsHeader;
            if (sheet >= 1 && sheet <= int(totals_.size()) && totals_[std::size_t(sheet - 1)]) {
                return QString::number(qint64(*totals_[std::size_t(sheet - 1)]));
            }
            return QString();
        case Qt::BackgroundRole:
            return row == ResultTable::kHeaderRow ? QColor::fromRgb(kHeaderBackground)
                                                  : QColor(Qt::white);
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case Qt::FontRole:
            if (row == ResultTable::kHeaderRow) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        case Qt::TextAlignmentRole:
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

bool ResultTableModel::showTotals() {
    totals_ = sheetTotals(table_);
    const bool show = !totals_.empty();
    if (show && !totalsShown_) {
        beginInsertColumns(QModelIndex(), cols_, cols_);
        totalsShown_ = true;
        endInsertColumns();
    } else if (!show && totalsShown_) {
        beginRemoveColumns(QModelIndex(), cols_, cols_);
        totalsShown_ = false;
        endRemoveColumns();
    } else if (show && rows_ > 0) {
        emit dataChanged(index(0, cols_), index(rows_ - 1, cols_), {Qt::DisplayRole});
    }
    return show;
}

void ResultTableModel::updateTotals() {
    if (!totalsShown_) return;
    totals_ = sheetTotals(table_);
    if (rows_ > 0) emit dataChanged(index(0, cols_), index(rows_ - 1, cols_), {Qt::DisplayRole});
}

QVariant ResultTableModel::headerData(int, Qt::Orientation, int) const {
    return {};
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const bool ownColumn = index.column() < cols_;
    return ownColumn && canEditInPlace(table_, index.row(), index.column())
               ? flags | Qt::ItemIsEditable
               : flags;
}

bool ResultTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_) return false;
    const int row = index.row();
    const int col = index.column();
    bool written = false;
    switch (role) {
        case Qt::EditRole:
            written = canEditInPlace(table_, row, col);
            if (written) commitInPlaceEdit(table_, row, col, value.toString());
            break;
        case InputPartRole:
            written = writeInputDialogPart(table_, row, col, value.toString());
            break;
        case ClearRole:
            written = clearCell(table_, row, col);
            break;
        default:
            break;
    }
    if (!written) return false;
    // The table's change record holds this cell (and anything written
    // before it): one dataChanged over them, the totals following.
    refresh();
    return true;
}

bool ResultTableModel::refresh() {
    const TextGrid::Changes changes = table_.takeChanges();
    const int rows = table_.rows();
    const int cols = table_.cols();
    if (rows != rows_ || cols != cols_) {
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        if (totalsShown_) totals_ = sheetTotals(table_);
        totalsShown_ = totalsShown_ && !totals_.empty();
        endResetModel();
        return true;
    }
    // Values or the key may have changed: the totals follow.
    updateTotals();
    if (rows_ == 0 || cols_ == 0) return changes.shape;
    if (changes.shape) {
        // Same size but widths (or rows removed and added back) changed: the
        // views repaint what they show.
        emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1),
                         {Qt::DisplayRole, Qt::BackgroundRole});
        return true;
    }
    if (changes.cells) {
        const int bottom = std::min(changes.bottom, rows_ - 1);
        const int right = std::min(changes.right, cols_ - 1);
        if (bottom >= changes.top && right >= changes.left) {
            emit dataChanged(index(changes.top, changes.left), index(bottom, right),
                             {Qt::DisplayRole, Qt::BackgroundRole});
        }
    }
    return false;
}

void ResultTableModel::resetFromTable() {
    table_.takeChanges();
    beginResetModel();
    totalsShown_ = false;
    totals_.clear();
    rows_ = table_.rows();
    cols_ = table_.cols();
    endResetModel();
}

}  // namespace tarrow
