#include "engine/com/component_client.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "common/settings_store.h"

namespace strovik {
namespace {

constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT";
constexpr std::string_view kRegisterCommand = "strovik-regsvr /path/to/libstrovik.so";

void setError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string notRegisteredMessage(const velmora::SettingsStore& store, const std::string& key) {
    return "The recognition engine is not registered (no " + std::string(kRoot) + "\\" + key +
           " in " + store.rootFolder().string() +
           "). Register it with: " + std::string(kRegisterCommand);
}

std::string loaderError(const char* fallback) {
    const char* text = dlerror();
    return text ? text : fallback;
}

/// Loads the library (once per process; later calls get the same handle)
/// and finds its class-object entry point.
HRESULT loadEntryPoint(const std::string& path, DllGetClassObjectFunction& entry,
                       std::string* error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(path, ec);
        setError(error, loaderError("cannot load the recognition engine"));
        return exists ? CO_E_ERRORINDLL : CO_E_DLLNOTFOUND;
    }
    void* symbol = dlsym(handle, "DllGetClassObject");
    if (!symbol) {
        setError(error, loaderError("no DllGetClassObject in the recognition engine"));
        return CO_E_ERRORINDLL;
    }
    entry = reinterpret_cast<DllGetClassObjectFunction>(symbol);
    return S_OK;
}

}  // namespace

std::optional<CLSID> clsidFromProgId(std::string_view progId) {
    const velmora::SettingsStore store;
    const auto text = store.getValue(kRoot, std::string(progId) + "\\CLSID", "");
    if (!text) return std::nullopt;
    return parseGuid(*text);
}

HRESULT createInstance(const CLSID& clsid, const IID& iid, void** out, std::string* error) {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        const velmora::SettingsStore store;
        const std::string key = "CLSID\\" + formatGuid(clsid) + "\\InprocServer32";
        const auto path = store.getValue(kRoot, key, "");
        if (!path || path->empty()) {
            setError(error, notRegisteredMessage(store, "CLSID\\" + formatGuid(clsid)));
            return REGDB_E_CLASSNOTREG;
        }
        DllGetClassObjectFunction getClassObject = nullptr;
        if (const HRESULT hr = loadEntryPoint(*path, getClassObject, error); hr != S_OK) return hr;

        IClassFactory* factory = nullptr;
        HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        if (!succeeded(hr) || !factory) {
            setError(error, "The recognition engine has no class factory for " + formatGuid(clsid));
            return succeeded(hr) ? E_FAIL : hr;
        }
        hr = factory->CreateInstance(nullptr, iid, out);
        factory->Release();
        if (!succeeded(hr)) setError(error, "The recognition engine could not create the object");
        return hr;
    } catch (...) {
        setError(error, "out of memory");
        return E_OUTOFMEMORY;
    }
}

HRESULT createInstance(std::string_view progId, const IID& iid, void** out, std::string* error) {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        const auto clsid = clsidFromProgId(progId);
        if (!clsid) {
            const velmora::SettingsStore store;
            setError(error, notRegisteredMessage(store, std::string(progId) + "\\CLSID"));
            return REGDB_E_CLASSNOTREG;
        }
        return createInstance(*clsid, iid, out, error);
    } catch (...) {
        setError(error, "out of memory");
        return E_OUTOFMEMORY;
    }
}

}  // namespace strovik
