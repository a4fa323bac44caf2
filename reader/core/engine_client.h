// The recognition engine as the reading application sees it: the six methods
// of the component's interface with Qt types. StrovaEngine is the seam the
// batch run talks to (tests script it); EngineClient is the real one, an
// engine object created through the component layer by its CLSID.
#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "engine/com/com_types.h"

namespace tarrow {

/// What an option action hands back: RetValue, RetValueStr and the final
/// status out-parameter.
struct OptionResult {
    int retValue = 0;
    QString retValueStr;
    int status = 0;
};

/// The engine's interface. Every call returns the engine's status (the final
/// out-parameter), or nullopt when the call itself failed (a failure result
/// from the component), which ends a batch run without a message.
class StrovaEngine {
public:
    virtual ~StrovaEngine() = default;

    virtual std::optional<int> putImageFilename(const QString& path) = 0;
    virtual std::optional<int> putIniFilename(const QString& path) = 0;
    /// 0 = sheet read; -2 = image not loaded; -3 = zero marks not found.
    virtual std::optional<int> run() = 0;
    virtual std::optional<int> putNotify(int window, int message) = 0;
    virtual std::optional<int> getResult(QString& result, QString& reliability) = 0;
    /// One option action, called with RetValue 0 and an empty RetValueStr;
    /// nullopt when the call failed.
    virtual std::optional<OptionResult> putOptions(const QString& action, int value,
                                                   const QString& valueStr) = 0;
};

/// One engine object of the component, held for the client's lifetime and
/// released on destruction.
class EngineClient final : public StrovaEngine {
public:
    /// Creates the engine object by CLSID_Strova, asking for IStrova. Null
    /// with the component layer's one-line explanation in `error` when the
    /// class is not registered or the library cannot be loaded.
    static std::unique_ptr<EngineClient> create(QString* error = nullptr);

    ~EngineClient() override;
    EngineClient(const EngineClient&) = delete;
    EngineClient& operator=(const EngineClient&) = delete;

    std::optional<int> putImageFilename(const QString& path) override;
    std::optional<int> putIniFilename(const QString& path) override;
    std::optional<int> run() override;
    std::optional<int> putNotify(int window, int message) override;
    std::optional<int> getResult(QString& result, QString& reliability) override;
    std::optional<OptionResult> putOptions(const QString& action, int value,
                                           const QString& valueStr) override;

private:
    explicit EngineClient(strovik::IStrova* object) : object_(object) {}

    strovik::IStrova* object_;
};

}  // namespace tarrow
