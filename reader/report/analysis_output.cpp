#include "reader/report/analysis_output.h"

#include "reader/core/analysis_files.h"
#include "reader/core/csv_text.h"
#include "reader/report/analysis_report.h"
#include "reader/report/student_slips.h"

namespace tarrow {

AnalysisOutcome saveAnalysis(const ItemAnalysis& analysis, const QString& output,
                             const QString& source, bool slips) {
    const AnalysisPaths paths = analysisPathsFor(output);
    AnalysisOutcome outcome;
    auto step = [&](const QString& path, bool written) {
        if (written) outcome.written.append(path);
        return written;
    };
    QString& e = outcome.error;
    if (analysis.hasKey()) {
        outcome.ok =
            step(paths.itemsCsv,
                 writeLinesAtomically(paths.itemsCsv, itemAnalysisLines(analysis), &e)) &&
            step(paths.reportPdf, writeAnalysisReport(analysis, source, paths.reportPdf, &e)) &&
            (!slips ||
             step(paths.slipsPdf, writeStudentSlips(analysis, source, paths.slipsPdf, &e)));
    } else {
        outcome.ok =
            step(paths.surveyCsv,
                 writeLinesAtomically(paths.surveyCsv, surveyLines(analysis), &e)) &&
            step(paths.surveyPdf, writeSurveyReport(analysis, source, paths.surveyPdf, &e));
    }
    return outcome;
}

}  // namespace tarrow
