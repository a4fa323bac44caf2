#include "tools/velmora/read_gate.h"

#include <algorithm>
#include <thread>

namespace velmora::cli {

int cappedJobs(int requested, std::ostream& err) {
    const int processors = std::max(1, int(std::thread::hardware_concurrency()));
    const int cap = 2 * processors;
    if (requested <= cap) return requested;
    err << "velmora: -j " << requested << " is more than twice the " << processors
        << " processors; reading with " << cap << " workers\n";
    return cap;
}

void ReadGate::enterShared() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !exclusive_ && exclusiveWaiting_ == 0; });
    ++shared_;
}

void ReadGate::leaveShared() {
    {
        const std::lock_guard lock(mutex_);
        --shared_;
    }
    changed_.notify_all();
}

void ReadGate::enterExclusive() {
    std::unique_lock lock(mutex_);
    ++exclusiveWaiting_;
    changed_.wait(lock, [&] { return !exclusive_ && shared_ == 0; });
    --exclusiveWaiting_;
    exclusive_ = true;
}

void ReadGate::leaveExclusive() {
    {
        const std::lock_guard lock(mutex_);
        exclusive_ = false;
    }
    changed_.notify_all();
}

}  // namespace velmora::cli
