// The files written from (and read into) the result table: the read-values
// CSV ("-読取値.csv"), the score file ("-採点値.csv") and the answers-by-choice
// file ("-回答別.csv"). All are CP932 with CR LF line ends and unquoted
// fields; every write goes through a temporary file, so a failure leaves an
// existing file intact.
#pragma once

#include <QString>

#include "reader/core/result_table.h"

namespace tarrow {

/// `folder`/`base` followed by "-読取値.csv", "-採点値.csv" or "-回答別.csv".
QString readValuesPath(const QString& folder, const QString& base);
QString scorePath(const QString& folder, const QString& base);
QString answersByChoicePath(const QString& folder, const QString& base);

/// The lines of the read-values file: header, key and points lines cell by
/// cell, sheet lines through the join rule; transposed when asked.
QStringList readValuesLines(const ResultTable& table, bool transpose);

/// Writes the read-values file (readValuesLines). Returns false with a
/// one-line `error` when the file could not be written.
bool writeReadValues(const ResultTable& table, const QString& path, bool transpose,
                     QString* error = nullptr);

/// True when some question has a key cell that is neither empty, "+" nor "-".
bool anyQuestionScored(const ResultTable& table);

/// The lines of the score file. Like saving, this writes empty points cells
/// of scored questions as "1" into the table and colours unscored sheet
/// cells.
QStringList scoreFileLines(ResultTable& table, bool transpose);

/// Writes the score file (scoreFileLines).
bool writeScoreFile(ResultTable& table, const QString& path, bool transpose,
                    QString* error = nullptr);

/// The answers-by-choice file for choices 1..maxChoices.
bool writeAnswersByChoice(const ResultTable& table, const QString& path, int maxChoices,
                          bool tenToZero, QString* error = nullptr);

enum class LoadOutcome {
    Loaded,
    NotReadValues,  ///< the first line does not start with "列番号"; table untouched
    Unreadable,     ///< the file could not be opened or read; table untouched
    ScoreFile,      ///< a score file (also transposed), not read values; table untouched
};

/// True when the lines are those of a score file: the first line starts
/// with "列番号" and ends with the "合計点" field, or (transposed) ends with the
/// fields "設問番号" and "正答率". Such a file would load as sheets whose values
/// are points.
bool isScoreFileLines(const QStringList& lines);

/// isScoreFileLines() for the file at `path`; false when it cannot be read.
bool isScoreFile(const QString& path);

/// Rebuilds the table from a read-values file as the CSV opener does
/// (initMarks with `definitionPath`, key and points lines, one sheet per
/// line with placeholder measurements, "*" column widths). The sheet list
/// is left empty; the caller fills it.
LoadOutcome loadReadValues(ResultTable& table, const QString& path, const QString& definitionPath,
                           bool tenToZero, int* sheetLines = nullptr);

}  // namespace tarrow
