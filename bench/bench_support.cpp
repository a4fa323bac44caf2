#include "bench/bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "tools/sheetgen/sheet_generator.h"

extern char** environ;

namespace bench {

double medianSeconds(int reps, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

ChildResult runChild(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildResult result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.maxRssKb = usage.ru_maxrss;
    }
    result.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

double medianChildSeconds(int reps, const std::vector<std::string>& argv) {
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) times.push_back(runChild(argv).wallSeconds);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::filesystem::path programFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

namespace {
sheetgen::Layout layoutFor(const SheetRecipe& recipe) {
    sheetgen::LayoutParams params;
    params.dpi = recipe.dpi;
    params.questions = recipe.questions;
    params.choices = recipe.choices;
    params.columns = 4;
    params.imageAreas = 1;
    return sheetgen::makeLayout(params);
}
}  // namespace

std::string writeDefinition(const std::filesystem::path& folder, const SheetRecipe& recipe) {
    const std::filesystem::path path = folder / "sheet.ini";
    std::ofstream(path, std::ios::binary) << sheetgen::definitionText(layoutFor(recipe));
    return path.string();
}

std::string writeSheet(const std::filesystem::path& path, const SheetRecipe& recipe) {
    const sheetgen::Layout layout = layoutFor(recipe);
    sheetgen::Distortion distortion;
    distortion.shiftX = 7;
    distortion.shiftY = -5;
    distortion.angleRad = 0.002;
    distortion.upsideDown = recipe.upsideDown;
    distortion.noise = 4.0;
    distortion.blur = 0.7;
    const sheetgen::Image image = sheetgen::renderSheet(
        layout, sheetgen::randomAnswers(layout, recipe.seed), distortion, recipe.seed);
    sheetgen::saveImage(path.string(), image, sheetgen::Format::Jpeg, recipe.dpi, 75);
    return path.string();
}

}  // namespace bench
