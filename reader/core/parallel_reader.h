// Reads a list of images on several worker threads, each with an engine of
// its own, with the reader's one reading function (reader/core/
// sheet_reading.h), and hands the readings back in input order. Both forms
// of `velmora read` use it (the JSON lines directly, the batch form through
// its read-ahead source), and so does the reading application's batch run
// (worker_source.h).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "reader/core/read_gate.h"
#include "reader/core/sheet_reading.h"

namespace tarrow {

/// Makes one engine per worker.
using EngineFactory = std::function<std::unique_ptr<StrovaEngine>()>;

/// What the workers read.
struct ParallelJob {
    ReadingSettings settings;
    std::vector<SheetRequest> requests;  ///< in input order
    /// The crops' base of an image, asked when the definition has image
    /// areas; empty (or no function): no crops.
    std::function<std::string(const std::string& image)> cropBase;
    /// Told each image's resolution as soon as a worker has asked for it,
    /// before the image is read (called on the worker's thread).
    std::function<void(const std::string& image, int imageDpi)> resolution;
    int jobs = 1;
};

class ParallelReader {
public:
    /// Creates and prepares min(jobs, requests) engines (at least one) on
    /// the calling thread, so no engine reads the definition while another
    /// one is writing it back, then starts one worker per engine. Images go
    /// to whichever worker is free next; an image that cannot be loaded
    /// while others are being read (the memory they hold may be what it
    /// lacks) is read once more while no other worker reads, so every
    /// worker count gives the readings one worker gives. No worker starts
    /// when the preparation failed or the definition was refused.
    ParallelReader(ParallelJob job, const EngineFactory& makeEngine);
    /// Hands out no further image and waits for the workers.
    ~ParallelReader();
    ParallelReader(const ParallelReader&) = delete;
    ParallelReader& operator=(const ParallelReader&) = delete;

    const ParallelJob& job() const { return job_; }
    /// The first engine's preparation; nullopt when an engine call failed
    /// on any engine.
    const std::optional<EnginePreparation>& preparation() const { return preparation_; }
    /// Whether workers are reading: not when there is nothing to read, the
    /// preparation failed or was refused, or no worker could be started
    /// (then `error` says so).
    bool reading() const { return !threads_.empty(); }
    const std::string& error() const { return error_; }

    /// The reading of request `index`, once it is done; nullopt when an
    /// engine call failed (or threw) or nothing is being read. Each index is
    /// taken once.
    std::optional<SheetReading> take(std::size_t index);
    /// As take(), waiting at most `wait`: nullopt (outside) when the reading
    /// is not done by then; it can be taken later.
    std::optional<std::optional<SheetReading>> takeWithin(std::size_t index,
                                                          std::chrono::milliseconds wait);

private:
    using Slot = std::optional<std::optional<SheetReading>>;

    void work(StrovaEngine& engine);
    std::optional<SheetReading> readGuarded(StrovaEngine& engine, std::size_t index) const;
    void put(std::size_t index, std::optional<SheetReading> reading);

    ParallelJob job_;
    std::vector<std::unique_ptr<StrovaEngine>> engines_;
    std::optional<EnginePreparation> preparation_;
    std::string error_;

    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stopping_{false};
    ReadGate gate_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Slot> slots_;
    // Declared last: joined (and destroyed) before what the workers use.
    std::vector<std::jthread> threads_;
};

}  // namespace tarrow
