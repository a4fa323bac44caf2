// velmora-sheetgen --print: writes printable templates, each as NAME.pdf
// (an A4 vector page) beside its definitions NAME.ini (300 dpi) and
// NAME-200dpi.ini, into a folder. Needs a QGuiApplication (fonts).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/sheetgen/print_layout.h"

namespace sheetgen {

/// Draws the sheet into a PDF file (replaced atomically).
bool writeTemplatePdf(const PrintLayout& layout, const std::string& path, std::string& error);

/// Writes one template's PDF and definitions into `folder` (created when
/// missing) and names each file on `log`. False with `error` set when the
/// layout does not fit at a resolution or a file cannot be written.
bool writeTemplate(const PrintRecipe& recipe, const std::string& folder, std::ostream& log,
                   std::string& error);

/// The value of --digits: 0 (no grid) or kMinNumberDigits..kMaxNumberDigits;
/// none for anything else.
std::optional<int> numberDigitsOf(const std::string& text);

/// The print mode's command line: "--print NAME|all --out FOLDER
/// [--digits N]". Returns
/// the exit status (0 written, 1 write failure, 2 usage).
int runPrintMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace sheetgen
