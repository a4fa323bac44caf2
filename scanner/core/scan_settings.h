// The scanner front-end's settings record: the output settings of the main
// form and the chosen source, each declared once in a table (stored name,
// default, range), loaded from and stored to the settings store under
// HKEY_LOCAL_MACHINE "SOFTWARE\velmora\fenwary\param" as decimal or plain
// text, and read from the form's texts with the form's validation rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/settings_store.h"
#include "scanner/core/acquisition.h"
#include "scanner/core/page_naming.h"

namespace fenwary {

inline constexpr const char* kSettingsRoot = "HKEY_LOCAL_MACHINE";
inline constexpr const char* kSettingsKey = "SOFTWARE\\velmora\\fenwary\\param";

/// Every stored setting, in the order the exit procedure stores them
/// ("preview" goes first, before the preview window is closed).
enum class SettingId {
    Preview,
    PreviewRect,
    Folder,
    Prefix,
    JpegQuality,
    Counter,
    Step,
    Digits,
    Format,
    UseCounter,
    Clipboard,
    Source,
    SaneFeeder,
    SaneResolution,
    SaneMode,
    SaneTimeout,
};

/// Which backend a stored source belongs to.
enum class SourceKind { None, Sane, Twain };

struct SourceChoice {
    SourceKind kind = SourceKind::None;
    std::string name;  ///< SANE device name or TWAIN product name

    /// "sane:<device>", "twain:<product>" or empty.
    std::string text() const;
    /// The stored text back; anything unknown is SourceKind::None.
    static SourceChoice parse(std::string_view text);
};

/// "Color", "Gray", "Lineart" (the stored "sane_mode" texts).
const char* scanModeText(ScanMode mode);
/// Unknown text gives Color.
ScanMode parseScanMode(std::string_view text);

/// The preview window's rectangle, stored as "%d,%d,%d,%d".
struct PreviewRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string text() const;
    /// nullopt unless the text holds four integers separated by ",".
    static std::optional<PreviewRect> parse(std::string_view text);
};

struct ScanSettings {
    std::string folder;
    std::uint32_t counter = 0;
    std::int32_t step = 0;
    int digits = 0;
    std::string prefix;
    ImageFormat format = ImageFormat::Jpeg;
    int jpegQuality = 0;
    bool useCounter = false;
    bool clipboard = false;
    bool preview = false;
    std::string previewRect;
    std::string source;  ///< see SourceChoice
    bool saneFeeder = false;
    int saneResolution = 0;
    std::string saneMode;
    int saneTimeoutSeconds = 0;  ///< "sane_timeout": no data this long stops a batch

    /// Every setting at its default; the folder is `outputFolder` with a
    /// trailing "/".
    static ScanSettings defaults(std::string_view outputFolder);

    /// The reset button: counter, step, digits, prefix, format, JPEG
    /// quality and use counter back to their defaults; the rest unchanged.
    void resetOutputOptions();

    NamingRule namingRule() const;
    PreviewRect previewRectangle() const;  ///< the stored text, or the default
    SourceChoice sourceChoice() const { return SourceChoice::parse(source); }
    BatchRequest batchRequest() const;
};

/// The stored name of a setting ("jpeg_quality", ...).
std::string_view settingName(SettingId id);

/// Loads every setting; a missing value takes its default. When "folder"
/// is missing, the default folder, the batch root under `documentsFolder`
/// (see batchRootFolder: each batch gets a folder of its own), is created.
/// Numbers are read as decimal text (leading digits; anything else 0);
/// a format outside the combo box's items reads as JPEG.
ScanSettings loadSettings(const velmora::SettingsStore& store, std::string_view documentsFolder);

/// Stores one setting; false when the store could not be written.
bool storeSetting(velmora::SettingsStore& store, const ScanSettings& settings, SettingId id);

/// Stores every setting but "preview", in the table's order. Returns false
/// when any write failed (the others are still written).
bool storeSettings(velmora::SettingsStore& store, const ScanSettings& settings);

/// The form's fields that have a validation rule.
enum class FormField { Counter, Step, Digits, JpegQuality };

/// The form's controls as text, read in as the settings' values.
struct FormTexts {
    std::string folder;
    std::string counter;
    std::string step;
    std::string digits;
    std::string prefix;
    int format = 0;  ///< combo box index
    std::string jpegQuality;
    bool useCounter = true;
    bool clipboard = false;
    bool preview = false;
};

struct FormProblem {
    FormField field;
    std::string message;  ///< the validation message to show
};

/// The form's texts for `settings`.
FormTexts formTexts(const ScanSettings& settings);

/// Reads the form into `settings`. On the first value that is not an
/// integer or lies outside its range, returns the problem and leaves
/// `settings` unchanged.
std::optional<FormProblem> readForm(const FormTexts& texts, ScanSettings& settings);

}  // namespace fenwary
