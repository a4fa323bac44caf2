#include "engine/com/registration.h"

#include <filesystem>
#include <string_view>

namespace strovik::component {
namespace {

constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT";
/// The class description, kept byte for byte as the component has always
/// registered it (backslashes included).
constexpr std::string_view kClassDescription = "Strova \\xff\\xff\\xff";
constexpr std::string_view kProgId = "Strovik.Strova.1";
constexpr std::string_view kVersionIndependentProgId = "Strovik.Strova";
constexpr std::string_view kThreadingModel = "both";
constexpr std::string_view kTypeLibVersion = "2.6";
constexpr std::string_view kTypeLibDescription = "Strovik 2.6";
constexpr std::string_view kInterfaceName = "IStrova";
/// The automation marshaller, proxy of every dual interface.
constexpr std::string_view kAutomationProxyClsid = "{00020424-0000-0000-C000-000000000046}";
constexpr std::string_view kPlatformKey = sizeof(void*) == 8 ? "linux64" : "linux32";

std::string join(std::string_view a, std::string_view b) {
    return std::string(a) + "\\" + std::string(b);
}

std::string classKey() {
    return join("CLSID", formatGuid(CLSID_Strova));
}
std::string typeLibKey() {
    return join("TypeLib", formatGuid(LIBID_STROVIKLib));
}
std::string interfaceKey() {
    return join("Interface", formatGuid(IID_IStrova));
}

/// Collects the outcome of a series of writes.
class Writer {
public:
    explicit Writer(velmora::SettingsStore& store) : store_(store) {}
    void set(const std::string& key, std::string_view name, std::string_view value) {
        ok_ = store_.setValue(kRoot, key, name, value) && ok_;
    }
    void setDefault(const std::string& key, std::string_view value) { set(key, "", value); }
    bool ok() const { return ok_; }

private:
    velmora::SettingsStore& store_;
    bool ok_ = true;
};

void writeProgId(Writer& w, std::string_view progId, bool withCurVer) {
    const std::string key(progId);
    w.setDefault(key, kClassDescription);
    w.setDefault(join(key, "CLSID"), formatGuid(CLSID_Strova));
    if (withCurVer) w.setDefault(join(key, "CurVer"), kProgId);
}

void writeClass(Writer& w, const std::string& libraryPath) {
    const std::string key = classKey();
    w.setDefault(key, kClassDescription);
    w.setDefault(join(key, "ProgID"), kProgId);
    w.setDefault(join(key, "VersionIndependentProgID"), kVersionIndependentProgId);
    w.setDefault(join(key, "InprocServer32"), libraryPath);
    w.set(join(key, "InprocServer32"), "ThreadingModel", kThreadingModel);
    w.setDefault(join(key, "TypeLib"), formatGuid(LIBID_STROVIKLib));
    w.setDefault(join(key, "Version"), kTypeLibVersion);
}

void writeTypeLib(Writer& w, const std::string& libraryPath) {
    const std::string key = join(typeLibKey(), kTypeLibVersion);
    w.setDefault(key, kTypeLibDescription);
    w.setDefault(join(join(key, "0"), kPlatformKey), libraryPath);
    w.setDefault(join(key, "FLAGS"), "0");
    w.setDefault(join(key, "HELPDIR"), std::filesystem::path(libraryPath).parent_path().string());

    const std::string iface = interfaceKey();
    w.setDefault(iface, kInterfaceName);
    w.setDefault(join(iface, "ProxyStubClsid"), kAutomationProxyClsid);
    w.setDefault(join(iface, "ProxyStubClsid32"), kAutomationProxyClsid);
    w.setDefault(join(iface, "TypeLib"), formatGuid(LIBID_STROVIKLib));
    w.set(join(iface, "TypeLib"), "Version", kTypeLibVersion);
}

}  // namespace

HRESULT registerServer(velmora::SettingsStore& store, const std::string& libraryPath) {
    // The class key is replaced as a whole so no stale subkey survives.
    store.deleteKeyTree(kRoot, classKey());
    Writer w(store);
    writeProgId(w, kProgId, false);
    writeProgId(w, kVersionIndependentProgId, true);
    writeClass(w, libraryPath);
    writeTypeLib(w, libraryPath);
    return w.ok() ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterServer(velmora::SettingsStore& store) {
    bool ok = true;
    for (const std::string& key : {std::string(kProgId), std::string(kVersionIndependentProgId),
                                   classKey(), typeLibKey(), interfaceKey()}) {
        ok = store.deleteKeyTree(kRoot, key) && ok;
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

}  // namespace strovik::component
