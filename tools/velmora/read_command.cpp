#include "tools/velmora/read_command.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "common/atomic_file.h"
#include "engine/recognition/sheet_definition.h"
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
    if (path.size() > strovik::EngineSession::kMaxPath) {
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

std::string firstProblem(const ReadOptions& options) {
    std::string problem = checkDefinition(options.definition);
    if (problem.empty()) problem = checkFolder(options.cropsDir, "--crops");
    if (problem.empty()) problem = checkFolder(options.debugDir, "--debug");
    return problem;
}

int readChecked(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const EngineFactory& makeEngine) {
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
    options.jobs = cappedJobs(options.jobs, err);

    bool anyFailed = false;
    const RecordSink print = [&](const SheetRecord& record) {
        anyFailed = anyFailed || record.status != 0;
        out << formatRecord(record) << '\n';
        out.flush();
    };
    std::string error;
    if (!readImages(list.images, options, makeEngine, print, error)) {
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
                   const EngineFactory& makeEngine) {
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
    return runReadCommand(args, out, err, [] { return std::make_unique<SessionEngine>(); });
}

}  // namespace velmora::cli
