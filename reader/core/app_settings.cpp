#include "reader/core/app_settings.h"

#include <algorithm>
#include <string>

namespace tarrow {

namespace {

constexpr const char* kIniFile = "IniFile";
constexpr const char* kChkTransRead = "chkTrans";
constexpr const char* kChkTransWrite = "ChkTrans";  // one value: names ignore case
constexpr const char* kChkTen = "chkTen";
constexpr const char* kChkRotate = "chkRotate";
constexpr const char* kComboImageSize = "ComboImageSize";
constexpr const char* kComboSharpenRate = "ComboSharpenRate";
constexpr const char* kChkMultiMarked = "chkMultiMarked";
constexpr const char* kTxtMultiMarked = "txtMultiMarked";
constexpr const char* kTxtNoMarkedPer = "txtNoMarkedPer";
constexpr const char* kVersion = "Version";
constexpr const char* kDummy = "_Dummy";
constexpr const char* kNoMarkValue = "NoMarkValue";
constexpr const char* kMarkValue = "MarkValue";
constexpr const char* kMultiValue = "MultiValue";
constexpr const char* kMultiRange = "MultiRange";
constexpr const char* kFormTop = "FormTop";
constexpr const char* kFormHeight = "FormHeight";

/// The stored text when present and not empty once cleaned.
std::optional<QString> readPresent(const SettingsBackend& backend, const char* name) {
    std::optional<QString> text = backend.read(QString::fromLatin1(name));
    if (!text || cleanedSettingText(*text).isEmpty()) return std::nullopt;
    return text;
}

void loadText(const SettingsBackend& backend, const char* name, QString& target,
              const QString& fallback) {
    const std::optional<QString> text = readPresent(backend, name);
    target = text ? *text : fallback;
}

void loadCheck(const SettingsBackend& backend, const char* name, bool& target, bool fallback) {
    target = fallback;
    const std::optional<QString> text = readPresent(backend, name);
    if (!text) return;
    bool ok = false;
    const int value = cleanedSettingText(*text).toInt(&ok);
    if (ok && (value == 0 || value == 1)) target = (value == 1);
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

std::optional<int> loadTwips(const SettingsBackend& backend, const char* name) {
    const std::optional<QString> text = readPresent(backend, name);
    if (!text) return std::nullopt;
    return leadingInteger(cleanedSettingText(*text));
}

QString checkText(bool ticked) {
    return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

void writeIfNotEmpty(SettingsBackend& backend, const char* name, const QString& text) {
    if (!text.isEmpty()) backend.write(QString::fromLatin1(name), text);
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
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c != u'\0' && c != u'\n' && c != u'\r' && c != u' ') out += c;
    }
    return out;
}

void loadApplicationSettings(const SettingsBackend& backend, AppSettings& settings) {
    const AppSettings defaults;
    // An absent definition file also empties the input list; that is the
    // main window's part, keyed on iniFile being empty.
    loadText(backend, kIniFile, settings.iniFile, defaults.iniFile);
    loadCheck(backend, kChkTransRead, settings.transpose, defaults.transpose);
    loadCheck(backend, kChkTen, settings.tenToZero, defaults.tenToZero);
    loadCheck(backend, kChkRotate, settings.rotateView, defaults.rotateView);
    loadText(backend, kComboImageSize, settings.imageScale, defaults.imageScale);
    loadText(backend, kComboSharpenRate, settings.sharpenRate, defaults.sharpenRate);
    loadCheck(backend, kChkMultiMarked, settings.multiMarked, defaults.multiMarked);
    loadText(backend, kTxtMultiMarked, settings.multiMarkedThreshold,
             defaults.multiMarkedThreshold);
    loadText(backend, kTxtNoMarkedPer, settings.noMarkedPercent, defaults.noMarkedPercent);
}

void loadWindowSettings(const SettingsBackend& backend, AppSettings& settings) {
    const AppSettings defaults;
    loadText(backend, kNoMarkValue, settings.noMarkValue, defaults.noMarkValue);
    loadText(backend, kMarkValue, settings.markValue, defaults.markValue);
    loadText(backend, kMultiValue, settings.multiValue, defaults.multiValue);
    loadText(backend, kMultiRange, settings.multiRange, defaults.multiRange);
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
    const std::optional<QString> stored = backend.read(QString::fromLatin1(kVersion));
    const QString current = running.text();
    if (stored && cleanedSettingText(*stored) == current) return false;
    backend.write(QString::fromLatin1(kVersion), current);
    return true;
}

void saveApplicationSettings(SettingsBackend& backend, const AppSettings& settings) {
    backend.write(QString::fromLatin1(kDummy), QStringLiteral(" "));
    writeIfNotEmpty(backend, kIniFile, settings.iniFile);
    backend.write(QString::fromLatin1(kChkTransWrite), checkText(settings.transpose));
    backend.write(QString::fromLatin1(kChkTen), checkText(settings.tenToZero));
    backend.write(QString::fromLatin1(kChkRotate), checkText(settings.rotateView));
    backend.write(QString::fromLatin1(kChkMultiMarked), checkText(settings.multiMarked));
    writeIfNotEmpty(backend, kTxtMultiMarked, settings.multiMarkedThreshold);
    writeIfNotEmpty(backend, kTxtNoMarkedPer, settings.noMarkedPercent);
    writeIfNotEmpty(backend, kComboImageSize, settings.imageScale);
    writeIfNotEmpty(backend, kComboSharpenRate, settings.sharpenRate);
}

void saveWindowSettings(SettingsBackend& backend, const AppSettings& settings, int formTopTwips,
                        int formHeightTwips) {
    backend.write(QString::fromLatin1(kFormTop), QString::number(formTopTwips));
    backend.write(QString::fromLatin1(kFormHeight), QString::number(formHeightTwips));
    writeIfNotEmpty(backend, kMarkValue, settings.markValue);
    writeIfNotEmpty(backend, kMultiValue, settings.multiValue);
    writeIfNotEmpty(backend, kMultiRange, settings.multiRange);
    writeIfNotEmpty(backend, kNoMarkValue, settings.noMarkValue);
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
