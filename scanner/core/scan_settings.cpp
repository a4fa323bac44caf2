#include "scanner/core/scan_settings.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>
#include <variant>

#include "scanner/core/batch_folder.h"

namespace fenwary {

namespace {

// std::int32_t members are int members.
static_assert(std::is_same_v<std::int32_t, int>);
using Member = std::variant<std::string ScanSettings::*, std::uint32_t ScanSettings::*,
                            int ScanSettings::*, bool ScanSettings::*, ImageFormat ScanSettings::*>;

constexpr std::int64_t kNoLimit = 0;

/// One stored setting: its name, member, default as stored text, and for
/// numbers the form's range (min > max: no range, any number of the type).
struct SettingEntry {
    SettingId id;
    std::string_view name;
    Member member;
    std::string_view defaultText;
    std::int64_t min = kNoLimit;
    std::int64_t max = kNoLimit - 1;
    bool resetByButton = false;
};

constexpr std::int64_t kCounterMin = 0;
constexpr std::int64_t kCounterMax = 9999999;
constexpr std::int64_t kDigitsMin = 1;
constexpr std::int64_t kDigitsMax = 32;
constexpr std::int64_t kQualityMin = 0;
constexpr std::int64_t kQualityMax = 100;
constexpr std::int64_t kStepMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kStepMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kFormatMin = 0;
constexpr std::int64_t kFormatMax = 2;
constexpr std::int64_t kResolutionMin = 1;
constexpr std::int64_t kResolutionMax = 9600;
constexpr std::int64_t kTimeoutMin = 1;
constexpr std::int64_t kTimeoutMax = 3600;
constexpr bool kReset = true;
constexpr const char* kDefaultPreviewRect = "0,0,400,620";

// clang-format off
constexpr std::array kSettings{
    SettingEntry{SettingId::Preview, "preview", &ScanSettings::preview, "0"},
    SettingEntry{SettingId::PreviewRect, "preview_rect", &ScanSettings::previewRect, kDefaultPreviewRect},
    SettingEntry{SettingId::Folder, "folder", &ScanSettings::folder, ""},  // documents folder
    SettingEntry{SettingId::Prefix, "prefix", &ScanSettings::prefix, "", kNoLimit, kNoLimit - 1, kReset},
    SettingEntry{SettingId::JpegQuality, "jpeg_quality", &ScanSettings::jpegQuality, "75", kQualityMin, kQualityMax, kReset},
    SettingEntry{SettingId::Counter, "counter", &ScanSettings::counter, "1", kCounterMin, kCounterMax, kReset},
    SettingEntry{SettingId::Step, "step", &ScanSettings::step, "1", kStepMin, kStepMax, kReset},
    SettingEntry{SettingId::Digits, "digit", &ScanSettings::digits, "4", kDigitsMin, kDigitsMax, kReset},
    SettingEntry{SettingId::Format, "format", &ScanSettings::format, "0", kFormatMin, kFormatMax, kReset},
    SettingEntry{SettingId::UseCounter, "usecounter", &ScanSettings::useCounter, "1", kNoLimit, kNoLimit - 1, kReset},
    SettingEntry{SettingId::Clipboard, "clipboard", &ScanSettings::clipboard, "0"},
    SettingEntry{SettingId::Source, "source", &ScanSettings::source, ""},
    SettingEntry{SettingId::SaneFeeder, "sane_feeder", &ScanSettings::saneFeeder, "1"},
    SettingEntry{SettingId::SaneResolution, "sane_resolution", &ScanSettings::saneResolution, "300", kResolutionMin, kResolutionMax},
    SettingEntry{SettingId::SaneMode, "sane_mode", &ScanSettings::saneMode, "Color"},
    SettingEntry{SettingId::SaneTimeout, "sane_timeout", &ScanSettings::saneTimeoutSeconds, "60", kTimeoutMin, kTimeoutMax},
};
// clang-format on

constexpr bool tableInOrder() {
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        if (std::size_t(kSettings[i].id) != i) return false;
    }
    return true;
}
static_assert(tableInOrder(), "the table is indexed by SettingId");

const SettingEntry& entryOf(SettingId id) {
    return kSettings[std::size_t(id)];
}

/// Decimal text as the C library's atoi reads it: blanks, a sign, the
/// leading digits; nothing numeric gives 0. Saturates at the 64-bit range.
std::int64_t leadingNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at < text.size() && text[at] == '+') ++at;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        return text[at] == '-' ? std::numeric_limits<std::int64_t>::min()
                               : std::numeric_limits<std::int64_t>::max();
    }
    (void)end;
    return error == std::errc() ? value : 0;
}

