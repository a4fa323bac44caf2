// The reader's engine seam over a private engine core: the same six methods
// the component offers, without the component's single process-wide state,
// so that several sheets can be read at once (one SessionEngine per thread).
#pragma once

#include "engine/recognition/engine_core.h"
#include "engine/recognition/engine_session.h"
#include "reader/core/engine_client.h"

namespace tarrow {

class SessionEngine final : public StrovaEngine {
public:
    SessionEngine() = default;
    SessionEngine(const SessionEngine&) = delete;
    SessionEngine& operator=(const SessionEngine&) = delete;

    std::optional<int> putImageFilename(std::string_view path) override;
    std::optional<int> putIniFilename(std::string_view path) override;
    std::optional<int> run() override;
    std::optional<int> putNotify(int window, int message) override;
    std::optional<int> getResult(std::string& result, std::string& reliability) override;
    std::optional<OptionOutputs> putOptions(OptionAction action, int value,
                                            std::string_view valueStr) override;
    std::optional<double> sheetAngle() const override;

private:
    strovik::EngineCore core_;
    strovik::EngineSession session_{core_};
};

}  // namespace tarrow
