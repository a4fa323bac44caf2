// Scanning through SANE. Every SANE call runs on one worker thread owned by
// this object (SANE is not thread-safe and its calls block), so the window
// stays responsive; pages and the end of a batch are handed to the owner's
// thread through the EventDriver. Devices are listed locally only (no
// network probing). A batch opens the device, sets its options by name,
// calls sane_start for every page until the feeder is empty, reads every
// frame of a page, and always ends with sane_cancel and sane_close.
#pragma once

#include <atomic>
#include <condition_variable>
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

private:
    using Job = std::function<void()>;

    void post(Job job);
    void workerLoop();
    bool ensureInitialised();
    void runBatch(const BatchRequest& request, std::shared_ptr<BatchEvents> events);
    /// Scans one page; true when a page was handed on, false at the end
    /// of the batch (`result` then says why).
    bool scanPage(SANE_Handle handle, int pageNumber, const DeviceSetup& setup,
                  std::shared_ptr<BatchEvents> events, BatchResult& result);
    void handOver(std::shared_ptr<ScannedPage> page, std::shared_ptr<BatchEvents> events);
    void finish(BatchResult result, std::shared_ptr<BatchEvents> events);

    EventDriver& driver_;
    std::unique_ptr<SaneApi> api_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    int pagesInFlight_ = 0;
    std::thread worker_;

    std::atomic<bool> cancel_{false};   // stop after the current page
    std::atomic<bool> abandon_{false};  // stop now: the program is ending
    bool running_ = false;              // owner thread only
    bool initialised_ = false;          // worker thread only
    /// Owner-thread tasks check this before touching the object.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace fenwary
