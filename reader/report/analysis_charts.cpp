#include "reader/report/analysis_charts.h"

#include <QFontMetricsF>
#include <algorithm>

namespace tarrow {
namespace {

const QColor kBarColour(120, 144, 192);
const QColor kKeyColour(230, 150, 40);
const QColor kAxisColour(80, 80, 80);

QString countText(const BarChart& chart, std::size_t i) {
    const int n = chart.counts[i];
    if (!chart.percent || chart.total <= 0) return QString::number(n);
    return QStringLiteral("%1 (%2%)").arg(n).arg(fixedRatio(std::int64_t(n) * 100, chart.total, 1));
}

}  // namespace

BarChart choiceChart(const ChoiceCounts& counts, int students, const std::vector<int>& keyChoices) {
    BarChart chart;
    chart.total = students;
    for (std::size_t k = 0; k < counts.choices.size(); ++k) {
        chart.captions.append(QString::number(k + 1));
        chart.counts.push_back(counts.choices[k]);
        const bool isKey =
            std::find(keyChoices.begin(), keyChoices.end(), int(k) + 1) != keyChoices.end();
        chart.key.push_back(isKey ? 1 : 0);
    }
    chart.captions << QStringLiteral("無答") << QStringLiteral("複数");
    chart.counts.push_back(counts.noAnswer);
    chart.counts.push_back(counts.several);
    chart.key.push_back(0);
    chart.key.push_back(0);
    return chart;
}

BarChart histogramChart(const std::vector<HistogramBin>& bins) {
    BarChart chart;
    for (const HistogramBin& b : bins) {
        chart.captions.append(b.from == b.to ? QString::number(b.from)
                                             : QStringLiteral("%1-%2").arg(b.from).arg(b.to));
        chart.counts.push_back(b.count);
        chart.key.push_back(0);
        chart.total += b.count;
    }
    return chart;
}

void paintBarChart(QPainter& painter, const QRectF& area, const BarChart& chart) {
    const std::size_t n = chart.counts.size();
    if (n == 0 || area.width() <= 0 || area.height() <= 0) return;
    painter.save();
    const QFontMetricsF fm(painter.font());
    const qreal line = fm.height();
    const QRectF plot(area.left(), area.top() + line, area.width(), area.height() - 2.2 * line);
    const int highest = std::max(1, *std::max_element(chart.counts.begin(), chart.counts.end()));
    const qreal slot = plot.width() / qreal(n);
    const qreal bar = std::max<qreal>(1.0, slot * 0.7);
    painter.setPen(kAxisColour);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    for (std::size_t i = 0; i < n; ++i) {
        const qreal x = plot.left() + slot * qreal(i) + (slot - bar) / 2;
        const qreal h = plot.height() * chart.counts[i] / highest;
        const QRectF r(x, plot.bottom() - h, bar, h);
        painter.fillRect(r, chart.key[i] ? kKeyColour : kBarColour);
        const QRectF slotRect(plot.left() + slot * qreal(i), 0, slot, line);
        painter.setPen(Qt::black);
        painter.drawText(slotRect.translated(0, r.top() - line), Qt::AlignCenter,
                         countText(chart, i));
        const QString caption = chart.key[i]
                                    ? chart.captions.at(qsizetype(i)) + QStringLiteral("正")
                                    : chart.captions.at(qsizetype(i));
        painter.drawText(slotRect.translated(0, plot.bottom() + 0.1 * line), Qt::AlignCenter,
                         caption);
    }
    painter.restore();
}

}  // namespace tarrow
