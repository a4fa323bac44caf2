// The TWAIN data source manager, loaded at run time with dlopen: its entry
// point DSM_Entry and its memory functions (a handle is a plain pointer on
// Linux; when the library lacks the functions, calloc/free stand in).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scanner/core/twain_types.h"

namespace fenwary {

class TwainLibrary {
public:
    /// Environment variable naming another manager library (tests, unusual
    /// installations); tried before the usual names.
    static constexpr const char* kOverrideVariable = "VELMORA_TWAIN_DSM";

    /// The file names tried in order: $VELMORA_TWAIN_DSM when set, then
    /// libtwaindsm.so.2, libtwaindsm.so, /usr/local/lib/libtwaindsm.so.2.
    static std::vector<std::string> candidateNames();

    /// The first candidate that loads and exports DSM_Entry; null when none.
    static std::unique_ptr<TwainLibrary> load();

    ~TwainLibrary();
    TwainLibrary(const TwainLibrary&) = delete;
    TwainLibrary& operator=(const TwainLibrary&) = delete;

    twain::TW_UINT16 entry(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest,
                           twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                           twain::TW_MEMREF data) const;

    twain::TW_HANDLE allocate(twain::TW_UINT32 bytes) const;
    void release(twain::TW_HANDLE handle) const;
    void* lock(twain::TW_HANDLE handle) const;
    void unlock(twain::TW_HANDLE handle) const;

    const std::string& fileName() const { return fileName_; }

private:
    using Allocate = twain::TW_HANDLE (*)(twain::TW_UINT32);
    using Release = void (*)(twain::TW_HANDLE);
    using Lock = twain::TW_MEMREF (*)(twain::TW_HANDLE);
    using Unlock = void (*)(twain::TW_HANDLE);

    TwainLibrary() = default;

    void* library_ = nullptr;
    std::string fileName_;
    twain::DsmEntryProc entry_ = nullptr;
    Allocate allocate_ = nullptr;
    Release release_ = nullptr;
    Lock lock_ = nullptr;
    Unlock unlock_ = nullptr;
};

}  // namespace fenwary
