// Keeping batches apart: unless the user chose an output folder, every
// batch gets a new folder of its own, named by the time it started, under
// the suite's scan folder ("<documents>/tarrow/スキャン/2026-12-08_0930/"),
// so a second batch never mixes with or continues the first.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace fenwary {

/// "<documents>/tarrow/スキャン/": the default output folder, under which
/// each batch gets its own folder.
std::string batchRootFolder(std::string_view documentsFolder);

/// True when `folder` is the batch root of `documentsFolder` (with or
/// without the trailing "/").
bool isBatchRootFolder(std::string_view folder, std::string_view documentsFolder);

/// Creates a new folder for one batch under `root` (created as needed),
/// named "%Y-%m-%d_%H%M" of `startTime`, with a collision suffix when that
/// name is taken by anything. Returns it with a trailing "/"; empty (and
/// the reason in `error`) when it cannot be created.
std::string createBatchFolder(const std::string& root, const std::tm& startTime,
                              std::string* error = nullptr);

}  // namespace fenwary
