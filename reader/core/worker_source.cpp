#include "reader/core/worker_source.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tarrow {

int processorCount() {
    return std::max(1, int(std::thread::hardware_concurrency()));
}

WorkerSource::WorkerSource(EngineFactory makeEngine, int jobs, std::function<void()> whileWaiting)
    : makeEngine_(std::move(makeEngine)),
      jobs_(jobs > 0 ? jobs : processorCount()),
      whileWaiting_(std::move(whileWaiting)) {}

WorkerSource::~WorkerSource() {
    // A stopped run never chooses the folder: its waiting workers go on
    // without crops, and no further image is handed out.
    decide(nullptr);
    reader_.reset();
}

std::optional<EnginePreparation> WorkerSource::prepare(const ReadingSettings& settings) {
    settings_ = settings;
    // The workers prepare their own engines in start(); this one tells the
    // run what the definition says before anything is read.
    const std::unique_ptr<StrovaEngine> probe = makeEngine_();
    if (!probe) return std::nullopt;
    return prepareEngine(*probe, settings);
}

void WorkerSource::start(const std::vector<SheetRequest>& requests) {
    // A second run over the same source starts afresh.
    decide(nullptr);
    reader_.reset();
    indexOf_.clear();
    {
        const std::lock_guard lock(mutex_);
        cropsDecided_ = false;
        baseOf_ = nullptr;
        waiting_.clear();
        dpiOf_.clear();
    }
    ParallelJob job;
    job.settings = settings_;
    job.jobs = jobs_;
    // Each image once: two workers must not write the same crops at once.
    for (const SheetRequest& request : requests) {
        if (indexOf_.emplace(request.image, job.requests.size()).second) {
            job.requests.push_back(request);
        }
    }
    taken_.assign(job.requests.size(), std::nullopt);
    job.resolution = [this](const std::string& image, int imageDpi) {
        noteResolution(image, imageDpi);
    };
    job.cropBase = [this](const std::string& image) { return waitForCropBase(image); };
    reader_ = std::make_unique<ParallelReader>(std::move(job), makeEngine_);
}

void WorkerSource::noteResolution(const std::string& image, int imageDpi) {
    const std::lock_guard lock(mutex_);
    dpiOf_[image] = imageDpi;
}

std::string WorkerSource::waitForCropBase(const std::string& image) {
    BaseRule baseOf;
    {
        std::unique_lock lock(mutex_);
        waiting_.insert(image);
        decided_.wait(lock, [&] { return cropsDecided_; });
        waiting_.erase(image);
        baseOf = baseOf_;
    }
    return baseOf ? baseOf(image) : std::string();
}

void WorkerSource::decide(BaseRule baseOf) {
    {
        const std::lock_guard lock(mutex_);
        if (cropsDecided_) return;
        cropsDecided_ = true;
        baseOf_ = std::move(baseOf);
    }
    decided_.notify_all();
}

void WorkerSource::setCropBases(BaseRule baseOf) {
    decide(std::move(baseOf));
}

bool WorkerSource::waitsForCrops(const std::string& image, std::optional<int>* imageDpi) {
    const std::lock_guard lock(mutex_);
    if (!waiting_.contains(image)) return false;
    const auto dpi = dpiOf_.find(image);
    if (dpi != dpiOf_.end()) *imageDpi = dpi->second;
    return true;
}

WorkerSource::Taken WorkerSource::takeReading(std::size_t index, const std::string& image,
                                              const ReadingHooks& hooks) {
    Taken taken;
    for (;;) {
        std::optional<std::optional<SheetReading>> done =
            reader_->takeWithin(index, std::chrono::milliseconds(kWaitSliceMs));
        if (done) {
            taken.reading = std::move(*done);
            return taken;
        }
        std::optional<int> imageDpi;
        if (!taken.hooksCalled && waitsForCrops(image, &imageDpi)) {
            // The worker waits for the answer this image's hooks give.
            taken.hooksCalled = true;
            if (imageDpi && hooks.resolution) hooks.resolution(*imageDpi);
            taken.expectedCropBase =
                cropBaseToSet(hooks.cropBase ? hooks.cropBase() : std::string());
            // A run that gave no rule gets none: its readings cannot match.
            decide(nullptr);
        }
        if (whileWaiting_) whileWaiting_();
    }
}

std::optional<SheetReading> WorkerSource::read(const ReadingSettings& settings,
                                               const SheetRequest& request,
                                               const ReadingHooks& hooks) {
    const auto it = indexOf_.find(request.image);
    if (!reader_ || settings != settings_ || it == indexOf_.end()) return std::nullopt;
    const std::size_t index = it->second;
    if (!reader_->reading() || request != reader_->job().requests[index]) return std::nullopt;

    Taken taken;
    if (taken_[index]) {
        taken.reading = *taken_[index];  // listed before: read once
    } else {
        taken = takeReading(index, request.image, hooks);
        taken_[index] = taken.reading;
    }
    const std::optional<SheetReading>& reading = taken.reading;
    if (!reading) return std::nullopt;
    if (!taken.hooksCalled) {
        // The hooks, where readSheet would have called them.
        if (reading->imageDpi && hooks.resolution) hooks.resolution(*reading->imageDpi);
        if (reading->imageAreas > 0 && hooks.cropBase) {
            taken.expectedCropBase = cropBaseToSet(hooks.cropBase());
            taken.hooksCalled = true;
        }
    }
    if (taken.hooksCalled && taken.expectedCropBase != reading->cropBase) return std::nullopt;
    return reading;
}

}  // namespace tarrow
