#include "tools/sheetgen/batch.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "tools/sheetgen/random_source.h"

namespace sheetgen {
namespace {

namespace fs = std::filesystem;

constexpr int kJitterShift = 20;         // pixels either way
constexpr double kJitterAngleDeg = 0.4;  // degrees either way
constexpr int kShiftMargin = 40;         // layout must survive a move this large
constexpr std::uint32_t kSeedStep = 0x9E3779B9u;

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

bool writeFile(const fs::path& path, const std::string& bytes, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) error = "cannot write " + path.string();
    return static_cast<bool>(out);
}

bool makeFolders(const fs::path& root, std::string& error) {
    std::error_code ec;
    for (const fs::path& dir : {root, root / "images", root / "truth"}) {
        fs::create_directories(dir, ec);
        if (ec) {
            error = "cannot create " + dir.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

std::string sheetName(const CliOptions& options, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return options.prefix + digits;
}

}  // namespace

std::uint32_t sheetSeed(const CliOptions& options, int number) {
    return options.seed * 1000003u + static_cast<std::uint32_t>(number) * kSeedStep;
}

Distortion sheetDistortion(const CliOptions& options, int number) {
    Distortion d;
    d.noise = options.noise;
    d.blur = options.blur;
    RandomSource rng(sheetSeed(options, number) ^ 0x5bd1e995u);
    const bool jitter = options.jitterEvery > 0 && number % options.jitterEvery == 0;
    if (options.shift) {
        d.shiftX = options.shift->x;
        d.shiftY = options.shift->y;
    } else if (jitter) {
        d.shiftX = rng.between(-kJitterShift, kJitterShift);
        d.shiftY = rng.between(-kJitterShift, kJitterShift);
    }
    if (options.angleDeg) {
        d.angleRad = radians(*options.angleDeg);
    } else if (jitter) {
        d.angleRad = radians(rng.uniform(-kJitterAngleDeg, kJitterAngleDeg));
    }
    d.upsideDown = options.upsideDownEvery > 0 && number % options.upsideDownEvery == 0;
    for (const SheetOverride& o : options.overrides) {
        if (o.sheet != number) continue;
        d.shiftX = o.shiftX;
        d.shiftY = o.shiftY;
        d.angleRad = radians(o.angleDeg);
        d.upsideDown = o.upsideDown;
    }
    return d;
}

bool writeBatch(const CliOptions& options, std::ostream& log, std::string& error) {
    const Layout layout = makeLayout(options.layout);
    if (!layoutFits(layout, kShiftMargin)) {
        error = "the questions and fields do not fit on the sheet at this resolution";
        return false;
    }
    const fs::path root(options.outDir);
    if (!makeFolders(root, error) ||
        !writeFile(root / "sheet.ini", definitionText(layout), error)) {
        return false;
    }
    for (int n = 1; n <= options.count; ++n) {
        const std::uint32_t seed = sheetSeed(options, n);
        const Answers answers = randomAnswers(layout, seed);
        const Distortion d = sheetDistortion(options, n);
        const Image image = renderSheet(layout, answers, d, seed + 1);
        const std::string name = sheetName(options, n);
        const fs::path imagePath = root / "images" / (name + "." + formatExtension(options.format));
        if (!saveImage(imagePath.string(), image, options.format, layout.dpi, options.quality,
                       &error) ||
            !writeFile(root / "truth" / (name + ".json"), groundTruthJson(layout, answers),
                       error)) {
            return false;
        }
        char line[160];
        std::snprintf(line, sizeof line, "%s shift=%d,%d angle=%.2f upside-down=%s",
                      imagePath.filename().c_str(), d.shiftX, d.shiftY,
                      d.angleRad * 180.0 / std::numbers::pi, d.upsideDown ? "yes" : "no");
        log << line << '\n';
    }
    return true;
}

}  // namespace sheetgen
