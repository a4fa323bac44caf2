// Temporary-file bookkeeping for atomic replacement (see temp_files.h).
#include "common/temp_files.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <set>

#include "common/atomic_file.h"

namespace velmora {
namespace detail {
namespace {

constexpr std::size_t kTempSuffixLength = 6;
constexpr int kSlotCount = 64;
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

enum SlotState : int { kFree = 0, kFilling = 1, kListed = 2 };

/// One listed path. Static storage, so the handler reads it without any
/// allocation; `state` says when `path` is complete.
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
Slot gSlots[kSlotCount];

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void removeListedTempFiles(int signal) {
    for (Slot& slot : gSlots) {
        if (slot.state.load(std::memory_order_acquire) == kListed) ::unlink(slot.path);
    }
    // End as the signal would have ended the process without us.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(signal, &standard, nullptr);
    ::raise(signal);
}

bool olderThanStale(const struct stat& info) {
    return std::time(nullptr) - info.st_mtime > kStaleTempSeconds;
}

}  // namespace

std::string tempNamePrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".tmp.";
}

bool isTempName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kTempSuffixLength || !name.starts_with(prefix)) {
        return false;
    }
    for (const char c : name.substr(prefix.size())) {
        if (!isNameChar(c)) return false;
    }
    return true;
}

TempFileListing::TempFileListing(const std::filesystem::path& path) {
    const std::string& text = path.native();
    if (text.size() >= PATH_MAX) return;
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = kFree;
        if (!gSlots[i].state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(gSlots[i].path, text.c_str(), text.size() + 1);
        gSlots[i].state.store(kListed, std::memory_order_release);
        slot_ = i;
        return;
    }
}

TempFileListing::~TempFileListing() {
    if (slot_ >= 0) gSlots[slot_].state.store(kFree, std::memory_order_release);
}

void removeStaleTempFiles(const std::filesystem::path& target) {
    static std::mutex mutex;
    static std::set<std::string> looked;
    {
        const std::lock_guard lock(mutex);
        if (!looked.insert(target.native()).second) return;
    }
    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return;
    const std::string prefix = tempNamePrefix(target);
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!isTempName(entry->d_name, prefix)) continue;
        const std::filesystem::path leftover = folder / entry->d_name;
        struct stat info {};
        if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            olderThanStale(info)) {
            ::unlink(leftover.c_str());
        }
    }
}

}  // namespace detail

void installTempFileCleanup() {
    for (const int signal : detail::kCleanedSignals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0) continue;
        // A signal the process was started to ignore stays ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = detail::removeListedTempFiles;
        sigfillset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace velmora
