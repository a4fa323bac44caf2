#include "scanner/core/sane_scanner.h"

#include <algorithm>
#include <vector>

#include "scanner/core/page_naming.h"
#include "scanner/core/sane_page.h"

namespace fenwary {

namespace {

constexpr SANE_Int kReadChunkBytes = 256 * 1024;
constexpr SANE_Bool kLocalDevicesOnly = SANE_TRUE;
// The watch looks at the call in progress this often (a quarter of the
// no-data time, within these bounds).
constexpr std::chrono::milliseconds kLongestWatchInterval{100};
constexpr std::chrono::milliseconds kShortestWatchInterval{1};

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

DeviceError errorFor(SANE_Status status) {
    switch (status) {
        case SANE_STATUS_NO_DOCS:
            return DeviceError::FeederEmpty;
        case SANE_STATUS_JAMMED:
            return DeviceError::Jammed;
        case SANE_STATUS_COVER_OPEN:
            return DeviceError::CoverOpen;
        case SANE_STATUS_DEVICE_BUSY:
            return DeviceError::Busy;
        default:
            return DeviceError::Io;
    }
}

/// Records a status that ended the batch.
void endWith(BatchResult& result, SANE_Status status) {
    if (status == SANE_STATUS_CANCELLED) {
        result.cancelled = true;
        return;
    }
    result.error = errorFor(status);
    result.detail = sane_strstatus(status);
}

}  // namespace

SaneScanner::SaneScanner(EventDriver& driver, std::unique_ptr<SaneApi> api)
    : driver_(driver), api_(api ? std::move(api) : makeLibSane()) {
    worker_ = std::thread([this] { workerLoop(); });
    watch_ = std::thread([this] { watchLoop(); });
}

SaneScanner::~SaneScanner() {
    shutdown();
}

void SaneScanner::post(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void SaneScanner::workerLoop() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) break;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
    if (initialised_) api_->exit();
    {
        std::lock_guard lock(mutex_);
        workerFinished_ = true;
    }
    wake_.notify_all();
}

void SaneScanner::postToOwner(EventDriver::Task task) {
    std::lock_guard lock(mutex_);
    if (!abandoned_) driver_.post(std::move(task));
}

SANE_Status SaneScanner::watched(const std::function<SANE_Status()>& call) {
    callSince_ = nowNanoseconds();
    const SANE_Status status = call();
    callSince_ = 0;
    return status;
}

void SaneScanner::watchLoop() {
    std::unique_lock lock(mutex_);
    while (!watchStop_) {
        const auto timeout = std::chrono::nanoseconds(timeoutNs_.load());
        // Without a batch (no time set) the watch only looks in now and then.
        const auto interval =
            timeout.count() > 0
                ? std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(timeout / 4),
                             kShortestWatchInterval, kLongestWatchInterval)
                : kLongestWatchInterval;
        watchWake_.wait_for(lock, interval);
        const std::int64_t since = callSince_;
        if (watchStop_ || since == 0 || timedOut_ || timeout.count() <= 0 ||
            nowNanoseconds() - since < timeout.count()) {
            continue;
        }
        // No data for the whole time: cancel the device (a driver that
        // listens returns at once) and end the batch without waiting for it.
        timedOut_ = true;
        const std::shared_ptr<BatchEvents> events = activeEvents_;
        lock.unlock();
        cancelActiveHandle();
        BatchResult result;
        result.pages = pagesDone_;
        result.error = DeviceError::NotResponding;
        if (events) finish(result, events);
        lock.lock();
    }
    // The program is ending: a call still in progress is cancelled from
    // here, so shutdown itself never waits on the driver.
    lock.unlock();
    if (callSince_ != 0) cancelActiveHandle();
    lock.lock();
    watchFinished_ = true;
    lock.unlock();
    wake_.notify_all();
}

bool SaneScanner::ensureInitialised() {
    if (!initialised_) {
        SANE_Int version = 0;
        initialised_ = api_->init(&version) == SANE_STATUS_GOOD;
    }
    return initialised_;
}

