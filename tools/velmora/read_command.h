// `velmora read`: reads images against a sheet definition and prints one
// JSON line per image.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "reader/core/parallel_reader.h"

namespace velmora::cli {

/// Runs the read command on the words after "read"; JSON lines go to `out`,
/// help to `out`, messages (one line each, starting "velmora: ") to `err`.
/// Returns an exit status from exit_codes.h. Never throws.
int runReadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// Image-area crops are scaled to this percentage and sharpened by this rate.
inline constexpr int kCropScalePercent = 75;
inline constexpr int kCropSharpenRate = 30;

/// As above with the engines made by `makeEngine` (tests pass a stand-in).
int runReadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const tarrow::EngineFactory& makeEngine);

}  // namespace velmora::cli
