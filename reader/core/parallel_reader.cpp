#include "reader/core/parallel_reader.h"

#include <algorithm>
#include <system_error>

namespace tarrow {

ParallelReader::ParallelReader(ParallelJob job, const EngineFactory& makeEngine)
    : job_(std::move(job)), slots_(job_.requests.size()) {
    const std::size_t workers = std::clamp<std::size_t>(
        std::size_t(std::max(job_.jobs, 1)), 1, std::max<std::size_t>(job_.requests.size(), 1));
    for (std::size_t w = 0; w < workers; ++w) {
        engines_.push_back(makeEngine());
        std::optional<EnginePreparation> prepared = prepareEngine(*engines_.back(), job_.settings);
        // The caller learns of a failure or a refusal from preparation().
        if (w == 0 || !prepared) preparation_ = prepared;
        if (!prepared || prepared->refused) return;
    }
    if (job_.requests.empty()) return;
    for (auto& engine : engines_) {
        try {
            threads_.emplace_back([this, &engine] { work(*engine); });
        } catch (const std::system_error&) {
            break;  // the workers already running share out every image
        }
    }
    if (threads_.empty()) error_ = "cannot start a worker thread";
}

ParallelReader::~ParallelReader() {
    stopping_ = true;
    threads_.clear();  // joins
}

std::optional<SheetReading> ParallelReader::readGuarded(StrovaEngine& engine,
                                                        std::size_t index) const {
    const SheetRequest& request = job_.requests[index];
    ReadingHooks hooks;
    if (job_.cropBase) hooks.cropBase = [&] { return job_.cropBase(request.image); };
    if (job_.resolution) {
        hooks.resolution = [&](int imageDpi) { job_.resolution(request.image, imageDpi); };
    }
    try {
        return readSheet(engine, job_.settings, request, hooks);
    } catch (...) {
        // Out of memory inside the engine: this image failed, the batch goes on.
        return std::nullopt;
    }
}

void ParallelReader::work(StrovaEngine& engine) {
    const bool retryAlone = engines_.size() > 1;
    const auto failed = [](const std::optional<SheetReading>& reading) {
        return !reading || reading->status == SheetReading::kImageNotLoaded;
    };
    for (std::size_t i = next_++; i < job_.requests.size() && !stopping_; i = next_++) {
        put(i, gate_.readRetryingAlone([&] { return readGuarded(engine, i); }, failed, retryAlone));
    }
}

void ParallelReader::put(std::size_t index, std::optional<SheetReading> reading) {
    {
        const std::lock_guard lock(mutex_);
        slots_[index] = std::move(reading);
    }
    ready_.notify_all();
}

std::optional<SheetReading> ParallelReader::take(std::size_t index) {
    if (threads_.empty() || index >= slots_.size()) return std::nullopt;
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return slots_[index].has_value(); });
    std::optional<SheetReading> reading = std::move(*slots_[index]);
    slots_[index].reset();
    return reading;
}

std::optional<std::optional<SheetReading>> ParallelReader::takeWithin(
    std::size_t index, std::chrono::milliseconds wait) {
    if (threads_.empty() || index >= slots_.size()) return std::optional<SheetReading>();
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, wait, [&] { return slots_[index].has_value(); })) {
        return std::nullopt;
    }
    std::optional<SheetReading> reading = std::move(*slots_[index]);
    slots_[index].reset();
    return reading;
}

}  // namespace tarrow