void SaneScanner::listSources(std::function<void(std::vector<SourceInfo>)> done) {
    post([this, done = std::move(done)] {
        std::vector<SourceInfo> sources;
        const SANE_Device** list = nullptr;
        if (ensureInitialised() && api_->getDevices(&list, kLocalDevicesOnly) == SANE_STATUS_GOOD &&
            list != nullptr) {
            for (const SANE_Device** device = list; *device != nullptr; ++device) {
                const SANE_Device& d = **device;
                if (d.name == nullptr) continue;
                std::string description;
                for (const char* part : {d.vendor, d.model}) {
                    if (part == nullptr || *part == '\0') continue;
                    if (!description.empty()) description += ' ';
                    description += part;
                }
                sources.push_back({d.name, description});
            }
        }
        postToOwner([alive = std::weak_ptr<int>(alive_), done, sources] {
            if (alive.lock() && done) done(sources);
        });
    });
}

bool SaneScanner::start(const BatchRequest& request, BatchEvents events) {
    // A worker still blocked in a driver that stopped answering takes no
    // new batch.
    if (running_ || !worker_.joinable() || batchBusy_) return false;
    running_ = true;
    cancel_ = false;
    auto shared = std::make_shared<BatchEvents>(std::move(events));
    post([this, request, shared] { runBatch(request, shared); });
    return true;
}

void SaneScanner::cancel() {
    if (!running_) return;
    cancel_ = true;
    wake_.notify_all();
}

void SaneScanner::shutdown() {
    if (!worker_.joinable()) return;
    cancel_ = true;
    abandon_ = true;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        watchStop_ = true;
    }
    wake_.notify_all();
    watchWake_.notify_all();
    std::unique_lock lock(mutex_);
    const bool allDone =
        wake_.wait_for(lock, shutdownGrace_, [this] { return workerFinished_ && watchFinished_; });
    const bool watchDone = watchFinished_;
    // A driver that never returned: the threads are left to the end of the
    // program, and this object with them (see workerAbandoned).
    if (!allDone) abandoned_ = true;
    lock.unlock();
    if (watchDone) {
        watch_.join();
    } else {
        watch_.detach();
    }
    if (allDone) {
        worker_.join();
    } else {
        worker_.detach();
    }
}

void SaneScanner::setActiveHandle(SANE_Handle handle) {
    std::lock_guard lock(handleMutex_);
    activeHandle_ = handle;
}

void SaneScanner::cancelActiveHandle() {
    // Held while cancelling, so the worker cannot close the device meanwhile.
    std::lock_guard lock(handleMutex_);
    if (activeHandle_ != nullptr) api_->cancel(activeHandle_);
}

bool SaneScanner::workerAbandoned() const {
    std::lock_guard lock(mutex_);
    return abandoned_;
}

void SaneScanner::runBatch(const BatchRequest& request, std::shared_ptr<BatchEvents> events) {
    BatchResult result;
    batchBusy_ = true;
    batchEnded_ = false;
    timedOut_ = false;
    pagesDone_ = 0;
    timeoutNs_ =
        std::chrono::duration_cast<std::chrono::nanoseconds>(request.noDataTimeout).count();
    {
        std::lock_guard lock(mutex_);
        activeEvents_ = events;
    }
    runDevice(request, events, result);
    {
        std::lock_guard lock(mutex_);
        activeEvents_.reset();
    }
    if (timedOut_ && result.error == DeviceError::None) result.error = DeviceError::NotResponding;
    finish(result, events);
    batchBusy_ = false;
}

void SaneScanner::runDevice(const BatchRequest& request, const std::shared_ptr<BatchEvents>& events,
                            BatchResult& result) {
    if (cancel_) {
        result.cancelled = true;
        return;
    }
    if (!ensureInitialised()) {
        result.error = DeviceError::Io;
        result.detail = "SANE could not be started";
        return;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status opened = watched([&] { return api_->open(request.device.c_str(), &handle); });
    if (opened != SANE_STATUS_GOOD) {
        endWith(result, opened == SANE_STATUS_INVAL ? SANE_STATUS_IO_ERROR : opened);
        result.detail = request.device + ": " + sane_strstatus(opened);
        return;
    }
    setActiveHandle(handle);
    const DeviceSetup setup = configureDevice(*api_, handle, request);
    for (int page = 1; !cancel_ && !timedOut_; ++page) {
        if (!scanPage(handle, page, setup, events, result) || !setup.feeder) break;
    }
    if (cancel_ && result.error == DeviceError::None) result.cancelled = true;
    setActiveHandle(nullptr);              // from here on only this thread uses the handle
    if (!timedOut_) api_->cancel(handle);  // a timed-out device was cancelled already
    api_->close(handle);
    // The end of the batch follows the last page's callback, never
    // overtakes it.
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return pagesInFlight_ == 0 || stopping_; });
}

