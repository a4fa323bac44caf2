#include "engine/recognition/engine_core.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "engine/image/image_density.h"
#include "engine/image/image_loader.h"
#include "engine/image/jfif_density.h"
#include "engine/recognition/mark_decision.h"
#include "engine/recognition/sheet_reading.h"

namespace strovik {
namespace {

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
    std::optional<Raster> loaded = loadImageFile(imagePath, nullptr, &spare_);
    if (!loaded) return kRunImageNotLoaded;

    // The exchange stays in the engine's definition: it is written back and
    // the option actions report it.
    applyZeroMarkExchange(definition_);
    ReadOptions options;
    options.density = samplingDensity(imagePath);
    options.crop = crop_;
    SheetResult read = readSheet(std::move(*loaded), definition_, options);
    spare_ = std::move(*loaded);
    rotatedFlag = read.rotated ? 1 : 0;
    if (!read.ok()) {
        // A failed run keeps the alignment and results of the last good one
        // and reports only where it looked for the zero marks.
        alignment_.found = read.alignment.found;
        return read.status;
    }
    alignment_ = read.alignment;
    results_.answers = std::move(read.answers);
    results_.reliability = std::move(read.reliability);
    results_.marked = std::move(read.marked);
    results_.dots = std::move(read.dots);

    if (onComplete) onComplete(definition_.marks.questions(), definition_.marks.choices());
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

std::string EngineCore::dotsText(int position) const {
    const bool known = position >= 0 && std::size_t(position) < results_.dots.size();
    return known ? dotString(results_.dots[std::size_t(position)]) : std::string();
}

}  // namespace strovik
