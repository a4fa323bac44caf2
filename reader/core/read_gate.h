// Sharing the machine between parallel readers: a sheet that failed to load
// while others were being read is read once more alone.
#pragma once

#include <condition_variable>
#include <mutex>

namespace tarrow {

/// Readers go in side by side (shared) or alone (exclusive). A reader
/// waiting to go in alone holds back new shared readers, so it gets its turn
/// as soon as those inside are done.
class ReadGate {
public:
    void enterShared();
    void leaveShared();
    void enterExclusive();
    void leaveExclusive();

    /// Runs `read` side by side with the other readers; when its result
    /// `failed` (an image that could not be loaded, perhaps for want of the
    /// memory the other sheets held), runs it once more alone and returns
    /// that result. With `retry` false it reads once.
    template <typename Read, typename Failed>
    auto readRetryingAlone(Read read, Failed failed, bool retry) {
        enterShared();
        auto result = guardedRead(read, [this] { leaveShared(); });
        if (!retry || !failed(result)) return result;
        enterExclusive();
        result = guardedRead(read, [this] { leaveExclusive(); });
        return result;
    }

private:
    template <typename Read, typename Leave>
    static auto guardedRead(Read& read, Leave leave) {
        try {
            auto result = read();
            leave();
            return result;
        } catch (...) {
            leave();
            throw;
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    int shared_ = 0;
    int exclusiveWaiting_ = 0;
    bool exclusive_ = false;
};

}  // namespace tarrow
