// Answer key and scoring on the result table: which questions are scored,
// how a read value is matched against its key, the right / wrong colouring,
// and taking the first sheet as the key or points sheet.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "reader/core/prompter.h"
#include "reader/core/result_table.h"

namespace tarrow {

/// Removes leading and trailing blanks and reduces every run of blanks to one.
QString normaliseBlanks(const QString& text);

/// A question is scored when its key cell is not empty, "+" or "-".
bool isScoredKey(const QString& key);

/// Does read value `value` match key `key`?
/// Single-answer question: the key (blank-normalised) lists accepted answers
/// separated by blanks; the value must equal one of them as text ("01" does
/// not accept "1"). Several-answer question (`multiAnswer`): both are
/// normalised and split at blanks; they match when they have the same number
/// of parts and every key part, as an integer, equals some value part.
bool answerMatches(const QString& value, const QString& key, bool multiAnswer);

/// A key prepared once for matching the values of many sheets, with the
/// rules of answerMatches.
class KeyMatcher {
public:
    KeyMatcher(const QString& key, bool multiAnswer);
    bool matches(const QString& value) const;

private:
    bool multi_;
    QStringList parts_;      ///< accepted answers (single-answer question)
    std::vector<int> ints_;  ///< key parts as integers (several answers)
    bool allIntegers_ = true;
};

/// Points of a scored question: the points cell as an integer; empty is 1,
/// text that is no number counts 0.
int pointsOf(const QString& pointsCell);

/// The running number line of scored questions ("設問番号", then 1, 2, ...
/// for scored columns and an empty field for the others).
QStringList questionNumberFields(const ResultTable& table);

/// Colours every sheet cell of columns 1..N: white when the question is not
/// scored, light yellow when the value matches, light red for "-1" and for
/// every cell of a failed sheet, light magenta otherwise. With no scored question it shows the
/// warning "正答が入力されていません。…" instead and returns false.
bool colourScores(ResultTable& table, Prompter& prompter);

enum class FirstSheetRole { AnswerKey, Points };

/// Takes the first sheet (row 3) as the answer-key or points sheet: after the
/// Yes/No question its values become row 1 (or 2) and the sheet is removed.
/// Does nothing and asks nothing without a sheet row. Returns true when the
/// table changed.
bool takeFirstSheetAs(ResultTable& table, Prompter& prompter, FirstSheetRole role);

}  // namespace tarrow
