// The component's process-wide state, created on first use and alive while
// the library is loaded: the one engine core every object works on, the
// module lock count (objects alive plus server locks) and the notification
// sink that stands in for SendMessage.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/com/com_types.h"
#include "engine/recognition/engine_core.h"

namespace strovik::component {

class Module {
public:
    static Module& instance();

    /// Shared by all objects; calls on objects must not overlap.
    EngineCore& core() { return core_; }

    void lock() { locks_.fetch_add(1, std::memory_order_relaxed); }
    /// Never takes the count below zero (an unbalanced LockServer(0)).
    void unlock();
    long lockCount() const { return locks_.load(std::memory_order_acquire); }

    /// Replaces the sink; null removes it.
    void setNotifySink(StrovikNotifyFunction sink, void* context);
    /// Calls the registered sink, if any, on the calling thread.
    void notify(std::int32_t window, std::uint32_t message, std::int32_t wParam,
                std::int32_t lParam) const;

    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

private:
    Module() = default;

    EngineCore core_;
    std::atomic<long> locks_{0};
    mutable std::mutex sinkMutex_;
    StrovikNotifyFunction sink_ = nullptr;
    void* sinkContext_ = nullptr;
};

}  // namespace strovik::component