template <typename T>
T narrowed(std::int64_t value) {
    if (value < std::int64_t(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (value > std::int64_t(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return T(value);
}

void assign(ScanSettings& settings, const SettingEntry& entry, std::string_view text) {
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, std::string>) {
                settings.*member = std::string(text);
            } else if constexpr (std::is_same_v<T, bool>) {
                settings.*member = leadingNumber(text) != 0;
            } else if constexpr (std::is_same_v<T, ImageFormat>) {
                const std::int64_t index = leadingNumber(text);
                settings.*member = index >= entry.min && index <= entry.max ? ImageFormat(index)
                                                                            : ImageFormat::Jpeg;
            } else {
                settings.*member = narrowed<T>(leadingNumber(text));
            }
        },
        entry.member);
}

std::string storedText(const ScanSettings& settings, const SettingEntry& entry) {
    return std::visit(
        [&](auto member) -> std::string {
            using T = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return settings.*member;
            } else if constexpr (std::is_same_v<T, bool>) {
                return settings.*member ? "1" : "0";
            } else if constexpr (std::is_same_v<T, ImageFormat>) {
                return std::to_string(int(settings.*member));
            } else {
                return std::to_string(settings.*member);
            }
        },
        entry.member);
}

std::optional<std::int64_t> parseWhole(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    if (begin < end && text[begin] == '+') ++begin;
    std::int64_t value = 0;
    const auto [last, error] = std::from_chars(text.data() + begin, text.data() + end, value);
    if (error != std::errc() || last != text.data() + end) return std::nullopt;
    return value;
}

const char* const kNotAnInteger = "整数を入力してください。";

std::optional<FormProblem> readNumber(FormField field, const std::string& text, SettingId id,
                                      std::int64_t& value) {
    const SettingEntry& entry = entryOf(id);
    const std::optional<std::int64_t> parsed = parseWhole(text);
    if (parsed && *parsed >= entry.min && *parsed <= entry.max) {
        value = *parsed;
        return std::nullopt;
    }
    const bool onlyDigits = text.find_first_of("0123456789") != std::string::npos &&
                            text.find_first_not_of(" +-0123456789") == std::string::npos;
    if (!parsed && !onlyDigits) return FormProblem{field, kNotAnInteger};
    char message[128];
    std::snprintf(message, sizeof message, "%lld から %lld までの整数を入力してください。",
                  static_cast<long long>(entry.min), static_cast<long long>(entry.max));
    return FormProblem{field, message};
}

}  // namespace

std::string SourceChoice::text() const {
    switch (kind) {
        case SourceKind::Sane:
            return "sane:" + name;
        case SourceKind::Twain:
            return "twain:" + name;
        case SourceKind::None:
            break;
    }
    return {};
}

SourceChoice SourceChoice::parse(std::string_view text) {
    constexpr std::string_view kSane = "sane:";
    constexpr std::string_view kTwain = "twain:";
    if (text.starts_with(kSane) && text.size() > kSane.size()) {
        return {SourceKind::Sane, std::string(text.substr(kSane.size()))};
    }
    if (text.starts_with(kTwain) && text.size() > kTwain.size()) {
        return {SourceKind::Twain, std::string(text.substr(kTwain.size()))};
    }
    return {};
}

const char* scanModeText(ScanMode mode) {
    switch (mode) {
        case ScanMode::Gray:
            return "Gray";
        case ScanMode::Lineart:
            return "Lineart";
        case ScanMode::Color:
            break;
    }
    return "Color";
}

ScanMode parseScanMode(std::string_view text) {
    for (ScanMode mode : {ScanMode::Color, ScanMode::Gray, ScanMode::Lineart}) {
        if (text == scanModeText(mode)) return mode;
    }
    return ScanMode::Color;
}

std::string PreviewRect::text() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d", x, y, width, height);
    return buffer;
}

std::optional<PreviewRect> PreviewRect::parse(std::string_view text) {
    const std::string copy(text);
    PreviewRect rect;
    if (std::sscanf(copy.c_str(), "%d,%d,%d,%d", &rect.x, &rect.y, &rect.width, &rect.height) !=
        4) {
        return std::nullopt;
    }
    return rect;
}

