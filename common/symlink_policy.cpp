// The protected-symlinks rule applied by our own writers, so it holds
// whether or not the kernel enforces it, and also where we resolve a link
// ourselves (the atomic writer renames over the link's target).
#include "common/symlink_policy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace velmora {
namespace {

constexpr mode_t kNewFileMode = 0644;  // further narrowed by the process umask

/// A folder anyone may add names to, where the sticky bit keeps them from
/// removing each other's: the kind of folder the rule protects.
bool isSharedStickyFolder(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

std::string refusalText(const std::filesystem::path& link) {
    return "「" + link.string() +
           "」は共有フォルダーにある他のユーザーのシンボリックリンクのため、書き込みません。";
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    const std::filesystem::path parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

/// The folders on the way to `path` that are links themselves (a planted
/// /tmp/x pointing into someone's home, written as /tmp/x/file) are held to
/// the same rule.
std::optional<std::string> folderChainRefusal(const std::filesystem::path& path) {
    std::filesystem::path prefix;
    const std::filesystem::path folder = path.parent_path();
    for (const std::filesystem::path& part : folder) {
        prefix /= part;
        if (part == "/" || part == "." || part == "..") continue;
        if (std::optional<std::string> refused = symlinkRefusal(prefix)) return refused;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> symlinkRefusal(const std::filesystem::path& link) {
    struct stat linkInfo {};
    if (::lstat(link.c_str(), &linkInfo) != 0 || !S_ISLNK(linkInfo.st_mode)) return std::nullopt;
    struct stat folderInfo {};
    if (::stat(folderOf(link).c_str(), &folderInfo) != 0) return refusalText(link);
    if (!isSharedStickyFolder(folderInfo)) return std::nullopt;
    if (linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folderInfo.st_uid) {
        return std::nullopt;
    }
    return refusalText(link);
}

std::optional<std::filesystem::path> resolveWriteTarget(const std::filesystem::path& path,
                                                        std::string* refusal) {
    std::filesystem::path current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        std::optional<std::string> refused = folderChainRefusal(current);
        const bool isLink = ::lstat(current.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
        if (!refused && isLink) refused = symlinkRefusal(current);
        if (refused) {
            if (refusal != nullptr) *refusal = *refused;
            return std::nullopt;
        }
        if (!isLink) return current;
        std::vector<char> text(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        const ssize_t n = ::readlink(current.c_str(), text.data(), text.size());
        if (n < 0 || static_cast<std::size_t>(n) >= text.size()) return current;
        const std::filesystem::path next(std::string(text.data(), static_cast<std::size_t>(n)));
        current = next.is_absolute() ? next : folderOf(current) / next;
    }
    if (refusal != nullptr) {
        *refusal = "「" + path.string() + "」はシンボリックリンクが多すぎるため、書き込みません。";
    }
    return std::nullopt;
}

int openForWriting(const std::filesystem::path& path, std::string* refusal) {
    const std::optional<std::filesystem::path> target = resolveWriteTarget(path, refusal);
    if (!target) return -1;
    // O_NOFOLLOW: a link put in place after the check is not followed.
    return ::open(target->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                  kNewFileMode);
}

}  // namespace velmora
