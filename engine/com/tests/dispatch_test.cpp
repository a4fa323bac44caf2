// Late binding: names to DISPIDs and Invoke with automation arguments.
#include <gtest/gtest.h>

#include <vector>

#include "component_fixture.h"
#include "synthetic_sheet.h"

namespace strovik::testing {
namespace {

VARIANT textArg(BSTR text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}
VARIANT longArg(LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
VARIANT longOut(LONG* target) {
    VARIANT v;
    v.vt = VT_BYREF | VT_I4;
    v.plVal = target;
    return v;
}
VARIANT textOut(BSTR* target) {
    VARIANT v;
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = target;
    return v;
}

/// Invokes a method with arguments given in declaration order (they are
/// passed reversed, as automation does).
HRESULT invoke(IDispatch* object, DISPID id, std::vector<VARIANT> args, VARIANT* result,
               UINT* argErr = nullptr, WORD flags = DISPATCH_METHOD) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params;
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    return object->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, argErr);
}

DISPID idOf(IDispatch* object, const char16_t* name, HRESULT expected = S_OK) {
    std::u16string copy(name);
    OLECHAR* names[] = {copy.data()};
    DISPID id = 12345;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), expected) << id;
    return id;
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override {
        object_ = newStrova();
        ASSERT_TRUE(object_);
    }
    IDispatch* dispatch() const { return object_.get(); }

    Ref<IStrova> object_;
};

TEST_F(Dispatch, NamesMapToDispIdsIgnoringCase) {
    EXPECT_EQ(idOf(dispatch(), u"put_ImageFilename"), 1);
    EXPECT_EQ(idOf(dispatch(), u"put_IniFilename"), 2);
    EXPECT_EQ(idOf(dispatch(), u"Run"), 3);
    EXPECT_EQ(idOf(dispatch(), u"put_Notify"), 4);
    EXPECT_EQ(idOf(dispatch(), u"get_Result"), 5);
    EXPECT_EQ(idOf(dispatch(), u"put_Options"), 6);
    EXPECT_EQ(idOf(dispatch(), u"RUN"), 3);
    EXPECT_EQ(idOf(dispatch(), u"PUT_OPTIONS"), 6);
    EXPECT_EQ(idOf(dispatch(), u"get_result"), 5);

    EXPECT_EQ(idOf(dispatch(), u"Runs", DISP_E_UNKNOWNNAME), DISPID_UNKNOWN);
    EXPECT_EQ(idOf(dispatch(), u"Ru", DISP_E_UNKNOWNNAME), DISPID_UNKNOWN);
    EXPECT_EQ(idOf(dispatch(), u"", DISP_E_UNKNOWNNAME), DISPID_UNKNOWN);

    // The member resolves even when parameter names (not published) do not.
    std::u16string member = u"put_Notify";
    std::u16string param = u"hWnd";
    OLECHAR* names[] = {member.data(), param.data()};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(dispatch()->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 4);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
}

