#include "reader/core/density_histogram.h"

#include <algorithm>
#include <cmath>

namespace tarrow {
namespace {

constexpr double kGapFrom = 1.0;
constexpr double kGapTo = 10.0;
constexpr double kMinGapRatio = 1.2;

/// `value` rounded to the fewest decimals (1 to 3) that keep it strictly
/// inside (low, high).
double roundInside(double value, double low, double high) {
    for (double scale : {10.0, 100.0, 1000.0}) {
        const double rounded = std::round(value * scale) / scale;
        if (rounded > low && rounded < high) return rounded;
    }
    return value;
}

}  // namespace

std::vector<double> singleAnswerDensities(const ResultTable& table) {
    std::vector<double> densities;
    const int n = table.questionCount();
    for (int row = ResultTable::kFirstSheetRow; row < table.rows(); ++row) {
        if (table.isFailedRow(row)) continue;
        for (int col = 1; col <= n; ++col) {
            const QString& text = table.measurement(row, col);
            if (table.isMultiAnswerColumn(col) || text == ResultTable::kNoMeasurement) continue;
            bool ok = false;
            const double density = text.toDouble(&ok);
            if (ok && density >= 0.0) densities.push_back(density);
        }
    }
    return densities;
}

int DensityHistogram::binOf(double density) const {
    if (density < kLowest || bins.empty()) return -1;
    const double span = std::log10(kHighest / kLowest);
    const double at = std::log10(density / kLowest) / span * double(bins.size());
    return std::clamp(int(at), 0, int(bins.size()) - 1);
}

double DensityHistogram::edge(int index) const {
    const double span = std::log10(kHighest / kLowest);
    return kLowest * std::pow(10.0, span * index / double(bins.size()));
}

DensityHistogram makeDensityHistogram(const std::vector<double>& densities, int binCount) {
    DensityHistogram histogram;
    histogram.bins.assign(std::size_t(std::max(binCount, 1)), 0);
    for (const double density : densities) {
        const int bin = histogram.binOf(density);
        if (bin < 0)
            ++histogram.belowLowest;
        else
            ++histogram.bins[std::size_t(bin)];
    }
    return histogram;
}

std::optional<double> suggestNoMarkThreshold(const std::vector<double>& densities) {
    std::vector<double> points;
    for (const double density : densities)
        if (density >= kGapFrom) points.push_back(density);
    std::sort(points.begin(), points.end());
    double low = 0.0, high = 0.0, widest = 0.0;
    for (std::size_t i = 1; i < points.size() && points[i - 1] < kGapTo; ++i) {
        const double upper = std::min(points[i], kGapTo);  // a gap ends at 10.0 at most
        const double gap = std::log(upper / points[i - 1]);
        if (gap > widest) {
            widest = gap;
            low = points[i - 1];
            high = upper;
        }
    }
    // Densities are shown to one decimal: neighbours 0.1 apart are no gap.
    if (widest < std::log(kMinGapRatio)) return std::nullopt;
    return roundInside(std::sqrt(low * high), low, high);
}

QString thresholdText(double threshold) {
    for (int decimals = 1; decimals < 3; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        if (std::abs(std::round(threshold * scale) - threshold * scale) < 1e-6)
            return QString::number(threshold, 'f', decimals);
    }
    return QString::number(threshold, 'f', 3);
}

}  // namespace tarrow
