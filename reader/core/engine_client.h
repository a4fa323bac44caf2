// The recognition engine as a reader of sheets sees it: the six methods of
// the component's interface with plain types, and the option actions it uses
// as typed calls. StrovaEngine is the seam the
// batch run talks to (tests script it); EngineClient is the real one, an
// engine object created through the component layer by its CLSID.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/com/com_types.h"
#include "engine/com/option_action.h"

namespace tarrow {

using strovik::OptionAction;
using strovik::OptionOutputs;

/// The engine's interface. Text is UTF-8 (paths as the file system holds
/// them). Every call returns the engine's status (the final out-parameter),
/// or nullopt when the call itself failed (a failure result from the
/// component), which ends a batch run without a message.
class StrovaEngine {
public:
    virtual ~StrovaEngine() = default;

    virtual std::optional<int> putImageFilename(std::string_view path) = 0;
    virtual std::optional<int> putIniFilename(std::string_view path) = 0;
    /// 0 = sheet read; -2 = image not loaded; -3 = zero marks not found.
    virtual std::optional<int> run() = 0;
    virtual std::optional<int> putNotify(int window, int message) = 0;
    virtual std::optional<int> getResult(std::string& result, std::string& reliability) = 0;
    /// One option action, called with RetValue 0 and an empty RetValueStr;
    /// nullopt when the call failed.
    virtual std::optional<OptionOutputs> putOptions(OptionAction action, int value,
                                                    std::string_view valueStr) = 0;
    /// The sheet angle of the last successful run in radians, where the
    /// engine can tell (the component's interface cannot: nullopt).
    virtual std::optional<double> sheetAngle() const { return std::nullopt; }

    // The option actions a reader uses, typed: one putOptions call each
    // (getters pass Value -1 and an empty ValueStr); nullopt or false when
    // the call failed.

    /// Whether the engine refused the definition as a whole (more questions
    /// or choices than it holds).
    std::optional<bool> definitionRefused();
    std::optional<int> editorDpiX();
    /// The image file's JFIF X density, -1 when it has none.
    std::optional<int> dpiX(std::string_view image);
    std::optional<int> imageAreaCount();
    std::optional<std::string> markedCounts();
    /// The definition's multi-answer question list as written ("3,7").
    std::optional<std::string> multiQuestions();
    /// Dot string of entry `index` (0-based) of the multi-answer list.
    std::optional<std::string> multiDotsPerQuestion(int index);
    /// 1 when the last run read the sheet turned by 180 degrees.
    std::optional<int> rotated();
    std::optional<int> skewSize();
    std::optional<int> diffZeroX();
    std::optional<int> diffZeroY();

    bool setNoMarkMin1000(int value);
    bool setNoMarkMinDots(int value);
    bool setMultiMarkedMultiply1000(int value);
    /// Crops of the next runs go to `base` + "_NNN.jpg"; empty: no crops.
    bool setImageAreaJpegFile(std::string_view base);
    bool setImageScaleRatePercent(int value);
    bool setImageSharpenRate(int value);
    /// The next runs write their diagnostic image to `path`; empty: none.
    bool setDebugFilename(std::string_view path);

private:
    std::optional<OptionOutputs> get(OptionAction action, int value = -1);
    bool set(OptionAction action, int value, std::string_view valueStr = {});
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

    std::optional<int> putImageFilename(std::string_view path) override;
    std::optional<int> putIniFilename(std::string_view path) override;
    std::optional<int> run() override;
    std::optional<int> putNotify(int window, int message) override;
    std::optional<int> getResult(std::string& result, std::string& reliability) override;
    std::optional<OptionOutputs> putOptions(OptionAction action, int value,
                                            std::string_view valueStr) override;

private:
    explicit EngineClient(strovik::IStrova* object) : object_(object) {}

    strovik::IStrova* object_;
};

}  // namespace tarrow
