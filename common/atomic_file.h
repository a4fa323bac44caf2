// Whole-file reads and atomic whole-file replacement.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

/// Reads a whole file. Returns nullopt when it cannot be opened or read, or
/// when it is larger than maxBytes.
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = std::size_t(1) << 31);

/// Replaces (or creates) `path` with `bytes`: the data goes to a temporary
/// file in the same folder, is flushed to disk, and is then renamed over the
/// original, so a crash or a full disk never leaves a half-written file.
/// An existing file keeps its permission bits. On failure the original is
/// untouched, the temporary file is removed and `error` (when given)
/// receives a one-line reason.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);

}  // namespace velmora
