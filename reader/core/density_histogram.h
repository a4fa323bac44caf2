// The distribution of a batch's mark densities (the reliabilities of its
// single-answer questions) on a logarithmic scale, and the no-mark threshold
// it suggests: the middle of the widest gap between 1.0 and 10.0, where
// blank questions end and marked ones begin.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "reader/core/result_table.h"

namespace tarrow {

/// Every reliability of a single-answer question on a sheet that was read
/// (failed sheets, multi-answer columns and the "999" placeholders of a
/// loaded file are left out; the engine's "999.0" counts), in table order.
std::vector<double> singleAnswerDensities(const ResultTable& table);

struct DensityHistogram {
    /// Densities below kLowest (0.0: nothing dark enough to be a mark).
    int belowLowest = 0;
    /// Bins of equal width in log10 from kLowest to kHighest; densities
    /// above kHighest fall into the last one.
    std::vector<int> bins;
    static constexpr double kLowest = 1.0;
    static constexpr double kHighest = 1000.0;

    /// The bin a density falls into (-1 below kLowest).
    int binOf(double density) const;
    /// The density at a bin edge (0 .. bins.size()).
    double edge(int index) const;
};

DensityHistogram makeDensityHistogram(const std::vector<double>& densities, int binCount = 60);

/// The suggested no-mark threshold: the widest gap (in log scale) between
/// neighbouring densities from 1.0 that starts below 10.0 (a gap reaching
/// beyond 10.0 counts up to 10.0), and its geometric middle rounded to one
/// decimal (more when one would leave the gap). nullopt when no gap spans a
/// ratio of 1.2: blank and marked questions overlap.
std::optional<double> suggestNoMarkThreshold(const std::vector<double>& densities);

/// A threshold as the threshold boxes show it: one decimal ("2.0"), more
/// only where the value needs them.
QString thresholdText(double threshold);

}  // namespace tarrow
