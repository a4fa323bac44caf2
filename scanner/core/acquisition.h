// The one interface every scanner backend implements (SANE, TWAIN): list
// the sources, scan a batch with a callback per page, cancel, and typed
// device problems. Callbacks always run on the owner's thread (the thread
// that created the backend, driven by its EventDriver), one at a time; the
// backend asks for the next page only after the page callback returned, so
// every page is saved before the scanner is asked for more.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/image/raster.h"

namespace fenwary {

/// What went wrong with a device or a page.
enum class DeviceError {
    None,
    FeederEmpty,    ///< no sheet in the feeder (or on the glass) at the start
    Jammed,         ///< paper jam
    CoverOpen,      ///< the cover or the feeder lid is open
    Busy,           ///< the device is in use elsewhere
    Io,             ///< the device stopped answering or disappeared
    BadPage,        ///< the page data from the device could not be read
    NotResponding,  ///< no data came for the set time; the device was cancelled
};

/// The Japanese text shown for a device problem (empty for None).
std::string deviceErrorText(DeviceError error);

/// Resolution of a page in pixels per metre, as a device-independent
/// bitmap records it; 0 means unknown.
struct PageResolution {
    int xPixelsPerMetre = 0;
    int yPixelsPerMetre = 0;
};

/// One page: 24-bit blue-green-red pixels (rows bottom-up, see Raster) and
/// its resolution.
struct ScannedPage {
    strovik::Raster pixels;
    PageResolution resolution;
};

/// The colour mode asked of a SANE device.
enum class ScanMode { Color, Gray, Lineart };

/// Which source to scan from and how. TWAIN sources show their own dialog
/// and ignore feeder, resolution and mode.
struct BatchRequest {
    std::string device;  ///< SANE device name, or TWAIN product name
    bool feeder = true;  ///< take the whole feeder (SANE)
    int resolutionDpi = 300;
    ScanMode mode = ScanMode::Color;
    /// A SANE call without data for this long cancels the batch.
    std::chrono::milliseconds noDataTimeout{std::chrono::seconds(60)};
};

/// How a batch ended.
struct BatchResult {
    int pages = 0;                          ///< pages handed to the page callback
    DeviceError error = DeviceError::None;  ///< the problem that ended the batch
    std::string detail;                     ///< backend wording of the problem
    bool cancelled = false;                 ///< ended by cancel()
};

struct BatchEvents {
    /// A page arrived. Returning false cancels the rest of the batch (the
    /// page could not be kept, so no more sheets are fed).
    std::function<bool(ScannedPage& page)> page;
    /// A page that arrived but could not be read (the batch goes on).
    std::function<void(DeviceError error, const std::string& detail)> pageProblem;
    /// The batch is over and the device released.
    std::function<void(const BatchResult& result)> finished;
};

/// One entry of a source list.
struct SourceInfo {
    std::string name;         ///< device name (SANE) or product name (TWAIN)
    std::string description;  ///< vendor and model, for the list
};

class Acquisition {
public:
    virtual ~Acquisition() = default;

    /// Lists the sources; `done` runs on the owner's thread. An empty list
    /// when none is found or the backend is unavailable.
    virtual void listSources(std::function<void(std::vector<SourceInfo>)> done) = 0;

    /// Starts a batch. False (and no callback) when nothing could be
    /// started: the backend is missing, a batch is running, or the source
    /// could not be opened.
    virtual bool start(const BatchRequest& request, BatchEvents events) = 0;

    /// Asks a running batch to stop after the current page; `finished`
    /// follows with cancelled set. Nothing happens when no batch runs.
    virtual void cancel() = 0;

    virtual bool running() const = 0;

    /// Ends any batch and releases the backend (program exit).
    virtual void shutdown() = 0;

    /// True when shutdown left a driver call behind that never returned:
    /// the object must then never be destroyed (the program is ending).
    virtual bool workerAbandoned() const { return false; }
};

}  // namespace fenwary
