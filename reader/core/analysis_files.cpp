#include "reader/core/analysis_files.h"

#include <QFileInfo>
#include <algorithm>

#include "reader/core/csv_text.h"
#include "reader/core/student_number.h"

namespace tarrow {
namespace {

QStringList choiceHeaders(int maxChoice) {
    QStringList fields;
    for (int k = 1; k <= maxChoice; ++k) fields.append(QStringLiteral("選択%1").arg(k));
    return fields;
}

QStringList countFields(const ChoiceCounts& counts) {
    QStringList fields;
    for (const int n : counts.choices) fields.append(QString::number(n));
    return fields;
}

QString percentOf(int count, int students) {
    return students > 0 ? fixedRatio(std::int64_t(count) * 100, students, 1) : QString();
}

}  // namespace

AnalysisInput analysisInputOf(const ResultTable& table) {
    AnalysisInput input;
    const int n = table.questionCount();
    for (int c = 1; c <= n; ++c) {
        input.columns.push_back({table.text(ResultTable::kHeaderRow, c), table.key(c),
                                 table.text(ResultTable::kPointsRow, c),
                                 table.isMultiAnswerColumn(c)});
    }
    const std::optional<NumberRun> numberRun = numberRunOf(table);
    for (int s = 1; s <= table.rows() - ResultTable::kFirstSheetRow; ++s) {
        const int row = ResultTable::rowOfSheet(s);
        AnalysisSheet sheet;
        sheet.label = table.text(row, ResultTable::kLabelColumn);
        if (numberRun) sheet.number = studentNumberAt(table, row, *numberRun);
        sheet.failed = table.isFailedRow(row);
        for (int c = 1; c <= n; ++c) {
            sheet.values.append(table.text(row, c));
            sheet.markedCounts.push_back(
                table.measurement(row, table.markedCountColumn(c)).toInt());
        }
        input.sheets.push_back(std::move(sheet));
    }
    return input;
}

std::vector<std::size_t> studentsByNumber(const std::vector<StudentResult>& students) {
    std::vector<std::size_t> order(students.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const QString& na = students[a].number;
        const QString& nb = students[b].number;
        if (na.isEmpty() || nb.isEmpty()) return !na.isEmpty() && nb.isEmpty();
        return na < nb;
    });
    return order;
}

AnalysisPaths analysisPathsFor(const QString& output) {
    const QFileInfo info(output);
    const QString dir = info.path();
    const QString base = (dir == QLatin1String(".") && !output.startsWith(QLatin1String("./"))
                              ? QString()
                              : dir + QLatin1Char('/')) +
                         info.completeBaseName();
    return {
        base + QStringLiteral("-設問分析.csv"),       base + QStringLiteral("-分析.pdf"),
        base + QStringLiteral("-個人票.pdf"),         base + QStringLiteral("-アンケート集計.csv"),
        base + QStringLiteral("-アンケート集計.pdf"), base + QStringLiteral(".xlsx")};
}

QString rateText(const ItemStats& item) {
    return percentOf(item.right, item.students);
}

QString discriminationText(const ItemStats& item) {
    if (item.groupSize == 0) return {};
    return fixedRatio(item.upperRight - item.lowerRight, item.groupSize, 2);
}

QString pointBiserialText(const ItemStats& item) {
    return item.pointBiserial ? fixedReal(*item.pointBiserial, 3) : QString();
}

std::vector<SummaryField> summaryFields(const TestSummary& s) {
    const bool any = s.students > 0;
    auto when = [any](const QString& text) { return any ? text : QString(); };
    return {
        {QStringLiteral("人数"), QString::number(s.students)},
        {QStringLiteral("平均点"), when(any ? fixedRatio(s.sum, s.students, 2) : QString())},
        {QStringLiteral("標準偏差"), when(fixedReal(s.standardDeviation, 2))},
        {QStringLiteral("中央値"), when(fixedRatio(s.medianTwice, 2, 2))},
        {QStringLiteral("最高点"), when(QString::number(s.highest))},
        {QStringLiteral("最低点"), when(QString::number(s.lowest))},
        {QStringLiteral("KR-20"), s.kr20 ? fixedReal(*s.kr20, 3) : QString()},
    };
}

QStringList itemAnalysisLines(const ItemAnalysis& a) {
    QStringList header{QStringLiteral("設問番号"), QStringLiteral("列番号"),
                       QStringLiteral("正答"),     QStringLiteral("配点"),
                       QStringLiteral("人数"),     QStringLiteral("正答率"),
                       QStringLiteral("識別指数"), QStringLiteral("点双列相関"),
                       QStringLiteral("無答"),     QStringLiteral("複数")};
    header += choiceHeaders(a.maxChoice);
    QStringList lines{joinFields(header)};
    for (const ItemStats& it : a.items) {
        QStringList fields{QString::number(it.number),
                           it.header,
                           it.key,
                           QString::number(it.points),
                           QString::number(it.students),
                           rateText(it),
                           discriminationText(it),
                           pointBiserialText(it),
                           QString::number(it.counts.noAnswer),
                           QString::number(it.counts.several)};
        fields += countFields(it.counts);
        lines.append(joinFields(fields));
    }
    lines.append(QString());
    for (const SummaryField& f : summaryFields(a.summary)) {
        lines.append(joinFields({f.label, f.text}));
    }
    return lines;
}

QStringList surveyLines(const ItemAnalysis& a) {
    const QStringList tail =
        QStringList{QStringLiteral("人数"), QStringLiteral("無答"), QStringLiteral("複数")} +
        choiceHeaders(a.maxChoice);
    QStringList lines{joinFields(QStringList{QStringLiteral("列番号")} + tail)};
    for (const SurveyQuestion& q : a.survey) {
        QStringList fields{q.header, QString::number(q.students),
                           QString::number(q.counts.noAnswer), QString::number(q.counts.several)};
        fields += countFields(q.counts);
        lines.append(joinFields(fields));
    }
    lines.append(QString());
    lines.append(joinFields(QStringList{QStringLiteral("割合(%)")} + tail));
    for (const SurveyQuestion& q : a.survey) {
        QStringList fields{q.header, QString::number(q.students),
                           percentOf(q.counts.noAnswer, q.students),
                           percentOf(q.counts.several, q.students)};
        for (const int n : q.counts.choices) fields.append(percentOf(n, q.students));
        lines.append(joinFields(fields));
    }
    return lines;
}

}  // namespace tarrow
