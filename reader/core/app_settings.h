// The reading application's persisted settings: the options of the settings
// dialog, the last definition file, and the result window's thresholds and
// position, as one value object. Every default is declared here once, but
// for the values that decide what a review flags: their names, defaults and
// reading rules live with the review rule (engine/recognition/
// reader_review_settings.h), where the editor's test read reads them too.
//
// Storage is one key of the registry stand-in (velmora::SettingsStore):
// HKEY_LOCAL_MACHINE "SOFTWARE\velmora\tarrow3\param", string values only.
// A stored value counts as absent when nothing is left of it after removing
// every NUL, line feed, carriage return and blank; absent values take their
// defaults.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "common/settings_store.h"
#include "common/velmora_version.h"
#include "engine/recognition/reader_review_settings.h"

namespace tarrow {

/// The stored string values of one settings key. Implementations: the
/// registry stand-in below, and recording stores in tests.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    /// The stored text up to its first NUL, or nullopt when absent.
    virtual std::optional<QString> read(const QString& name) const = 0;
    /// Stores `text`; false when the write failed (callers go on regardless).
    virtual bool write(const QString& name, const QString& text) = 0;
};

/// The application's key in the settings store.
class RegistrySettingsBackend final : public SettingsBackend {
public:
    static constexpr std::string_view kRoot = strovik::kReaderSettingsRoot;
    static constexpr std::string_view kKeyPath = strovik::kReaderSettingsKey;

    /// A store over the default root folder ($XDG_CONFIG_HOME/velmora).
    RegistrySettingsBackend() = default;
    explicit RegistrySettingsBackend(velmora::SettingsStore store) : store_(std::move(store)) {}

    std::optional<QString> read(const QString& name) const override;
    bool write(const QString& name, const QString& text) override;

private:
    velmora::SettingsStore store_;
};

/// The running application's version, stored as "major_minor_revision".
struct AppVersion {
    int major = velmora::kVersionMajor;
    int minor = velmora::kVersionMinor;
    int revision = velmora::kVersionPatch;
    QString text() const;
};

/// The text a box shows when its stored value is absent.
inline QString defaultText(strovik::StoredText value) {
    return QString::fromLatin1(value.fallback.data(), qsizetype(value.fallback.size()));
}

/// Every persisted setting with its default. Check boxes are booleans
/// (stored "0" / "1"); text and combo boxes keep their text unvalidated, as
/// the user typed it (the consumers convert when they use it).
struct AppSettings {
    // Window defaults in pixels; stored positions are twips.
    static constexpr int kDefaultFormTopPixels = 300;
    static constexpr int kDefaultFormHeightPixels = 400;

    // Settings dialog and main window.
    QString iniFile;             ///< "IniFile": last definition file
    bool transpose = false;      ///< "chkTrans" (saved as "ChkTrans")
    bool rotateView = false;     ///< "chkRotate": show scans turned 180°
    QString imageScale = "75";   ///< "ComboImageSize": crop scale, percent
    QString sharpenRate = "30";  ///< "ComboSharpenRate": crop sharpening
    /// "chkTen": a read 10 becomes 0.
    bool tenToZero = strovik::reader_values::kTenToZero.fallback;
    /// "chkMultiMarked": grey doubled marks.
    bool multiMarked = strovik::reader_values::kMultiMarkedCheck.fallback;
    /// "txtMultiMarked": real number.
    QString multiMarkedThreshold = defaultText(strovik::reader_values::kMultiMarkedThreshold);
    /// "txtNoMarkedPer": filled-area percent.
    QString noMarkedPercent = defaultText(strovik::reader_values::kNoMarkedPercent);

    // Result window.
    /// "NoMarkValue": no-mark density threshold.
    QString noMarkValue = defaultText(strovik::reader_values::kNoMarkValue);
    /// "MarkValue": faint-mark density threshold.
    QString markValue = defaultText(strovik::reader_values::kMarkValue);
    /// "MultiValue": dots of a marked choice.
    QString multiValue = defaultText(strovik::reader_values::kMultiValue);
    /// "MultiRange": half-width of the attention band.
    QString multiRange = defaultText(strovik::reader_values::kMultiRange);
    /// "FormTop" / "FormHeight" as stored, in twips; nullopt when absent.
    /// See windowTwips() for how the window uses them.
    std::optional<int> formTopTwips;
    std::optional<int> formHeightTwips;

    /// The settings dialog's four default buttons.
    void resetReadOptions();         ///< chkTen ticked, chkTrans and chkRotate clear
    void resetImageOptions();        ///< "75" and "30"
    void resetMultiMarkedOptions();  ///< chkMultiMarked clear, "2.0"
    void resetNoMarkedOptions();     ///< "10"
};

/// Removes every NUL, LF, CR and blank from `text` (the emptiness test).
QString cleanedSettingText(const QString& text);

/// Loads the dialog's values and the last definition file, in the stored
/// order; absent values (and values that are empty once cleaned) take the
/// defaults. A check box takes the integer of the cleaned text: 1 ticks it,
/// 0 clears it, anything else keeps the default.
void loadApplicationSettings(const SettingsBackend& backend, AppSettings& settings);

/// Loads the result window's thresholds and position (as the window does
/// when a table is set up).
void loadWindowSettings(const SettingsBackend& backend, AppSettings& settings);

/// Both of the above: the state at start-up.
AppSettings loadAllSettings(const SettingsBackend& backend);

/// Writes "Version" when the stored (cleaned) value differs from `running`.
/// Returns true when it wrote.
bool recordVersion(SettingsBackend& backend, const AppVersion& running = AppVersion{});

/// Shut-down of the main window: "_Dummy" (one blank) first, then IniFile
/// (only when not empty), ChkTrans, chkTen, chkRotate, chkMultiMarked,
/// txtMultiMarked, txtNoMarkedPer, ComboImageSize, ComboSharpenRate (texts
/// only when not empty). A failed write does not stop the next one.
void saveApplicationSettings(SettingsBackend& backend, const AppSettings& settings);

/// Closing the result window: FormTop and FormHeight (decimal twips), then
/// MarkValue, MultiValue, MultiRange and NoMarkValue, each only when its
/// text is not empty.
void saveWindowSettings(SettingsBackend& backend, const AppSettings& settings, int formTopTwips,
                        int formHeightTwips);

/// The window top or height to use in twips: the stored value when it is
/// greater than 0; the current value when stored but not greater than 0;
/// the default pixels converted with `twipsPerPixel` when absent.
int windowTwips(std::optional<int> stored, int currentTwips, int defaultPixels, int twipsPerPixel);

/// Where the result window goes on a screen, in pixels.
struct WindowSpan {
    int top = 0;     ///< of the frame
    int height = 0;  ///< of the client area
};

/// The result window's top and height on a screen of `dpi` logical dots
/// per inch whose available area starts at `available.top` and is
/// `available.height` pixels high (the frame's decoration takes `frameExtra`
/// of it). With a stored height, top and height are windowTwips()'s (current
/// values and defaults converted at 1440 / dpi twips a pixel), converted to
/// pixels. Without one (the first opening) the window reaches down to the
/// available area's bottom, from the stored top when there is one, else
/// from the area's top. The height is never below `minimumHeight`.
WindowSpan resultWindowSpan(std::optional<int> storedTopTwips, std::optional<int> storedHeightTwips,
                            WindowSpan current, int dpi, WindowSpan available, int frameExtra,
                            int minimumHeight);

}  // namespace tarrow
