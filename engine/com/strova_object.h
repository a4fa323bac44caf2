// The engine object: IStrova (dual, with its IDispatch) and
// ISupportErrorInfo over one EngineSession bound to the module's shared
// engine core. Reference counting is a plain counter (an object is used from
// one thread at a time); each live object holds one module lock.
//
// Aggregation: when created with an outer IUnknown, the object's IUnknown
// methods on IStrova and ISupportErrorInfo delegate to the outer object, and
// the creator receives the inner, non-delegating IUnknown.
#pragma once

#include "engine/com/com_types.h"
#include "engine/recognition/engine_session.h"

namespace strovik::component {

class StrovaObject final : public IStrova, public ISupportErrorInfo {
public:
    /// Creates an object and queries it for `iid`. With an outer object only
    /// IID_IUnknown may be asked for (else CLASS_E_NOAGGREGATION).
    static HRESULT create(IUnknown* outer, const IID& iid, void** out);

    // IUnknown (delegating to the controlling unknown)
    HRESULT QueryInterface(const IID& iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IDispatch
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, void** typeInfo) override;
    HRESULT GetIDsOfNames(const IID& iid, OLECHAR** names, UINT count, LCID lcid,
                          DISPID* dispIds) override;
    HRESULT Invoke(DISPID dispId, const IID& iid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

    // IStrova
    HRESULT put_ImageFilename(BSTR filename, LONG* retval) override;
    HRESULT put_IniFilename(BSTR filename, LONG* retval) override;
    HRESULT Run(LONG* retval) override;
    HRESULT put_Notify(LONG hWnd, LONG Msg, LONG* retval) override;
    HRESULT get_Result(BSTR* ResultStr, BSTR* ReliabilityStr, LONG* retval) override;
    HRESULT put_Options(BSTR Action, LONG Value, BSTR ValueStr, LONG* RetValue, BSTR* RetValueStr,
                        LONG* ret) override;

    // ISupportErrorInfo
    HRESULT InterfaceSupportsErrorInfo(const IID& iid) override;

private:
    /// The non-delegating IUnknown that owns the object's lifetime.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(StrovaObject& owner) : owner_(owner) {}
        HRESULT QueryInterface(const IID& iid, void** out) override;
        ULONG AddRef() override;
        ULONG Release() override;

    private:
        StrovaObject& owner_;
    };

    explicit StrovaObject(IUnknown* outer);
    ~StrovaObject();

    InnerUnknown inner_{*this};
    IUnknown* controlling_;
    ULONG refs_ = 0;
    EngineSession session_;
};

}  // namespace strovik::component
