// Re-evaluation of the result table under the four thresholds of the result
// window: single-answer values fall to "-1" below the no-mark density, the
// values of multi-answer questions are rebuilt from their dot counts, and
// every sheet cell gets the background that makes doubtful marks stand out.
#pragma once

#include <QString>

#include "reader/core/result_table.h"

namespace tarrow {

/// The four threshold boxes as the user typed them; they are read as numbers
/// only when a cell needs them. Defaults are those of the application
/// settings.
struct ThresholdTexts {
    QString noMark;      ///< density below which a question counts as unmarked
    QString faintMark;   ///< density below which a mark counts as faint
    QString multiValue;  ///< dots above which a choice counts as marked
    QString multiRange;  ///< half-width of the attention band around multiValue

    /// "2.0", "3.0", "150", "50": what the reset button puts into the boxes.
    static ThresholdTexts defaults();
};

struct PaintOptions {
    bool tenToZero = false;    ///< a choice 10 reads "0" (and "0" back to "10" when off)
    bool multiMarked = false;  ///< grey single-answer cells with two or more marks
};

struct PaintOutcome {
    /// A multi-answer cell (header starting with "*") was walked: the
    /// multi-answer threshold boxes are to be shown, else hidden. After a
    /// stop the boxes keep whatever state they had.
    bool showMultiControls = false;
    /// The walk stopped at a threshold or measurement that is not a number;
    /// cells before it carry their new values and colours, the rest are
    /// untouched, and the caller shows kInvalidThresholdStatus.
    bool stoppedOnInvalid = false;
};

inline const QString kInvalidThresholdStatus =
    QStringLiteral(u"ﾏｰｸ無し閾値または薄いﾏｰｸ閾値の値が不正です");

/// Walks every sheet row (rows 3 .. last row of Grid) and question column,
/// row by row, re-deriving and colouring each cell from the measurements in
/// the table's ReliGrid. Multi-answer columns are widened to 42 pixels.
PaintOutcome paintColor(ResultTable& table, const ThresholdTexts& thresholds,
                        const PaintOptions& options);

}  // namespace tarrow
