#include "tools/velmora/split_command.h"

#include <QString>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "reader/core/pdf_conversion.h"
#include "tools/cli/option_table.h"
#include "tools/velmora/command_guard.h"
#include "tools/velmora/exit_codes.h"
#include "tools/velmora/headless_prompter.h"
#include "tools/velmora/image_list.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

struct SplitCommand {
    SplitCommand()
        : table("usage: velmora split FILE... -o DIR\n",
                "Splits PDF files into page images (pdfimages -j, then convert for pages that\n"
                "are not JPEG) and TIFF files into one TIFF per page (pixels and resolution\n"
                "kept), named <base>-000, <base>-001, ... in page order, into the folder DIR.\n"
                "Prints every file written, one a line.\n",
                "\n"
                "Exit status: 0 every file gave its pages, 2 bad usage, a missing file, a\n"
                "program that could not be started or a file that gave no page, 3 internal\n"
                "error.\n") {
        table.value("-o,--output", "DIR", "folder the pages go to (required)", ValueCheck::any(),
                    output);
        table.operands(files);
    }
    std::string output;
    std::vector<std::string> files;
    OptionTable table;
};

/// Why the command cannot start, or empty.
std::string usageProblem(const SplitCommand& c) {
    if (c.output.empty()) return "missing -o DIR";
    if (c.files.empty()) return "missing FILE";
    std::error_code ec;
    if (!fs::is_directory(c.output, ec)) return "output folder does not exist: " + c.output;
    for (const std::string& file : c.files) {
        if (!fs::exists(file, ec)) return "no such file: " + file;
        if (std::string problem = notRegularFileProblem(file, "input"); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

int split(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const std::string& applicationFolder) {
    SplitCommand c;
    const OptionTable::Outcome parsed = c.table.parse(args);
    if (parsed.kind == OptionTable::Outcome::Kind::Help) {
        out << c.table.help();
        return kExitOk;
    }
    std::string problem =
        parsed.kind == OptionTable::Outcome::Kind::Error ? parsed.error : usageProblem(c);
    if (!problem.empty()) {
        err << "velmora: " << problem << '\n';
        return kExitUsage;
    }
    HeadlessPrompter feedback(err);
    tarrow::PdfConversion conversion(
        tarrow::findPdfTools(QString::fromStdString(applicationFolder)), feedback);
    const QString folder = QString::fromStdString(c.output);
    int status = kExitOk;
    // One file at a time, so a file that gave nothing is named.
    for (const std::string& file : c.files) {
        const tarrow::PdfConversion::Result result =
            conversion.convert({QString::fromStdString(file)}, folder);
        for (const QString& page : result.images) out << page.toStdString() << '\n';
        out.flush();
        if (!result.completed) {
            err << "velmora: " << result.error.toStdString() << '\n';
            return kExitUsage;
        }
        if (result.images.isEmpty()) {
            err << "velmora: no pages written for " << file << '\n';
            status = kExitUsage;
        }
    }
    return status;
}

std::string executableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

}  // namespace

int runSplitCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::string& applicationFolder) {
    return guarded(err, [&] { return split(args, out, err, applicationFolder); });
}

int runSplitCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return runSplitCommand(args, out, err, executableFolder());
}

std::string splitUsage() {
    return SplitCommand().table.help();
}

}  // namespace velmora::cli
