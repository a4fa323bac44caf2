// The result grid with its header rows and label column frozen: the
// question numbers, the 正答入力 and 配点入力 rows (rows 0 to 2) and the file
// names (column 0) stay on screen while the sheets scroll either way. Three
// views over the same model and selection are laid over the grid's top
// edge, left edge and top-left corner and follow its scrolling, so the
// frozen cells keep their colours, selection and editing.
#pragma once

#include <QTableView>
#include <array>

namespace tarrow {

class FrozenGridView final : public QTableView {
    Q_OBJECT

public:
    static constexpr int kFrozenRows = 3;     ///< header, key and points rows
    static constexpr int kFrozenColumns = 1;  ///< the label column

    explicit FrozenGridView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    /// Scrolls as QTableView does, then keeps a cell from ending up under
    /// the frozen rows or column; a frozen cell scrolls only along its
    /// free direction.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    /// Takes the grid's column widths, hidden columns and row height into
    /// the frozen views (after the widths changed).
    void syncFrozenViews();
    /// The views laid over the grid: frozen rows, frozen column, corner.
    std::array<QTableView*, 3> frozenViews() const { return {rows_, column_, corner_}; }
    /// The view that shows the cell on screen.
    QTableView* viewShowing(int row, int col);
    /// Height of the frozen rows and width of the frozen column, in pixels.
    int frozenHeight() const;
    int frozenWidth() const;

protected:
    void updateGeometries() override;

private:
    QTableView* makeFrozenView(const char* name);
    void placeFrozenViews();

    QTableView* column_ = nullptr;
    QTableView* rows_ = nullptr;
    QTableView* corner_ = nullptr;
};

}  // namespace tarrow
