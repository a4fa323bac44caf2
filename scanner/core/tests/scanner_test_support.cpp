#include "scanner/core/tests/scanner_test_support.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

// SANE's test backend loses its 64 KiB read buffer when a frontend cancels
// while the backend's reader thread is still running (a jam, a cancel, a
// device fault). That leak is the backend's; the tests keep the backend
// loaded (see usePrivateSaneConfig) so the leak checker can name it here.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsane-test.so\n";
}

namespace fenwary::testing {

namespace {

std::filesystem::path uniqueTempPath(const char* stem) {
    std::random_device random;
    for (;;) {
        auto path =
            std::filesystem::temp_directory_path() / (std::string(stem) + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) return path;
    }
}

/// The private SANE folder, removed when the process ends.
struct PrivateSaneConfig {
    std::filesystem::path folder = uniqueTempPath("fenwary-sane-");
    PrivateSaneConfig() {
        std::ofstream(folder / "dll.conf") << "test\n";
        std::filesystem::create_directory(folder / "dll.d");
        std::error_code error;
        std::filesystem::copy_file("/etc/sane.d/test.conf", folder / "test.conf", error);
        ::setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
        // Never unloaded, so its frames stay named in leak reports.
        ::dlopen(SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);
    }
    ~PrivateSaneConfig() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
};

}  // namespace

void usePrivateSaneConfig() {
    static PrivateSaneConfig config;
}

TempFolder::TempFolder() : path_(uniqueTempPath("fenwary-test-")) {}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

std::vector<std::string> TempFolder::fileNames() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

strovik::Raster patternRaster(int width, int height) {
    strovik::Raster raster(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = raster.data() + raster.offsetOf(x, y);
            p[0] = std::uint8_t(x * 4);
            p[1] = std::uint8_t(y * 4);
            p[2] = std::uint8_t(x < width / 2 ? 0 : 255);
        }
    }
    return raster;
}

Rgb pixelAt(const strovik::Raster& raster, int x, int y) {
    const std::uint8_t* p = raster.data() + raster.offsetOf(x, y);
    return Rgb{p[2], p[1], p[0]};
}

BatchEvents BatchRecord::events() {
    BatchEvents events;
    events.page = [this](ScannedPage& page) {
        pages.push_back(ScannedPage{page.pixels.clone(), page.resolution});
        return !keepGoing || keepGoing(int(pages.size()));
    };
    events.pageProblem = [this](DeviceError, const std::string& detail) {
        problems.push_back(detail);
    };
    events.finished = [this](const BatchResult& r) {
        finished = true;
        result = r;
    };
    return events;
}

bool runUntil(ManualEventDriver& driver, const std::function<bool()>& done, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (driver.runPending() > 0) continue;
        if (driver.timerActive()) {
            driver.tick();
        } else {
            driver.waitForTask(50);
        }
    }
    return true;
}

}  // namespace fenwary::testing
