// Walking a batch's doubtful cells for review: the cells the last
// re-evaluation found doubtful by the review rule (no mark, faint mark,
// doubled mark, several-answer band; a typed value is reviewed and no longer
// doubtful), in reading order (sheet rows top to bottom, question columns
// left to right). A failed sheet is one doubtful item, its first question
// cell, however many of its cells are red.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "reader/core/result_table.h"

namespace tarrow {

struct GridCell {
    int row = 0;
    int col = 0;
    bool operator==(const GridCell&) const = default;
};

enum class ReviewDirection { Forward, Backward };

/// Whether a cell needs a look (its kept doubt is not None).
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

/// One review pass: each step walks on from the item it showed last, not
/// from the cursor, so a cursor moved meanwhile (Enter after a typed value
/// moves it one column right, maybe onto the next item) skips nothing. The
/// first step starts from the cursor.
class ReviewPass {
public:
    std::optional<GridCell> step(const ResultTable& table, GridCell cursor,
                                 ReviewDirection direction);
    /// A new table: the next step starts from the cursor again.
    void reset() { last_.reset(); }

private:
    std::optional<GridCell> last_;
};

/// What a batch holds for review.
struct ReviewCounts {
    int doubtful = 0;      ///< doubtful items (a failed sheet counts once)
    int doubled = 0;       ///< answered single-answer cells with two or more marks
    int failedSheets = 0;  ///< sheets the engine could not read
};
ReviewCounts reviewCounts(const ResultTable& table);

/// "複数マークの疑い: n件": how many cells carry two marks; empty when n
/// is 0. The command line prints it as it is.
QString doubledCountText(int doubled);

/// doubledCountText() and " (F3で確認)", as the result window says it at
/// the end of a run; empty when n is 0.
QString doubledNotice(int doubled);

/// The labels of the failed sheets, in table order.
QStringList failedSheetLabels(const ResultTable& table);

/// "読取失敗 n件" and, one per line (CR LF), the label of each failed
/// sheet; empty when every sheet was read.
QString failedSheetsText(const ResultTable& table);

/// The status text after a jump: "要確認 n/N" and how many are left after
/// it, or "要確認のセルはありません" when there is none.
QString reviewStatusText(const ReviewPosition& position);

}  // namespace tarrow
