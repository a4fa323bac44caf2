// Plain-language warnings on a question of the item analysis, as the report
// and the analysis window show them:
// - 難しすぎる: right rate below 20 %;
// - 易しすぎる: right rate above 90 %;
// - 識別力が低い: discrimination below 0.20 or point-biserial below 0.20;
// - 逆転: a wrong choice drew students with a higher mean total than the
//   right answer.
// Rates and the discrimination are compared exactly (integers); a question
// with no students has no flag.
#pragma once

#include <QString>
#include <vector>

#include "reader/core/item_analysis.h"

namespace tarrow {

enum class ItemFlag { TooHard, TooEasy, LowDiscrimination, Reversed };

inline constexpr int kTooHardPercent = 20;
inline constexpr int kTooEasyPercent = 90;
/// Discrimination and point-biserial below this (in hundredths) are low.
inline constexpr int kLowDiscriminationHundredths = 20;

std::vector<ItemFlag> flagsOf(const ItemStats& item);

/// "難しすぎる", "易しすぎる", "識別力が低い", "逆転".
QString flagCaption(ItemFlag flag);

/// The captions of an item's flags joined by "・" (empty when none).
QString flagsText(const ItemStats& item);

/// One bar of the histogram of totals: totals from..to (inclusive).
struct HistogramBin {
    std::int64_t from = 0, to = 0;
    int count = 0;
};

/// Totals in equal bins from 0 (or the lowest total when negative) to the
/// highest possible total (the sum of the positive points, or the highest
/// total when larger), at most `maxBins` bins of a whole-number width.
std::vector<HistogramBin> histogramOf(const ItemAnalysis& analysis, int maxBins);

}  // namespace tarrow
