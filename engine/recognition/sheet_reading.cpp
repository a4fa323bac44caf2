#include "engine/recognition/sheet_reading.h"

#include "engine/recognition/image_areas.h"
#include "engine/recognition/mark_decision.h"

namespace strovik {
namespace {

constexpr int kCoarseDpi = 250;
constexpr int kHighDensityDpi = 450;

}  // namespace

SamplingMode samplingFor(Density d) {
    SamplingMode mode;
    if (d.x >= kCoarseDpi && d.y >= kCoarseDpi) mode.step = 2;
    mode.highDensity = d.x >= kHighDensityDpi && d.y >= kHighDensityDpi;
    return mode;
}

SheetResult readSheet(const Raster& raster, const SheetDefinition& definition,
                      const ReadOptions& options) {
    return readSheet(raster.clone(), definition, options);
}

SheetResult readSheet(Raster&& raster, const SheetDefinition& definition,
                      const ReadOptions& options) {
    SheetResult result;
    if (!definition.refusal.empty()) {
        result.status = kRunDefinitionRefused;
        return result;
    }
    SheetDefinition def = definition;
    applyZeroMarkExchange(def);
    const SamplingMode mode = samplingFor(options.density);
    const std::string& debugPath = def.debugPath;
    const bool marking = !debugPath.empty();
    const LocateOutcome located = locateZeroMarks(raster, def, mode, marking, [&] {
        if (marking) saveDiagnosticImage(raster, false, debugPath);
    });
    result.alignment.found = located.marks;
    result.rotated = located.rotated;
    if (!located.found) {
        result.status = kRunZeroMarksNotFound;
        return result;
    }

    result.alignment = computeAlignment(def.zeroMarks, located.marks);
    const RasterView view(raster, located.rotated);
    const Point mark3 = def.zeroMarks[2];
    if (mark3.x > 0 && mark3.y > 0) {
        result.alignment.skew = measureSkew(view, def, result.alignment.map(mark3), mode, marking,
                                            result.alignment.found[2]);
    }

    QuestionResults decided;
    const auto questions = std::size_t(def.marks.questions());
    decided.answers.assign(questions, -1);
    decided.reliability.assign(questions, 0.0);
    decided.marked.assign(questions, 0);
    decided.dots.assign(def.multiQuestions.size(), std::vector<int>());
    decideAllQuestions(view, def, result.alignment, mode.step, marking, decided);
    result.answers = std::move(decided.answers);
    result.reliability = std::move(decided.reliability);
    result.marked = std::move(decided.marked);
    result.dots = std::move(decided.dots);

    // Crops are cut through the view; the diagnostic image is saved from the
    // raster, so a turned sheet is turned only for it.
    if (!options.crop.imageAreaBasePath.empty()) {
        cutImageAreas(view, def.imageAreas, result.alignment, options.crop);
    }
    if (marking) {
        if (located.rotated) rotate180(raster);
        saveDiagnosticImage(raster, false, debugPath);
    }
    return result;
}

}  // namespace strovik
