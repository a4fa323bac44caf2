#include "reader/ui/frozen_grid_view.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace tarrow {

FrozenGridView::FrozenGridView(QWidget* parent) : QTableView(parent) {
    // Pixel steps across: a column scrolled out from under the frozen label
    // column lands right beside it, whatever the widths.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    column_ = makeFrozenView("GridFrozenColumn");
    rows_ = makeFrozenView("GridFrozenRows");
    corner_ = makeFrozenView("GridFrozenCorner");
    connect(verticalScrollBar(), &QScrollBar::valueChanged, column_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, rows_->horizontalScrollBar(),
            &QScrollBar::setValue);
}

QTableView* FrozenGridView::makeFrozenView(const char* name) {
    auto* view = new QTableView(this);
    view->setObjectName(QString::fromLatin1(name));
    view->setFocusPolicy(Qt::NoFocus);
    view->setFrameShape(QFrame::NoFrame);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->horizontalHeader()->setMinimumSectionSize(0);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Only the grid scrolls; the frozen views follow it.
    view->setAutoScroll(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideNone);
    view->viewport()->setMouseTracking(true);
    return view;
}

void FrozenGridView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    for (QTableView* view : frozenViews()) {
        view->setModel(model);
        view->setSelectionModel(selectionModel());
    }
    syncFrozenViews();
}

void FrozenGridView::syncFrozenViews() {
    const int columns = model() ? model()->columnCount() : 0;
    for (QTableView* view : frozenViews()) {
        view->setSelectionMode(selectionMode());
        view->setSelectionBehavior(selectionBehavior());
        view->setShowGrid(showGrid());
        view->setFont(font());
        view->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        for (int col = 0; col < columns; ++col) {
            const bool hidden = isColumnHidden(col);
            view->setColumnHidden(col, hidden);
            if (!hidden) view->setColumnWidth(col, columnWidth(col));
        }
    }
    placeFrozenViews();
}

int FrozenGridView::frozenHeight() const {
    const int rows = model() ? std::min(model()->rowCount(), kFrozenRows) : 0;
    int height = 0;
    for (int row = 0; row < rows; ++row) height += rowHeight(row);
    return height;
}

int FrozenGridView::frozenWidth() const {
    const int columns = model() ? std::min(model()->columnCount(), kFrozenColumns) : 0;
    int width = 0;
    for (int col = 0; col < columns; ++col) width += isColumnHidden(col) ? 0 : columnWidth(col);
    return width;
}

void FrozenGridView::placeFrozenViews() {
    if (!column_) return;  // still constructing
    const QRect area = viewport()->geometry();
    const int height = std::min(frozenHeight(), area.height());
    const int width = std::min(frozenWidth(), area.width());
    rows_->setGeometry(area.left(), area.top(), area.width(), height);
    column_->setGeometry(area.left(), area.top(), width, area.height());
    corner_->setGeometry(area.left(), area.top(), width, height);
    for (QTableView* view : frozenViews()) {
        view->setVisible(view->width() > 0 && view->height() > 0);
    }
    corner_->raise();
    // Their own scrolling stays at the grid's (rows: across; column: down)
    // and at 0 the other way.
    rows_->verticalScrollBar()->setValue(0);
    column_->horizontalScrollBar()->setValue(0);
    corner_->verticalScrollBar()->setValue(0);
    corner_->horizontalScrollBar()->setValue(0);
    rows_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    column_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FrozenGridView::updateGeometries() {
    QTableView::updateGeometries();
    placeFrozenViews();
}

void FrozenGridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) return;
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    // A frozen cell is on screen whatever the scrolling along its frozen
    // direction: keep that direction where it was.
    if (index.row() < kFrozenRows) verticalScrollBar()->setValue(vertical);
    if (index.column() < kFrozenColumns) horizontalScrollBar()->setValue(horizontal);
    // A cell under the frozen rows: one row per step, so the row that
    // should come first below them is the cell's row less the frozen ones.
    if (index.row() >= kFrozenRows && rowViewportPosition(index.row()) < frozenHeight()) {
        verticalScrollBar()->setValue(std::max(index.row() - kFrozenRows, 0));
    }
    const int left = columnViewportPosition(index.column());
    if (index.column() >= kFrozenColumns && left < frozenWidth()) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (frozenWidth() - left));
    }
}

QTableView* FrozenGridView::viewShowing(int row, int col) {
    const bool frozenRow = row < kFrozenRows;
    const bool frozenColumn = col < kFrozenColumns;
    if (frozenRow && frozenColumn) return corner_;
    if (frozenRow) return rows_;
    if (frozenColumn) return column_;
    return this;
}

}  // namespace tarrow
