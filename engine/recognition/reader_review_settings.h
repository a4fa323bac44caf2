// The reading application's review settings as it stores them: the one home
// of their value names, defaults and reading rules. The reading application
// loads and saves these values under the names below; the editor's test read
// loads them with loadReaderReview() so that it judges as the reader will.
//
// Storage: the settings store key HKEY_LOCAL_MACHINE
// "SOFTWARE\velmora\tarrow3\param", string values. Reading rules:
//   - a value ends at its first NUL; it counts as absent when nothing is left
//     of it after removing every NUL, LF, CR and blank (cleanedStoredText);
//   - a check box: the cleaned text as a decimal integer; 1 ticks it, 0
//     clears it, anything else leaves the default (storedCheck);
//   - a number (loadReaderReview only): the text without surrounding white
//     space as a plain decimal number; a density or multiplier a finite
//     real, a dot count an integer of the int range, the no-mark percentage
//     a real rounded to the nearest integer (ties to even), the several-marks
//     threshold a real rounded to thousandths the same way (as the reader
//     hands both to the engine). A value that is not such a number takes its
//     default and is listed as malformed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings_store.h"
#include "engine/recognition/review_rule.h"

namespace strovik {

/// The reading application's key in the settings store.
inline constexpr std::string_view kReaderSettingsRoot = "HKEY_LOCAL_MACHINE";
inline constexpr std::string_view kReaderSettingsKey = "SOFTWARE\\velmora\\tarrow3\\param";

/// A stored text value and the text a box shows when it is absent.
struct StoredText {
    std::string_view name;
    std::string_view fallback;
};

/// A stored check box ("0" / "1") and its state when absent.
struct StoredCheck {
    std::string_view name;
    bool fallback = false;
};

/// The values that decide what the reading application flags.
namespace reader_values {
/// Result window: density below which a question counts as unmarked.
inline constexpr StoredText kNoMarkValue{"NoMarkValue", "2.0"};
/// Result window: density below which a mark counts as faint.
inline constexpr StoredText kMarkValue{"MarkValue", "3.0"};
/// Result window: dots above which a choice of a several-answer question counts.
inline constexpr StoredText kMultiValue{"MultiValue", "150"};
/// Result window: half-width of the attention band around MultiValue.
inline constexpr StoredText kMultiRange{"MultiRange", "50"};
/// Settings: show single-answer questions with several marks grey.
inline constexpr StoredCheck kMultiMarkedCheck{"chkMultiMarked", false};
/// Settings: the engine's several-marks multiplier (a real number).
inline constexpr StoredText kMultiMarkedThreshold{"txtMultiMarked", "2.0"};
/// Settings: the engine's no-mark minimum, percent of an oval's samples.
inline constexpr StoredText kNoMarkedPercent{"txtNoMarkedPer", "10"};
/// Settings: a read choice 10 is shown as 0.
inline constexpr StoredCheck kTenToZero{"chkTen", true};
}  // namespace reader_values

/// Everything the reading application judges a sheet with.
struct ReaderReview {
    ReviewSettings rule;               ///< the four thresholds and the several-marks grey
    bool tenToZero = true;             ///< choice 10 shown as "0"
    int noMarkedPercent = 10;          ///< the engine's no-mark minimum dots, percent
    double multiMarkedMultiply = 2.0;  ///< the engine's several-marks multiplier
    /// The key exists: the reading application has saved its settings.
    bool stored = false;
    /// Names of stored values that were not numbers and took their defaults.
    std::vector<std::string_view> malformed;
};

/// `text` without any NUL, LF, CR or blank (anywhere in it).
std::string cleanedStoredText(std::string_view text);

/// A stored check box: true for 1, false for 0 (after cleaning); nullopt
/// when absent, empty or anything else.
std::optional<bool> storedCheck(std::string_view text);

/// What a first start of the reading application judges with: every value
/// at its default.
ReaderReview readerReviewDefaults();

/// The reading application's review settings as stored in `store` (read
/// afresh at every call); absent values take their defaults.
ReaderReview loadReaderReview(const velmora::SettingsStore& store);

}  // namespace strovik
