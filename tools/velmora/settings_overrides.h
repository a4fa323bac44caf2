// The command line's settings applied over the reading application's
// defaults.
#pragma once

#include "reader/core/app_settings.h"
#include "tools/velmora/batch_options.h"

namespace velmora::cli {

/// The application's default settings with every given option applied. The
/// user's stored settings are not read: a command's result depends only on
/// its arguments.
tarrow::AppSettings settingsFor(const SettingsOverrides& overrides);

}  // namespace velmora::cli
