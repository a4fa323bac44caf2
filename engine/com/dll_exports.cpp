#include "engine/com/dll_exports.h"

#include <dlfcn.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "common/settings_store.h"
#include "engine/com/class_factory.h"
#include "engine/com/module.h"
#include "engine/com/registration.h"

using namespace strovik;

namespace {

/// Any object of this library; its address identifies the library to dladdr.
const char kAddressMarker = 0;

/// The absolute path of this library as loaded.
std::optional<std::string> ownLibraryPath() {
    Dl_info info{};
    if (dladdr(&kAddressMarker, &info) == 0 || !info.dli_fname || !info.dli_fname[0]) {
        return std::nullopt;
    }
    std::error_code ec;
    std::filesystem::path path = std::filesystem::weakly_canonical(info.dli_fname, ec);
    if (ec) path = std::filesystem::absolute(info.dli_fname, ec);
    if (ec) return std::nullopt;
    return path.string();
}

template <typename Body>
HRESULT guardedEntry(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace

extern "C" {

HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!(clsid == CLSID_Strova)) return CLASS_E_CLASSNOTAVAILABLE;
    return component::StrovaClassFactory::create(iid, out);
}

HRESULT DllCanUnloadNow() {
    return component::Module::instance().lockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT DllRegisterServer() {
    return guardedEntry([] {
        const auto path = ownLibraryPath();
        if (!path) return SELFREG_E_CLASS;
        velmora::SettingsStore store;
        return component::registerServer(store, *path);
    });
}

HRESULT DllUnregisterServer() {
    return guardedEntry([] {
        velmora::SettingsStore store;
        return component::unregisterServer(store);
    });
}

void StrovikSetNotifySink(StrovikNotifyFunction sink, void* context) {
    component::Module::instance().setNotifySink(sink, context);
}

}  // extern "C"
