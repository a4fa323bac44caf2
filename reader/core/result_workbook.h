// The tables of a batch as workbook sheets: the read values ("読取値") and,
// when a question is scored, the scores ("採点値"), exactly as their CSV
// files hold them; the item analysis ("設問分析") or, without a key, the
// survey counts ("アンケート集計"), as their CSV files hold them.
#pragma once

#include <vector>

#include "reader/core/item_analysis.h"
#include "reader/core/result_table.h"
#include "reader/core/xlsx_workbook.h"

namespace tarrow {

/// Read values and scores of `table`. The table is not changed (the score
/// lines are made from a copy). Joined-number columns stay text; the three
/// header rows and the label column are frozen.
std::vector<XlsxTable> resultSheets(const ResultTable& table);

/// The item analysis (or survey) sheet, its header row frozen.
XlsxTable analysisSheet(const ItemAnalysis& analysis);

}  // namespace tarrow
