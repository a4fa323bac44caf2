#include "engine/com/strova_object.h"

#include <new>
#include <optional>
#include <string>

#include "engine/com/bstr.h"
#include "engine/com/module.h"
#include "engine/com/option_action.h"

namespace strovik::component {
namespace {

/// Placed in the text out-parameter before an option action runs; no action
/// can produce it (action texts are single lines), so finding it afterwards
/// means the action left the caller's BSTR alone.
constexpr std::string_view kUntouchedText = "\n\x01untouched\x01\n";

/// Runs a method body, turning any exception into a result code so none
/// crosses the interface.
template <typename Body>
HRESULT guarded(Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

void store(LONG* target, LONG value) {
    if (target) *target = value;
}

void storeText(BSTR* target, const std::string& utf8) {
    if (!target) return;
    *target = bstrFromUtf8(utf8);
    if (!*target) throw std::bad_alloc();
}

}  // namespace

HRESULT StrovaObject::create(IUnknown* outer, const IID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !(iid == IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    StrovaObject* object = nullptr;
    try {
        object = new StrovaObject(outer);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    // Hold a reference across the query so a failed query destroys the object.
    object->inner_.AddRef();
    const HRESULT hr = object->inner_.QueryInterface(iid, out);
    object->inner_.Release();
    return hr;
}

StrovaObject::StrovaObject(IUnknown* outer)
    : controlling_(outer ? outer : &inner_), session_(Module::instance().core()) {
    session_.setNotifySink(
        [](std::int32_t window, std::uint32_t message, std::int32_t wParam, std::int32_t lParam) {
            Module::instance().notify(window, message, wParam, lParam);
        });
    Module::instance().lock();
}

StrovaObject::~StrovaObject() {
    Module::instance().unlock();
}

// ---- Non-delegating IUnknown.

HRESULT StrovaObject::InnerUnknown::QueryInterface(const IID& iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown) {
        *out = static_cast<IUnknown*>(this);
    } else if (iid == IID_IDispatch || iid == IID_IStrova) {
        *out = static_cast<IStrova*>(&owner_);
    } else if (iid == IID_ISupportErrorInfo) {
        *out = static_cast<ISupportErrorInfo*>(&owner_);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

ULONG StrovaObject::InnerUnknown::AddRef() {
    return ++owner_.refs_;
}

ULONG StrovaObject::InnerUnknown::Release() {
    const ULONG remaining = --owner_.refs_;
    if (remaining == 0) delete &owner_;
    return remaining;
}

// ---- Delegating IUnknown.

HRESULT StrovaObject::QueryInterface(const IID& iid, void** out) {
    return controlling_->QueryInterface(iid, out);
}

ULONG StrovaObject::AddRef() {
    return controlling_->AddRef();
}

ULONG StrovaObject::Release() {
    return controlling_->Release();
}

// ---- IDispatch without a type library; GetIDsOfNames and Invoke are in
// strova_dispatch.cpp.

HRESULT StrovaObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT StrovaObject::GetTypeInfo(UINT, LCID, void** typeInfo) {
    if (typeInfo) *typeInfo = nullptr;
    return E_NOTIMPL;
}

// ---- IStrova.

HRESULT StrovaObject::put_ImageFilename(BSTR filename, LONG* retval) {
    return guarded([&] { store(retval, session_.putImageFilename(bytesFromBstr(filename))); });
}

HRESULT StrovaObject::put_IniFilename(BSTR filename, LONG* retval) {
    return guarded([&] { store(retval, session_.putIniFilename(bytesFromBstr(filename))); });
}

HRESULT StrovaObject::Run(LONG* retval) {
    return guarded([&] { store(retval, session_.run()); });
}

HRESULT StrovaObject::put_Notify(LONG hWnd, LONG Msg, LONG*) {
    return guarded([&] { session_.putNotify(hWnd, Msg); });
}

HRESULT StrovaObject::get_Result(BSTR* ResultStr, BSTR* ReliabilityStr, LONG* retval) {
    return guarded([&] {
        std::string result;
        std::string reliability;
        const LONG status = session_.getResult(result, reliability);
        storeText(ResultStr, result);
        storeText(ReliabilityStr, reliability);
        store(retval, status);
    });
}

HRESULT StrovaObject::put_Options(BSTR Action, LONG Value, BSTR ValueStr, LONG* RetValue,
                                  BSTR* RetValueStr, LONG* ret) {
    // The action's text becomes an action here, once. A name the engine does
    // not know is the caller's mistake (a misspelt or unsupported action):
    // it is refused with every out-parameter left as passed.
    std::optional<OptionAction> action;
    const HRESULT named = guarded([&] { action = optionActionFromName(utf8FromBstr(Action)); });
    if (!succeeded(named)) return named;
    if (!action) return E_INVALIDARG;
    return guarded([&] {
        // The outputs start as the caller's values, so writing the numbers
        // back keeps those the action did not set. The caller's BSTR is
        // never read (an [out] BSTR may hold anything) and is replaced only
        // when the action produced text; ownership of a replaced BSTR stays
        // with the caller.
        OptionOutputs outputs;
        outputs.retValue = RetValue ? *RetValue : 0;
        outputs.ret = ret ? *ret : 0;
        outputs.retValueStr = kUntouchedText;
        // ValueStr carries file names for some actions: kept byte for byte.
        session_.putOptions(*action, Value, bytesFromBstr(ValueStr), outputs);
        if (outputs.retValueStr != kUntouchedText) storeText(RetValueStr, outputs.retValueStr);
        store(RetValue, outputs.retValue);
        store(ret, outputs.ret);
    });
}

// ---- ISupportErrorInfo.

HRESULT StrovaObject::InterfaceSupportsErrorInfo(const IID& iid) {
    return iid == IID_IStrova ? S_OK : S_FALSE;
}

}  // namespace strovik::component
