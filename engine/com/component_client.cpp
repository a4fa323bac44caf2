#include "engine/com/component_client.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/settings_store.h"
#include "engine/com/library_trust.h"

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

#ifndef STROVIK_CLIENT_REGISTERS
#define STROVIK_CLIENT_REGISTERS 0
#endif

constexpr std::string_view kLibraryName = "libstrovik.so";

/// A loaded engine library (loaded once per process; later loads of the same
/// file get the same handle).
struct EngineLibrary {
    void* handle = nullptr;
    DllGetClassObjectFunction getClassObject = nullptr;
};

/// Loads the library and finds its class-object entry point.
HRESULT loadLibrary(const std::string& path, EngineLibrary& library, std::string* error) {
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
    library.handle = handle;
    library.getClassObject = reinterpret_cast<DllGetClassObjectFunction>(symbol);
    return S_OK;
}

/// The library's own registration (it records the path it was loaded from).
bool registerLibrary(const EngineLibrary& library) {
    void* symbol = dlsym(library.handle, "DllRegisterServer");
    return symbol && reinterpret_cast<DllRegisterServerFunction>(symbol)() == S_OK;
}

HRESULT createFromLibrary(const EngineLibrary& library, const CLSID& clsid, const IID& iid,
                          void** out, std::string* error) {
    IClassFactory* factory = nullptr;
    HRESULT hr =
        library.getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (!succeeded(hr) || !factory) {
        setError(error, "The recognition engine has no class factory for " + formatGuid(clsid));
        return succeeded(hr) ? E_FAIL : hr;
    }
    hr = factory->CreateInstance(nullptr, iid, out);
    factory->Release();
    if (!succeeded(hr)) setError(error, "The recognition engine could not create the object");
    return hr;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

/// The first candidate that loads, other than a registered library that
/// failed to load (one refused unloaded may be the very file beside the
/// program, which is trusted by where it is).
std::optional<std::pair<std::string, EngineLibrary>> loadFallback(
    const EngineFallback& fallback, const std::optional<std::string>& failed) {
    for (const std::string& candidate : fallback.candidates) {
        if (failed && sameFile(candidate, *failed)) continue;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(candidate, ec)) continue;
        EngineLibrary library;
        if (loadLibrary(candidate, library, nullptr) == S_OK) {
            return std::make_pair(candidate, library);
        }
    }
    return std::nullopt;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool isStrovaProgId(std::string_view progId) {
    return equalsIgnoringCase(progId, "Strovik.Strova") ||
           equalsIgnoringCase(progId, "Strovik.Strova.1");
}

/// The folder of the running executable, or empty when it cannot be found.
std::filesystem::path programFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

}  // namespace

std::optional<CLSID> clsidFromProgId(std::string_view progId) {
    const velmora::SettingsStore store;
    const auto text = store.getValue(kRoot, std::string(progId) + "\\CLSID", "");
    if (!text) return std::nullopt;
    return parseGuid(*text);
}

EngineFallback defaultEngineFallback() {
    EngineFallback fallback;
    const std::filesystem::path folder = programFolder();
    if (!folder.empty()) {
        for (const std::filesystem::path& candidate :
             {folder / kLibraryName, folder.parent_path() / "lib" / kLibraryName}) {
            fallback.candidates.push_back(candidate.lexically_normal().string());
        }
    }
    fallback.registerWhenUnregistered = STROVIK_CLIENT_REGISTERS != 0;
    fallback.notice = [](const std::string& text) {
        static std::atomic<bool> said{false};
        if (!said.exchange(true)) std::fprintf(stderr, "%s\n", text.c_str());
    };
    return fallback;
}

HRESULT createInstanceWithFallback(const CLSID& clsid, const IID& iid, void** out,
                                   const EngineFallback& fallback, std::string* error) {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        const velmora::SettingsStore store;
        const std::string key = "CLSID\\" + formatGuid(clsid) + "\\InprocServer32";
        std::optional<std::string> registered = store.getValue(kRoot, key, "");
        if (registered && registered->empty()) registered.reset();

        std::string why;
        HRESULT hr = REGDB_E_CLASSNOTREG;
        std::optional<std::string> distrust;
        if (registered) distrust = libraryDistrust(*registered);
        if (distrust) {
            // Never loaded: its constructors would run before anything else.
            why =
                "the registered recognition engine " + *registered + " is not loaded: " + *distrust;
            std::error_code ec;
            hr = std::filesystem::exists(*registered, ec) ? CO_E_ERRORINDLL : CO_E_DLLNOTFOUND;
        } else if (registered) {
            EngineLibrary library;
            hr = loadLibrary(*registered, library, &why);
            if (hr == S_OK) return createFromLibrary(library, clsid, iid, out, error);
        } else {
            why = notRegisteredMessage(store, "CLSID\\" + formatGuid(clsid));
        }

        const auto found = loadFallback(fallback, distrust ? std::nullopt : registered);
        if (!found) {
            setError(error, why);
            return hr;
        }
        const auto& [path, library] = *found;
        std::string note = "velmora: ";
        if (distrust) {
            note += why + "; using " + path + " instead";
        } else if (registered) {
            note += "the registered recognition engine " + *registered + " cannot be loaded (" +
                    why + "); using " + path + " instead";
        } else if (fallback.registerWhenUnregistered && registerLibrary(library)) {
            note += "the recognition engine was not registered; registered " + path;
        } else {
            note += "the recognition engine is not registered; using " + path;
        }
        if (fallback.notice) fallback.notice(note);
        return createFromLibrary(library, clsid, iid, out, error);
    } catch (...) {
        setError(error, "out of memory");
        return E_OUTOFMEMORY;
    }
}

HRESULT createInstance(const CLSID& clsid, const IID& iid, void** out, std::string* error) {
    try {
        return createInstanceWithFallback(clsid, iid, out, defaultEngineFallback(), error);
    } catch (...) {
        if (out) *out = nullptr;
        setError(error, "out of memory");
        return E_OUTOFMEMORY;
    }
}

HRESULT createInstance(std::string_view progId, const IID& iid, void** out, std::string* error) {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        auto clsid = clsidFromProgId(progId);
        // The engine's own ProgIDs name its class even before it is
        // registered, so the fallback can find it.
        if (!clsid && isStrovaProgId(progId)) clsid = CLSID_Strova;
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
