// strovik-regsvr [-u] PATH/TO/libstrovik.so
// Registers (or with -u unregisters) the engine component by loading the
// library and calling its DllRegisterServer (DllUnregisterServer). Prints one
// line; exit status 0 on success, 1 otherwise.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/com/com_types.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;

int usage() {
    std::fprintf(stderr, "usage: strovik-regsvr [-u] PATH/TO/libstrovik.so\n");
    return kExitFailed;
}

int callEntry(const char* path, bool unregister) {
    // An absolute path keeps dlopen from searching the library path and is
    // what the library records as its own location.
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    void* handle = dlopen(ec ? path : absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        std::fprintf(stderr, "strovik-regsvr: cannot load %s: %s\n", path, why ? why : "?");
        return kExitFailed;
    }
    const char* name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    void* symbol = dlsym(handle, name);
    if (!symbol) {
        std::fprintf(stderr, "strovik-regsvr: %s has no %s\n", path, name);
        return kExitFailed;
    }
    const auto entry = reinterpret_cast<strovik::DllRegisterServerFunction>(symbol);
    const strovik::HRESULT hr = entry();
    if (hr != strovik::S_OK) {
        std::fprintf(stderr, "strovik-regsvr: %s failed for %s (0x%08X)\n", name, path,
                     static_cast<unsigned>(hr));
        return kExitFailed;
    }
    std::printf("strovik-regsvr: %s %s\n", unregister ? "unregistered" : "registered", path);
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    int index = 1;
    if (index < argc && std::strcmp(argv[index], "-u") == 0) {
        unregister = true;
        ++index;
    }
    if (index + 1 != argc) return usage();
    return callEntry(argv[index], unregister);
}
