// Finding and setting a SANE device's options by name (source, mode,
// depth, resolution) whatever the backend calls its values: a feeder may
// be "ADF", "ADF Front" or "Automatic Document Feeder", grey "Gray" or
// "Grayscale", and resolution an integer or a fixed-point option with a
// range or a list of values. The choices are plain functions over the
// offered values, so they are tested without a device.
#pragma once

#include <sane/sane.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/core/acquisition.h"
#include "scanner/core/sane_api.h"

namespace fenwary {

/// The source entry to select: for the feeder the first simplex feeder
/// entry (then any feeder entry); for the glass the flatbed entry. nullopt
/// when the device offers no such entry.
std::optional<std::string> chooseSourceEntry(const std::vector<std::string>& entries, bool feeder);

/// The mode entry for `mode`; nullopt when the device has none (a device
/// without a line-art mode scans grey at 1 bit instead).
std::optional<std::string> chooseModeEntry(const std::vector<std::string>& entries, ScanMode mode);

/// The allowed value nearest to `wanted` for a numeric option with a range
/// (honouring its step) or a list of values; `wanted` itself without a
/// constraint. Values are in the option's own units (SANE_Word for
/// integers, SANE_Fixed for fixed-point).
SANE_Word nearestAllowedValue(const SANE_Option_Descriptor& option, SANE_Word wanted);

/// What a device was set to.
struct DeviceSetup {
    bool feeder = false;    ///< pages come from a feeder: scan until it is empty
    int resolutionDpi = 0;  ///< the resolution the device reports after setting, 0 if none
};

/// Sets source, mode, depth and resolution of the open device from
/// `request`, in this order, skipping options the device lacks or keeps
/// inactive, and re-reading the options whenever the device says they
/// changed. Options that refuse a value keep theirs.
DeviceSetup configureDevice(SaneApi& api, SANE_Handle handle, const BatchRequest& request);

}  // namespace fenwary
