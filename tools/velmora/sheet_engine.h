// The engine calls the read command makes, as a small interface: the real
// engine (one EngineCore with its own EngineSession) in the tool, a scripted
// stand-in in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/recognition/engine_core.h"
#include "engine/recognition/engine_session.h"

namespace velmora::cli {

class SheetEngine {
public:
    virtual ~SheetEngine() = default;

    virtual void putIniFilename(std::string_view path) = 0;
    virtual void putImageFilename(std::string_view path) = 0;
    /// 0 = read, -2 = image not loaded, -3 = zero marks not found.
    virtual int run() = 0;
    virtual void getResult(std::string& result, std::string& reliability) = 0;
    /// One option action with fresh out-parameters (0 and empty text where
    /// the action writes nothing).
    virtual strovik::OptionOutputs putOptions(std::string_view action, std::int32_t value,
                                              std::string_view valueStr) = 0;
    /// Sheet angle of the last successful run, radians.
    virtual double angle() const = 0;
};

/// The real engine: a private core, so one instance per thread is safe.
class CoreEngine final : public SheetEngine {
public:
    CoreEngine() = default;
    CoreEngine(const CoreEngine&) = delete;
    CoreEngine& operator=(const CoreEngine&) = delete;

    void putIniFilename(std::string_view path) override { session_.putIniFilename(path); }
    void putImageFilename(std::string_view path) override { session_.putImageFilename(path); }
    int run() override { return session_.run(); }
    void getResult(std::string& result, std::string& reliability) override {
        session_.getResult(result, reliability);
    }
    strovik::OptionOutputs putOptions(std::string_view action, std::int32_t value,
                                      std::string_view valueStr) override {
        strovik::OptionOutputs out;
        session_.putOptions(action, value, valueStr, out);
        return out;
    }
    double angle() const override { return session_.core().alignment().angle; }

private:
    strovik::EngineCore core_;
    strovik::EngineSession session_{core_};
};

}  // namespace velmora::cli
