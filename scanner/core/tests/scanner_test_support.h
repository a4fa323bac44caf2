// What the scanner tests share: a private SANE configuration that offers
// only SANE's test backend, a temporary folder, file reading, and running
// an EventDriver until a batch has finished.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/image/raster.h"
#include "scanner/core/acquisition.h"
#include "scanner/core/event_driver.h"

namespace fenwary::testing {

/// Points SANE_CONFIG_DIR at a private folder holding dll.conf = "test",
/// a copy of the installed test.conf and an empty dll.d/, once per process
/// and before the first sane_init (SANE keeps the first folder it saw), so
/// no test ever probes the machine's scanners or the network.
void usePrivateSaneConfig();

/// A fresh folder under the system's temporary folder, removed with its
/// contents when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    /// The folder's file names, sorted.
    std::vector<std::string> fileNames() const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);

/// A solid or patterned page of the given size.
strovik::Raster patternRaster(int width, int height);

/// Colour (r, g, b) of image pixel (x, y), y from the top.
struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
Rgb pixelAt(const strovik::Raster& raster, int x, int y);

/// Events of one batch, recorded.
struct BatchRecord {
    std::vector<ScannedPage> pages;
    std::vector<std::string> problems;
    bool finished = false;
    BatchResult result;
    /// Answer of the page callback for page n (1-based); true when absent.
    std::function<bool(int page)> keepGoing;
    BatchEvents events();
};

/// Runs `driver`'s tasks (waiting for the worker thread, ticking the timer
/// when one is on) until `done` holds or `seconds` passed. True when done.
bool runUntil(ManualEventDriver& driver, const std::function<bool()>& done, int seconds = 30);

}  // namespace fenwary::testing
