// The student number of a sheet: the digits of a number grid, read as
// ordinary single-answer questions and tied into one field by join markers
// in the answer-key row.
//
// Rules:
// - A run is a maximal stretch of adjacent question columns whose key cells
//   are all "+" or all "-" (the same marker throughout), as the join rule of
//   the output files groups them.
// - The number run is the first run (lowest columns) of kMinDigits to
//   kMaxDigits columns; shorter or longer runs are other joined fields.
// - A digit column's value is its digit: "0".."9", or "10" for the tenth
//   choice, which the printed grids label 0 (the 10→0 option writes it as
//   "0" already).
// - A table loaded from a read-values file holds the run joined: the earlier
//   cells empty and the last cell the concatenated digits; that shape is
//   taken as it stands when its length is the run's.
// - Any other value in the run (no mark "-1", several marks, a faint empty
//   cell) leaves the sheet without a number.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tarrow {

class ResultTable;

/// Fewest and most digits of a student number.
inline constexpr int kMinDigits = 4;
inline constexpr int kMaxDigits = 8;

/// Question columns first..last (1-based, inclusive).
struct NumberRun {
    int first = 0;
    int last = 0;
    int digits() const { return last - first + 1; }
    bool operator==(const NumberRun&) const = default;
};

/// The number run of the key row (`keys[c - 1]` is the key cell of column
/// c), or none.
std::optional<NumberRun> numberRunOf(const QStringList& keys);

/// The student number of a sheet (`values[c - 1]` is column c), or empty
/// when its run does not hold one digit per column.
QString studentNumberOf(const QStringList& values, const NumberRun& run);

/// The same over the result table: its key row, and the values of the
/// sheet at table row `row`.
std::optional<NumberRun> numberRunOf(const ResultTable& table);
QString studentNumberAt(const ResultTable& table, int row, const NumberRun& run);

}  // namespace tarrow
