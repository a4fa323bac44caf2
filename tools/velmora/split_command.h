// `velmora split FILE... -o DIR`: the reading application's "PDF→JPG"
// conversion from the command line. PDF files go through pdfimages and
// convert as in the window; TIFF files are split into one TIFF per page.
// Every file written goes to `out`, one a line, in order; messages to `err`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

/// Exit status: 0 when every file gave at least one page, 2 for bad usage,
/// a missing input, a program that could not be started or a file that gave
/// no page, 3 internal error. `applicationFolder` is where the bundled
/// programs are looked for first.
int runSplitCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::string& applicationFolder);

/// The same, looking for the programs beside the running executable.
int runSplitCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

std::string splitUsage();

}  // namespace velmora::cli
