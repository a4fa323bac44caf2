// Whole-file reads and atomic whole-file replacement.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

/// Reads a whole regular file. Returns nullopt when it cannot be opened or
/// read, when it is larger than maxBytes (known from its size before any
/// byte is read), or when it is not a regular file: a FIFO, a device or a
/// folder is never read, so nothing blocks or runs on without end. `error`
/// (when given) receives a one-line reason.
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = std::size_t(1) << 31,
                                         std::string* error = nullptr);

/// The first `count` bytes of a regular file (all of it when shorter), with
/// the same refusals as readWholeFile.
std::optional<std::string> readFileStart(const std::filesystem::path& path, std::size_t count,
                                         std::string* error = nullptr);

/// Replaces (or creates) `path` with `bytes`: the data goes to a temporary
/// file in the same folder, is flushed to disk, and is then renamed over the
/// original, so a crash or a full disk never leaves a half-written file.
/// An existing file keeps its permission bits. On failure the original is
/// untouched, the temporary file is removed and `error` (when given)
/// receives a one-line reason.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);

}  // namespace velmora
