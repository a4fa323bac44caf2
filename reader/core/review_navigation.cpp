#include "reader/core/review_navigation.h"

#include <algorithm>

#include "reader/core/palette.h"

namespace tarrow {
namespace {

/// Doubtful items in one row, in order, as the callback wants them; stops
/// when the callback returns true.
template <typename Visit>
bool visitRow(const ResultTable& table, int row, Visit&& visit) {
    const int n = table.questionCount();
    if (n == 0) return false;
    if (table.isFailedRow(row)) return visit(GridCell{row, 1});
    for (int col = 1; col <= n; ++col)
        if (isDoubtfulCell(table, row, col) && visit(GridCell{row, col})) return true;
    return false;
}

/// Reading-order rank of a cell: rows first, then columns (label column 0
/// before every question column).
long long rank(const ResultTable& table, GridCell cell) {
    return (long long)cell.row * (table.cols() + 1) + cell.col;
}

}  // namespace

bool isDoubtfulCell(const ResultTable& table, int row, int col) {
    if (row < ResultTable::kFirstSheetRow || !table.isQuestionColumn(col)) return false;
    return table.doubt(row, col) != strovik::ReviewKind::None;
}

std::optional<GridCell> nextDoubtfulCell(const ResultTable& table, GridCell from,
                                         ReviewDirection direction) {
    const int first = ResultTable::kFirstSheetRow;
    const int last = table.rows() - 1;
    const long long fromRank = rank(table, from);
    const bool forward = direction == ReviewDirection::Forward;
    // The first item of a row beyond `limit` in the walking direction.
    const auto itemIn = [&](int row, long long limit) {
        std::optional<GridCell> item;
        visitRow(table, row, [&](GridCell cell) {
            const long long r = rank(table, cell);
            if (forward ? r > limit : r < limit) {
                item = cell;
                return forward;  // forwards the first one, backwards the last
            }
            return false;
        });
        return item;
    };
    const int step = forward ? 1 : -1;
    const long long anywhere = forward ? -1 : rank(table, {last + 1, 0});
    // From `from` to the end, then once round from the other end.
    for (int row = forward ? std::max(from.row, first) : std::min(from.row, last);
         row >= first && row <= last; row += step)
        if (const auto item = itemIn(row, fromRank)) return item;
    for (int row = forward ? first : last; row >= first && row <= last; row += step)
        if (const auto item = itemIn(row, anywhere)) return item;
    return std::nullopt;
}

ReviewPosition reviewPosition(const ResultTable& table, GridCell at) {
    ReviewPosition position;
    for (int row = ResultTable::kFirstSheetRow; row < table.rows(); ++row) {
        visitRow(table, row, [&](GridCell cell) {
            ++position.total;
            if (cell == at) position.number = position.total;
            return false;
        });
    }
    return position;
}

std::optional<GridCell> ReviewPass::step(const ResultTable& table, GridCell cursor,
                                         ReviewDirection direction) {
    const std::optional<GridCell> next = nextDoubtfulCell(table, last_.value_or(cursor), direction);
    if (next) last_ = next;
    return next;
}

ReviewCounts reviewCounts(const ResultTable& table) {
    ReviewCounts counts;
    for (int row = ResultTable::kFirstSheetRow; row < table.rows(); ++row) {
        if (table.isFailedRow(row)) ++counts.failedSheets;
        visitRow(table, row, [&](GridCell cell) {
            ++counts.doubtful;
            if (table.doubt(cell.row, cell.col) == strovik::ReviewKind::Doubled) ++counts.doubled;
            return false;
        });
    }
    return counts;
}

QString doubledCountText(int doubled) {
    if (doubled <= 0) return {};
    return QStringLiteral("複数マークの疑い: %1件").arg(doubled);
}

QString doubledNotice(int doubled) {
    if (doubled <= 0) return {};
    return doubledCountText(doubled) + QStringLiteral(" (F3で確認)");
}

QStringList failedSheetLabels(const ResultTable& table) {
    QStringList labels;
    for (int row = ResultTable::kFirstSheetRow; row < table.rows(); ++row) {
        if (table.isFailedRow(row)) labels << table.text(row, ResultTable::kLabelColumn);
    }
    return labels;
}

QString failedSheetsText(const ResultTable& table) {
    const QStringList labels = failedSheetLabels(table);
    if (labels.isEmpty()) return {};
    return QStringLiteral("読取失敗 %1件").arg(labels.size()) + QStringLiteral("\r\n") +
           labels.join(QStringLiteral("\r\n"));
}

QString reviewStatusText(const ReviewPosition& position) {
    if (position.total == 0) return QStringLiteral("要確認のセルはありません");
    return QStringLiteral("要確認 %1/%2 (残り%3件)")
        .arg(position.number)
        .arg(position.total)
        .arg(position.total - position.number);
}

}  // namespace tarrow
