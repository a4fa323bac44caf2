#include "reader/core/result_workbook.h"

#include "reader/core/analysis_files.h"
#include "reader/core/result_files.h"

namespace tarrow {
namespace {

constexpr int kHeaderRows = 3;

/// Columns of join runs ("+" / "-" keys) hold digits that belong together.
std::vector<bool> joinedColumns(const ResultTable& table) {
    std::vector<bool> text(std::size_t(table.questionCount()) + 1, false);
    for (int c = 1; c <= table.questionCount(); ++c) {
        const QString& key = table.key(c);
        text[std::size_t(c)] = key == QLatin1String("+") || key == QLatin1String("-");
    }
    return text;
}

}  // namespace

std::vector<XlsxTable> resultSheets(const ResultTable& table) {
    const std::vector<bool> text = joinedColumns(table);
    std::vector<XlsxTable> sheets;
    sheets.push_back({QStringLiteral("読取値"), rowsOfLines(readValuesLines(table, false)),
                      kHeaderRows, 1, text});
    if (anyQuestionScored(table)) {
        ResultTable copy = table;
        sheets.push_back({QStringLiteral("採点値"), rowsOfLines(scoreFileLines(copy, false)),
                          kHeaderRows, 1, text});
    }
    return sheets;
}

XlsxTable analysisSheet(const ItemAnalysis& analysis) {
    if (analysis.hasKey()) {
        // 正答 (column 2) holds key text such as "1 3".
        return {QStringLiteral("設問分析"),
                rowsOfLines(itemAnalysisLines(analysis)),
                1,
                0,
                {false, true, true}};
    }
    return {QStringLiteral("アンケート集計"), rowsOfLines(surveyLines(analysis)), 1, 1, {true}};
}

}  // namespace tarrow
