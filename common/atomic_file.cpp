// Whole-file reads of regular files, and crash-safe whole-file replacement
// (temporary file, fsync, rename).
#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <system_error>

#include "common/symlink_policy.h"
#include "common/temp_files.h"

namespace velmora {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr mode_t kNewFileMode = 0644;  // further narrowed by the process umask
constexpr int kTempNameAttempts = 100;
constexpr int kTempSuffixLength = 6;

/// Closes a descriptor when it goes out of scope.
class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() { close(); }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;

    int get() const { return fd_; }
    /// Gives up ownership: the descriptor stays open.
    void release() { fd_ = -1; }
    /// Closes now and reports whether the close succeeded.
    bool close() {
        if (fd_ < 0) return true;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

std::string describe(const std::string& what, const std::filesystem::path& path, int err) {
    return what + " '" + path.string() + "': " + std::strerror(err);
}

void setError(std::string* error, const std::string& message) {
    if (error != nullptr) *error = message;
}

std::uint32_t makeSeed() {
    try {
        return std::random_device()();
    } catch (...) {
        // No entropy source: the clock and the process id still vary enough
        // for a name that is retried on collision anyway.
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        return static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(::getpid());
    }
}

std::string randomSuffix(std::mt19937& rng) {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(kAlphabet) - 2);
    std::string suffix;
    for (int i = 0; i < kTempSuffixLength; ++i) suffix += kAlphabet[pick(rng)];
    return suffix;
}

/// Creates a new, uniquely named hidden file next to `target`. The file is
/// created with the default mode so the umask applies as for any new file.
int createTempFile(const std::filesystem::path& target, std::filesystem::path& tempPath) {
    std::mt19937 rng(makeSeed());
    const std::filesystem::path dir = target.parent_path();
    const std::string prefix = detail::tempNamePrefix(target);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempPath = dir / (prefix + randomSuffix(rng));
        const int fd =
            ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

/// Makes the rename itself durable; failure here does not undo the write.
void syncFolder(const std::filesystem::path& dir) {
    const std::filesystem::path name = dir.empty() ? std::filesystem::path(".") : dir;
    FdGuard fd(::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

/// The replacement of one file: its temporary file, created and listed for
/// the signal handler by open(), filled by write(), flushed and given its
/// final mode by finish(), renamed over the target by commit(). Unless it
/// was committed, the temporary file is removed when the object goes.
/// Every step returns an empty string on success, else the reason.
class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
    }

    std::string open(const std::filesystem::path& path) {
        if (path.empty() || !path.has_filename()) {
            return "cannot write '" + path.string() + "': not a file name";
        }
        // A write through a symbolic link replaces the file the link points
        // to and keeps the link, unless the link may not be followed.
        std::string refusal;
        std::optional<std::filesystem::path> target = resolveWriteTarget(path, &refusal);
        if (!target) return refusal;
        target_ = *target;
        struct stat info {};
        if (::stat(target_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            return "cannot replace '" + target_.string() + "': it is a folder";
        }
        detail::removeStaleTempFiles(target_);
        std::filesystem::path temp;
        const int fd = createTempFile(target_, temp);
        if (fd < 0) {
            const int err = errno;
            const std::filesystem::path dir = target_.parent_path();
            return describe("cannot create a temporary file in", dir.empty() ? "." : dir, err);
        }
        fd_ = std::make_unique<FdGuard>(fd);
        temp_ = temp;
        listing_.emplace(temp_);
        return {};
    }

    std::string write(std::string_view bytes) {
        if (writeAll(fd_->get(), bytes)) return {};
        return describe("cannot write", temp_, errno);
    }

    std::string finish() {
        struct stat original {};
        if (::stat(target_.c_str(), &original) == 0 &&
            ::fchmod(fd_->get(), original.st_mode & 07777) != 0) {
            return describe("cannot set permissions of", temp_, errno);
        }
        if (::fsync(fd_->get()) != 0) return describe("cannot flush", temp_, errno);
        if (!fd_->close()) return describe("cannot close", temp_, errno);
        return {};
    }

    std::string commit() {
        if (::rename(temp_.c_str(), target_.c_str()) != 0) {
            return describe("cannot replace", target_, errno);
        }
        committed_ = true;
        return {};
    }

    const std::filesystem::path& target() const { return target_; }

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::unique_ptr<FdGuard> fd_;
    // Declared last, so the file is unlisted only after it was removed.
    std::optional<detail::TempFileListing> listing_;
    bool committed_ = false;
};

/// Opens a regular file for reading. Anything else is refused before it is
/// opened (opening a FIFO would wait for a writer, a device may act on being
/// opened); the open itself does not block either, and the type is checked
/// again on what was opened.
int openRegularFile(const std::filesystem::path& path, std::string* error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        setError(error, describe("cannot open", path, errno));
        return -1;
    }
    const std::string notRegular = "'" + path.string() + "' is not a regular file";
    if (!S_ISREG(info.st_mode)) {
        setError(error, notRegular);
        return -1;
    }
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        setError(error, describe("cannot open", path, errno));
        return -1;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        setError(error, notRegular);
        return -1;
    }
    const int opened = fd.get();
    fd.release();
    return opened;
}

/// Reads up to `limit` bytes of a regular file; with `wholeOnly`, a file
/// longer than that is refused instead of cut.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t limit,
                                           bool wholeOnly, std::string* error) {
    FdGuard fd(openRegularFile(path, error));
    if (fd.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        setError(error, describe("cannot read", path, errno));
        return std::nullopt;
    }
    const std::string tooLarge =
        "'" + path.string() + "' is larger than " + std::to_string(limit) + " bytes";
    if (wholeOnly && info.st_size > 0 && static_cast<std::size_t>(info.st_size) > limit) {
        setError(error, tooLarge);
        return std::nullopt;
    }

    std::string data;
    if (info.st_size > 0) data.reserve(std::min(static_cast<std::size_t>(info.st_size), limit));
    char buffer[kReadChunk];
    for (;;) {
        // One byte beyond the limit tells a whole-file read that the file grew.
        const std::size_t room = limit - data.size() + (wholeOnly ? 1 : 0);
        if (room == 0) break;
        const ssize_t n = ::read(fd.get(), buffer, std::min(sizeof buffer, room));
        if (n < 0) {
            if (errno == EINTR) continue;
            setError(error, describe("cannot read", path, errno));
            return std::nullopt;
        }
        if (n == 0) break;
        if (data.size() + static_cast<std::size_t>(n) > limit) {
            setError(error, tooLarge);
            return std::nullopt;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

/// Streams the open source into the pending file.
std::string copyInto(int source, const std::filesystem::path& sourcePath, PendingFile& file) {
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(source, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return describe("cannot read", sourcePath, errno);
        }
        if (n == 0) return {};
        std::string failure = file.write(std::string_view(buffer, static_cast<std::size_t>(n)));
        if (!failure.empty()) return failure;
    }
}

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                                         std::string* error) {
    return readRegularFile(path, maxBytes, true, error);
}

std::optional<std::string> readFileStart(const std::filesystem::path& path, std::size_t count,
                                         std::string* error) {
    return readRegularFile(path, count, false, error);
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
    return writeFilesAtomically({{path, bytes}}, error, nullptr);
}

bool writeFilesAtomically(const std::vector<FileContent>& files, std::string* error,
                          std::size_t* failedFile) {
    std::vector<std::unique_ptr<PendingFile>> pending;
    std::string failure;
    for (const FileContent& file : files) {
        pending.push_back(std::make_unique<PendingFile>());
        failure = pending.back()->open(file.path);
        if (failure.empty()) failure = pending.back()->write(file.bytes);
        if (failure.empty()) failure = pending.back()->finish();
        if (!failure.empty()) break;
    }
    // Only now, with every file complete, is any old file replaced.
    std::size_t at = pending.size() - 1;
    for (std::size_t i = 0; failure.empty() && i < pending.size(); ++i) {
        failure = pending[i]->commit();
        at = i;
    }
    if (!failure.empty()) {
        setError(error, failure);
        if (failedFile != nullptr) *failedFile = at;
        return false;
    }
    for (const auto& file : pending) syncFolder(file->target().parent_path());
    return true;
}

bool copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                        std::string* error) {
    FdGuard input(openRegularFile(source, error));
    if (input.get() < 0) return false;
    PendingFile file;
    std::string failure = file.open(target);
    if (failure.empty()) failure = copyInto(input.get(), source, file);
    if (failure.empty()) failure = file.finish();
    if (failure.empty()) failure = file.commit();
    if (!failure.empty()) {
        setError(error, failure);
        return false;
    }
    syncFolder(file.target().parent_path());
    return true;
}

}  // namespace velmora
