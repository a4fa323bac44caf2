#include "reader/ui/bar_chart_widget.h"

#include <QPainter>

namespace tarrow {

namespace {
constexpr int kMargin = 8;
constexpr int kCaptionHeight = 18;
}  // namespace

BarChartWidget::BarChartWidget(const char* objectName, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::fromLatin1(objectName));
    setMinimumSize(320, 180);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void BarChartWidget::setChart(BarChart chart, const QString& caption) {
    chart_ = std::move(chart);
    caption_ = caption;
    update();
}

void BarChartWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    painter.drawText(QRect(area.left(), area.top(), area.width(), kCaptionHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, caption_);
    paintBarChart(painter, QRectF(area.adjusted(0, kCaptionHeight, 0, 0)), chart_);
}

}  // namespace tarrow
