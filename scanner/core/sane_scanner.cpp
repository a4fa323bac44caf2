#include "scanner/core/sane_scanner.h"

#include <vector>

#include "scanner/core/page_naming.h"
#include "scanner/core/sane_page.h"

namespace fenwary {

namespace {

constexpr SANE_Int kReadChunkBytes = 256 * 1024;
constexpr SANE_Bool kLocalDevicesOnly = SANE_TRUE;

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
        driver_.post([alive = std::weak_ptr<int>(alive_), done, sources] {
            if (alive.lock() && done) done(sources);
        });
    });
}

bool SaneScanner::start(const BatchRequest& request, BatchEvents events) {
    if (running_ || !worker_.joinable()) return false;
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
    }
    wake_.notify_all();
    worker_.join();
}

void SaneScanner::runBatch(const BatchRequest& request, std::shared_ptr<BatchEvents> events) {
    BatchResult result;
    if (cancel_) {
        result.cancelled = true;
        finish(result, events);
        return;
    }
    if (!ensureInitialised()) {
        result.error = DeviceError::Io;
        result.detail = "SANE could not be started";
        finish(result, events);
        return;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status opened = api_->open(request.device.c_str(), &handle);
    if (opened != SANE_STATUS_GOOD) {
        endWith(result, opened == SANE_STATUS_INVAL ? SANE_STATUS_IO_ERROR : opened);
        result.detail = request.device + ": " + sane_strstatus(opened);
        finish(result, events);
        return;
    }
    const DeviceSetup setup = configureDevice(*api_, handle, request);
    for (int page = 1; !cancel_; ++page) {
        if (!scanPage(handle, page, setup, events, result) || !setup.feeder) break;
    }
    if (cancel_ && result.error == DeviceError::None) result.cancelled = true;
    api_->cancel(handle);
    api_->close(handle);
    {
        // The end of the batch follows the last page's callback, never
        // overtakes it.
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return pagesInFlight_ == 0 || stopping_; });
    }
    finish(result, events);
}

bool SaneScanner::scanPage(SANE_Handle handle, int pageNumber, const DeviceSetup& setup,
                           std::shared_ptr<BatchEvents> events, BatchResult& result) {
    const auto endOfFeeder = [&] {
        if (pageNumber == 1) endWith(result, SANE_STATUS_NO_DOCS);
        return false;
    };
    SANE_Status status = api_->start(handle);
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
            status = api_->read(handle, buffer.data(), kReadChunkBytes, &length);
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
        status = api_->start(handle);  // the next frame of a three-pass page
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
    return true;
}

void SaneScanner::handOver(std::shared_ptr<ScannedPage> page, std::shared_ptr<BatchEvents> events) {
    {
        std::lock_guard lock(mutex_);
        ++pagesInFlight_;
    }
    driver_.post([this, alive = std::weak_ptr<int>(alive_), page, events] {
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
    driver_.post([this, alive = std::weak_ptr<int>(alive_), result, events] {
        if (!alive.lock()) return;
        running_ = false;
        if (events->finished) events->finished(result);
    });
}

}  // namespace fenwary
