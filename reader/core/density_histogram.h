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
/// (failed sheets, multi-answer columns and "999" placeholders are left
/// out), in table order.
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
/// neighbouring densities inside [1.0, 10.0], both ends counting as
/// neighbours, and its geometric middle rounded to one decimal (more when
/// one would leave the gap). nullopt without any density.
std::optional<double> suggestNoMarkThreshold(const std::vector<double>& densities);

/// A threshold as the threshold boxes show it: one decimal ("2.0"), more
/// only where the value needs them.
QString thresholdText(double threshold);

}  // namespace tarrow
