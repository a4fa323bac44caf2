// The charts of the item analysis, drawn with QPainter into a rectangle: the
// histogram of totals and a question's bar chart of choices (the key's
// choices filled in a second colour and marked "正"). Used by the PDF
// documents and the analysis window alike.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QStringList>
#include <vector>

#include "reader/core/item_analysis.h"
#include "reader/core/item_flags.h"

namespace tarrow {

/// One chart of bars: a caption under each bar, its count, and whether it
/// is one of the key's choices.
struct BarChart {
    QStringList captions;
    std::vector<int> counts;
    std::vector<char> key;
    int total = 0;         ///< base of the percentages written over the bars
    bool percent = false;  ///< write "n (p%)" over each bar instead of n
};

/// Choices 1..N, 無答 and 複数 of a question; the key's choices marked.
BarChart choiceChart(const ChoiceCounts& counts, int students, const std::vector<int>& keyChoices);

/// The bins of the histogram as a bar chart ("0-4", or "7" for a bin of one).
BarChart histogramChart(const std::vector<HistogramBin>& bins);

/// Draws the bars, their counts and captions inside `area` with the
/// painter's current font.
void paintBarChart(QPainter& painter, const QRectF& area, const BarChart& chart);

}  // namespace tarrow