ScanSettings ScanSettings::defaults(std::string_view outputFolder) {
    ScanSettings settings;
    for (const SettingEntry& entry : kSettings) assign(settings, entry, entry.defaultText);
    settings.folder = withTrailingSeparator(outputFolder);
    return settings;
}

void ScanSettings::resetOutputOptions() {
    for (const SettingEntry& entry : kSettings) {
        if (entry.resetByButton) assign(*this, entry, entry.defaultText);
    }
}

NamingRule ScanSettings::namingRule() const {
    return NamingRule{folder, prefix, useCounter, counter, digits, format};
}

PreviewRect ScanSettings::previewRectangle() const {
    if (auto rect = PreviewRect::parse(previewRect)) return *rect;
    return *PreviewRect::parse(kDefaultPreviewRect);
}

BatchRequest ScanSettings::batchRequest() const {
    BatchRequest request;
    request.device = sourceChoice().name;
    request.feeder = saneFeeder;
    request.resolutionDpi = saneResolution;
    request.mode = parseScanMode(saneMode);
    request.noDataTimeout = std::chrono::seconds(saneTimeoutSeconds > 0 ? saneTimeoutSeconds : 60);
    return request;
}

std::string_view settingName(SettingId id) {
    return entryOf(id).name;
}

ScanSettings loadSettings(const velmora::SettingsStore& store, std::string_view documentsFolder) {
    ScanSettings settings = ScanSettings::defaults(batchRootFolder(documentsFolder));
    for (const SettingEntry& entry : kSettings) {
        if (const auto text = store.getValue(kSettingsRoot, kSettingsKey, entry.name)) {
            assign(settings, entry, *text);
        } else if (entry.id == SettingId::Folder && !settings.folder.empty()) {
            std::error_code error;
            std::filesystem::create_directories(settings.folder, error);
        }
    }
    return settings;
}

bool storeSetting(velmora::SettingsStore& store, const ScanSettings& settings, SettingId id) {
    const SettingEntry& entry = entryOf(id);
    return store.setValue(kSettingsRoot, kSettingsKey, entry.name, storedText(settings, entry));
}

bool storeSettings(velmora::SettingsStore& store, const ScanSettings& settings) {
    bool allStored = true;
    for (const SettingEntry& entry : kSettings) {
        if (entry.id == SettingId::Preview) continue;
        allStored = storeSetting(store, settings, entry.id) && allStored;
    }
    return allStored;
}

FormTexts formTexts(const ScanSettings& settings) {
    FormTexts texts;
    texts.folder = settings.folder;
    texts.counter = std::to_string(settings.counter);
    texts.step = std::to_string(settings.step);
    texts.digits = std::to_string(settings.digits);
    texts.prefix = settings.prefix;
    texts.format = int(settings.format);
    texts.jpegQuality = std::to_string(settings.jpegQuality);
    texts.useCounter = settings.useCounter;
    texts.clipboard = settings.clipboard;
    texts.preview = settings.preview;
    return texts;
}

std::optional<FormProblem> readForm(const FormTexts& texts, ScanSettings& settings) {
    std::int64_t counter = 0, step = 0, digits = 0, quality = 0;
    if (auto problem = readNumber(FormField::Counter, texts.counter, SettingId::Counter, counter))
        return problem;
    if (auto problem = readNumber(FormField::Step, texts.step, SettingId::Step, step))
        return problem;
    if (auto problem = readNumber(FormField::Digits, texts.digits, SettingId::Digits, digits))
        return problem;
    if (auto problem =
            readNumber(FormField::JpegQuality, texts.jpegQuality, SettingId::JpegQuality, quality))
        return problem;
    settings.folder = texts.folder;
    settings.counter = std::uint32_t(counter);
    settings.step = std::int32_t(step);
    settings.digits = int(digits);
    settings.prefix = texts.prefix;
    settings.format = texts.format >= kFormatMin && texts.format <= kFormatMax
                          ? ImageFormat(texts.format)
                          : ImageFormat::Jpeg;
    settings.jpegQuality = int(quality);
    settings.useCounter = texts.useCounter;
    settings.clipboard = texts.clipboard;
    settings.preview = texts.preview;
    return std::nullopt;
}

}  // namespace fenwary
