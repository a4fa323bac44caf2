// Identity, reference counting, the class factory and the module lock count.
#include <gtest/gtest.h>

#include "component_fixture.h"

namespace strovik::testing {
namespace {

void* const kGarbage = reinterpret_cast<void*>(0x1);

TEST(ComponentLifetime, QueryInterfaceAnswersTheFourInterfaces) {
    Ref<IStrova> strova = newStrova();
    ASSERT_TRUE(strova);

    Ref<IUnknown> unknown;
    Ref<IDispatch> dispatch;
    Ref<IStrova> again;
    Ref<ISupportErrorInfo> errorInfo;
    ASSERT_EQ(strova->QueryInterface(IID_IUnknown, unknown.out()), S_OK);
    ASSERT_EQ(strova->QueryInterface(IID_IDispatch, dispatch.out()), S_OK);
    ASSERT_EQ(strova->QueryInterface(IID_IStrova, again.out()), S_OK);
    ASSERT_EQ(strova->QueryInterface(IID_ISupportErrorInfo, errorInfo.out()), S_OK);
    EXPECT_EQ(static_cast<IDispatch*>(strova.get()), dispatch.get());
    EXPECT_EQ(again.get(), strova.get());

    // Object identity: IUnknown is the same pointer from every interface.
    Ref<IUnknown> unknownFromErrorInfo;
    ASSERT_EQ(errorInfo->QueryInterface(IID_IUnknown, unknownFromErrorInfo.out()), S_OK);
    EXPECT_EQ(unknownFromErrorInfo.get(), unknown.get());
    Ref<IStrova> strovaFromErrorInfo;
    ASSERT_EQ(errorInfo->QueryInterface(IID_IStrova, strovaFromErrorInfo.out()), S_OK);
    EXPECT_EQ(strovaFromErrorInfo.get(), strova.get());

    void* other = kGarbage;
    EXPECT_EQ(strova->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    other = kGarbage;
    EXPECT_EQ(strova->QueryInterface(LIBID_STROVIKLib, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(strova->QueryInterface(IID_IStrova, nullptr), E_POINTER);
}

TEST(ComponentLifetime, ReferenceCountsAndDestruction) {
    ASSERT_TRUE(engineIdle());
    Ref<IClassFactory> factory = classFactory();
    IStrova* strova = nullptr;  // no guard: the counts are checked by hand
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IStrova, reinterpret_cast<void**>(&strova)),
              S_OK);
    EXPECT_EQ(engine().canUnloadNow(), S_FALSE);
    EXPECT_EQ(strova->AddRef(), 2u);
    EXPECT_EQ(strova->AddRef(), 3u);
    EXPECT_EQ(strova->Release(), 2u);

    ISupportErrorInfo* errorInfo = nullptr;
    ASSERT_EQ(strova->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errorInfo)),
              S_OK);
    EXPECT_EQ(errorInfo->Release(), 2u);  // the query added one, shared by all interfaces
    EXPECT_EQ(strova->Release(), 1u);
    EXPECT_EQ(engine().canUnloadNow(), S_FALSE);
    EXPECT_EQ(strova->Release(), 0u);
    EXPECT_EQ(engine().canUnloadNow(), S_OK);
}

TEST(ComponentLifetime, EveryObjectHoldsTheModuleUntilReleased) {
    ASSERT_TRUE(engineIdle());
    {
        Ref<IStrova> a = newStrova();
        Ref<IStrova> b = newStrova();
        ASSERT_TRUE(a && b);
        EXPECT_NE(a.get(), b.get());
        a.reset();
        EXPECT_EQ(engine().canUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(engine().canUnloadNow(), S_OK);
}

TEST(ComponentLifetime, SupportsErrorInfoOnlyForIStrova) {
    Ref<IStrova> strova = newStrova();
    Ref<ISupportErrorInfo> errorInfo;
    ASSERT_EQ(strova->QueryInterface(IID_ISupportErrorInfo, errorInfo.out()), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IStrova), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IUnknown), S_FALSE);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(CLSID_Strova), S_FALSE);
}

