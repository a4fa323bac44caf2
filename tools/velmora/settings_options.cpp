#include "tools/velmora/settings_options.h"

#include <cstddef>

namespace velmora::cli {
namespace {

using tarrow::AppSettings;

constexpr double kMaxDensity = 1000.0;
constexpr long long kMaxDots = 1000000;
constexpr long long kMaxPercent = 100;
/// The several-marks threshold times 1000 must fit the engine's int.
constexpr double kMaxMultiply = 1000.0;

/// One setting: a flag (`flag` set) or a value with its check (`text` set).
struct SettingRow {
    const char* names;
    const char* valueName;
    const char* help;
    ValueCheck (*check)();
    QString AppSettings::*text;
    bool AppSettings::*flag;
    bool inJsonRead;
};

const SettingRow kRows[] = {
    {"--ten,!--no-ten", "", "store a read 10 as 0", nullptr, nullptr, &AppSettings::tenToZero,
     true},
    {"--transpose", "", "write the read-values and score files transposed", nullptr, nullptr,
     &AppSettings::transpose, false},
    {"--multi-marked", "", "flag single-answer questions with several marks", nullptr, nullptr,
     &AppSettings::multiMarked, true},
    {"--nomark", "X", "no-mark density threshold", [] { return ValueCheck::real(0, kMaxDensity); },
     &AppSettings::noMarkValue, nullptr, true},
    {"--faint", "X", "faint-mark density threshold",
     [] { return ValueCheck::real(0, kMaxDensity); }, &AppSettings::markValue, nullptr, true},
    {"--multi-value", "N", "dots of a marked choice, several-answer questions",
     [] { return ValueCheck::whole(0, kMaxDots); }, &AppSettings::multiValue, nullptr, true},
    {"--multi-range", "N", "half-width of the attention band, dots",
     [] { return ValueCheck::whole(0, kMaxDots); }, &AppSettings::multiRange, nullptr, true},
    {"--dots", "N", "no-mark minimum filled area, percent 0 to 100",
     [] { return ValueCheck::whole(0, kMaxPercent); }, &AppSettings::noMarkedPercent, nullptr,
     true},
    {"--multiply", "X", "several-marks threshold, 0 to 1000",
     [] { return ValueCheck::real(0, kMaxMultiply); }, &AppSettings::multiMarkedThreshold, nullptr,
     true},
    {"--scale", "N", "image-area crop scale, percent 1 to 100",
     [] { return ValueCheck::whole(1, kMaxPercent); }, &AppSettings::imageScale, nullptr, false},
    {"--sharpen", "N", "image-area crop sharpening, 0 to 100",
     [] { return ValueCheck::whole(0, kMaxPercent); }, &AppSettings::sharpenRate, nullptr, false},
};
static_assert(std::size(kRows) == 11, "SettingsOptions holds one slot per row");

/// The help of a row, with the application's default.
std::string helpOf(const SettingRow& row) {
    const AppSettings defaults;
    const std::string value =
        row.flag ? (defaults.*row.flag ? "on" : "off") : (defaults.*row.text).toStdString();
    return std::string(row.help) + " (default " + value + ")";
}

}  // namespace

void SettingsOptions::declare(OptionTable& table) {
    table.group("settings (defaults as in the reading application)");
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const SettingRow& row = kRows[i];
        options_[i] =
            row.flag ? table.flag(row.names, helpOf(row), flags_[i])
                     : table.value(row.names, row.valueName, helpOf(row), row.check(), texts_[i]);
    }
}

void SettingsOptions::applyTo(AppSettings& settings) const {
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const SettingRow& row = kRows[i];
        if (row.flag && flags_[i]) settings.*row.flag = *flags_[i];
        if (row.text && options_[i] && options_[i]->count() > 0) {
            settings.*row.text = QString::fromStdString(texts_[i]);
        }
    }
}

bool SettingsOptions::inJsonRead(const CLI::Option* option) const {
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        if (options_[i] == option) return kRows[i].inJsonRead;
    }
    return false;
}

}  // namespace velmora::cli
