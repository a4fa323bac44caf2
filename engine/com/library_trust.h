// Whether a registered engine library may be loaded. Loading a library runs
// its constructors at once, before any entry point is looked at, so a path
// that another user of the machine could have put a file at (a deleted
// build in /tmp, a group-writable copy) must never reach dlopen.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace strovik {

/// Checks the library at `path` and returns nullopt when it may be loaded,
/// else a one-line reason. It may be loaded when:
///   - the path is absolute (a relative one depends on the current folder);
///   - it names a regular file (links followed), owned by the effective user
///     or by root, writable neither by its group nor by others;
///   - no folder on the way to it, as written and with its links resolved,
///     is writable by its group or by others (a sticky shared folder such as
///     /tmp counts as writable: anyone may create the missing name in it).
std::optional<std::string> libraryDistrust(const std::filesystem::path& path);

}  // namespace strovik