TEST(ComponentLifetime, ClassObjectOnlyForTheStrovaClass) {
    ASSERT_TRUE(engineLoaded());
    void* out = kGarbage;
    EXPECT_EQ(engine().getClassObject(IID_IStrova, IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    out = kGarbage;
    EXPECT_EQ(engine().getClassObject(CLSID_Strova, IID_IStrova, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(engine().getClassObject(CLSID_Strova, IID_IClassFactory, nullptr), E_POINTER);

    Ref<IUnknown> asUnknown;
    ASSERT_EQ(engine().getClassObject(CLSID_Strova, IID_IUnknown, asUnknown.out()), S_OK);
    Ref<IClassFactory> factory;
    ASSERT_EQ(asUnknown->QueryInterface(IID_IClassFactory, factory.out()), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(factory.get()), asUnknown.get());
    EXPECT_EQ(factory->AddRef(), 3u);
    EXPECT_EQ(factory->Release(), 2u);

    // A factory alone does not keep the module loaded; LockServer does.
    EXPECT_EQ(engine().canUnloadNow(), S_OK);
    Ref<IStrova> created;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, created.out()), E_NOINTERFACE);
    EXPECT_FALSE(created);
    EXPECT_EQ(engine().canUnloadNow(), S_OK);
}

TEST(ComponentLifetime, LockServerKeepsTheModuleLoaded) {
    ASSERT_TRUE(engineIdle());
    {
        Ref<IClassFactory> factory = classFactory();
        ASSERT_EQ(factory->LockServer(1), S_OK);
        ASSERT_EQ(factory->LockServer(1), S_OK);
    }
    EXPECT_EQ(engine().canUnloadNow(), S_FALSE);  // the factory is gone, the locks are not
    Ref<IClassFactory> factory = classFactory();
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(engine().canUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(engine().canUnloadNow(), S_OK);

    // An unbalanced unlock does not leave a debt that hides the next lock.
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    EXPECT_EQ(engine().canUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(engine().canUnloadNow(), S_OK);
}

/// An outer object that aggregates the engine object, recording how often
/// the inner object delegates to it.
class Aggregator final : public IUnknown {
public:
    HRESULT QueryInterface(const IID& iid, void** out) override {
        ++queries;
        if (iid == IID_IUnknown) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }

    IUnknown* inner = nullptr;
    ULONG refs = 1;
    int queries = 0;
};

TEST(ComponentLifetime, AggregationOnlyThroughTheInnerUnknown) {
    ASSERT_TRUE(engineIdle());
    Ref<IClassFactory> factory = classFactory();
    Aggregator outer;

    void* out = kGarbage;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IStrova, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(engine().canUnloadNow(), S_OK);

    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
              S_OK);
    ASSERT_NE(outer.inner, nullptr);
    EXPECT_EQ(outer.refs, 1u);  // creating the inner object does not touch the outer count

    // Interfaces handed out by the inner unknown delegate their IUnknown
    // methods to the outer object.
    IStrova* strova = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IStrova, reinterpret_cast<void**>(&strova)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    EXPECT_EQ(strova->AddRef(), 3u);
    EXPECT_EQ(strova->Release(), 2u);
    const int queriesBefore = outer.queries;
    IUnknown* identity = nullptr;
    ASSERT_EQ(strova->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, &outer);
    EXPECT_EQ(outer.queries, queriesBefore + 1);
    identity->Release();
    strova->Release();
    EXPECT_EQ(outer.refs, 1u);

    // The inner unknown answers for itself, not for the outer object.
    IUnknown* innerSelf = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&innerSelf)),
              S_OK);
    EXPECT_EQ(innerSelf, outer.inner);
    EXPECT_EQ(innerSelf->Release(), 1u);

    EXPECT_EQ(engine().canUnloadNow(), S_FALSE);
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(engine().canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace strovik::testing
