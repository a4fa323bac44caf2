// The item analysis as the program saves it: the input taken from the result
// table, the names of the analysis files beside a chosen output name, and the
// lines of the analysis CSV files (CP932, CR LF through writeLinesAtomically).
#pragma once

#include <QString>
#include <QStringList>

#include "reader/core/item_analysis.h"
#include "reader/core/result_table.h"

namespace tarrow {

/// The table's question columns and sheet rows as analysis input: header,
/// key and points cells, values, marked counts, the failed-sheet test and
/// the student number when the key row has a number run.
AnalysisInput analysisInputOf(const ResultTable& table);

/// The files of the analysis named after `output` (its extension dropped):
/// "OUT.csv" gives "OUT-設問分析.csv", "OUT-分析.pdf", "OUT-個人票.pdf",
/// "OUT-アンケート集計.csv", "OUT-アンケート集計.pdf" and the workbook
/// "OUT.xlsx".
struct AnalysisPaths {
    QString itemsCsv, reportPdf, slipsPdf, surveyCsv, surveyPdf, workbook;
};
AnalysisPaths analysisPathsFor(const QString& output);

/// The item analysis file: the header "設問番号,列番号,正答,配点,人数,正答率,
/// 識別指数,点双列相関,無答,複数,選択1..選択N", one line per scored question,
/// an empty line and the summary lines 人数, 平均点, 標準偏差, 中央値, 最高点,
/// 最低点, KR-20. Figures with no students (or no variation) are empty.
QStringList itemAnalysisLines(const ItemAnalysis& analysis);

/// The survey file: "列番号,人数,無答,複数,選択1..選択N" with the counts of
/// every question without a key, an empty line, then the same header with
/// "割合(%)" in front and the counts as percentages of 人数 (one decimal).
QStringList surveyLines(const ItemAnalysis& analysis);

/// Summary figures as printed: 人数, 平均点, 標準偏差, 中央値, 最高点, 最低点,
/// KR-20 (label and text each).
struct SummaryField {
    QString label, text;
};
std::vector<SummaryField> summaryFields(const TestSummary& summary);

/// The students in the order of their numbers (as text; equal numbers in
/// row order), those without a number after them in row order: indexes
/// into `students`.
std::vector<std::size_t> studentsByNumber(const std::vector<StudentResult>& students);

/// The right rate ("0.0"), discrimination ("0.00") and point-biserial
/// ("0.000") of an item as printed; empty with no students / no variation.
QString rateText(const ItemStats& item);
QString discriminationText(const ItemStats& item);
QString pointBiserialText(const ItemStats& item);

}  // namespace tarrow
