#include "reader/ui/grid_column_widths.h"

#include <algorithm>

#include "reader/core/result_table.h"
#include "reader/core/text_grid.h"

namespace tarrow {

int displayColumnWidth(const TextGrid& grid, int col, const QFontMetrics& metrics) {
    const int nominal = grid.columnWidth(col);
    if (nominal <= 0) return 0;
    const int padding = 2 * metrics.horizontalAdvance(u' ');
    int needed = metrics.horizontalAdvance(grid.text(ResultTable::kHeaderRow, col));
    if (col == 0) {
        for (int row = 0; row < grid.rows() && needed < kMaxLabelWidth; ++row)
            needed = std::max(needed, metrics.horizontalAdvance(grid.text(row, 0)));
        needed = std::min(needed, kMaxLabelWidth);
    } else {
        needed = std::max(needed, metrics.horizontalAdvance(ResultTable::kNoAnswer));
    }
    return std::max(nominal, needed + padding);
}

}  // namespace tarrow
