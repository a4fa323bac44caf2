#include "reader/core/engine_client.h"

#include <atomic>
#include <new>
#include <string>

#include "common/qt/logging_categories.h"
#include "engine/com/bstr.h"
#include "engine/com/component_client.h"

namespace tarrow {

namespace {

using strovik::BSTR;
using strovik::HRESULT;
using strovik::LONG;
using strovik::UniqueBstr;

// Paths go as bytes: a file name that is not UTF-8 reaches the engine as it is.
UniqueBstr toBstr(std::string_view text) {
    return UniqueBstr(strovik::bstrFromBytes(text));
}

/// The engine's status after a call (evaluate the call first: the status is
/// its out-parameter).
std::optional<int> statusOf(HRESULT hr, LONG status) {
    if (!strovik::succeeded(hr)) return std::nullopt;
    return int(status);
}

/// The engine's own fallback, its notice (which library was taken instead
/// of the registered one) on the engine category, once per process.
strovik::EngineFallback loggedFallback() {
    strovik::EngineFallback fallback = strovik::defaultEngineFallback();
    fallback.notice = [](const std::string& text) {
        static std::atomic<bool> said{false};
        if (said.exchange(true)) return;
        // The category names the source; the line's own program prefix goes.
        const QString line = QString::fromStdString(text);
        const QString prefix = QStringLiteral("velmora: ");
        qCWarning(velmora::lcEngine).noquote()
            << (line.startsWith(prefix) ? line.mid(prefix.size()) : line);
    };
    return fallback;
}

}  // namespace

std::unique_ptr<EngineClient> EngineClient::create(QString* error) {
    void* object = nullptr;
    std::string why;
    HRESULT hr = strovik::E_OUTOFMEMORY;
    try {
        hr = strovik::createInstanceWithFallback(strovik::CLSID_Strova, strovik::IID_IStrova,
                                                 &object, loggedFallback(), &why);
    } catch (const std::bad_alloc&) {
        why = "out of memory";
    }
    if (!strovik::succeeded(hr) || !object) {
        qCDebug(velmora::lcEngine).noquote() << "no recognition engine:" << why.c_str();
        if (error) *error = QString::fromStdString(why);
        return nullptr;
    }
    return std::unique_ptr<EngineClient>(new EngineClient(static_cast<strovik::IStrova*>(object)));
}

EngineClient::~EngineClient() {
    object_->Release();
}

std::optional<OptionOutputs> StrovaEngine::get(OptionAction action, int value) {
    return putOptions(action, value, {});
}

bool StrovaEngine::set(OptionAction action, int value, std::string_view valueStr) {
    return putOptions(action, value, valueStr).has_value();
}

namespace {

std::optional<int> retValue(const std::optional<OptionOutputs>& out) {
    if (!out) return std::nullopt;
    return out->retValue;
}

std::optional<std::string> retText(std::optional<OptionOutputs> out) {
    if (!out) return std::nullopt;
    return std::move(out->retValueStr);
}

}  // namespace

std::optional<bool> StrovaEngine::definitionRefused() {
    const std::optional<int> problem = retValue(get(OptionAction::GetDefinitionProblem));
    if (!problem) return std::nullopt;
    return *problem != 0;
}

std::optional<int> StrovaEngine::editorDpiX() {
    return retValue(get(OptionAction::GetEditorDpiX));
}

std::optional<int> StrovaEngine::dpiX(std::string_view image) {
    return retValue(putOptions(OptionAction::GetDpiX, -1, image));
}

std::optional<int> StrovaEngine::imageAreaCount() {
    return retValue(get(OptionAction::GetImageAreaCount));
}

std::optional<std::string> StrovaEngine::markedCounts() {
    return retText(get(OptionAction::GetMarkedCounts));
}

std::optional<std::string> StrovaEngine::multiQuestions() {
    return retText(get(OptionAction::GetMultiQuestions));
}

std::optional<std::string> StrovaEngine::multiDotsPerQuestion(int index) {
    return retText(get(OptionAction::GetMultiDotsPerQuestion, index));
}

std::optional<int> StrovaEngine::rotated() {
    return retValue(get(OptionAction::ChkRotate));
}

std::optional<int> StrovaEngine::skewSize() {
    return retValue(get(OptionAction::GetSkewSize));
}

std::optional<int> StrovaEngine::diffZeroX() {
    return retValue(get(OptionAction::GetDiffZeroX));
}

std::optional<int> StrovaEngine::diffZeroY() {
    return retValue(get(OptionAction::GetDiffZeroY));
}

bool StrovaEngine::setNoMarkMin1000(int value) {
    return set(OptionAction::SetNoMarkMin1000, value);
}

bool StrovaEngine::setNoMarkMinDots(int value) {
    return set(OptionAction::SetNoMarkMinDots, value);
}

bool StrovaEngine::setMultiMarkedMultiply1000(int value) {
    return set(OptionAction::SetMultiMarkedMultiply1000, value);
}

bool StrovaEngine::setImageAreaJpegFile(std::string_view base) {
    return set(OptionAction::SetImageAreaJpegFile, -1, base);
}

bool StrovaEngine::setImageScaleRatePercent(int value) {
    return set(OptionAction::SetImageScaleRatePercent, value);
}

bool StrovaEngine::setImageSharpenRate(int value) {
    return set(OptionAction::SetImageSharpenRate, value);
}

bool StrovaEngine::setDebugFilename(std::string_view path) {
    return set(OptionAction::SetDebugFilename, -1, path);
}

std::optional<int> EngineClient::putImageFilename(std::string_view path) {
    const UniqueBstr text = toBstr(path);
    LONG status = 0;
    const HRESULT hr = object_->put_ImageFilename(text.get(), &status);
    return statusOf(hr, status);
}

std::optional<int> EngineClient::putIniFilename(std::string_view path) {
    const UniqueBstr text = toBstr(path);
    LONG status = 0;
    const HRESULT hr = object_->put_IniFilename(text.get(), &status);
    return statusOf(hr, status);
}

std::optional<int> EngineClient::run() {
    LONG status = 0;
    const HRESULT hr = object_->Run(&status);
    return statusOf(hr, status);
}

std::optional<int> EngineClient::putNotify(int window, int message) {
    LONG status = 0;  // put_Notify leaves it as it is
    const HRESULT hr = object_->put_Notify(window, message, &status);
    return statusOf(hr, status);
}

std::optional<int> EngineClient::getResult(std::string& result, std::string& reliability) {
    UniqueBstr resultText;
    UniqueBstr reliabilityText;
    LONG status = 0;
    const HRESULT hr = object_->get_Result(resultText.out(), reliabilityText.out(), &status);
    if (!strovik::succeeded(hr)) return std::nullopt;
    result = resultText.utf8();
    reliability = reliabilityText.utf8();
    return int(status);
}

std::optional<OptionOutputs> EngineClient::putOptions(OptionAction action, int value,
                                                      std::string_view valueStr) {
    const UniqueBstr actionText = toBstr(strovik::optionActionName(action));
    const UniqueBstr valueText = toBstr(valueStr);
    UniqueBstr retText;
    LONG retValue = 0;
    LONG status = 0;
    const HRESULT hr = object_->put_Options(actionText.get(), value, valueText.get(), &retValue,
                                            retText.out(), &status);
    if (!strovik::succeeded(hr)) return std::nullopt;
    OptionOutputs out;
    out.retValue = retValue;
    out.retValueStr = retText.utf8();
    out.ret = status;
    return out;
}

}  // namespace tarrow
