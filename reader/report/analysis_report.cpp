#include "reader/report/analysis_report.h"

#include <QFontMetricsF>
#include <algorithm>

#include "reader/core/analysis_files.h"
#include "reader/core/item_flags.h"
#include "reader/report/analysis_charts.h"
#include "reader/report/pdf_document.h"

namespace tarrow {
namespace {

constexpr int kHistogramBins = 20;
constexpr qreal kRowHeight = 13.0;
constexpr int kChartColumns = 3;
constexpr int kChartRows = 5;
constexpr int kListBlocks = 3;
const QColor kFlagColour(200, 0, 0);

/// Draws the heading of a page and returns the y below it.
qreal heading(PdfDocument& doc, const QString& title, const QString& source) {
    QPainter& p = doc.painter();
    const QRectF a = doc.area();
    p.setFont(PdfDocument::font(15, true));
    p.drawText(QRectF(a.left(), a.top(), a.width(), 22), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(PdfDocument::font(8.5));
    p.drawText(QRectF(a.left(), a.top() + 24, a.width(), 12), Qt::AlignLeft | Qt::AlignVCenter,
               source);
    p.setFont(PdfDocument::font(9));
    return a.top() + 44;
}

qreal summaryBlock(PdfDocument& doc, const ItemAnalysis& a, qreal y) {
    QPainter& p = doc.painter();
    const QRectF area = doc.area();
    const QString failed = QStringLiteral("読み取れなかったシート %1 件は集計から除いています。")
                               .arg(a.summary.failedSheets);
    p.drawText(QRectF(area.left(), y, area.width(), kRowHeight), Qt::AlignLeft, failed);
    y += kRowHeight * 1.5;
    std::vector<SummaryField> fields = summaryFields(a.summary);
    fields.insert(fields.begin() + 1,
                  {QStringLiteral("設問数"), QString::number(qsizetype(a.items.size()))});
    for (const SummaryField& f : fields) {
        p.drawText(QRectF(area.left(), y, 90, kRowHeight), Qt::AlignLeft, f.label);
        p.drawText(QRectF(area.left() + 90, y, 80, kRowHeight), Qt::AlignRight, f.text);
        y += kRowHeight;
    }
    return y + kRowHeight;
}

qreal histogramBlock(PdfDocument& doc, const ItemAnalysis& a, qreal y) {
    QPainter& p = doc.painter();
    const QRectF area = doc.area();
    p.setFont(PdfDocument::font(11, true));
    p.drawText(QRectF(area.left(), y, area.width(), 16), Qt::AlignLeft, QStringLiteral("得点分布"));
    p.setFont(PdfDocument::font(7.5));
    const QRectF chart(area.left(), y + 20, area.width(), 220);
    paintBarChart(p, chart, histogramChart(histogramOf(a, kHistogramBins)));
    p.setFont(PdfDocument::font(9));
    return chart.bottom() + kRowHeight;
}

struct Column {
    QString title;
    qreal width;
};

const std::vector<Column>& tableColumns() {
    static const std::vector<Column> columns{
        {QStringLiteral("設問"), 34},       {QStringLiteral("列"), 34},
        {QStringLiteral("正答"), 44},       {QStringLiteral("配点"), 32},
        {QStringLiteral("正答率"), 44},     {QStringLiteral("識別指数"), 48},
        {QStringLiteral("点双列相関"), 56}, {QStringLiteral("無答"), 32},
        {QStringLiteral("複数"), 32},       {QStringLiteral("判定"), 160}};
    return columns;
}

void tableRow(QPainter& p, qreal left, qreal y, const QStringList& cells, bool header) {
    qreal x = left;
    const auto& cols = tableColumns();
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const bool flags = i + 1 == cols.size();
        p.setPen(!header && flags ? kFlagColour : QColor(Qt::black));
        p.drawText(QRectF(x + 2, y, cols[i].width - 4, kRowHeight),
                   (flags ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                   cells.value(qsizetype(i)));
        x += cols[i].width;
    }
    p.setPen(QColor(190, 190, 190));
    p.drawLine(QPointF(left, y + kRowHeight), QPointF(x, y + kRowHeight));
    p.setPen(Qt::black);
}

QStringList itemCells(const ItemStats& it) {
    return {QString::number(it.number),
            it.header,
            it.key,
            QString::number(it.points),
            rateText(it),
            discriminationText(it),
            pointBiserialText(it),
            QString::number(it.counts.noAnswer),
            QString::number(it.counts.several),
            flagsText(it)};
}

void itemTable(PdfDocument& doc, const ItemAnalysis& a, qreal y) {
    QPainter& p = doc.painter();
    QStringList titles;
    for (const Column& c : tableColumns()) titles.append(c.title);
    const QRectF area = doc.area();
    p.setFont(PdfDocument::font(11, true));
    p.drawText(QRectF(area.left(), y, area.width(), 16), Qt::AlignLeft, QStringLiteral("設問別"));
    y += 20;
    p.setFont(PdfDocument::font(8));
    tableRow(p, area.left(), y, titles, true);
    y += kRowHeight;
    for (const ItemStats& it : a.items) {
        if (y + kRowHeight > area.bottom()) {
            doc.newPage();
            y = area.top();
            tableRow(p, area.left(), y, titles, true);
            y += kRowHeight;
        }
        tableRow(p, area.left(), y, itemCells(it), false);
        y += kRowHeight;
    }
}

/// The students by number with their totals, in kListBlocks blocks a page;
/// nothing when no sheet has a number.
void studentList(PdfDocument& doc, const ItemAnalysis& a) {
    const bool numbered = std::any_of(a.students.begin(), a.students.end(),
                                      [](const StudentResult& s) { return !s.number.isEmpty(); });
    if (!numbered) return;
    QPainter& p = doc.painter();
    const QRectF area = doc.area();
    const qreal blockWidth = area.width() / kListBlocks;
    const QStringList titles{QStringLiteral("学籍番号"), QStringLiteral("ファイル"),
                             QStringLiteral("合計点")};
    const std::vector<qreal> widths{56, 70, 34};
    const auto row = [&](qreal x, qreal y, const QStringList& texts) {
        for (std::size_t i = 0; i < widths.size(); ++i) {
            p.drawText(QRectF(x, y, widths[i] - 3, kRowHeight),
                       (i == 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                       texts.value(qsizetype(i)));
            x += widths[i];
        }
    };
    const qreal top = area.top() + 22;
    const std::size_t rows = std::size_t((area.bottom() - top) / kRowHeight) - 1;
    const std::vector<std::size_t> order = studentsByNumber(a.students);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::size_t slot = i % (rows * kListBlocks);
        if (slot == 0) {
            doc.newPage();
            p.setFont(PdfDocument::font(11, true));
            p.drawText(QRectF(area.left(), area.top(), area.width(), 16), Qt::AlignLeft,
                       QStringLiteral("学籍番号順の合計点"));
            p.setFont(PdfDocument::font(8));
            for (int b = 0; b < kListBlocks; ++b) row(area.left() + blockWidth * b, top, titles);
        }
        const StudentResult& s = a.students[order[i]];
        const QString number = s.number.isEmpty() ? QStringLiteral("（なし）") : s.number;
        row(area.left() + blockWidth * qreal(slot / rows),
            top + kRowHeight * qreal(slot % rows + 1), {number, s.label, QString::number(s.total)});
    }
}

/// Charts in a grid of kChartColumns x kChartRows per page, each with its
/// title above.
template <typename Each>
void chartPages(PdfDocument& doc, const QString& title, std::size_t count, Each&& each) {
    QPainter& p = doc.painter();
    const QRectF area = doc.area();
    const qreal top = area.top() + 22;
    const qreal w = area.width() / kChartColumns;
    const qreal h = (area.bottom() - top) / kChartRows;
    const std::size_t perPage = kChartColumns * kChartRows;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t slot = i % perPage;
        if (slot == 0) {
            doc.newPage();
            p.setFont(PdfDocument::font(11, true));
            p.drawText(QRectF(area.left(), area.top(), area.width(), 16), Qt::AlignLeft, title);
        }
        const QRectF cell(area.left() + w * qreal(slot % kChartColumns),
                          top + h * qreal(slot / kChartColumns), w, h);
        const auto [caption, chart] = each(i);
        p.setFont(PdfDocument::font(8, true));
        p.drawText(QRectF(cell.left() + 4, cell.top(), cell.width() - 8, 12), Qt::AlignLeft,
                   caption);
        p.setFont(PdfDocument::font(6.5));
        paintBarChart(p, cell.adjusted(6, 16, -6, -10), chart);
    }
}

}  // namespace

bool writeAnalysisReport(const ItemAnalysis& a, const QString& source, const QString& path,
                         QString* error) {
    PdfDocument doc(QStringLiteral("設問分析"));
    qreal y = heading(doc, QStringLiteral("設問分析レポート"), source);
    y = summaryBlock(doc, a, y);
    y = histogramBlock(doc, a, y);
    itemTable(doc, a, y);
    studentList(doc, a);
    chartPages(doc, QStringLiteral("設問別の選択肢（橙が正答）"), a.items.size(),
               [&](std::size_t i) {
                   const ItemStats& it = a.items[i];
                   const QString caption = QStringLiteral("設問%1（列 %2） 正答 %3 正答率 %4%")
                                               .arg(it.number)
                                               .arg(it.header, it.key, rateText(it));
                   return std::pair{caption, choiceChart(it.counts, it.students, it.keyChoices)};
               });
    return doc.save(path, error);
}

bool writeSurveyReport(const ItemAnalysis& a, const QString& source, const QString& path,
                       QString* error) {
    PdfDocument doc(QStringLiteral("アンケート集計"));
    qreal y = heading(doc, QStringLiteral("アンケート集計"), source);
    doc.painter().drawText(
        QRectF(doc.area().left(), y, doc.area().width(), kRowHeight), Qt::AlignLeft,
        QStringLiteral("回答数 %1 件（読み取れなかったシート %2 件を除く）、設問 %3 問")
            .arg(a.summary.students)
            .arg(a.summary.failedSheets)
            .arg(qsizetype(a.survey.size())));
    chartPages(doc, QStringLiteral("設問別の回答数と割合"), a.survey.size(), [&](std::size_t i) {
        const SurveyQuestion& q = a.survey[i];
        BarChart chart = choiceChart(q.counts, q.students, {});
        chart.percent = true;
        return std::pair{QStringLiteral("列 %1").arg(q.header), chart};
    });
    return doc.save(path, error);
}

}  // namespace tarrow
