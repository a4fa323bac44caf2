#include "engine/com/class_factory.h"

#include <new>

#include "engine/com/module.h"
#include "engine/com/strova_object.h"

namespace strovik::component {

HRESULT StrovaClassFactory::create(const IID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* factory = new (std::nothrow) StrovaClassFactory();
    if (!factory) return E_OUTOFMEMORY;
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

HRESULT StrovaClassFactory::QueryInterface(const IID& iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG StrovaClassFactory::AddRef() {
    const std::lock_guard<std::mutex> guard(mutex_);
    return ++refs_;
}

ULONG StrovaClassFactory::Release() {
    ULONG remaining = 0;
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        remaining = --refs_;
    }
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT StrovaClassFactory::CreateInstance(IUnknown* outer, const IID& iid, void** out) {
    return StrovaObject::create(outer, iid, out);
}

HRESULT StrovaClassFactory::LockServer(int lock) {
    if (lock) {
        Module::instance().lock();
    } else {
        Module::instance().unlock();
    }
    return S_OK;
}

}  // namespace strovik::component
