// Each sheet's total score, as the result window shows it after scoring in
// a column of its own beside the table (the table and its files keep their
// layout).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "reader/core/result_table.h"

namespace tarrow {

/// The total of every sheet, in sheet order (element s-1 for sheet s): the
/// points (points cell as pointsOf() reads it, empty is 1) of each scored
/// question whose value matches the key (answerMatches() rules). A sheet the
/// engine failed on has no total (nullopt): it was not read, so it did not
/// score 0. Empty when no question is scored.
std::vector<std::optional<std::int64_t>> sheetTotals(const ResultTable& table);

}  // namespace tarrow
