// Engine benchmark: reading a generated A4 sheet compared with libjpeg-turbo
// decoding the same file (in this process, and as djpeg in a process of its
// own), the speed-up of parallel batch reading, and the peak memory of
// reading one sheet. Prints each figure beside its target; the read and the
// in-process decode are also given in CPU time, which a busy machine
// disturbs far less than the wall clock.
//
//   engine_bench [REPETITIONS]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// After <cstdio>: the library's header needs size_t and FILE.
#include <jpeglib.h>

#include "bench/bench_support.h"
#include "engine/recognition/engine_session.h"

namespace fs = std::filesystem;

namespace {

struct ReadCase {
    const char* name;
    bench::SheetRecipe recipe;
    double target;
};

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

/// Median wall-clock and median CPU seconds (of the calling thread, user and
/// system) over `reps` runs. On a machine shared with other work the CPU
/// time shows the cost of a read when the wall time mostly shows the load.
struct Timing {
    double wall = 0.0;
    double cpu = 0.0;
};

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Timing medianTiming(int reps, const std::function<void()>& work) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < reps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        work();
        cpu.push_back(threadCpuSeconds() - cpuStart);
        wall.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return Timing{wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

Timing engineReadTiming(const std::string& definition, const std::string& image, int reps) {
    strovik::EngineCore core;
    strovik::EngineSession session(core);
    session.putIniFilename(definition);
    strovik::OptionOutputs out;
    session.putOptions(strovik::OptionAction::SetNoMarkMin1000, 0, "", out);
    session.putImageFilename(image);
    if (session.run() != strovik::kRunOk) std::printf("  (warning: the sheet did not read)\n");
    return medianTiming(reps, [&] { session.run(); });
}

// libjpeg-turbo decoding the file's bytes into BGR rows in this process: the
// least any reading of the sheet must spend, without a process start.
Timing inProcessDecodeTiming(const std::string& image, int reps) {
    std::FILE* f = std::fopen(image.c_str(), "rb");
    if (!f) return Timing{};
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    std::fclose(f);
    std::vector<unsigned char> pixels;
    return medianTiming(reps, [&] {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = std::size_t(cinfo.output_width) * 3;
        pixels.resize(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
    });
}

// The engine's cost of reading one sheet (loading, decoding, recognising and
// writing back, as in a running batch) against djpeg decoding the same file
// in a process of its own. A fresh velmora process for the one sheet is
// printed too: it adds the tool's start-up (loading its libraries).
void compareWithDjpeg(const fs::path& work, const fs::path& velmora, const ReadCase& c, int reps) {
    const fs::path folder =
        work / ("case-" + std::to_string(c.recipe.dpi) + (c.recipe.upsideDown ? "-turned" : ""));
    fs::create_directories(folder);
    const std::string definition = bench::writeDefinition(folder, c.recipe);
    const std::string image = bench::writeSheet(folder / "sheet.jpg", c.recipe);
    const Timing read = engineReadTiming(definition, image, reps);
    const double engine = read.wall;
    const double process =
        bench::medianChildSeconds(reps, {velmora.string(), "read", "-d", definition, image});
    const double djpeg =
        bench::medianChildSeconds(reps, {"/usr/bin/djpeg", "-outfile", "/dev/null", image});
    const double ratio = engine / djpeg;
    std::printf("%-34s read %7.1f ms  djpeg %7.1f ms  ratio %5.2f  (target <= %.2f) %s\n", c.name,
                engine * 1e3, djpeg * 1e3, ratio, c.target, verdict(ratio <= c.target));
    std::printf("%-34s (one fresh velmora process: %.1f ms, ratio %.2f)\n", "", process * 1e3,
                process / djpeg);
    // The stricter comparison: the same decode without a process start.
    const Timing decode = inProcessDecodeTiming(image, reps);
    if (decode.wall > 0.0 && decode.cpu > 0.0) {
        std::printf("%-34s (in-process libjpeg-turbo decode: %.1f ms, ratio %.2f)\n", "",
                    decode.wall * 1e3, engine / decode.wall);
        std::printf("%-34s (CPU time: read %.1f ms, decode %.1f ms, ratio %.2f)\n", "",
                    read.cpu * 1e3, decode.cpu * 1e3, read.cpu / decode.cpu);
    }
}

void parallelSpeedup(const fs::path& work, const fs::path& velmora) {
    const fs::path folder = work / "batch";
    fs::create_directories(folder / "images");
    bench::SheetRecipe recipe;
    const std::string definition = bench::writeDefinition(folder, recipe);
    for (unsigned i = 0; i < 40; ++i) {
        recipe.seed = 100 + i;
        char name[32];
        std::snprintf(name, sizeof name, "sheet%03u.jpg", i);
        bench::writeSheet(folder / "images" / name, recipe);
    }
    auto timed = [&](const char* jobs) {
        return bench::medianChildSeconds(3, {velmora.string(), "read", "-d", definition, "-j", jobs,
                                             (folder / "images").string()});
    };
    const double one = timed("1");
    const double two = timed("2");
    const double speedup = one / two;
    std::printf("%-34s -j1 %7.2f s  -j2 %7.2f s  speed-up %5.2f  (target >= 1.70) %s\n",
                "40 sheets, velmora read", one, two, speedup, verdict(speedup >= 1.7));

    const std::string sheet = (folder / "images" / "sheet000.jpg").string();
    const bench::ChildResult r =
        bench::runChild({velmora.string(), "read", "-d", definition, sheet});
    const double raster = 2480.0 * 3508.0 * 3.0;
    const double ratio = double(r.maxRssKb) * 1024.0 / raster;
    std::printf("%-34s peak %7.1f MB  raster %5.1f MB  ratio %5.2f  (target < 3.00) %s\n",
                "memory, one A4 300 dpi sheet", double(r.maxRssKb) / 1024.0, raster / 1048576.0,
                ratio, verdict(ratio < 3.0));
}

}  // namespace

int main(int argc, char** argv) {
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const fs::path work = fs::temp_directory_path() / "velmora-engine-bench";
    fs::remove_all(work);
    fs::create_directories(work);

    const std::vector<ReadCase> cases = {
        {"A4 300 dpi, 100 x 5", {300, 100, 5, false, 1}, 1.25},
        {"A4 200 dpi (fine sampling)", {200, 100, 5, false, 2}, 1.40},
        {"A4 300 dpi upside down", {300, 100, 5, true, 3}, 2.00},
    };
    const fs::path velmora = bench::programFolder() / "velmora";
    if (!fs::exists(velmora)) {
        std::printf("velmora not found beside the benchmark (build the velmora target)\n");
        return 1;
    }
    for (const ReadCase& c : cases) compareWithDjpeg(work, velmora, c, reps);
    parallelSpeedup(work, velmora);
    fs::remove_all(work);
    return 0;
}
