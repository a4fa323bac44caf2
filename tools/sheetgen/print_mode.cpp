#include "tools/sheetgen/print_mode.h"

#include <algorithm>
#include <filesystem>

#include "common/atomic_file.h"

namespace sheetgen {
namespace {

namespace fs = std::filesystem;

/// How far a printed sheet may sit off on the scan and keep every mark.
constexpr int kShiftMarginAt300 = 40;

const char* printUsage() {
    return "usage: velmora-sheetgen --print NAME|all --out FOLDER [--digits N]\n"
           "Writes FOLDER/NAME.pdf (an A4 sheet to print) with its definitions\n"
           "FOLDER/NAME.ini (scans at 300 dpi) and FOLDER/NAME-200dpi.ini.\n"
           "Templates: mark50-4, mark100-5, survey20, or all of them.\n"
           "--digits N gives the sheets a student-number grid of N columns (4 to 8;\n"
           "0 = none) after the questions, instead of the template's own.\n";
}

}  // namespace

std::optional<int> numberDigitsOf(const std::string& text) {
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int n = std::stoi(text);
    if (n == 0 || (n >= kMinNumberDigits && n <= kMaxNumberDigits)) return n;
    return std::nullopt;
}

bool writeTemplate(const PrintRecipe& recipe, const std::string& folder, std::ostream& log,
                   std::string& error) {
    const PrintLayout layout = makePrintLayout(recipe);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder + ": " + ec.message();
        return false;
    }
    for (const int dpi : kTemplateDpis) {
        const Layout marks = layoutAtDpi(layout.marks, dpi);
        if (!layoutFits(marks, kShiftMarginAt300 * dpi / 300)) {
            error = recipe.name + " does not fit the page at " + std::to_string(dpi) + " dpi";
            return false;
        }
        const fs::path path = fs::path(folder) / definitionFileName(recipe.name, dpi);
        if (!velmora::writeFileAtomically(path, definitionText(marks), &error)) return false;
        log << path.string() << '\n';
    }
    const fs::path pdf = fs::path(folder) / (recipe.name + ".pdf");
    if (!writeTemplatePdf(layout, pdf.string(), error)) return false;
    log << pdf.string() << '\n';
    return true;
}

int runPrintMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string name;
    std::string folder;
    std::optional<int> digits;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--print") {
            name = args[i + 1];
        } else if (args[i] == "--out") {
            folder = args[i + 1];
        } else if (args[i] == "--digits") {
            digits = numberDigitsOf(args[i + 1]);
            if (!digits) {
                name.clear();
                break;
            }
        } else {
            name.clear();
            break;
        }
    }
    if (args.size() % 2 != 0 || name.empty() || folder.empty()) {
        err << printUsage();
        return 2;
    }
    bool known = false;
    for (const PrintRecipe& recipe : shippedRecipes()) {
        if (name != "all" && name != recipe.name) continue;
        known = true;
        std::string error;
        PrintRecipe chosen = recipe;
        if (digits) chosen.numberDigits = *digits;
        if (!writeTemplate(chosen, folder, out, error)) {
            err << "velmora-sheetgen: " << error << '\n';
            return 1;
        }
    }
    if (!known) {
        err << "velmora-sheetgen: no template named " << name << '\n' << printUsage();
        return 2;
    }
    return 0;
}

}  // namespace sheetgen
