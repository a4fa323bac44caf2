// Scanning through SANE. Every SANE call runs on one worker thread owned by
// this object (SANE is not thread-safe and its calls block), so the window
// stays responsive; pages and the end of a batch are handed to the owner's
// thread through the EventDriver. Devices are listed locally only (no
// network probing). A batch opens the device, sets its options by name,
// calls sane_start for every page until the feeder is empty, reads every
// frame of a page, and always ends with sane_cancel and sane_close.
//
// A watch thread times every blocking SANE call: one that gives no data for
// the batch's no-data time is cancelled and the batch ended as
// NotResponding, keeping the pages already scanned. A driver that still
// does not return is left behind at shutdown after a short grace instead of
// being waited for forever (see workerAbandoned).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "scanner/core/acquisition.h"
#include "scanner/core/event_driver.h"
#include "scanner/core/sane_api.h"
#include "scanner/core/sane_options.h"

namespace fenwary {

class SaneScanner final : public Acquisition {
public:
    /// `driver` must outlive this object; `api` null: the installed libsane.
    explicit SaneScanner(EventDriver& driver, std::unique_ptr<SaneApi> api = nullptr);
    ~SaneScanner() override;

    SaneScanner(const SaneScanner&) = delete;
    SaneScanner& operator=(const SaneScanner&) = delete;

    void listSources(std::function<void(std::vector<SourceInfo>)> done) override;
    bool start(const BatchRequest& request, BatchEvents events) override;
    void cancel() override;
    bool running() const override { return running_; }
    void shutdown() override;
    bool workerAbandoned() const override;

    /// How long shutdown waits for a blocked driver call before leaving the
    /// worker behind (2 s).
    void setShutdownGrace(std::chrono::milliseconds grace) { shutdownGrace_ = grace; }

private:
    using Job = std::function<void()>;

    void post(Job job);
    void workerLoop();
    bool ensureInitialised();
    void runBatch(const BatchRequest& request, std::shared_ptr<BatchEvents> events);
    /// Opens the device and scans until the batch ends; `result` says how.
    void runDevice(const BatchRequest& request, const std::shared_ptr<BatchEvents>& events,
                   BatchResult& result);
    /// Scans one page; true when a page was handed on, false at the end
    /// of the batch (`result` then says why).
    bool scanPage(SANE_Handle handle, int pageNumber, const DeviceSetup& setup,
                  std::shared_ptr<BatchEvents> events, BatchResult& result);
    void handOver(std::shared_ptr<ScannedPage> page, std::shared_ptr<BatchEvents> events);
    /// Ends the batch once: the worker and the watch may both try.
    void finish(BatchResult result, std::shared_ptr<BatchEvents> events);
    /// Posts to the owner thread unless the worker was left behind.
    void postToOwner(EventDriver::Task task);
    /// Runs a blocking SANE call under the watch.
    SANE_Status watched(const std::function<SANE_Status()>& call);
    void watchLoop();
    void setActiveHandle(SANE_Handle handle);
    /// sane_cancel on the open device from another thread (allowed by SANE).
    void cancelActiveHandle();

    EventDriver& driver_;
    std::unique_ptr<SaneApi> api_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    int pagesInFlight_ = 0;
    std::thread worker_;
    bool workerFinished_ = false;  // guarded by mutex_
    bool abandoned_ = false;       // guarded by mutex_: nothing more is posted

    std::thread watch_;
    std::condition_variable watchWake_;
    bool watchStop_ = false;                  // guarded by mutex_
    bool watchFinished_ = false;              // guarded by mutex_
    std::atomic<std::int64_t> callSince_{0};  // steady-clock ns of the call in progress, 0: none
    std::atomic<std::int64_t> timeoutNs_{0};
    std::mutex handleMutex_;
    SANE_Handle activeHandle_ = nullptr;         // guarded by handleMutex_: the open device
    std::shared_ptr<BatchEvents> activeEvents_;  // guarded by mutex_
    std::atomic<int> pagesDone_{0};
    std::atomic<bool> timedOut_{false};
    std::atomic<bool> batchEnded_{true};
    std::atomic<bool> batchBusy_{false};  // the worker is inside a batch
    std::chrono::milliseconds shutdownGrace_{std::chrono::seconds(2)};

    std::atomic<bool> cancel_{false};   // stop after the current page
    std::atomic<bool> abandon_{false};  // stop now: the program is ending
    bool running_ = false;              // owner thread only
    bool initialised_ = false;          // worker thread only
    /// Owner-thread tasks check this before touching the object.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace fenwary
