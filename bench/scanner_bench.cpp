// Scanner benchmark: saving a 300-dpi A4 colour page as JPEG through the
// scanner's page writer against libjpeg-turbo compressing the same pixels
// in memory, and a 50-page feeder batch from SANE's test device at 300 dpi
// saved end to end, with the longest time the window's thread was busy.
// Prints each figure beside its target.
//
//   scanner_bench [REPETITIONS]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "bench/bench_support.h"
#include "scanner/core/batch_runner.h"
#include "scanner/core/event_driver.h"
#include "scanner/core/page_writers.h"
#include "scanner/core/sane_scanner.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kA4Width = 2480;  // 210 x 297 mm at 300 dpi
constexpr int kA4Height = 3508;
constexpr int kQuality = 75;
constexpr int kDpi = 300;
constexpr double kJpegTarget = 1.3;
constexpr int kBatchPages = 50;
constexpr int kFeederSheets = 10;  // the test device's feeder holds ten
constexpr double kPagesPerSecondTarget = 2.0;

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

/// A scanned answer sheet's look: paper white with grain, grey print,
/// dark marks.
strovik::Raster scannedLookingPage() {
    strovik::Raster page(kA4Width, kA4Height);
    unsigned noise = 12345;
    for (int y = 0; y < kA4Height; ++y) {
        std::uint8_t* row = page.storedRow(kA4Height - 1 - y);
        for (int x = 0; x < kA4Width; ++x) {
            noise = noise * 1103515245u + 12345u;
            int v = 235 + int((noise >> 16) % 16);
            if ((y / 40) % 6 == 0 && (x / 30) % 3 != 0) v = 120;  // printed lines
            if ((x % 300 < 60) && (y % 240 < 40) && ((x / 300 + y / 240) % 4 == 0))
                v = 30;  // marks
            row[x * 3] = std::uint8_t(std::min(255, v + 4));
            row[x * 3 + 1] = std::uint8_t(v);
            row[x * 3 + 2] = std::uint8_t(std::max(0, v - 6));
        }
    }
    return page;
}

/// libjpeg-turbo on its own: the same pixels, same quality and density,
/// compressed into memory.
void compressInMemory(const strovik::Raster& page) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(page.width());
    cinfo.image_height = JDIMENSION(page.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kQuality, TRUE);
    cinfo.density_unit = 1;
    cinfo.X_density = cinfo.Y_density = kDpi;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(page.storedRow(page.height() - 1 - int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
}

void jpegFigures(int reps, const fs::path& folder) {
    const strovik::Raster page = scannedLookingPage();
    const std::string path = (folder / "page.jpg").string();
    fenwary::PageWriteOptions options;
    options.jpegQuality = kQuality;
    options.dpi = kDpi;
    const double library = bench::medianSeconds(reps, [&] { compressInMemory(page); });
    const double direct = bench::medianSeconds(reps, [&] {
        std::string error;
        fenwary::writeJpeg(path, page, kQuality, kDpi, &error);
    });
    const double saved = bench::medianSeconds(reps, [&] {
        std::error_code ignored;
        fs::remove(path, ignored);  // the name must be free: a page never replaces a file
        fenwary::StagedPage staged(folder.string(), page, options);
        if (staged.placeNew(path) != fenwary::StagedPage::Placement::Placed) {
            std::printf("  (write failed: %s)\n", staged.failure().reason.c_str());
        }
    });
    std::printf("JPEG of a 300-dpi A4 colour page (%dx%d, quality %d), median of %d:\n", kA4Width,
                kA4Height, kQuality, reps);
    std::printf("  libjpeg-turbo alone, in memory       %7.1f ms\n", library * 1e3);
    std::printf("  page writer to the file              %7.1f ms  (%.2fx)\n", direct * 1e3,
                direct / library);
    std::printf("  saved page (temporary file, flushed to disk, named without replacing)\n");
    std::printf("                                       %7.1f ms  (%.2fx, target <= %.1fx: %s)\n",
                saved * 1e3, saved / library, kJpegTarget, verdict(saved / library <= kJpegTarget));
}

/// A private SANE configuration: only the test device, its largest page
/// (200 x 200 mm) with the colour test picture.
void privateSaneConfig(const fs::path& folder) {
    fs::create_directories(folder / "dll.d");
    std::ofstream(folder / "dll.conf") << "test\n";
    std::ifstream in("/etc/sane.d/test.conf");
    std::ofstream out(folder / "test.conf");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("test-picture", 0) == 0) line = "test-picture \"Color pattern\"";
        if (line.rfind("br_x", 0) == 0) line = "br_x 200.0";
        if (line.rfind("br_y", 0) == 0) line = "br_y 200.0";
        out << line << '\n';
    }
    ::setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
}

void batchFigures(const fs::path& folder) {
    privateSaneConfig(folder / "sane");
    const fs::path output = folder / "pages";
    fs::create_directories(output);
    fenwary::ManualEventDriver driver;
    fenwary::SaneScanner sane(driver);
    fenwary::BatchRunner runner(sane, nullptr);
    fenwary::ScanSettings settings = fenwary::ScanSettings::defaults(output.string());
    settings.source = "sane:test:0";
    settings.saneResolution = kDpi;

    int pages = 0;
    double longestTask = 0;
    std::string problem;
    const auto start = Clock::now();
    while (pages < kBatchPages) {
        bool finished = false;
        fenwary::BatchRunner::Host host;
        host.readForm = [&](fenwary::ScanSettings& s) { s.counter = settings.counter; };
        host.saved = [&](const fenwary::SaveOutcome&, const fenwary::ScanSettings& s,
                         fenwary::ScannedPage&) { settings.counter = s.counter; };
        host.finished = [&](const fenwary::BatchSummary& summary) {
            finished = true;
            pages += summary.pagesSaved;
            if (!summary.problems.empty()) problem = summary.problems.front();
        };
        if (!runner.start(settings, host)) {
            std::printf("the test device could not be started\n");
            return;
        }
        while (!finished) {
            driver.waitForTask(100);
            const auto begin = Clock::now();
            driver.runPending();
            longestTask =
                std::max(longestTask, std::chrono::duration<double>(Clock::now() - begin).count());
        }
        if (!problem.empty()) {
            std::printf("batch stopped: %s\n", problem.c_str());
            return;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double rate = pages / seconds;
    std::printf(
        "Feeder batch from SANE's test device at %d dpi (200 x 200 mm colour pages,\n"
        "%d feeder loads of %d), scanned and saved as JPEG:\n",
        kDpi, kBatchPages / kFeederSheets, kFeederSheets);
    std::printf("  %d pages in %.2f s: %.1f pages/s (target >= %.0f: %s)\n", pages, seconds, rate,
                kPagesPerSecondTarget, verdict(rate >= kPagesPerSecondTarget));
    std::printf("  longest the window's thread was busy at once: %.0f ms (one page's saving)\n",
                longestTask * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path folder =
        fs::temp_directory_path() / ("scanner-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    jpegFigures(reps, folder);
    batchFigures(folder);
    fs::remove_all(folder);
    return 0;
}
