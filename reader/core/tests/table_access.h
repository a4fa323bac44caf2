// Tests build result tables of any shape directly: access to the table's
// private grids, sheet list and offsets.
#pragma once

#include "reader/core/result_table.h"

namespace tarrow::testing {

struct TableAccess {
    static TextGrid& grid(ResultTable& table) { return table.grid_; }
    static TextGrid& reli(ResultTable& table) { return table.reli_; }
    static QStringList& sheets(ResultTable& table) { return table.sheets_; }
    static std::vector<int>& offsetX(ResultTable& table) { return table.offsetX_; }
    static std::vector<int>& offsetY(ResultTable& table) { return table.offsetY_; }
};

}  // namespace tarrow::testing
