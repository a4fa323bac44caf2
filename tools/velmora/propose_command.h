// `velmora propose -o DEF.ini IMAGE`: drafts a sheet definition from the
// print of one sheet image (zero marks, bubbles grouped into questions,
// sizes measured) and writes it. The summary ("ゼロマーク 3, 設問 40 × 4")
// goes to `err`, the written path to `out`. Exit statuses of exit_codes.h:
// 0 written; 1 the image gave no usable draft (fewer than three zero marks
// or no question), nothing written; 2 bad usage, an unreadable image, an
// existing output without --overwrite, or a failed write. None throws.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

int runProposeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
