// The batch run's readings for `velmora read -o ... -j N`: the parallel
// workers read every sheet ahead with the run's own settings, requests and
// crop bases, and the run takes the readings in input order, calling its
// hooks (resolution label and warning, crop folder question) where a
// sequential run would. Anything the run asks differently from what the
// workers did marks the source as diverged: its readings are not used and
// the caller reads again on one engine.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "reader/core/parallel_reader.h"
#include "reader/core/sheet_reading.h"

namespace velmora::cli {

class ReadAheadSource final : public tarrow::SheetSource {
public:
    /// Borrows `reader` for the source's lifetime.
    explicit ReadAheadSource(tarrow::ParallelReader& reader);

    std::optional<tarrow::EnginePreparation> prepare(
        const tarrow::ReadingSettings& settings) override;
    std::optional<tarrow::SheetReading> read(const tarrow::ReadingSettings& settings,
                                             const tarrow::SheetRequest& request,
                                             const tarrow::ReadingHooks& hooks) override;

    bool diverged() const { return !divergence_.empty(); }
    /// The first difference found, for the message.
    const std::string& divergence() const { return divergence_; }

private:
    std::nullopt_t diverge(const std::string& what);
    /// The reading of request `index`, taken from the reader once.
    const std::optional<tarrow::SheetReading>& reading(std::size_t index);

    tarrow::ParallelReader& reader_;
    std::map<std::string, std::size_t> indexOf_;
    std::vector<std::optional<std::optional<tarrow::SheetReading>>> taken_;
    std::string divergence_;
};

}  // namespace velmora::cli
