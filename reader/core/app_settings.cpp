#include "reader/core/app_settings.h"

#include <algorithm>
#include <string>

namespace tarrow {

namespace {

namespace review = strovik::reader_values;

constexpr std::string_view kIniFile = "IniFile";
constexpr std::string_view kChkTransRead = "chkTrans";
constexpr std::string_view kChkTransWrite = "ChkTrans";  // one value: names ignore case
constexpr std::string_view kChkRotate = "chkRotate";
constexpr std::string_view kComboImageSize = "ComboImageSize";
constexpr std::string_view kComboSharpenRate = "ComboSharpenRate";
constexpr std::string_view kVersion = "Version";
constexpr std::string_view kDummy = "_Dummy";
constexpr std::string_view kFormTop = "FormTop";
constexpr std::string_view kFormHeight = "FormHeight";

QString nameText(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

/// The stored text when present and not empty once cleaned.
std::optional<QString> readPresent(const SettingsBackend& backend, std::string_view name) {
    std::optional<QString> text = backend.read(nameText(name));
    if (!text || cleanedSettingText(*text).isEmpty()) return std::nullopt;
    return text;
}

void loadText(const SettingsBackend& backend, std::string_view name, QString& target,
              const QString& fallback) {
    const std::optional<QString> text = readPresent(backend, name);
    target = text ? *text : fallback;
}

void loadCheck(const SettingsBackend& backend, std::string_view name, bool& target, bool fallback) {
    target = fallback;
    const std::optional<QString> text = readPresent(backend, name);
    if (!text) return;
    if (const std::optional<bool> ticked = strovik::storedCheck(text->toStdString())) {
        target = *ticked;
    }
}

/// The integer at the start of the cleaned text ("12px" gives 12, "x" 0), as
/// the window's position values were read.
int leadingInteger(const QString& cleaned) {
    qsizetype end = 0;
    if (end < cleaned.size() && (cleaned[end] == u'-' || cleaned[end] == u'+')) ++end;
    while (end < cleaned.size() && cleaned[end].isDigit()) ++end;
    bool ok = false;
    const int value = cleaned.left(end).toInt(&ok);
    return ok ? value : 0;
}

std::optional<int> loadTwips(const SettingsBackend& backend, std::string_view name) {
    const std::optional<QString> text = readPresent(backend, name);
    if (!text) return std::nullopt;
    return leadingInteger(cleanedSettingText(*text));
}

QString checkText(bool ticked) {
    return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

void writeIfNotEmpty(SettingsBackend& backend, std::string_view name, const QString& text) {
    if (!text.isEmpty()) backend.write(nameText(name), text);
}

}  // namespace

std::optional<QString> RegistrySettingsBackend::read(const QString& name) const {
    const std::optional<std::string> value =
        store_.getValue(kRoot, kKeyPath, name.toUtf8().toStdString());
    if (!value) return std::nullopt;
    // A registry string ends at its first zero byte.
    const std::string::size_type nul = value->find('\0');
    const std::string text = (nul == std::string::npos) ? *value : value->substr(0, nul);
    return QString::fromStdString(text);
}

bool RegistrySettingsBackend::write(const QString& name, const QString& text) {
    return store_.setValue(kRoot, kKeyPath, name.toUtf8().toStdString(),
                           text.toUtf8().toStdString());
}

QString AppVersion::text() const {
    return QStringLiteral("%1_%2_%3").arg(major).arg(minor).arg(revision);
}

void AppSettings::resetReadOptions() {
    const AppSettings defaults;
    tenToZero = defaults.tenToZero;
    transpose = defaults.transpose;
    rotateView = defaults.rotateView;
}

void AppSettings::resetImageOptions() {
    const AppSettings defaults;
    imageScale = defaults.imageScale;
    sharpenRate = defaults.sharpenRate;
}

void AppSettings::resetMultiMarkedOptions() {
    const AppSettings defaults;
    multiMarked = defaults.multiMarked;
    multiMarkedThreshold = defaults.multiMarkedThreshold;
}

void AppSettings::resetNoMarkedOptions() {
    noMarkedPercent = AppSettings{}.noMarkedPercent;
}

QString cleanedSettingText(const QString& text) {
    return QString::fromStdString(strovik::cleanedStoredText(text.toStdString()));
}

void loadApplicationSettings(const SettingsBackend& backend, AppSettings& settings) {
    const AppSettings defaults;
    // An absent definition file also empties the input list; that is the
    // main window's part, keyed on iniFile being empty.
    loadText(backend, kIniFile, settings.iniFile, defaults.iniFile);
    loadCheck(backend, kChkTransRead, settings.transpose, defaults.transpose);
    loadCheck(backend, review::kTenToZero.name, settings.tenToZero, defaults.tenToZero);
    loadCheck(backend, kChkRotate, settings.rotateView, defaults.rotateView);
    loadText(backend, kComboImageSize, settings.imageScale, defaults.imageScale);
    loadText(backend, kComboSharpenRate, settings.sharpenRate, defaults.sharpenRate);
    loadCheck(backend, review::kMultiMarkedCheck.name, settings.multiMarked, defaults.multiMarked);
    loadText(backend, review::kMultiMarkedThreshold.name, settings.multiMarkedThreshold,
             defaults.multiMarkedThreshold);
    loadText(backend, review::kNoMarkedPercent.name, settings.noMarkedPercent,
             defaults.noMarkedPercent);
}

void loadWindowSettings(const SettingsBackend& backend, AppSettings& settings) {
    const AppSettings defaults;
    loadText(backend, review::kNoMarkValue.name, settings.noMarkValue, defaults.noMarkValue);
    loadText(backend, review::kMarkValue.name, settings.markValue, defaults.markValue);
    loadText(backend, review::kMultiValue.name, settings.multiValue, defaults.multiValue);
    loadText(backend, review::kMultiRange.name, settings.multiRange, defaults.multiRange);
    settings.formTopTwips = loadTwips(backend, kFormTop);
    settings.formHeightTwips = loadTwips(backend, kFormHeight);
}

AppSettings loadAllSettings(const SettingsBackend& backend) {
    AppSettings settings;
    loadApplicationSettings(backend, settings);
    loadWindowSettings(backend, settings);
    return settings;
}

bool recordVersion(SettingsBackend& backend, const AppVersion& running) {
    const std::optional<QString> stored = backend.read(nameText(kVersion));
    const QString current = running.text();
    if (stored && cleanedSettingText(*stored) == current) return false;
    backend.write(nameText(kVersion), current);
    return true;
}

void saveApplicationSettings(SettingsBackend& backend, const AppSettings& settings) {
    backend.write(nameText(kDummy), QStringLiteral(" "));
    writeIfNotEmpty(backend, kIniFile, settings.iniFile);
    backend.write(nameText(kChkTransWrite), checkText(settings.transpose));
    backend.write(nameText(review::kTenToZero.name), checkText(settings.tenToZero));
    backend.write(nameText(kChkRotate), checkText(settings.rotateView));
    backend.write(nameText(review::kMultiMarkedCheck.name), checkText(settings.multiMarked));
    writeIfNotEmpty(backend, review::kMultiMarkedThreshold.name, settings.multiMarkedThreshold);
    writeIfNotEmpty(backend, review::kNoMarkedPercent.name, settings.noMarkedPercent);
    writeIfNotEmpty(backend, kComboImageSize, settings.imageScale);
    writeIfNotEmpty(backend, kComboSharpenRate, settings.sharpenRate);
}

void saveWindowSettings(SettingsBackend& backend, const AppSettings& settings, int formTopTwips,
                        int formHeightTwips) {
    backend.write(nameText(kFormTop), QString::number(formTopTwips));
    backend.write(nameText(kFormHeight), QString::number(formHeightTwips));
    writeIfNotEmpty(backend, review::kMarkValue.name, settings.markValue);
    writeIfNotEmpty(backend, review::kMultiValue.name, settings.multiValue);
    writeIfNotEmpty(backend, review::kMultiRange.name, settings.multiRange);
    writeIfNotEmpty(backend, review::kNoMarkValue.name, settings.noMarkValue);
}

int windowTwips(std::optional<int> stored, int currentTwips, int defaultPixels, int twipsPerPixel) {
    if (!stored) return defaultPixels * twipsPerPixel;
    return *stored > 0 ? *stored : currentTwips;
}

WindowSpan resultWindowSpan(std::optional<int> storedTopTwips, std::optional<int> storedHeightTwips,
                            WindowSpan current, int dpi, WindowSpan available, int frameExtra,
                            int minimumHeight) {
    constexpr int kTwipsPerInch = 1440;
    const int perInch = std::max(dpi, 1);
    const int twipsPerPixel = kTwipsPerInch / perInch;
    const auto toTwips = [&](int pixels) { return pixels * kTwipsPerInch / perInch; };
    const auto toPixels = [&](int twips) { return twips * perInch / kTwipsPerInch; };
    WindowSpan span;
    if (storedHeightTwips) {
        span.top = toPixels(windowTwips(storedTopTwips, toTwips(current.top),
                                        AppSettings::kDefaultFormTopPixels, twipsPerPixel));
        span.height = toPixels(windowTwips(storedHeightTwips, toTwips(current.height),
                                           AppSettings::kDefaultFormHeightPixels, twipsPerPixel));
    } else {
        span.top =
            storedTopTwips
                ? toPixels(windowTwips(storedTopTwips, toTwips(current.top), 0, twipsPerPixel))
                : available.top;
        span.height = available.top + available.height - frameExtra - span.top;
    }
    span.height = std::max(span.height, minimumHeight);
    return span;
}

}  // namespace tarrow
