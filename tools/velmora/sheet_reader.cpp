#include "tools/velmora/sheet_reader.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/recognition/engine_session.h"

namespace velmora::cli {
namespace {

/// `folder`, a "/" unless it already ends in one, and `name`.
std::string inFolder(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool fitsEngine(const std::string& path) {
    return path.size() <= strovik::EngineSession::kMaxPath;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

/// The non-empty fields of a comma-joined list.
std::vector<std::string_view> splitList(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start) fields.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

/// Question index of a multi-answer list field, or -1 when it is not one.
int questionIndex(std::string_view field) {
    field = trimBlanks(field);
    int value = -1;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0 ? value : -1;
}

void setCropBase(tarrow::StrovaEngine& engine, const std::string& image,
                 const ReadOptions& options) {
    const int areas = engine.imageAreaCount().value_or(0);
    if (areas <= 0 || options.cropsDir.empty()) return;
    const std::string base = inFolder(options.cropsDir, baseName(image));
    // A base the engine would truncate must not leave the previous image's
    // base in force, which would overwrite that image's crops.
    engine.setImageAreaJpegFile(fitsEngine(base) ? base : "");
}

void diagnosticPass(tarrow::StrovaEngine& engine, const std::string& image,
                    const ReadOptions& options) {
    if (options.debugDir.empty()) return;
    const std::string path = inFolder(options.debugDir, "debug-" + baseName(image) + ".jpg");
    if (!fitsEngine(path)) return;
    engine.setDebugFilename(path);
    engine.run();  // its status is that of the main run below
}

void collectDots(tarrow::StrovaEngine& engine, SheetRecord& record) {
    const std::string list = engine.multiQuestions().value_or("");
    const std::vector<std::string_view> fields = splitList(list);  // views into `list`
    std::vector<int> seen;
    for (std::size_t j = 0; j < fields.size(); ++j) {
        std::string dots = engine.multiDotsPerQuestion(int(j)).value_or("");
        const int question = questionIndex(fields[j]);
        if (question < 0 || std::find(seen.begin(), seen.end(), question) != seen.end()) continue;
        seen.push_back(question);
        record.dots.push_back({question, std::move(dots)});
    }
}

void collectResults(tarrow::StrovaEngine& engine, SheetRecord& record) {
    engine.getResult(record.answers, record.reliability);
    record.marked = engine.markedCounts().value_or("");
    collectDots(engine, record);
    record.rotated = engine.rotated().value_or(0);
    record.skew = engine.skewSize().value_or(0);
    record.offsetX = engine.diffZeroX().value_or(0);
    record.offsetY = engine.diffZeroY().value_or(0);
    record.angle = engine.sheetAngle().value_or(0.0);
}

}  // namespace

std::string baseName(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

void prepareEngine(tarrow::StrovaEngine& engine, const ReadOptions& options) {
    engine.putIniFilename(options.definition);
    engine.setNoMarkMin1000(0);
    engine.setNoMarkMinDots(options.dots);
    engine.editorDpiX();
    engine.setMultiMarkedMultiply1000(options.multiply1000);
}

SheetRecord readSheet(tarrow::StrovaEngine& engine, const std::string& image,
                      const ReadOptions& options) {
    SheetRecord record;
    record.image = image;
    if (!fitsEngine(image)) {
        record.status = strovik::kRunImageNotLoaded;
        return record;
    }
    engine.dpiX(image);
    engine.putImageFilename(image);
    setCropBase(engine, image, options);
    engine.setImageScaleRatePercent(kCropScalePercent);
    engine.setImageSharpenRate(kCropSharpenRate);
    diagnosticPass(engine, image, options);
    engine.setDebugFilename("");
    record.status = engine.run().value_or(strovik::kRunImageNotLoaded);
    if (record.status == strovik::kRunOk) collectResults(engine, record);
    return record;
}

}  // namespace velmora::cli
