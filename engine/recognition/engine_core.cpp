#include "engine/recognition/engine_core.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "engine/image/image_density.h"
#include "engine/image/image_loader.h"
#include "engine/image/jfif_density.h"
#include "engine/recognition/image_areas.h"
#include "engine/recognition/mark_decision.h"
#include "engine/recognition/zero_mark_locator.h"

namespace strovik {
namespace {

constexpr int kCoarseDpi = 250;
constexpr int kHighDensityDpi = 450;

bool endsWithNoCase(const std::string& text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char c = text[text.size() - suffix.size() + i];
        if (char(std::tolower(static_cast<unsigned char>(c))) != suffix[i]) return false;
    }
    return true;
}

// The resolution that chooses the sampling: a JPEG's JFIF density; for PNG
// and TIFF names the density in their headers, since the same 300-dpi sheet
// sampled at every pixel counts four times the dots it counts as a JPEG
// (blank choices then pass the dot threshold). Bitmaps and GIFs keep the
// full sampling they always had.
Density samplingDensity(const std::string& imagePath) {
    if (const std::optional<Density> jfif = readJfifDensity(imagePath)) return *jfif;
    for (const std::string_view suffix : {".png", ".tif", ".tiff"}) {
        if (endsWithNoCase(imagePath, suffix)) {
            return readImageDensity(imagePath).value_or(Density{});
        }
    }
    return Density{};
}

SamplingMode samplingFor(const std::string& imagePath) {
    const Density d = samplingDensity(imagePath);
    SamplingMode mode;
    if (d.x >= kCoarseDpi && d.y >= kCoarseDpi) mode.step = 2;
    mode.highDensity = d.x >= kHighDensityDpi && d.y >= kHighDensityDpi;
    return mode;
}

template <typename T, typename Format>
std::string joined(const std::vector<T>& values, Format format) {
    std::string text;
    char buffer[64];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, format, values[i]);
        if (i > 0) text += ',';
        text += buffer;
    }
    return text;
}

}  // namespace

void EngineCore::readDefinition(const std::string& path) {
    readSheetDefinition(path, definition_);
    results_ = QuestionResults{};
}

int EngineCore::run(const std::string& imagePath, const std::string& writeBackPath,
                    int& rotatedFlag, const CompletionHook& onComplete) {
    if (!definition_.refusal.empty()) return kRunDefinitionRefused;
    std::optional<Raster> loaded = loadImageFile(imagePath);
    if (!loaded) return kRunImageNotLoaded;
    Raster raster = std::move(*loaded);
    const SamplingMode mode = samplingFor(imagePath);

    applyZeroMarkExchange(definition_);
    rotatedFlag = 0;
    const std::string debugPath = definition_.debugPath;
    const bool marking = !debugPath.empty();
    const LocateOutcome located = locateZeroMarks(raster, definition_, mode, marking, [&] {
        if (marking) saveDiagnosticImage(raster, false, debugPath);
    });
    alignment_.found = located.marks;
    rotatedFlag = located.rotated ? 1 : 0;
    if (!located.found) return kRunZeroMarksNotFound;

    alignment_ = computeAlignment(definition_.zeroMarks, located.marks);
    const Point mark3 = definition_.zeroMarks[2];
    if (mark3.x > 0 && mark3.y > 0) {
        alignment_.skew = measureSkew(raster, definition_, alignment_.map(mark3), mode, marking,
                                      alignment_.found[2]);
    }

    const int questions = definition_.marks.questions();
    if (!results_.created) {
        results_.created = true;
        results_.answers.assign(std::size_t(questions), -1);
        results_.reliability.assign(std::size_t(questions), 0.0);
        results_.marked.assign(std::size_t(questions), 0);
        results_.dots.assign(definition_.multiQuestions.size(), std::string());
    }
    decideAllQuestions(raster, definition_, alignment_, mode.step, marking, results_);

    bool topDown = false;
    if (!crop_.imageAreaBasePath.empty()) {
        flipVertical(raster);
        topDown = true;
        cutImageAreas(raster, definition_.imageAreas, alignment_, crop_);
    }
    if (marking) saveDiagnosticImage(raster, topDown, debugPath);
    raster = Raster();

    if (onComplete) onComplete(questions, definition_.marks.choices());
    writeBackSheetDefinition(writeBackPath, definition_);
    return kRunOk;
}

std::string EngineCore::answersText() const {
    return joined(results_.answers, "%d");
}

std::string EngineCore::reliabilityText() const {
    return joined(results_.reliability, "%.1f");
}

std::string EngineCore::markedCountsText() const {
    return joined(results_.marked, "%d");
}

}  // namespace strovik