TEST_F(Dispatch, NoTypeInformation) {
    UINT count = 7;
    EXPECT_EQ(dispatch()->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    void* info = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(dispatch()->GetTypeInfo(0, 0, &info), E_NOTIMPL);
    EXPECT_EQ(info, nullptr);
}

TEST_F(Dispatch, InvokeRejectsUnknownMembersCountsAndTypes) {
    VARIANT result;
    EXPECT_EQ(invoke(dispatch(), 7, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(dispatch(), 0, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(dispatch(), kDispRun, {}, &result, nullptr, DISPATCH_PROPERTYPUT),
              DISP_E_MEMBERNOTFOUND);

    UniqueBstr text(std::string_view("x.bmp"));
    EXPECT_EQ(invoke(dispatch(), kDispPutImageFilename, {}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invoke(dispatch(), kDispPutImageFilename, {textArg(text.get()), longArg(1)}, &result),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invoke(dispatch(), kDispRun, {longArg(1)}, &result), DISP_E_BADPARAMCOUNT);

    UINT argErr = 99;
    EXPECT_EQ(invoke(dispatch(), kDispPutImageFilename, {longArg(1)}, &result, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);

    // put_Options with Action and Value swapped: the first parameter sits
    // last in rgvarg.
    LONG retValue = 0;
    BSTR retText = nullptr;
    argErr = 99;
    EXPECT_EQ(invoke(dispatch(), kDispPutOptions,
                     {longArg(1), textArg(text.get()), textArg(nullptr), longOut(&retValue),
                      textOut(&retText)},
                     &result, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 4u);
    // An [out] parameter passed by value is refused as well.
    argErr = 99;
    EXPECT_EQ(
        invoke(dispatch(), kDispGetResult, {textOut(&retText), textArg(nullptr)}, &result, &argErr),
        DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(retText, nullptr);

    DISPID named = DISPID_PROPERTYPUT;
    VARIANT arg = longArg(1);
    DISPPARAMS params{&arg, &named, 1, 1};
    EXPECT_EQ(dispatch()->Invoke(kDispRun, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr,
                                 nullptr),
              DISP_E_NONAMEDARGS);
    DISPPARAMS none;
    EXPECT_EQ(dispatch()->Invoke(kDispRun, IID_IStrova, 0, DISPATCH_METHOD, &none, &result, nullptr,
                                 nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, InvokeCallsEachMethodWithArgumentsInOrder) {
    TempDir dir("dispatch-methods");
    const SyntheticSheet sheet = writeSyntheticSheet(dir.path(), 3);
    UniqueBstr definition(std::string_view(sheet.definition.string()));
    UniqueBstr missingImage(std::string_view((dir.path() / "missing.bmp").string()));

    VARIANT result;
    ASSERT_EQ(invoke(dispatch(), kDispPutIniFilename, {textArg(definition.get())}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 0);

    ASSERT_EQ(invoke(dispatch(), kDispPutImageFilename, {textArg(missingImage.get())}, &result),
              S_OK);
    EXPECT_EQ(result.lVal, 0);
    ASSERT_EQ(invoke(dispatch(), kDispRun, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, -2);

    // put_Options: Action, Value, ValueStr, then the two [out] parameters.
    UniqueBstr setter(optionActionName(OptionAction::SetNoMarkMin1000));
    UniqueBstr getter(optionActionName(OptionAction::GetNoMarkMin1000));
    UniqueBstr areas(optionActionName(OptionAction::GetImageAreaCount));
    LONG retValue = -7;
    BSTR retText = nullptr;
    ASSERT_EQ(invoke(dispatch(), kDispPutOptions,
                     {textArg(setter.get()), longArg(2500), textArg(nullptr), longOut(&retValue),
                      textOut(&retText)},
                     &result),
              S_OK);
    EXPECT_EQ(retValue, -7);
    ASSERT_EQ(invoke(dispatch(), kDispPutOptions,
                     {textArg(getter.get()), longArg(0), textArg(nullptr), longOut(&retValue),
                      textOut(&retText)},
                     &result),
              S_OK);
    EXPECT_EQ(retValue, 2500);
    ASSERT_EQ(invoke(dispatch(), kDispPutOptions,
                     {textArg(areas.get()), longArg(0), textArg(nullptr), longOut(&retValue),
                      textOut(&retText)},
                     &result),
              S_OK);
    EXPECT_EQ(retValue, 3);
    EXPECT_EQ(retText, nullptr);  // neither action writes RetValueStr
    // A late-bound caller with a misspelt action hears of it too.
    UniqueBstr unknown(std::string_view("get_imagearea_counts"));
    EXPECT_EQ(invoke(dispatch(), kDispPutOptions,
                     {textArg(unknown.get()), longArg(0), textArg(nullptr), longOut(&retValue),
                      textOut(&retText)},
                     &result),
              E_INVALIDARG);
    EXPECT_EQ(retValue, 3);

    // get_Result fills both [out] BSTRs; before a run of this definition
    // there are no results.
    BSTR answers = nullptr;
    BSTR reliability = nullptr;
    result.vt = VT_EMPTY;
    ASSERT_EQ(
        invoke(dispatch(), kDispGetResult, {textOut(&answers), textOut(&reliability)}, &result),
        S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 0);
    ASSERT_NE(answers, nullptr);
    ASSERT_NE(reliability, nullptr);
    EXPECT_EQ(utf8FromBstr(answers), "");
    SysFreeString(answers);
    SysFreeString(reliability);

    // A null result pointer is allowed.
    EXPECT_EQ(invoke(dispatch(), kDispRun, {}, nullptr), S_OK);
}

TEST_F(Dispatch, InArgumentsMayComeByReference) {
    TempDir dir("dispatch-byref");
    const SyntheticSheet sheet = writeSyntheticSheet(dir.path(), 2);
    BSTR definition = bstrFromUtf8(sheet.definition.string());
    VARIANT byRef;
    byRef.vt = VT_BYREF | VT_BSTR;
    byRef.pbstrVal = &definition;
    VARIANT result;
    ASSERT_EQ(invoke(dispatch(), kDispPutIniFilename, {byRef}, &result), S_OK);
    SysFreeString(definition);
    EXPECT_EQ(optionValue(object_.get(), OptionAction::GetImageAreaCount), 2);
}

}  // namespace
}  // namespace strovik::testing
