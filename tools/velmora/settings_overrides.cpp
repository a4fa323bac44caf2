#include "tools/velmora/settings_overrides.h"

namespace velmora::cli {
namespace {

void take(const std::optional<bool>& given, bool& to) {
    if (given) to = *given;
}

void take(const std::optional<std::string>& given, QString& to) {
    if (given) to = QString::fromStdString(*given);
}

}  // namespace

tarrow::AppSettings settingsFor(const SettingsOverrides& o) {
    tarrow::AppSettings s;
    take(o.tenToZero, s.tenToZero);
    take(o.transpose, s.transpose);
    take(o.multiMarked, s.multiMarked);
    take(o.noMarkValue, s.noMarkValue);
    take(o.markValue, s.markValue);
    take(o.multiValue, s.multiValue);
    take(o.multiRange, s.multiRange);
    take(o.noMarkedPer, s.noMarkedPercent);
    take(o.multiMarkedX, s.multiMarkedThreshold);
    take(o.imageScale, s.imageScale);
    take(o.sharpenRate, s.sharpenRate);
    return s;
}

}  // namespace velmora::cli
