// A widget showing one bar chart of the item analysis (histogram of totals
// or a question's choices), painted by the same code as the PDF report.
#pragma once

#include <QWidget>

#include "reader/report/analysis_charts.h"

namespace tarrow {

class BarChartWidget final : public QWidget {
    Q_OBJECT
public:
    BarChartWidget(const char* objectName, QWidget* parent);
    void setChart(BarChart chart, const QString& caption);
    const BarChart& chart() const { return chart_; }
    const QString& caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BarChart chart_;
    QString caption_;
};

}  // namespace tarrow
