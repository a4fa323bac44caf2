// The batch run's readings from parallel workers (parallel_reader.h), for
// the reading application: the workers read ahead on engines of their own
// while the run, on the window's thread, takes the readings in input order
// and calls its hooks where a one-engine run calls them.
//
// Rules:
// - Workers never decide anything the user answers. A worker whose image
//   has image areas waits before naming the crops until the run has chosen
//   its crop folder (setCropBases); until then no crop is written.
// - The run's hooks are called on the run's thread only, in the order
//   readSheet calls them for that image: the resolution, then the crop
//   base. An image whose worker waits for the crop folder has its hooks
//   called as soon as the run reaches it, before its reading is done.
// - While the run waits for a reading it calls `whileWaiting` about every
//   `kWaitSliceMs` milliseconds (the window lets its events run).
// - A reading that differs from what a one-engine run would have been told
//   (another crop base) is an engine failure: the run ends (nullopt).
// - An image listed twice is read once; each listing gets its hooks.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "reader/core/parallel_reader.h"
#include "reader/core/sheet_reading.h"

namespace tarrow {

/// The default number of workers: the processors (at least one).
int processorCount();

class WorkerSource final : public SheetSource {
public:
    static constexpr int kWaitSliceMs = 15;

    /// `jobs` workers (0: processorCount()), each with an engine from
    /// `makeEngine`.
    WorkerSource(EngineFactory makeEngine, int jobs, std::function<void()> whileWaiting);
    /// Releases workers waiting for a crop folder (no crops) and waits for
    /// the images being read.
    ~WorkerSource() override;
    WorkerSource(const WorkerSource&) = delete;
    WorkerSource& operator=(const WorkerSource&) = delete;

    std::optional<EnginePreparation> prepare(const ReadingSettings& settings) override;
    void start(const std::vector<SheetRequest>& requests) override;
    std::optional<SheetReading> read(const ReadingSettings& settings, const SheetRequest& request,
                                     const ReadingHooks& hooks) override;
    void setCropBases(std::function<std::string(const std::string& image)> baseOf) override;

    int jobs() const { return jobs_; }

private:
    using BaseRule = std::function<std::string(const std::string& image)>;

    // On the workers' threads.
    void noteResolution(const std::string& image, int imageDpi);
    std::string waitForCropBase(const std::string& image);

    /// Whether the worker of `image` waits for the crop folder, and the
    /// resolution it was told.
    bool waitsForCrops(const std::string& image, std::optional<int>* imageDpi);
    /// The reading of request `index`, taken once; the crop stage is run
    /// when its worker waits for it.
    struct Taken {
        std::optional<SheetReading> reading;
        bool hooksCalled = false;  ///< resolution and crop base already called
        std::optional<std::string> expectedCropBase;
    };
    Taken takeReading(std::size_t index, const std::string& image, const ReadingHooks& hooks);
    void decide(BaseRule baseOf);

    EngineFactory makeEngine_;
    int jobs_;
    std::function<void()> whileWaiting_;
    ReadingSettings settings_;
    std::map<std::string, std::size_t> indexOf_;
    std::vector<std::optional<std::optional<SheetReading>>> taken_;

    std::mutex mutex_;
    std::condition_variable decided_;
    bool cropsDecided_ = false;
    BaseRule baseOf_;
    std::set<std::string> waiting_;
    std::map<std::string, int> dpiOf_;

    // Declared last: its workers are joined before what they use goes.
    std::unique_ptr<ParallelReader> reader_;
};

}  // namespace tarrow
