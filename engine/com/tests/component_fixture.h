// Shared helpers of the component tests: the built libstrovik.so loaded
// once with dlopen (as clients load it), object creation through its class
// factory, temporary folders and environment overrides.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "engine/com/bstr.h"
#include "engine/com/com_types.h"
#include "engine/com/option_action.h"

namespace strovik::testing {

/// The component library under test and its exported entry points.
struct LoadedEngine {
    void* handle = nullptr;
    DllGetClassObjectFunction getClassObject = nullptr;
    DllCanUnloadNowFunction canUnloadNow = nullptr;
    DllRegisterServerFunction registerServer = nullptr;
    DllRegisterServerFunction unregisterServer = nullptr;
    StrovikSetNotifySinkFunction setNotifySink = nullptr;
};

inline const LoadedEngine& engine() {
    static const LoadedEngine loaded = [] {
        LoadedEngine e;
        e.handle = dlopen(STROVIK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!e.handle) return e;
        e.getClassObject =
            reinterpret_cast<DllGetClassObjectFunction>(dlsym(e.handle, "DllGetClassObject"));
        e.canUnloadNow =
            reinterpret_cast<DllCanUnloadNowFunction>(dlsym(e.handle, "DllCanUnloadNow"));
        e.registerServer =
            reinterpret_cast<DllRegisterServerFunction>(dlsym(e.handle, "DllRegisterServer"));
        e.unregisterServer =
            reinterpret_cast<DllRegisterServerFunction>(dlsym(e.handle, "DllUnregisterServer"));
        e.setNotifySink =
            reinterpret_cast<StrovikSetNotifySinkFunction>(dlsym(e.handle, "StrovikSetNotifySink"));
        return e;
    }();
    return loaded;
}

/// Fails the current test unless the library and all its entry points loaded.
inline bool engineLoaded() {
    const LoadedEngine& e = engine();
    EXPECT_NE(e.handle, nullptr) << dlerror();
    return e.handle && e.getClassObject && e.canUnloadNow && e.registerServer &&
           e.unregisterServer && e.setNotifySink;
}

/// Holds one interface reference and releases it at the end of the scope.
template <typename T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) {}
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void** out() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

inline Ref<IClassFactory> classFactory() {
    Ref<IClassFactory> factory;
    if (engineLoaded()) {
        EXPECT_EQ(engine().getClassObject(CLSID_Strova, IID_IClassFactory, factory.out()), S_OK);
    }
    return factory;
}

/// A new engine object, asked for IStrova.
inline Ref<IStrova> newStrova() {
    Ref<IStrova> object;
    Ref<IClassFactory> factory = classFactory();
    if (factory) {
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IStrova, object.out()), S_OK);
    }
    return object;
}

/// True when no engine object and no server lock is alive.
inline bool engineIdle() {
    return engineLoaded() && engine().canUnloadNow() == S_OK;
}

/// A fresh folder, removed with its contents at the end of the scope.
class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        path_ = std::filesystem::temp_directory_path() /
                ("velmora-com-" + std::to_string(getpid()) + "-" + tag);
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

/// Sets an environment variable for the scope, restoring the old state.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

/// Calls put_Options with caller-supplied starting values for the outputs.
struct OptionCall {
    LONG retValue = 0;
    UniqueBstr retValueStr;
    LONG ret = 0;
    HRESULT hr = E_FAIL;
    bool textReplaced = false;  ///< the call put a new BSTR into RetValueStr
};

inline void putOptions(IStrova* object, std::string_view action, LONG value,
                       const std::string& text, OptionCall& call) {
    const UniqueBstr actionText(action);
    const UniqueBstr valueText{std::string_view(text)};
    BSTR original = call.retValueStr.release();
    BSTR str = original;
    call.hr = object->put_Options(actionText.get(), value, valueText.get(), &call.retValue, &str,
                                  &call.ret);
    // A replaced [out] BSTR stays the caller's to free.
    call.textReplaced = (str != original);
    if (call.textReplaced) SysFreeString(original);
    call.retValueStr.reset(str);
}

inline void putOptions(IStrova* object, OptionAction action, LONG value, const std::string& text,
                       OptionCall& call) {
    putOptions(object, optionActionName(action), value, text, call);
}

/// put_Options for getters: the numeric result.
inline LONG optionValue(IStrova* object, OptionAction action, LONG value = 0,
                        const std::string& text = {}) {
    OptionCall call;
    putOptions(object, action, value, text, call);
    EXPECT_EQ(call.hr, S_OK);
    return call.retValue;
}

}  // namespace strovik::testing
