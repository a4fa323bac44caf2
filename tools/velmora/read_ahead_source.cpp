#include "tools/velmora/read_ahead_source.h"

namespace velmora::cli {

ReadAheadSource::ReadAheadSource(tarrow::ParallelReader& reader)
    : reader_(reader), taken_(reader.job().requests.size()) {
    const std::vector<tarrow::SheetRequest>& requests = reader_.job().requests;
    for (std::size_t i = 0; i < requests.size(); ++i) indexOf_.emplace(requests[i].image, i);
}

std::nullopt_t ReadAheadSource::diverge(const std::string& what) {
    if (divergence_.empty()) divergence_ = what;
    return std::nullopt;
}

const std::optional<tarrow::SheetReading>& ReadAheadSource::reading(std::size_t index) {
    // The run may list an image twice; the workers read it once.
    if (!taken_[index]) taken_[index] = reader_.take(index);
    return *taken_[index];
}

std::optional<tarrow::EnginePreparation> ReadAheadSource::prepare(
    const tarrow::ReadingSettings& settings) {
    if (settings != reader_.job().settings) return diverge("different settings");
    if (!reader_.preparation()) return diverge("an engine call failed while preparing");
    return reader_.preparation();
}

std::optional<tarrow::SheetReading> ReadAheadSource::read(const tarrow::ReadingSettings& settings,
                                                          const tarrow::SheetRequest& request,
                                                          const tarrow::ReadingHooks& hooks) {
    if (settings != reader_.job().settings) return diverge("different settings");
    const auto it = indexOf_.find(request.image);
    if (it == indexOf_.end()) return diverge("image not read ahead: " + request.image);
    if (request != reader_.job().requests[it->second]) {
        return diverge("different request for " + request.image);
    }
    const std::optional<tarrow::SheetReading>& read = reading(it->second);
    if (!read) return diverge("an engine call failed while reading " + request.image);
    // The hooks, where readSheet would have called them.
    if (read->imageDpi && hooks.resolution) hooks.resolution(*read->imageDpi);
    if (read->imageAreas > 0 && hooks.cropBase) {
        if (tarrow::cropBaseToSet(hooks.cropBase()) != read->cropBase) {
            return diverge("different crop folder for " + request.image);
        }
    }
    return read;
}

}  // namespace velmora::cli
