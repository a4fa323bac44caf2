#include "tools/velmora/read_command.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "common/atomic_file.h"
#include "engine/recognition/sheet_definition.h"
#include "reader/core/session_engine.h"
#include "tools/velmora/command_line.h"
#include "tools/velmora/exit_codes.h"
#include "tools/velmora/image_list.h"
#include "tools/velmora/json_output.h"
#include "tools/velmora/read_gate.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

/// Why the definition file cannot be used, or empty when it can.
std::string checkDefinition(const std::string& path) {
    if (!tarrow::fitsEngine(path)) {
        return "definition path too long: " + path;
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) return "definition is a folder: " + path;
    if (std::string problem = notRegularFileProblem(path, "definition"); !problem.empty()) {
        return problem;
    }
    if (!velmora::readFileStart(path, 1)) return "cannot read definition file: " + path;
    // Read as every engine will read it: a definition it refuses reads nothing.
    strovik::SheetDefinition definition;
    strovik::readSheetDefinition(path, definition);
    if (!definition.refusal.empty()) {
        return "definition refused (" + definition.refusal + "): " + path;
    }
    return {};
}

/// Why an output folder cannot be used, or empty when it can.
std::string checkFolder(const std::string& path, const char* option) {
    if (path.empty()) return {};
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
        return std::string(option) + " folder does not exist: " + path;
    }
    return {};
}

/// `folder`, a "/" unless it already ends in one, and `name`.
std::string inFolder(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

/// The file name without folder and without its last extension
/// ("a/scan.001.jpg" -> "scan.001").
std::string baseName(const std::string& path) {
    return fs::path(path).stem().string();
}

/// What the workers read: the options' settings (crops at 75 % sharpened
/// by 30), each image with its diagnostic image when --debug was given,
/// crops under --crops.
tarrow::ParallelJob readJob(const ReadOptions& options, const std::vector<std::string>& images) {
    tarrow::ParallelJob job;
    job.settings.definition = options.definition;
    job.settings.noMarkedDots = options.dots;
    job.settings.multiply1000 = options.multiply1000;
    job.settings.scalePercent = kCropScalePercent;
    job.settings.sharpenRate = kCropSharpenRate;
    job.jobs = options.jobs;
    for (const std::string& image : images) {
        tarrow::SheetRequest request{image, {}};
        if (!options.debugDir.empty()) {
            request.debugImage = inFolder(options.debugDir, "debug-" + baseName(image) + ".jpg");
        }
        job.requests.push_back(std::move(request));
    }
    if (!options.cropsDir.empty()) {
        job.cropBase = [crops = options.cropsDir](const std::string& image) {
            return inFolder(crops, baseName(image));
        };
    }
    return job;
}

/// Prints one line per image in input order; false with `error` when the
/// images could not be read.
bool printReadings(const std::vector<std::string>& images, const ReadOptions& options,
                   const tarrow::EngineFactory& makeEngine, std::ostream& out, bool& anyFailed,
                   std::string& error) {
    if (images.empty()) return true;
    tarrow::ParallelReader reader(readJob(options, images), makeEngine);
    if (!reader.reading()) {
        error = !reader.error().empty() ? reader.error()
                : !reader.preparation() ? "the engine could not be prepared"
                                        : "the engine refused the definition";
        return false;
    }
    for (std::size_t i = 0; i < images.size(); ++i) {
        // A reading that threw (memory ran out) counts as an image not loaded.
        const tarrow::SheetReading reading = reader.take(i).value_or(tarrow::SheetReading{});
        anyFailed = anyFailed || !reading.read();
        out << formatRecord(images[i], reading, options.review) << '\n';
        out.flush();
    }
    return true;
}

std::string firstProblem(const ReadOptions& options) {
    std::string problem = checkDefinition(options.definition);
    if (problem.empty()) problem = checkFolder(options.cropsDir, "--crops");
    if (problem.empty()) problem = checkFolder(options.debugDir, "--debug");
    return problem;
}

int readChecked(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const tarrow::EngineFactory& makeEngine) {
    const ParsedRead parsed = parseReadArguments(args);
    if (parsed.kind == ParsedRead::Kind::Help) {
        out << readUsage();
        return kExitOk;
    }
    if (parsed.kind == ParsedRead::Kind::Error) {
        err << "velmora: " << parsed.error << "\n";
        return kExitUsage;
    }
    ReadOptions options = parsed.options;
    if (const std::string problem = firstProblem(options); !problem.empty()) {
        err << "velmora: " << problem << "\n";
        return kExitUsage;
    }
    const ImageList list = expandInputs(options.inputs);
    if (!list.error.empty()) {
        err << "velmora: " << list.error << "\n";
        return kExitUsage;
    }
    if (const std::string pages = multiPageProblem(list.images); !pages.empty()) {
        err << "velmora: " << pages << "\n";
        return kExitUsage;
    }
    options.jobs = cappedJobs(options.jobs, err);

    bool anyFailed = false;
    std::string error;
    if (!printReadings(list.images, options, makeEngine, out, anyFailed, error)) {
        err << "velmora: " << error << "\n";
        return kExitInternal;
    }
    if (!out) {
        err << "velmora: cannot write the results\n";
        return kExitInternal;
    }
    return anyFailed ? kExitImageFailed : kExitOk;
}

}  // namespace

int runReadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const tarrow::EngineFactory& makeEngine) {
    try {
        return readChecked(args, out, err, makeEngine);
    } catch (const std::exception& e) {
        err << "velmora: internal error: " << e.what() << "\n";
    } catch (...) {
        err << "velmora: internal error\n";
    }
    return kExitInternal;
}

int runReadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return runReadCommand(args, out, err, [] { return std::make_unique<tarrow::SessionEngine>(); });
}

}  // namespace velmora::cli
