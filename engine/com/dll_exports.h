// The C entry points of libstrovik.so, the only symbols the library exports.
// Clients normally reach them through dlsym (see component_client.h).
#pragma once

#include "engine/com/com_types.h"

#define STROVIK_EXPORT __attribute__((visibility("default")))

extern "C" {

/// Hands out the class factory of CLSID_Strova queried for `iid`;
/// CLASS_E_CLASSNOTAVAILABLE for any other class.
STROVIK_EXPORT strovik::HRESULT DllGetClassObject(const strovik::CLSID& clsid,
                                                  const strovik::IID& iid, void** out);

/// S_OK when no object and no server lock is alive, else S_FALSE.
STROVIK_EXPORT strovik::HRESULT DllCanUnloadNow();

/// Writes the class, ProgID, type-library and interface keys into the
/// settings store (default root), naming this library's full path.
STROVIK_EXPORT strovik::HRESULT DllRegisterServer();

/// Removes the keys DllRegisterServer writes.
STROVIK_EXPORT strovik::HRESULT DllUnregisterServer();

/// Sets the process-wide completion notification sink (null removes it);
/// `context` is passed back to every call.
STROVIK_EXPORT void StrovikSetNotifySink(strovik::StrovikNotifyFunction sink, void* context);

}  // extern "C"
