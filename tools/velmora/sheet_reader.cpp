#include "tools/velmora/sheet_reader.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora::cli {
namespace {

constexpr std::int32_t kNoValue = -1;

std::int32_t getValue(SheetEngine& engine, std::string_view action) {
    return engine.putOptions(action, kNoValue, "").retValue;
}

std::string getText(SheetEngine& engine, std::string_view action, std::int32_t value = kNoValue) {
    return engine.putOptions(action, value, "").retValueStr;
}

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

void setCropBase(SheetEngine& engine, const std::string& image, const ReadOptions& options) {
    const std::int32_t areas = getValue(engine, "get_imagearea_count");
    if (areas <= 0 || options.cropsDir.empty()) return;
    const std::string base = inFolder(options.cropsDir, baseName(image));
    // A base the engine would truncate must not leave the previous image's
    // base in force, which would overwrite that image's crops.
    engine.putOptions("set_imagearea_jpeg_file", kNoValue, fitsEngine(base) ? base : "");
}

void diagnosticPass(SheetEngine& engine, const std::string& image, const ReadOptions& options) {
    if (options.debugDir.empty()) return;
    const std::string path = inFolder(options.debugDir, "debug-" + baseName(image) + ".jpg");
    if (!fitsEngine(path)) return;
    engine.putOptions("set_debug_filename", kNoValue, path);
    engine.run();  // its status is that of the main run below
}

void collectDots(SheetEngine& engine, SheetRecord& record) {
    const std::string list = getText(engine, "get_multi_questions");
    const std::vector<std::string_view> fields = splitList(list);  // views into `list`
    std::vector<int> seen;
    for (std::size_t j = 0; j < fields.size(); ++j) {
        std::string dots = getText(engine, "get_multi_dots_per_question", std::int32_t(j));
        const int question = questionIndex(fields[j]);
        if (question < 0 || std::find(seen.begin(), seen.end(), question) != seen.end()) continue;
        seen.push_back(question);
        record.dots.push_back({question, std::move(dots)});
    }
}

void collectResults(SheetEngine& engine, SheetRecord& record) {
    engine.getResult(record.answers, record.reliability);
    record.marked = getText(engine, "get_marked_counts");
    collectDots(engine, record);
    record.rotated = getValue(engine, "chk_rotate");
    record.skew = getValue(engine, "get_skew_size");
    record.offsetX = getValue(engine, "get_diffzero_x");
    record.offsetY = getValue(engine, "get_diffzero_y");
    record.angle = engine.angle();
}

}  // namespace

std::string baseName(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

void prepareEngine(SheetEngine& engine, const ReadOptions& options) {
    engine.putIniFilename(options.definition);
    engine.putOptions("set_nomarkmin_1000", 0, "");
    engine.putOptions("set_nomarkmin_dots", options.dots, "");
    engine.putOptions("get_editor_dpi_x", kNoValue, "");
    engine.putOptions("set_multi_marked_multiply_1000", options.multiply1000, "");
}

SheetRecord readSheet(SheetEngine& engine, const std::string& image, const ReadOptions& options) {
    SheetRecord record;
    record.image = image;
    if (!fitsEngine(image)) {
        record.status = strovik::kRunImageNotLoaded;
        return record;
    }
    engine.putOptions("get_dpi_x", kNoValue, image);
    engine.putImageFilename(image);
    setCropBase(engine, image, options);
    engine.putOptions("set_imagescale_rate_percent", kCropScalePercent, "");
    engine.putOptions("set_imagesharpen_rate", kCropSharpenRate, "");
    diagnosticPass(engine, image, options);
    engine.putOptions("set_debug_filename", kNoValue, "");
    record.status = engine.run();
    if (record.status == strovik::kRunOk) collectResults(engine, record);
    return record;
}

}  // namespace velmora::cli
