// Writes a whole batch: definition, sheet images and ground truth files.
#pragma once

#include <ostream>
#include <string>

#include "tools/sheetgen/cli_options.h"

namespace sheetgen {

/// The distortion of sheet `number` (1-based) of the batch.
Distortion sheetDistortion(const CliOptions& options, int number);

/// Seed of sheet `number`'s answers and rendering.
std::uint32_t sheetSeed(const CliOptions& options, int number);

/// Writes the batch into options.outDir and one line per sheet to `log`.
/// Returns false with `error` set when the layout does not fit or a file
/// cannot be written.
bool writeBatch(const CliOptions& options, std::ostream& log, std::string& error);

}  // namespace sheetgen
