#include "reader/core/sheet_reading.h"

#include <cstddef>

namespace tarrow {

namespace {

/// Number of fields of a comma-joined list; none for an empty text.
std::size_t listFields(const std::string& list) {
    if (list.empty()) return 0;
    std::size_t fields = 1;
    for (const char c : list) fields += c == ',' ? 1 : 0;
    return fields;
}

/// The crop and diagnostic options of one image, and the diagnostic pass.
bool setImageOptions(StrovaEngine& engine, const ReadingSettings& settings,
                     const SheetRequest& request) {
    if (!engine.setImageScaleRatePercent(settings.scalePercent)) return false;
    if (!engine.setImageSharpenRate(settings.sharpenRate)) return false;
    if (!request.debugImage.empty() && fitsEngine(request.debugImage)) {
        // The diagnostic pass's status is not examined: the next Run decides.
        if (!engine.setDebugFilename(request.debugImage) || !engine.run()) return false;
    }
    // Also clears a diagnostic path the definition's DEBUG key set.
    return engine.setDebugFilename({});
}

/// Every result getter after a successful Run.
bool collectResults(StrovaEngine& engine, SheetReading& reading) {
    if (!engine.getResult(reading.answers, reading.reliability)) return false;
    std::optional<std::string> counts = engine.markedCounts();
    std::optional<std::string> multi = engine.multiQuestions();
    if (!counts || !multi) return false;
    reading.markedCounts = std::move(*counts);
    reading.multiQuestions = std::move(*multi);
    const std::size_t listed = listFields(reading.multiQuestions);
    for (std::size_t j = 0; j < listed; ++j) {
        std::optional<std::string> dots = engine.multiDotsPerQuestion(int(j));
        if (!dots) return false;
        reading.multiDots.push_back(std::move(*dots));
    }
    const std::optional<int> rotated = engine.rotated();
    const std::optional<int> skew = engine.skewSize();
    const std::optional<int> offsetX = engine.diffZeroX();
    const std::optional<int> offsetY = engine.diffZeroY();
    if (!rotated || !skew || !offsetX || !offsetY) return false;
    reading.rotated = *rotated;
    reading.skew = *skew;
    reading.offsetX = *offsetX;
    reading.offsetY = *offsetY;
    reading.angle = engine.sheetAngle();
    return true;
}

}  // namespace

bool fitsEngine(const std::string& path) {
    return path.size() <= strovik::kMaxEnginePath;
}

std::optional<std::string> cropBaseToSet(const std::string& base) {
    if (base.empty()) return std::nullopt;
    // A cut base would name other files; an empty one switches the crops off
    // rather than leaving the previous image's base in force.
    return fitsEngine(base) ? base : std::string();
}

std::optional<EnginePreparation> prepareEngine(StrovaEngine& engine,
                                               const ReadingSettings& settings) {
    if (!engine.putIniFilename(settings.definition)) return std::nullopt;
    EnginePreparation preparation;
    const std::optional<bool> refused = engine.definitionRefused();
    if (!refused) return std::nullopt;
    preparation.refused = *refused;
    if (preparation.refused) return preparation;
    if (!engine.setNoMarkMin1000(0)) return std::nullopt;
    if (!engine.setNoMarkMinDots(settings.noMarkedDots)) return std::nullopt;
    const std::optional<int> editorDpi = engine.editorDpiX();
    if (!editorDpi) return std::nullopt;
    preparation.editorDpi = *editorDpi;
    if (!engine.setMultiMarkedMultiply1000(settings.multiply1000)) return std::nullopt;
    return preparation;
}

std::optional<SheetReading> readSheet(StrovaEngine& engine, const ReadingSettings& settings,
                                      const SheetRequest& request, const ReadingHooks& hooks) {
    SheetReading reading;
    // The engine would cut the path and perhaps read another file.
    if (!fitsEngine(request.image)) return reading;

    reading.imageDpi = engine.dpiX(request.image);
    if (!reading.imageDpi) return std::nullopt;
    if (hooks.resolution) hooks.resolution(*reading.imageDpi);
    if (!engine.putImageFilename(request.image)) return std::nullopt;

    const std::optional<int> areas = engine.imageAreaCount();
    if (!areas) return std::nullopt;
    reading.imageAreas = *areas;
    if (reading.imageAreas > 0 && hooks.cropBase) {
        reading.cropBase = cropBaseToSet(hooks.cropBase());
        if (reading.cropBase && !engine.setImageAreaJpegFile(*reading.cropBase)) {
            return std::nullopt;
        }
    }
    if (!setImageOptions(engine, settings, request)) return std::nullopt;

    const std::optional<int> status = engine.run();
    if (!status) return std::nullopt;
    reading.status = *status;
    if (reading.read() && !collectResults(engine, reading)) return std::nullopt;
    return reading;
}

}  // namespace tarrow
