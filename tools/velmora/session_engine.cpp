#include "tools/velmora/session_engine.h"

#include <string>

namespace velmora::cli {

std::optional<int> SessionEngine::putImageFilename(const QString& path) {
    return session_.putImageFilename(path.toStdString());
}

std::optional<int> SessionEngine::putIniFilename(const QString& path) {
    return session_.putIniFilename(path.toStdString());
}

std::optional<int> SessionEngine::run() {
    return session_.run();
}

std::optional<int> SessionEngine::putNotify(int window, int message) {
    session_.putNotify(window, message);
    return 0;
}

std::optional<int> SessionEngine::getResult(QString& result, QString& reliability) {
    std::string resultText;
    std::string reliabilityText;
    const int status = session_.getResult(resultText, reliabilityText);
    result = QString::fromStdString(resultText);
    reliability = QString::fromStdString(reliabilityText);
    return status;
}

std::optional<tarrow::OptionResult> SessionEngine::putOptions(const QString& action, int value,
                                                              const QString& valueStr) {
    strovik::OptionOutputs out;
    session_.putOptions(action.toStdString(), value, valueStr.toStdString(), out);
    return tarrow::OptionResult{out.retValue, QString::fromStdString(out.retValueStr), out.ret};
}

}  // namespace velmora::cli
