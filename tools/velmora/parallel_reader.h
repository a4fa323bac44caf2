// Reads a list of images on several worker threads, each with an engine of
// its own, with the reader's one reading function (reader/core/
// sheet_reading.h), and hands the readings back in input order. Both forms
// of `velmora read` use it: the JSON lines directly, the batch form through
// ReadAheadSource.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "reader/core/sheet_reading.h"
#include "tools/velmora/read_gate.h"

namespace velmora::cli {

/// Makes one engine per worker.
using EngineFactory = std::function<std::unique_ptr<tarrow::StrovaEngine>()>;

/// What the workers read.
struct ParallelJob {
    tarrow::ReadingSettings settings;
    std::vector<tarrow::SheetRequest> requests;  ///< in input order
    /// The crops' base of an image, asked when the definition has image
    /// areas; empty (or no function): no crops.
    std::function<std::string(const std::string& image)> cropBase;
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
    const std::optional<tarrow::EnginePreparation>& preparation() const { return preparation_; }
    /// Whether workers are reading: not when there is nothing to read, the
    /// preparation failed or was refused, or no worker could be started
    /// (then `error` says so).
    bool reading() const { return !threads_.empty(); }
    const std::string& error() const { return error_; }

    /// The reading of request `index`, once it is done; nullopt when an
    /// engine call failed (or threw) or nothing is being read. Each index is
    /// taken once.
    std::optional<tarrow::SheetReading> take(std::size_t index);

private:
    using Slot = std::optional<std::optional<tarrow::SheetReading>>;

    void work(tarrow::StrovaEngine& engine);
    std::optional<tarrow::SheetReading> readGuarded(tarrow::StrovaEngine& engine,
                                                    std::size_t index) const;
    void put(std::size_t index, std::optional<tarrow::SheetReading> reading);

    ParallelJob job_;
    std::vector<std::unique_ptr<tarrow::StrovaEngine>> engines_;
    std::optional<tarrow::EnginePreparation> preparation_;
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

}  // namespace velmora::cli
