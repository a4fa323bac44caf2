#include "reader/ui/density_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "reader/core/review_navigation.h"

namespace tarrow {

using namespace Qt::StringLiterals;

namespace {

constexpr int kBins = 60;
constexpr int kMargin = 36;
const QColor kCurrentColour(220, 0, 0);
const QColor kSuggestedColour(0, 150, 0);

}  // namespace

/// The histogram itself: bars of log(1 + count) over log(density), the
/// densities without any dark sample as a separate bar at the left.
class DensityPlot final : public QWidget {
public:
    explicit DensityPlot(QWidget* parent) : QWidget(parent) {
        setObjectName(u"picDensity"_s);
        setMinimumSize(560, 260);
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
    }
    void setHistogram(DensityHistogram histogram) {
        histogram_ = std::move(histogram);
        update();
    }
    void setLines(std::optional<double> current, std::optional<double> suggested) {
        current_ = current;
        suggested_ = suggested;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = rect().adjusted(kMargin + 24, 20, -12, -kMargin);
        const int bins = int(histogram_.bins.size());
        if (bins == 0 || area.width() <= 0 || area.height() <= 0) return;
        int highest = histogram_.belowLowest;
        for (const int count : histogram_.bins) highest = std::max(highest, count);
        const double top = std::log1p(double(std::max(highest, 1)));
        const auto barHeight = [&](int count) {
            return int(std::log1p(double(count)) / top * area.height());
        };
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(90, 110, 160));
        const double width = double(area.width()) / bins;
        for (int i = 0; i < bins; ++i) {
            const int h = barHeight(histogram_.bins[std::size_t(i)]);
            painter.drawRect(QRectF(area.left() + i * width, area.bottom() - h, width - 1, h));
        }
        // Densities of 0.0 (nothing dark at all) left of the axis.
        const int zero = barHeight(histogram_.belowLowest);
        painter.setBrush(QColor(150, 150, 150));
        painter.drawRect(QRect(area.left() - 22, area.bottom() - zero, 14, zero));
        drawAxis(painter, area);
        drawThreshold(painter, area, current_, kCurrentColour, Qt::SolidLine);
        drawThreshold(painter, area, suggested_, kSuggestedColour, Qt::DashLine);
    }

private:
    int xOf(const QRect& area, double density) const {
        const double span = std::log10(DensityHistogram::kHighest / DensityHistogram::kLowest);
        const double at =
            std::log10(std::max(density, DensityHistogram::kLowest) / DensityHistogram::kLowest) /
            span;
        return area.left() + int(std::clamp(at, 0.0, 1.0) * area.width());
    }
    void drawAxis(QPainter& painter, const QRect& area) const {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawLine(area.bottomLeft(), area.bottomRight());
        for (const double tick : {1.0, 2.0, 3.0, 5.0, 10.0, 30.0, 100.0, 999.0}) {
            const int x = xOf(area, tick);
            painter.drawLine(x, area.bottom(), x, area.bottom() + 4);
            painter.drawText(QRect(x - 20, area.bottom() + 6, 40, 16), Qt::AlignHCenter,
                             QString::number(tick));
        }
        painter.drawText(QRect(area.left() - 30, area.bottom() + 6, 26, 16), Qt::AlignHCenter,
                         u"0"_s);
        painter.drawText(QRect(area.left(), area.bottom() + 20, area.width(), 16), Qt::AlignHCenter,
                         u"ﾏｰｸ濃度 (対数目盛)"_s);
        painter.drawText(QRect(4, 0, area.width(), 16), Qt::AlignLeft, u"設問数 (対数目盛)"_s);
    }
    void drawThreshold(QPainter& painter, const QRect& area, std::optional<double> value,
                       const QColor& colour, Qt::PenStyle style) const {
        if (!value) return;
        painter.setPen(QPen(colour, 2, style));
        const int x = xOf(area, *value);
        painter.drawLine(x, area.top(), x, area.bottom());
    }

    DensityHistogram histogram_;
    std::optional<double> current_;
    std::optional<double> suggested_;
};

DensityWindow::DensityWindow(std::function<void(double)> apply, QWidget* parent)
    : QDialog(parent), apply_(std::move(apply)) {
    setObjectName(u"frmDensity"_s);
    setWindowTitle(u"濃度分布"_s);
    plot_ = new DensityPlot(this);
    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(u"lblDensitySummary"_s);
    lblSummary_->setWordWrap(true);
    cmdApply_ = new QPushButton(u"提案値を適用(&A)"_s, this);
    cmdApply_->setObjectName(u"cmdApplySuggested"_s);
    cmdApply_->setToolTip(u"提案されたﾏｰｸ無し濃度しきい値を設定し、色分けし直す"_s);
    auto* close = new QPushButton(u"閉じる"_s, this);
    close->setObjectName(u"cmdClose"_s);
    connect(cmdApply_, &QPushButton::clicked, this, [this] {
        if (!suggested_ || !apply_) return;
        apply_(*suggested_);
        threshold_ = suggested_;
        updateTexts();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblSummary_, 1);
    buttons->addWidget(cmdApply_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(plot_, 1);
    layout->addLayout(buttons);
}

void DensityWindow::showDensities(const std::vector<double>& densities,
                                  std::optional<double> threshold, int doubled) {
    threshold_ = threshold;
    doubled_ = doubled;
    suggested_ = suggestNoMarkThreshold(densities);
    count_ = int(densities.size());
    plot_->setHistogram(makeDensityHistogram(densities, kBins));
    updateTexts();
    show();
    raise();
    activateWindow();
}

void DensityWindow::updateTexts() {
    plot_->setLines(threshold_, suggested_);
    const QString current = threshold_ ? thresholdText(*threshold_) : u"-"_s;
    QString suggested = u"-"_s;
    if (suggested_)
        suggested = thresholdText(*suggested_);
    else if (count_ > 0)
        suggested = u"なし（ﾏｰｸ有りと無しの濃度が重なっています）"_s;
    lblSummary_->setText(
        u"単一選択の設問 %1件　現在のﾏｰｸ無し濃度しきい値 = %2（赤線）　"
        u"提案値 = %3（緑の破線）"_s.arg(count_)
            .arg(current, suggested) +
        (doubled_ > 0 ? u"\n"_s + doubledNotice(doubled_) : QString()));
    cmdApply_->setEnabled(suggested_.has_value());
}

}  // namespace tarrow
