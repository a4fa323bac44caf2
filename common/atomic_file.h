// Whole-file reads and atomic whole-file replacement.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
/// file ".NAME.tmp.XXXXXX" in the same folder, is flushed to disk, and is
/// then renamed over the original, so a crash or a full disk never leaves a
/// half-written file. An existing file keeps its permission bits. A path
/// that is a symbolic link replaces the file at the end of the link, under
/// the rule of symlink_policy.h (another user's link in a shared folder is
/// refused and nothing is written). On failure
/// the original is untouched, the temporary file is removed and `error`
/// (when given) receives a one-line reason.
///
/// Leftovers: while it exists, the temporary file is listed for the handler
/// of installTempFileCleanup, so an interrupt removes it; and the first write
/// of a file in a process removes temporary files of that file older than
/// kStaleTempSeconds (left by a process killed outright).
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);

/// One file of writeFilesAtomically.
struct FileContent {
    std::filesystem::path path;
    std::string_view bytes;
};

/// Writes files that belong together (a read-values file and its score
/// file): every one goes to its temporary file first, and only when all are
/// written and flushed are they renamed over their targets, so a failure
/// while writing (a full disk) leaves every old file as it was. A failure of
/// the renames themselves (which need no space) is reported too.
/// `failedFile` (when given) receives the index of the file that failed.
bool writeFilesAtomically(const std::vector<FileContent>& files, std::string* error = nullptr,
                          std::size_t* failedFile = nullptr);

/// Copies the regular file `source` to `target` through a temporary file
/// beside the target, as writeFileAtomically replaces a file.
bool copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                        std::string* error = nullptr);

/// A temporary file of ours this much older than now is a leftover.
inline constexpr int kStaleTempSeconds = 60;

/// Installs handlers for SIGINT, SIGTERM and SIGHUP (each unless it is
/// ignored) that remove the temporary files being written, then end the
/// process with the signal as before. For programs that rewrite files; call
/// once at start-up.
void installTempFileCleanup();

}  // namespace velmora
