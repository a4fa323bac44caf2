// The class factory of the Strova class. Its reference count is kept under a
// mutex, as a factory may be shared between threads; it deletes itself when
// the last reference goes. LockServer adds to the module lock count.
#pragma once

#include <mutex>

#include "engine/com/com_types.h"

namespace strovik::component {

class StrovaClassFactory final : public IClassFactory {
public:
    /// A new factory queried for `iid` (IUnknown or IClassFactory).
    static HRESULT create(const IID& iid, void** out);

    HRESULT QueryInterface(const IID& iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** out) override;
    HRESULT LockServer(int lock) override;

private:
    StrovaClassFactory() = default;
    ~StrovaClassFactory() = default;

    std::mutex mutex_;
    ULONG refs_ = 0;
};

}  // namespace strovik::component
