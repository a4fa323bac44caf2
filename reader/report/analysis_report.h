// The printable item analysis ("-分析.pdf"): a summary page with the
// histogram of totals and the count of failed sheets left out, the item
// table with its flags, and one small choice chart per question with the
// key marked. Without a key, the survey ("-アンケート集計.pdf"): one chart
// of counts and percentages per question.
#pragma once

#include <QString>

#include "reader/core/item_analysis.h"

namespace tarrow {

/// Writes the report of `analysis` to `path` (replaced atomically);
/// `source` names the analysed file or table in the heading. False with a
/// one-line `error` when it could not be written.
bool writeAnalysisReport(const ItemAnalysis& analysis, const QString& source, const QString& path,
                         QString* error = nullptr);

/// Writes the survey counts of `analysis` to `path`.
bool writeSurveyReport(const ItemAnalysis& analysis, const QString& source, const QString& path,
                       QString* error = nullptr);

}  // namespace tarrow
