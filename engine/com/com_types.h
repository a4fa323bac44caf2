// The COM-shaped vocabulary of the engine component: result codes with their
// Windows numbers, 16-byte GUIDs, BSTR and a minimal VARIANT, and the
// interfaces as abstract classes whose virtual functions sit in the vtable
// slot order of their Windows counterparts. No exception crosses any of
// these functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace strovik {

using HRESULT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using WORD = std::uint16_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using VARTYPE = std::uint16_t;
/// Length-prefixed UTF-16 text; see bstr.h.
using BSTR = char16_t*;
using OLECHAR = char16_t;

/// The Windows value of a result code, kept as a signed 32-bit number.
constexpr HRESULT hresult(std::uint32_t code) {
    return static_cast<HRESULT>(code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = hresult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = hresult(0x80004002u);
constexpr HRESULT E_POINTER = hresult(0x80004003u);
constexpr HRESULT E_FAIL = hresult(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = hresult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = hresult(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = hresult(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hresult(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = hresult(0x80040154u);
constexpr HRESULT SELFREG_E_CLASS = hresult(0x80040201u);
constexpr HRESULT CO_E_DLLNOTFOUND = hresult(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = hresult(0x800401F9u);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hresult(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresult(0x80020003u);
constexpr HRESULT DISP_E_TYPEMISMATCH = hresult(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = hresult(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = hresult(0x80020007u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = hresult(0x8002000Eu);

constexpr bool succeeded(HRESULT hr) {
    return hr >= 0;
}

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};

    friend bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
        for (int i = 0; i < 8; ++i) {
            if (a.Data4[i] != b.Data4[i]) return false;
        }
        return true;
    }
};
using IID = GUID;
using CLSID = GUID;

/// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits in either
/// case, braces required); nullopt for anything else.
std::optional<GUID> parseGuid(std::string_view text);
/// Formats a GUID in the registry's form, upper-case hex inside braces.
std::string formatGuid(const GUID& guid);

constexpr GUID IID_NULL{};
constexpr GUID IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IDispatch{
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_ISupportErrorInfo{
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr GUID CLSID_Strova{
    0x654636D5, 0x7F01, 0x4C28, {0xA5, 0x02, 0xBF, 0x6D, 0x84, 0x25, 0x35, 0x2D}};
constexpr GUID IID_IStrova{
    0xED73A4FC, 0xCA1A, 0x4BCE, {0xAD, 0xBD, 0x7C, 0x45, 0x65, 0xD0, 0xB7, 0x81}};
constexpr GUID LIBID_STROVIKLib{
    0x019FDDA1, 0x52E5, 0x4CAB, {0xA9, 0xB7, 0x7F, 0xDA, 0xC2, 0xC2, 0x94, 0x79}};

// ---- Automation values.

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_BYREF = 0x4000;

/// The part of VARIANT that the component's methods use.
struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    WORD wReserved1 = 0;
    WORD wReserved2 = 0;
    WORD wReserved3 = 0;
    union {
        LONG lVal;
        BSTR bstrVal;
        LONG* plVal;
        BSTR* pbstrVal;
        void* byref = nullptr;
    };
};

struct DISPPARAMS {
    VARIANT* rgvarg = nullptr;  ///< arguments in reverse order
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

/// Exception details of Invoke; the component never fills them.
struct EXCEPINFO;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;

// ---- Interfaces, in vtable slot order.

class IUnknown {
public:
    virtual HRESULT QueryInterface(const IID& iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, void** typeInfo) = 0;
    virtual HRESULT GetIDsOfNames(const IID& iid, OLECHAR** names, UINT count, LCID lcid,
                                  DISPID* dispIds) = 0;
    virtual HRESULT Invoke(DISPID dispId, const IID& iid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;

protected:
    ~IDispatch() = default;
};

class ISupportErrorInfo : public IUnknown {
public:
    virtual HRESULT InterfaceSupportsErrorInfo(const IID& iid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** out) = 0;
    virtual HRESULT LockServer(int lock) = 0;

protected:
    ~IClassFactory() = default;
};

/// The engine's automation interface. Every method returns S_OK (unless
/// memory runs out, or put_Options is given an action name it does not know)
/// and reports through its out-parameters; text results are new BSTRs the
/// caller frees.
class IStrova : public IDispatch {
public:
    virtual HRESULT put_ImageFilename(BSTR filename, LONG* retval) = 0;
    virtual HRESULT put_IniFilename(BSTR filename, LONG* retval) = 0;
    virtual HRESULT Run(LONG* retval) = 0;
    /// Stores the notification target; `retval` is not written.
    virtual HRESULT put_Notify(LONG hWnd, LONG Msg, LONG* retval) = 0;
    virtual HRESULT get_Result(BSTR* ResultStr, BSTR* ReliabilityStr, LONG* retval) = 0;
    /// Out-parameters the action does not write keep what the caller passed.
    /// An Action not among option_action.h's names gives E_INVALIDARG and
    /// writes nothing.
    virtual HRESULT put_Options(BSTR Action, LONG Value, BSTR ValueStr, LONG* RetValue,
                                BSTR* RetValueStr, LONG* ret) = 0;

protected:
    ~IStrova() = default;
};

/// DISPIDs of the IStrova methods.
enum StrovaDispId : DISPID {
    kDispPutImageFilename = 1,
    kDispPutIniFilename = 2,
    kDispRun = 3,
    kDispPutNotify = 4,
    kDispGetResult = 5,
    kDispPutOptions = 6,
};

/// The process-wide stand-in for SendMessage: called synchronously from
/// inside Run with the stored window and message, wParam = questions and
/// lParam = choice slots.
using StrovikNotifyFunction = void (*)(std::int32_t window, std::uint32_t message,
                                       std::int32_t wParam, std::int32_t lParam, void* context);

// Entry points exported by libstrovik.so (looked up with dlsym by clients).
using DllGetClassObjectFunction = HRESULT (*)(const CLSID& clsid, const IID& iid, void** out);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();
using StrovikSetNotifySinkFunction = void (*)(StrovikNotifyFunction sink, void* context);

}  // namespace strovik
