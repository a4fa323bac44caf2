// The recognition engine's state and algorithms as one reentrant class: a
// definition, the crop options, the alignment and the per-question results of
// the last successful run. The component binds every object to one
// process-wide instance; other callers (the command-line tool, tests) may
// hold as many independent cores as they like, one per thread. The reading
// itself is readSheet (sheet_reading.h) over values; this class adds the
// file paths, the results kept between runs and the write-back.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/image/raster.h"
#include "engine/recognition/alignment.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {

enum RunStatus : int {
    kRunOk = 0,
    kRunImageNotLoaded = -2,
    kRunZeroMarksNotFound = -3,
    /// The definition holds more questions or choices than the engine can
    /// (see MarkTable); nothing is read until another definition is given.
    kRunDefinitionRefused = -4,
};

/// Options set only through the option actions; reading a definition never
/// touches them.
struct CropOptions {
    std::string imageAreaBasePath;  ///< UTF-8 prefix of crop files; empty = none
    double scaleRate = 0.75;
    int sharpenRate = 30;
};

/// Per-question outcome of the last successful run.
struct QuestionResults {
    std::vector<int> answers;         ///< 1-based choice or -1
    std::vector<double> reliability;  ///< best separation ratio
    std::vector<int> marked;          ///< choices that look marked
    /// Dark-sample count per choice, per multi-answer list position (empty
    /// for a repeated or undefined question).
    std::vector<std::vector<int>> dots;
};

class EngineCore {
public:
    /// Called on success just before the write-back, with Q and C.
    using CompletionHook = std::function<void(int questions, int choices)>;

    /// Reads a definition file (see readSheetDefinition) and discards the
    /// previous results.
    void readDefinition(const std::string& path);

    /// Recognises one image. `rotatedFlag` is cleared once the image has
    /// loaded and set to 1 when the zero marks were found on the image turned
    /// by 180 degrees. On success the completion hook runs, then the
    /// definition keys are written back to `writeBackPath` (skipped when it
    /// is empty). Returns a RunStatus value; a refused definition gives
    /// kRunDefinitionRefused before the image is opened.
    int run(const std::string& imagePath, const std::string& writeBackPath, int& rotatedFlag,
            const CompletionHook& onComplete = {});

    SheetDefinition& definition() { return definition_; }
    const SheetDefinition& definition() const { return definition_; }
    CropOptions& cropOptions() { return crop_; }
    const CropOptions& cropOptions() const { return crop_; }
    const Alignment& alignment() const { return alignment_; }
    const QuestionResults& results() const { return results_; }

    /// Answers joined with "," ("%d"); empty before the first run.
    std::string answersText() const;
    /// Reliabilities joined with "," ("%.1f").
    std::string reliabilityText() const;
    /// Marked counts joined with "," ("%d").
    std::string markedCountsText() const;
    /// The dot string of a multi-answer list position (see dotString);
    /// empty for a position out of range or before the first run.
    std::string dotsText(int position) const;

private:
    SheetDefinition definition_;
    CropOptions crop_;
    Alignment alignment_;
    QuestionResults results_;
    /// The last run's raster memory, reused by the next run's decode.
    Raster spare_;
};

}  // namespace strovik
