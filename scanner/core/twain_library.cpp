#include "scanner/core/twain_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "common/qt/logging_categories.h"

namespace fenwary {

namespace {

template <typename Function>
Function symbol(void* library, const char* name) {
    void* address = ::dlsym(library, name);
    Function function = nullptr;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
}

}  // namespace

std::vector<std::string> TwainLibrary::candidateNames() {
    std::vector<std::string> names;
    if (const char* chosen = std::getenv(kOverrideVariable); chosen != nullptr && *chosen != '\0') {
        names.emplace_back(chosen);
    }
    for (const char* name :
         {"libtwaindsm.so.2", "libtwaindsm.so", "/usr/local/lib/libtwaindsm.so.2"}) {
        names.emplace_back(name);
    }
    return names;
}

std::unique_ptr<TwainLibrary> TwainLibrary::load() {
    for (const std::string& name : candidateNames()) {
        void* library = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* why = ::dlerror();
            qCDebug(velmora::lcScanner)
                << "TWAIN manager" << name.c_str() << "not loaded:" << (why ? why : "?");
            continue;
        }
        auto entry = symbol<twain::DsmEntryProc>(library, "DSM_Entry");
        if (entry == nullptr) {
            qCDebug(velmora::lcScanner) << "TWAIN manager" << name.c_str() << "has no DSM_Entry";
            ::dlclose(library);
            continue;
        }
        qCDebug(velmora::lcScanner) << "TWAIN manager loaded from" << name.c_str();
        std::unique_ptr<TwainLibrary> loaded(new TwainLibrary);
        loaded->library_ = library;
        loaded->fileName_ = name;
        loaded->entry_ = entry;
        loaded->allocate_ = symbol<Allocate>(library, "DSM_MemAllocate");
        loaded->release_ = symbol<Release>(library, "DSM_MemFree");
        loaded->lock_ = symbol<Lock>(library, "DSM_MemLock");
        loaded->unlock_ = symbol<Unlock>(library, "DSM_MemUnlock");
        return loaded;
    }
    // Absent: selecting and scanning do nothing, as without the manager.
    qCDebug(velmora::lcScanner) << "no TWAIN manager found";
    return nullptr;
}

TwainLibrary::~TwainLibrary() {
    if (library_ != nullptr) ::dlclose(library_);
}

twain::TW_UINT16 TwainLibrary::entry(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest,
                                     twain::TW_UINT32 dg, twain::TW_UINT16 dat,
                                     twain::TW_UINT16 msg, twain::TW_MEMREF data) const {
    return entry_(origin, dest, dg, dat, msg, data);
}

twain::TW_HANDLE TwainLibrary::allocate(twain::TW_UINT32 bytes) const {
    return allocate_ != nullptr ? allocate_(bytes) : std::calloc(1, bytes);
}

void TwainLibrary::release(twain::TW_HANDLE handle) const {
    if (handle == nullptr) return;
    if (release_ != nullptr) {
        release_(handle);
    } else {
        std::free(handle);
    }
}

void* TwainLibrary::lock(twain::TW_HANDLE handle) const {
    if (handle == nullptr) return nullptr;
    return lock_ != nullptr ? lock_(handle) : handle;
}

void TwainLibrary::unlock(twain::TW_HANDLE handle) const {
    if (handle != nullptr && unlock_ != nullptr) unlock_(handle);
}

}  // namespace fenwary
