#include "engine/com/library_trust.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace strovik {
namespace {

constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

/// The first folder above `file` (its folders from the root down) that
/// others may write to, with the reason.
std::optional<std::string> unsafeFolder(const std::filesystem::path& file) {
    std::filesystem::path folder;
    for (const std::filesystem::path& part : file.parent_path()) {
        folder /= part;
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0) {
            return "cannot examine the folder " + folder.string() + ": " + std::strerror(errno);
        }
        if ((info.st_mode & kWritableByOthers) != 0) {
            return "the folder " + folder.string() + " is writable by other users";
        }
    }
    return std::nullopt;
}

std::optional<std::string> unsafeFile(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return "cannot examine " + file.string() + ": " + std::strerror(errno);
    }
    if (!S_ISREG(info.st_mode)) return file.string() + " is not a regular file";
    if (info.st_uid != ::geteuid() && info.st_uid != 0) {
        return file.string() + " belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    }
    if ((info.st_mode & kWritableByOthers) != 0) {
        return file.string() + " is writable by other users";
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> resolved(const std::filesystem::path& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real) return std::nullopt;
    return std::filesystem::path(real.get());
}

}  // namespace

std::optional<std::string> libraryDistrust(const std::filesystem::path& path) {
    if (!path.is_absolute()) return "the path " + path.string() + " is not absolute";
    if (auto reason = unsafeFolder(path)) return reason;
    if (auto reason = unsafeFile(path)) return reason;
    const std::optional<std::filesystem::path> real = resolved(path);
    if (!real) return "cannot resolve " + path.string() + ": " + std::strerror(errno);
    if (*real != path) {
        if (auto reason = unsafeFolder(*real)) return reason;
    }
    return std::nullopt;
}

}  // namespace strovik
