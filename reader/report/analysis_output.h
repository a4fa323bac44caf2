// Saving an item analysis beside a chosen output name: with a key the item
// CSV and the report PDF (and the slips when asked), without one the survey
// CSV and PDF. Each file is replaced atomically; the first failure stops.
#pragma once

#include <QString>
#include <QStringList>

#include "reader/core/item_analysis.h"

namespace tarrow {

struct AnalysisOutcome {
    bool ok = false;
    QStringList written;  ///< paths of the files written, in order
    QString error;        ///< one line when !ok
};

/// `output` names the files as analysisPathsFor() does; `source` names the
/// analysed data in the PDF headings.
AnalysisOutcome saveAnalysis(const ItemAnalysis& analysis, const QString& output,
                             const QString& source, bool slips);

}  // namespace tarrow
