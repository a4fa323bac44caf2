#include "tools/velmora/parallel_reader.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "tools/velmora/read_gate.h"
#include "tools/velmora/sheet_reader.h"

namespace velmora::cli {
namespace {

/// Finished records waiting for their turn to be printed.
class OrderedResults {
public:
    explicit OrderedResults(std::size_t count) : slots_(count) {}

    void put(std::size_t index, SheetRecord record) {
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(record);
        }
        ready_.notify_all();
    }

    SheetRecord take(std::size_t index) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return slots_[index].has_value(); });
        SheetRecord record = std::move(*slots_[index]);
        slots_[index].reset();
        return record;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::optional<SheetRecord>> slots_;
};

SheetRecord readGuarded(tarrow::StrovaEngine& engine, const std::string& image,
                        const ReadOptions& options) {
    try {
        return readSheet(engine, image, options);
    } catch (...) {
        // Out of memory inside the engine: this image failed, the batch goes on.
        SheetRecord record;
        record.image = image;
        record.status = strovik::kRunImageNotLoaded;
        return record;
    }
}

/// What the workers share besides the images and results.
struct WorkerShare {
    std::atomic<std::size_t> next{0};
    ReadGate gate;
    bool retryAlone = false;  ///< more than one worker
};

void workerLoop(tarrow::StrovaEngine& engine, const std::vector<std::string>& images,
                const ReadOptions& options, WorkerShare& share, OrderedResults& results) {
    for (std::size_t i = share.next.fetch_add(1); i < images.size(); i = share.next.fetch_add(1)) {
        results.put(
            i, share.gate.readRetryingAlone(
                   [&] { return readGuarded(engine, images[i], options); },
                   [](const SheetRecord& r) { return r.status == strovik::kRunImageNotLoaded; },
                   share.retryAlone));
    }
}

}  // namespace

bool readImages(const std::vector<std::string>& images, const ReadOptions& options,
                const EngineFactory& makeEngine, const RecordSink& sink, std::string& error) {
    if (images.empty()) return true;
    const std::size_t workers = std::min(std::size_t(std::max(options.jobs, 1)), images.size());
    std::vector<std::unique_ptr<tarrow::StrovaEngine>> engines;
    for (std::size_t w = 0; w < workers; ++w) {
        engines.push_back(makeEngine());
        prepareEngine(*engines.back(), options);
    }

    OrderedResults results(images.size());
    WorkerShare share;
    share.retryAlone = workers > 1;
    // Declared after what the workers use, so it is joined (and destroyed) first.
    std::vector<std::jthread> threads;
    for (auto& engine : engines) {
        try {
            threads.emplace_back(workerLoop, std::ref(*engine), std::cref(images),
                                 std::cref(options), std::ref(share), std::ref(results));
        } catch (const std::system_error&) {
            break;  // the workers already running share out every image
        }
    }
    if (threads.empty()) {
        error = "cannot start a worker thread";
        return false;
    }
    for (std::size_t i = 0; i < images.size(); ++i) sink(results.take(i));
    return true;
}

}  // namespace velmora::cli