bool SaneScanner::scanPage(SANE_Handle handle, int pageNumber, const DeviceSetup& setup,
                           std::shared_ptr<BatchEvents> events, BatchResult& result) {
    const auto endOfFeeder = [&] {
        if (pageNumber == 1) endWith(result, SANE_STATUS_NO_DOCS);
        return false;
    };
    SANE_Status status = watched([&] { return api_->start(handle); });
    if (timedOut_) return false;
    if (status == SANE_STATUS_NO_DOCS) return endOfFeeder();
    if (status != SANE_STATUS_GOOD) {
        endWith(result, status);
        return false;
    }
    PageAssembler assembler;
    std::vector<SANE_Byte> buffer(kReadChunkBytes);
    std::string problem;
    for (;;) {
        SANE_Parameters parameters{};
        status = api_->parameters(handle, &parameters);
        if (status != SANE_STATUS_GOOD) {
            endWith(result, status);
            return false;
        }
        if (!assembler.beginFrame(parameters, &problem)) {
            result.error = DeviceError::BadPage;
            result.detail = problem;
            return false;
        }
        for (;;) {
            SANE_Int length = 0;
            status = watched(
                [&] { return api_->read(handle, buffer.data(), kReadChunkBytes, &length); });
            if (timedOut_) return false;  // the batch was ended without this page
            if (status == SANE_STATUS_EOF) break;
            if (status == SANE_STATUS_NO_DOCS && assembler.bytesReceived() == 0) {
                return endOfFeeder();
            }
            if (status != SANE_STATUS_GOOD) {
                endWith(result, status);
                return false;
            }
            if (abandon_) {  // the program is ending; a cancel waits for the page's end
                result.cancelled = true;
                return false;
            }
            if (!assembler.append(buffer.data(), std::size_t(std::max<SANE_Int>(length, 0)),
                                  &problem)) {
                result.error = DeviceError::BadPage;
                result.detail = problem;
                return false;
            }
        }
        if (assembler.endFrame()) break;
        // The next frame of a three-pass page.
        status = watched([&] { return api_->start(handle); });
        if (timedOut_) return false;
        if (status != SANE_STATUS_GOOD) {
            endWith(result, status);
            return false;
        }
    }
    if (assembler.bytesReceived() == 0) return false;  // an empty page ends the feeder
    auto pixels = assembler.finish(&problem);
    if (!pixels) {
        result.error = DeviceError::BadPage;
        result.detail = problem;
        return false;
    }
    const int perMetre = setup.resolutionDpi > 0 ? pixelsPerMetreFromDpi(setup.resolutionDpi) : 0;
    auto page = std::make_shared<ScannedPage>(
        ScannedPage{std::move(*pixels), PageResolution{perMetre, perMetre}});
    handOver(std::move(page), events);
    ++result.pages;
    ++pagesDone_;
    return true;
}

void SaneScanner::handOver(std::shared_ptr<ScannedPage> page, std::shared_ptr<BatchEvents> events) {
    {
        std::lock_guard lock(mutex_);
        if (abandoned_) return;
        ++pagesInFlight_;
    }
    postToOwner([this, alive = std::weak_ptr<int>(alive_), page, events] {
        if (!alive.lock()) return;
        const bool keepGoing = !events->page || events->page(*page);
        if (!keepGoing) cancel_ = true;
        {
            std::lock_guard lock(mutex_);
            --pagesInFlight_;
        }
        wake_.notify_all();
    });
    // The next sheet is fed only once this page was handled: when it could
    // not be saved, the batch stops with the remaining sheets still in the
    // feeder instead of pulling one more through.
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return pagesInFlight_ == 0 || stopping_; });
}

void SaneScanner::finish(BatchResult result, std::shared_ptr<BatchEvents> events) {
    if (batchEnded_.exchange(true)) return;  // ended already (by the watch)
    postToOwner([this, alive = std::weak_ptr<int>(alive_), result, events] {
        if (!alive.lock()) return;
        running_ = false;
        if (events->finished) events->finished(result);
    });
}

}  // namespace fenwary
