#include "reader/core/session_engine.h"

namespace tarrow {

std::optional<int> SessionEngine::putImageFilename(std::string_view path) {
    return session_.putImageFilename(path);
}

std::optional<int> SessionEngine::putIniFilename(std::string_view path) {
    return session_.putIniFilename(path);
}

std::optional<int> SessionEngine::run() {
    return session_.run();
}

std::optional<int> SessionEngine::putNotify(int window, int message) {
    session_.putNotify(window, message);
    return 0;
}

std::optional<int> SessionEngine::getResult(std::string& result, std::string& reliability) {
    return session_.getResult(result, reliability);
}

std::optional<OptionOutputs> SessionEngine::putOptions(OptionAction action, int value,
                                                       std::string_view valueStr) {
    strovik::OptionOutputs out;
    session_.putOptions(action, value, valueStr, out);
    return out;
}

std::optional<double> SessionEngine::sheetAngle() const {
    return session_.core().alignment().angle;
}

}  // namespace tarrow
