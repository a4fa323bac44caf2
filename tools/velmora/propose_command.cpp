#include "tools/velmora/propose_command.h"

#include <filesystem>
#include <optional>

#include "common/atomic_file.h"
#include "editor/core/sheet_draft.h"
#include "engine/image/image_loader.h"
#include "engine/image/jfif_density.h"
#include "engine/layout/sheet_proposal.h"
#include "tools/cli/option_table.h"
#include "tools/velmora/command_guard.h"
#include "tools/velmora/exit_codes.h"

namespace velmora::cli {
namespace {

struct ProposeWords {
    ProposeWords()
        : table("usage: velmora propose -o DEFINITION.ini IMAGE [--overwrite]\n",
                "Drafts a sheet definition from the print of one sheet image: the three\n"
                "zero marks, every printed bubble grouped into questions in reading order,\n"
                "and the oval size and zero-mark radius measured from the print. What was\n"
                "found is printed on stderr.\n",
                "\n"
                "Exit status: 0 written, 1 no usable draft (fewer than three zero marks or\n"
                "no question; nothing written), 2 bad usage or a file that could not be\n"
                "read or written, 3 internal error.\n") {
        table.value("-o,--output", "FILE", "the definition file to write (required)",
                    ValueCheck::any(), output);
        table.flag("--overwrite", "replace an existing definition file", overwrite);
        table.operands(operands);
    }
    std::string output;
    std::optional<bool> overwrite;
    std::vector<std::string> operands;
    OptionTable table;
};

int propose(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ProposeWords w;
    const OptionTable::Outcome outcome = w.table.parse(args);
    if (outcome.kind == OptionTable::Outcome::Kind::Help) {
        out << w.table.help();
        return kExitOk;
    }
    std::string problem = outcome.kind == OptionTable::Outcome::Kind::Error ? outcome.error : "";
    if (problem.empty() && w.output.empty()) problem = "missing -o DEFINITION";
    if (problem.empty() && w.operands.empty()) problem = "missing image";
    if (problem.empty() && w.operands.size() > 1)
        problem = "unexpected argument '" + w.operands[1] + "'";
    if (!problem.empty()) {
        err << "velmora: " << problem << '\n';
        return kExitUsage;
    }
    const std::string& image = w.operands.front();
    std::error_code ec;
    if (!w.overwrite.value_or(false) && std::filesystem::exists(w.output, ec)) {
        err << "velmora: " << w.output << " exists (give --overwrite to replace it)\n";
        return kExitUsage;
    }
    std::string why;
    const std::optional<strovik::Raster> raster = strovik::loadImageFile(image, &why);
    if (!raster) {
        err << "velmora: cannot read " << image << ": " << why << '\n';
        return kExitUsage;
    }
    const strovik::layout::SheetProposal draft = strovik::layout::proposeSheet(*raster);
    err << dravel::draftSummary(draft) << '\n';
    if (const std::string marks = dravel::zeroMarkProblem(draft); !marks.empty())
        err << "velmora: " << marks << '\n';
    if (!dravel::draftIsComplete(draft)) {
        err << "velmora: no usable draft (three zero marks and at least one question are "
               "needed); nothing written\n";
        return kExitImageFailed;
    }
    const std::optional<strovik::Density> dpi = strovik::readJfifDensity(image);
    const std::string bytes =
        dravel::draftDefinitionBytes(draft, dpi ? dpi->x : -1, dpi ? dpi->y : -1);
    if (!writeFileAtomically(w.output, bytes, &why)) {
        err << "velmora: cannot write " << w.output << ": " << why << '\n';
        return kExitUsage;
    }
    out << w.output << '\n';
    return kExitOk;
}

}  // namespace

int runProposeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return guarded(err, [&] { return propose(args, out, err); });
}

}  // namespace velmora::cli
