// Class and type-library registration of the engine component in the
// settings store under HKEY_CLASSES_ROOT: the two ProgIDs, the CLSID key
// with InprocServer32 (threading model "both"), the type library and the
// IStrova interface key.
#pragma once

#include <string>

#include "common/settings_store.h"
#include "engine/com/com_types.h"

namespace strovik::component {

/// Writes every key; `libraryPath` is the component's absolute path.
/// S_OK, or SELFREG_E_CLASS when a key could not be written.
HRESULT registerServer(velmora::SettingsStore& store, const std::string& libraryPath);

/// Removes every key registerServer writes (the CLSID, TypeLib and
/// Interface roots stay). S_OK, or SELFREG_E_CLASS when a key remains.
HRESULT unregisterServer(velmora::SettingsStore& store);

}  // namespace strovik::component
