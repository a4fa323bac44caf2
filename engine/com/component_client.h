// Creating the engine component from a client program, as CoCreateInstance
// does for an in-process server: the class's InprocServer32 path is looked
// up in the settings store (HKEY_CLASSES_ROOT, default root), the library is
// loaded with dlopen and stays loaded for the rest of the process, and its
// class factory creates the object.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/com/com_types.h"

namespace strovik {

/// Creates an object of `clsid` and queries it for `iid`. On failure `*out`
/// is null and `error` (when given) receives a one-line explanation:
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

}  // namespace strovik
