// One engine object's view: its own image and definition paths, completion
// notification and rotated flag, over an EngineCore that may be shared. The
// six methods mirror the component's interface with plain C++ types (UTF-8
// text); the component converts BSTRs at its boundary.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/com/option_action.h"
#include "engine/recognition/engine_core.h"

namespace strovik {

/// Receives the completion notification: the stored window and message, with
/// wParam = number of questions and lParam = number of choice slots.
using NotifySink = std::function<void(std::int32_t window, std::uint32_t message,
                                      std::int32_t wParam, std::int32_t lParam)>;

class EngineSession {
public:
    /// Paths are held to 259 bytes, as the component's fixed buffers do.
    static constexpr std::size_t kMaxPath = kMaxEnginePath;

    explicit EngineSession(EngineCore& core) : core_(&core) {}

    std::int32_t putImageFilename(std::string_view path);
    std::int32_t putIniFilename(std::string_view path);
    std::int32_t run();
    /// Stores the notification target; `ret` is not written.
    void putNotify(std::int32_t window, std::int32_t message);
    std::int32_t getResult(std::string& resultStr, std::string& reliabilityStr) const;
    /// Performs one option action (option_action.h says what each reads and
    /// writes); outputs the action does not define keep what `out` held.
    void putOptions(OptionAction action, std::int32_t value, std::string_view valueStr,
                    OptionOutputs& out);

    void setNotifySink(NotifySink sink) { sink_ = std::move(sink); }

    int rotatedFlag() const { return rotated_; }
    const std::string& imagePath() const { return imagePath_; }
    const std::string& definitionPath() const { return definitionPath_; }
    EngineCore& core() { return *core_; }
    const EngineCore& core() const { return *core_; }

private:
    struct OptionCall;
    using OptionHandler = void (*)(const OptionCall&, OptionOutputs&);
    struct OptionEntry {
        OptionAction action;
        OptionHandler handler;
    };
    static const std::array<OptionEntry, kOptionActionCount>& optionTable();

    EngineCore* core_;
    std::string imagePath_;
    std::string definitionPath_;
    std::int32_t notifyWindow_ = 0;
    std::uint32_t notifyMessage_ = 0;
    int rotated_ = 0;
    NotifySink sink_;
};

}  // namespace strovik
