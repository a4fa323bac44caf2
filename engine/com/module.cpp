#include "engine/com/module.h"

namespace strovik::component {

Module& Module::instance() {
    static Module module;
    return module;
}

void Module::unlock() {
    long current = locks_.load(std::memory_order_acquire);
    while (current > 0 &&
           !locks_.compare_exchange_weak(current, current - 1, std::memory_order_acq_rel)) {
    }
}

void Module::setNotifySink(StrovikNotifyFunction sink, void* context) {
    const std::lock_guard<std::mutex> guard(sinkMutex_);
    sink_ = sink;
    sinkContext_ = context;
}

void Module::notify(std::int32_t window, std::uint32_t message, std::int32_t wParam,
                    std::int32_t lParam) const {
    StrovikNotifyFunction sink = nullptr;
    void* context = nullptr;
    {
        const std::lock_guard<std::mutex> guard(sinkMutex_);
        sink = sink_;
        context = sinkContext_;
    }
    // Called outside the lock so a sink may itself register another sink.
    if (sink) sink(window, message, wParam, lParam, context);
}

}  // namespace strovik::component
