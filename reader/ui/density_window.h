// The window "濃度分布" (frmDensity): the histogram of a batch's mark
// densities on a logarithmic scale, the current no-mark threshold drawn over
// it, the threshold the gap in the densities suggests, and a button that
// applies the suggestion.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "reader/core/density_histogram.h"

class QLabel;
class QPushButton;

namespace tarrow {

class DensityPlot;

class DensityWindow final : public QDialog {
    Q_OBJECT
public:
    /// `apply` receives the suggested threshold when the user applies it.
    DensityWindow(std::function<void(double)> apply, QWidget* parent);

    /// Shows the densities with the threshold now in force (nullopt when
    /// its box does not hold a number) and how many answered cells have two
    /// or more marks (their density alone does not show them).
    void showDensities(const std::vector<double>& densities, std::optional<double> threshold,
                       int doubled = 0);

private:
    void updateTexts();

    std::function<void(double)> apply_;
    DensityPlot* plot_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
    std::optional<double> threshold_;
    std::optional<double> suggested_;
    int count_ = 0;
    int doubled_ = 0;
};

}  // namespace tarrow
