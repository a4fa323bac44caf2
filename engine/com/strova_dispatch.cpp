// Late-bound calls on the engine object: the six IStrova methods by name and
// DISPID, with automation arguments in reverse order.
#include <array>
#include <string_view>

#include "common/ascii_text.h"
#include "engine/com/strova_object.h"

namespace strovik::component {
namespace {

enum class ArgKind { InText, InLong, OutLong, OutText };

struct MethodInfo {
    std::u16string_view name;
    DISPID dispId;
    std::array<ArgKind, 5> args;  ///< parameters in declaration order, without the retval
    UINT argCount;
};

constexpr std::array<MethodInfo, 6> kMethods{{
    {u"put_ImageFilename", kDispPutImageFilename, {ArgKind::InText}, 1},
    {u"put_IniFilename", kDispPutIniFilename, {ArgKind::InText}, 1},
    {u"Run", kDispRun, {}, 0},
    {u"put_Notify", kDispPutNotify, {ArgKind::InLong, ArgKind::InLong}, 2},
    {u"get_Result", kDispGetResult, {ArgKind::OutText, ArgKind::OutText}, 2},
    {u"put_Options",
     kDispPutOptions,
     {ArgKind::InText, ArgKind::InLong, ArgKind::InText, ArgKind::OutLong, ArgKind::OutText},
     5},
}};

bool namesMatch(const OLECHAR* given, std::u16string_view name) {
    std::size_t i = 0;
    for (; given[i] != u'\0'; ++i) {
        if (i >= name.size() || velmora::asciiLower(given[i]) != velmora::asciiLower(name[i]))
            return false;
    }
    return i == name.size();
}

const MethodInfo* findMethod(DISPID dispId) {
    for (const MethodInfo& m : kMethods) {
        if (m.dispId == dispId) return &m;
    }
    return nullptr;
}

/// An [in] argument may come by value or by reference.
bool acceptsIn(const VARIANT& v, VARTYPE type) {
    if (v.vt == type) return true;
    return v.vt == (VT_BYREF | type) && v.byref != nullptr;
}

bool argumentFits(const VARIANT& v, ArgKind kind) {
    switch (kind) {
        case ArgKind::InText:
            return acceptsIn(v, VT_BSTR);
        case ArgKind::InLong:
            return acceptsIn(v, VT_I4);
        case ArgKind::OutLong:
            return v.vt == (VT_BYREF | VT_I4) && v.plVal != nullptr;
        case ArgKind::OutText:
            return v.vt == (VT_BYREF | VT_BSTR) && v.pbstrVal != nullptr;
    }
    return false;
}

BSTR inText(const VARIANT& v) {
    return (v.vt & VT_BYREF) ? *v.pbstrVal : v.bstrVal;
}
LONG inLong(const VARIANT& v) {
    return (v.vt & VT_BYREF) ? *v.plVal : v.lVal;
}

/// Checks the arguments against the method; on a type mismatch `argErr`
/// receives the offending index into rgvarg.
HRESULT checkArguments(const MethodInfo& method, const DISPPARAMS* params, UINT* argErr) {
    const UINT given = params ? params->cArgs : 0;
    if (params && params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (given != method.argCount) return DISP_E_BADPARAMCOUNT;
    if (given > 0 && !params->rgvarg) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < given; ++i) {
        const UINT slot = given - 1 - i;
        if (!argumentFits(params->rgvarg[slot], method.args[i])) {
            if (argErr) *argErr = slot;
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

}  // namespace

HRESULT StrovaObject::GetIDsOfNames(const IID& iid, OLECHAR** names, UINT count, LCID,
                                    DISPID* dispIds) {
    if (!(iid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !dispIds) return E_POINTER;
    HRESULT hr = S_OK;
    dispIds[0] = DISPID_UNKNOWN;
    if (names[0]) {
        for (const MethodInfo& m : kMethods) {
            if (namesMatch(names[0], m.name)) dispIds[0] = m.dispId;
        }
    }
    if (dispIds[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    // Parameter names are not published.
    for (UINT i = 1; i < count; ++i) {
        dispIds[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT StrovaObject::Invoke(DISPID dispId, const IID& iid, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, UINT* argErr) {
    const MethodInfo* method = findMethod(dispId);
    if (!method) return DISP_E_MEMBERNOTFOUND;
    if (!(iid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
    if (const HRESULT hr = checkArguments(*method, params, argErr); hr != S_OK) return hr;

    // rgvarg holds the last parameter first.
    auto arg = [&](UINT index) -> VARIANT& { return params->rgvarg[method->argCount - 1 - index]; };
    // A retval the method does not write keeps what the caller's result held.
    LONG retval = (result && result->vt == VT_I4) ? result->lVal : 0;
    HRESULT hr = S_OK;
    switch (method->dispId) {
        case kDispPutImageFilename:
            hr = put_ImageFilename(inText(arg(0)), &retval);
            break;
        case kDispPutIniFilename:
            hr = put_IniFilename(inText(arg(0)), &retval);
            break;
        case kDispRun:
            hr = Run(&retval);
            break;
        case kDispPutNotify:
            hr = put_Notify(inLong(arg(0)), inLong(arg(1)), &retval);
            break;
        case kDispGetResult:
            hr = get_Result(arg(0).pbstrVal, arg(1).pbstrVal, &retval);
            break;
        default:
            hr = put_Options(inText(arg(0)), inLong(arg(1)), inText(arg(2)), arg(3).plVal,
                             arg(4).pbstrVal, &retval);
            break;
    }
    if (succeeded(hr) && result) {
        result->vt = VT_I4;
        result->lVal = retval;
    }
    return hr;
}

}  // namespace strovik::component
