// Which symbolic links a writer may follow. A link in a folder that every
// user may write to (such as /tmp) can be planted by anyone; writing
// through it would let another user choose which of our files we replace.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace velmora {

/// The rule, the same one the kernel applies with protected_symlinks: a
/// symbolic link that sits in a folder which is sticky and writable by
/// others is followed only when its owner is the effective user of this
/// process or the owner of that folder. Links anywhere else, and paths that
/// are not links, are always allowed. Returns nullopt when `link` may be
/// followed, else a Japanese message for the user that names the file.
std::optional<std::string> symlinkRefusal(const std::filesystem::path& link);

/// The file a write to `path` replaces: `path` itself, or, when its last
/// component is a symbolic link, the end of its chain of links (at most
/// kMaxLinkHops), each link checked with symlinkRefusal. Relative link
/// texts are taken from the link's folder. Returns nullopt and sets
/// `refusal` when a link of the chain may not be followed or the chain is
/// too long.
std::optional<std::filesystem::path> resolveWriteTarget(const std::filesystem::path& path,
                                                        std::string* refusal = nullptr);

/// The longest chain of links resolveWriteTarget follows (the kernel's).
inline constexpr int kMaxLinkHops = 40;

/// Opens `path` for writing (created with mode 0644 under the umask, or
/// truncated), following its links only as resolveWriteTarget allows and
/// never a link that appears after the check. Returns the descriptor, or -1:
/// with `refusal` set when the rule refused a link, else with errno set by
/// the failed open.
int openForWriting(const std::filesystem::path& path, std::string* refusal = nullptr);

}  // namespace velmora
