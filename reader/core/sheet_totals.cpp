#include "reader/core/sheet_totals.h"

#include "reader/core/scoring.h"

namespace tarrow {

std::vector<std::optional<std::int64_t>> sheetTotals(const ResultTable& table) {
    const int questions = table.questionCount();
    // One matcher and one points value per scored question, made once.
    std::vector<std::pair<int, KeyMatcher>> scored;
    std::vector<int> points;
    for (int c = 1; c <= questions; ++c) {
        if (!isScoredKey(table.key(c))) continue;
        scored.emplace_back(c, KeyMatcher(table.key(c), table.isMultiAnswerColumn(c)));
        points.push_back(pointsOf(table.text(ResultTable::kPointsRow, c)));
    }
    std::vector<std::optional<std::int64_t>> totals;
    if (scored.empty()) return totals;
    totals.reserve(std::size_t(table.sheetCount()));
    for (int s = 1; s <= table.sheetCount(); ++s) {
        const int row = ResultTable::rowOfSheet(s);
        if (table.isFailedRow(row)) {
            totals.emplace_back();
            continue;
        }
        std::int64_t total = 0;
        for (std::size_t i = 0; i < scored.size(); ++i) {
            if (scored[i].second.matches(table.text(row, scored[i].first))) total += points[i];
        }
        totals.emplace_back(total);
    }
    return totals;
}

}  // namespace tarrow
