// Walking a batch's doubtful cells for review: the cells the colouring marks
// red (no mark), light cyan (faint mark) or grey (several marks), in reading
// order (sheet rows top to bottom, question columns left to right). A failed
// sheet is one doubtful item, its first question cell, however many of its
// cells are red.
#pragma once

#include <QString>
#include <optional>

#include "reader/core/result_table.h"

namespace tarrow {

struct GridCell {
    int row = 0;
    int col = 0;
    bool operator==(const GridCell&) const = default;
};

enum class ReviewDirection { Forward, Backward };

/// Whether a cell, by its colour, needs a look.
bool isDoubtfulCell(const ResultTable& table, int row, int col);

/// The doubtful item after (or before) `from` in reading order, wrapping
/// round the table once; nullopt when there is none. `from` may be any
/// cell, a header cell or the label column included.
std::optional<GridCell> nextDoubtfulCell(const ResultTable& table, GridCell from,
                                         ReviewDirection direction);

/// Position of `at` among the doubtful items: its 1-based number (0 when
/// `at` is not one) and the total.
struct ReviewPosition {
    int number = 0;
    int total = 0;
};
ReviewPosition reviewPosition(const ResultTable& table, GridCell at);

/// The status text after a jump: "要確認 n/N" and how many are left after
/// it, or "要確認のセルはありません" when there is none.
QString reviewStatusText(const ReviewPosition& position);

}  // namespace tarrow
