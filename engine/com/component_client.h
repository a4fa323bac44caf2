// Creating the engine component from a client program, as CoCreateInstance
// does for an in-process server: the class's InprocServer32 path is looked
// up in the settings store (HKEY_CLASSES_ROOT, default root), the library is
// loaded with dlopen and stays loaded for the rest of the process, and its
// class factory creates the object.
//
// When the registered library is missing or cannot be loaded (a library of
// a sanitizer build loaded into an ordinary program, a build folder that was
// removed), the client falls back to the engine installed with the program:
// libstrovik.so beside its executable, then in ../lib. A fallback taken over
// a registered library is reported once per process; a class that was not
// registered at all is registered with the library found (the first start of
// an installed program), unless the build says it must never touch the
// user's settings (sanitizer and test builds).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/com/com_types.h"

namespace strovik {

/// Creates an object of `clsid` and queries it for `iid`, falling back as
/// defaultEngineFallback() says. On failure `*out` is null and `error` (when
/// given) receives a one-line explanation:
/// REGDB_E_CLASSNOTREG (with the command that registers the engine) when the
/// class is not registered, CO_E_DLLNOTFOUND or CO_E_ERRORINDLL (with the
/// loader's message) when the library cannot be loaded or lacks its entry
/// point, or the factory's own result.
HRESULT createInstance(const CLSID& clsid, const IID& iid, void** out,
                       std::string* error = nullptr);

/// As above, with the class named by a ProgID such as "Strovik.Strova".
HRESULT createInstance(std::string_view progId, const IID& iid, void** out,
                       std::string* error = nullptr);

/// Resolves a ProgID to its CLSID through the settings store.
std::optional<CLSID> clsidFromProgId(std::string_view progId);

/// What a client does when the registered engine cannot be used.
struct EngineFallback {
    /// Libraries tried in order, absolute paths.
    std::vector<std::string> candidates;
    /// Register the library found when the class was not registered at all.
    bool registerWhenUnregistered = false;
    /// Receives one line saying which library is used instead, and why.
    std::function<void(const std::string&)> notice;
};

/// The fallback every client gets: libstrovik.so beside the running
/// executable, then in its ../lib; registration as the build allows; the
/// notice printed once per process on the standard error stream.
EngineFallback defaultEngineFallback();

/// createInstance with an explicit fallback (tests give their own).
HRESULT createInstanceWithFallback(const CLSID& clsid, const IID& iid, void** out,
                                   const EngineFallback& fallback, std::string* error = nullptr);

}  // namespace strovik
