#include "reader/core/text_grid.h"

#include <algorithm>

namespace tarrow {

namespace {

constexpr int kDefaultColumnWidth = 18;
/// Texts up to this length are shared between cells; longer ones (dot
/// strings, labels) are mostly distinct and kept as given.
constexpr qsizetype kMaxSharedLength = 8;

const QString& emptyText() {
    static const QString empty;
    return empty;
}

/// The pooled copy of a short text (added to the pool on first sight).
QString sharedCopy(QSet<QString>& pool, const QString& text) {
    if (text.isEmpty() || text.size() > kMaxSharedLength) return text;
    const auto found = pool.constFind(text);
    if (found != pool.cend()) return *found;
    pool.insert(text);
    return text;
}

}  // namespace

void TextGrid::setRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == rows_) return;
    cells_.resize(std::size_t(rows));
    for (int r = rows_; r < rows; ++r) {
        Row& row = cells_[std::size_t(r)];
        row.text.resize(std::size_t(cols_));
        row.colour.assign(std::size_t(cols_), PaletteColour::White);
    }
    rows_ = rows;
    changes_.shape = true;
}

void TextGrid::setCols(int cols) {
    cols = std::max(cols, 0);
    if (cols == cols_) return;
    for (Row& row : cells_) {
        row.text.resize(std::size_t(cols));
        row.colour.resize(std::size_t(cols), PaletteColour::White);
    }
    widths_.resize(std::size_t(cols), kDefaultColumnWidth);
    cols_ = cols;
    changes_.shape = true;
}

void TextGrid::clear() {
    rows_ = 0;
    cols_ = 0;
    cells_.clear();
    widths_.clear();
    shared_.clear();
    changes_ = Changes{};
    changes_.shape = true;
}

void TextGrid::removeRow(int row) {
    if (row < 0 || row >= rows_) return;
    cells_.erase(cells_.begin() + row);
    --rows_;
    changes_.shape = true;
}

const QString& TextGrid::text(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return emptyText();
    return cells_[std::size_t(row)].text[std::size_t(col)];
}

void TextGrid::setText(int row, int col, const QString& text) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
    QString& cell = cells_[std::size_t(row)].text[std::size_t(col)];
    if (cell == text) return;
    cell = sharedCopy(shared_, text);
    markCell(row, col);
}

PaletteColour TextGrid::colour(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return PaletteColour::White;
    return cells_[std::size_t(row)].colour[std::size_t(col)];
}

void TextGrid::setColour(int row, int col, PaletteColour colour) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
    PaletteColour& cell = cells_[std::size_t(row)].colour[std::size_t(col)];
    if (cell == colour) return;
    cell = colour;
    markCell(row, col);
}

int TextGrid::columnWidth(int col) const {
    if (col < 0 || col >= cols_) return 0;
    return widths_[std::size_t(col)];
}

void TextGrid::setColumnWidth(int col, int pixels) {
    if (col < 0 || col >= cols_) return;
    int& width = widths_[std::size_t(col)];
    if (width == pixels) return;
    width = pixels;
    changes_.shape = true;
}

TextGrid::Changes TextGrid::takeChanges() {
    const Changes taken = changes_;
    changes_ = Changes{};
    return taken;
}

void TextGrid::markCell(int row, int col) {
    if (!changes_.cells) {
        changes_.cells = true;
        changes_.top = changes_.bottom = row;
        changes_.left = changes_.right = col;
        return;
    }
    changes_.top = std::min(changes_.top, row);
    changes_.bottom = std::max(changes_.bottom, row);
    changes_.left = std::min(changes_.left, col);
    changes_.right = std::max(changes_.right, col);
}

}  // namespace tarrow
