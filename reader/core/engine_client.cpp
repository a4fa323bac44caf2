#include "reader/core/engine_client.h"

#include <string>

#include "engine/com/bstr.h"
#include "engine/com/component_client.h"

namespace tarrow {

namespace {

using strovik::BSTR;
using strovik::HRESULT;
using strovik::LONG;
using strovik::UniqueBstr;

/// QString and BSTR are both UTF-16: the characters are copied as they are.
UniqueBstr toBstr(const QString& text) {
    return UniqueBstr(strovik::SysAllocStringLen(
        reinterpret_cast<const strovik::OLECHAR*>(text.utf16()), strovik::UINT(text.size())));
}

QString fromBstr(BSTR text) {
    return QString::fromUtf16(text, qsizetype(strovik::SysStringLen(text)));
}

/// The engine's status after a call (evaluate the call first: the status is
/// its out-parameter).
std::optional<int> statusOf(HRESULT hr, LONG status) {
    if (!strovik::succeeded(hr)) return std::nullopt;
    return int(status);
}

}  // namespace

std::unique_ptr<EngineClient> EngineClient::create(QString* error) {
    void* object = nullptr;
    std::string why;
    const HRESULT hr =
        strovik::createInstance(strovik::CLSID_Strova, strovik::IID_IStrova, &object, &why);
    if (!strovik::succeeded(hr) || !object) {
        if (error) *error = QString::fromStdString(why);
        return nullptr;
    }
    return std::unique_ptr<EngineClient>(new EngineClient(static_cast<strovik::IStrova*>(object)));
}

EngineClient::~EngineClient() {
    object_->Release();
}

std::optional<int> EngineClient::putImageFilename(const QString& path) {
    const UniqueBstr text = toBstr(path);
    LONG status = 0;
    const HRESULT hr = object_->put_ImageFilename(text.get(), &status);
    return statusOf(hr, status);
}

std::optional<int> EngineClient::putIniFilename(const QString& path) {
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

std::optional<int> EngineClient::getResult(QString& result, QString& reliability) {
    UniqueBstr resultText;
    UniqueBstr reliabilityText;
    LONG status = 0;
    const HRESULT hr = object_->get_Result(resultText.out(), reliabilityText.out(), &status);
    if (!strovik::succeeded(hr)) return std::nullopt;
    result = fromBstr(resultText.get());
    reliability = fromBstr(reliabilityText.get());
    return int(status);
}

std::optional<OptionResult> EngineClient::putOptions(const QString& action, int value,
                                                     const QString& valueStr) {
    const UniqueBstr actionText = toBstr(action);
    const UniqueBstr valueText = toBstr(valueStr);
    UniqueBstr retText;
    LONG retValue = 0;
    LONG status = 0;
    const HRESULT hr = object_->put_Options(actionText.get(), value, valueText.get(), &retValue,
                                            retText.out(), &status);
    if (!strovik::succeeded(hr)) return std::nullopt;
    OptionResult out;
    out.retValue = int(retValue);
    out.retValueStr = fromBstr(retText.get());
    out.status = int(status);
    return out;
}

}  // namespace tarrow
