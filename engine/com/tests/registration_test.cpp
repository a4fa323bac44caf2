// Registration in the settings store and creation through it, the way a
// client program creates the engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "common/settings_store.h"
#include "component_fixture.h"
#include "engine/com/component_client.h"

namespace strovik::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRoot = "HKEY_CLASSES_ROOT";
constexpr const char* kClassKey = "CLSID\\{654636D5-7F01-4C28-A502-BF6D8425352D}";
constexpr const char* kTypeLibKey = "TypeLib\\{019FDDA1-52E5-4CAB-A9B7-7FDAC2C29479}";
constexpr const char* kInterfaceKey = "Interface\\{ED73A4FC-CA1A-4BCE-ADBD-7C4565D0B781}";
constexpr const char* kDescription = "Strova \\xff\\xff\\xff";

/// Each test gets its own settings root through XDG_CONFIG_HOME.
class Registration : public ::testing::Test {
protected:
    Registration()
        : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()),
          env_("XDG_CONFIG_HOME", dir_.path().string()),
          store_(dir_.path() / "velmora") {}

    static std::string libraryPath() { return fs::weakly_canonical(STROVIK_LIBRARY_PATH).string(); }
    std::optional<std::string> value(const std::string& key, const char* name = "") const {
        return store_.getValue(kRoot, key, name);
    }

    TempDir dir_;
    ScopedEnv env_;
    velmora::SettingsStore store_;
};

TEST_F(Registration, RegisterWritesClassProgIdsAndTypeLibrary) {
    ASSERT_TRUE(engineLoaded());
    ASSERT_EQ(engine().registerServer(), S_OK);

    EXPECT_EQ(value(kClassKey), kDescription);
    EXPECT_EQ(value(std::string(kClassKey) + "\\InprocServer32"), libraryPath());
    EXPECT_EQ(value(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel"), "both");
    EXPECT_EQ(value(std::string(kClassKey) + "\\ProgID"), "Strovik.Strova.1");
    EXPECT_EQ(value(std::string(kClassKey) + "\\VersionIndependentProgID"), "Strovik.Strova");
    EXPECT_EQ(value(std::string(kClassKey) + "\\TypeLib"),
              "{019FDDA1-52E5-4CAB-A9B7-7FDAC2C29479}");
    EXPECT_EQ(value(std::string(kClassKey) + "\\Version"), "2.6");

    for (const char* progId : {"Strovik.Strova.1", "Strovik.Strova"}) {
        EXPECT_EQ(value(progId), kDescription) << progId;
        EXPECT_EQ(value(std::string(progId) + "\\CLSID"), "{654636D5-7F01-4C28-A502-BF6D8425352D}")
            << progId;
    }
    EXPECT_EQ(value("Strovik.Strova\\CurVer"), "Strovik.Strova.1");

    const std::string lib = std::string(kTypeLibKey) + "\\2.6";
    EXPECT_EQ(value(lib), "Strovik 2.6");
    EXPECT_EQ(value(lib + "\\0\\linux64"), libraryPath());
    EXPECT_EQ(value(lib + "\\FLAGS"), "0");
    EXPECT_EQ(value(lib + "\\HELPDIR"), fs::path(libraryPath()).parent_path().string());
    EXPECT_EQ(value(kInterfaceKey), "IStrova");
    EXPECT_EQ(value(std::string(kInterfaceKey) + "\\ProxyStubClsid32"),
              "{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(value(std::string(kInterfaceKey) + "\\TypeLib"),
              "{019FDDA1-52E5-4CAB-A9B7-7FDAC2C29479}");
    EXPECT_EQ(value(std::string(kInterfaceKey) + "\\TypeLib", "Version"), "2.6");
}

TEST_F(Registration, RegisterReplacesTheClassKeyAndUnregisterRemovesEverything) {
    ASSERT_TRUE(engineLoaded());
    ASSERT_TRUE(store_.setValue(kRoot, std::string(kClassKey) + "\\Stale", "", "old"));
    ASSERT_TRUE(store_.setValue(kRoot, "CLSID\\{11111111-2222-3333-4444-555555555555}", "", "x"));
    ASSERT_EQ(engine().registerServer(), S_OK);
    EXPECT_FALSE(store_.keyExists(kRoot, std::string(kClassKey) + "\\Stale"));

    ASSERT_EQ(engine().unregisterServer(), S_OK);
    for (const char* key :
         {kClassKey, kTypeLibKey, kInterfaceKey, "Strovik.Strova.1", "Strovik.Strova"}) {
        EXPECT_FALSE(store_.keyExists(kRoot, key)) << key;
    }
    EXPECT_TRUE(store_.keyExists(kRoot, "CLSID"));
    EXPECT_EQ(value("CLSID\\{11111111-2222-3333-4444-555555555555}"), "x");  // others untouched

    // Unregistering what is not there is not an error.
    EXPECT_EQ(engine().unregisterServer(), S_OK);
}

TEST_F(Registration, CreateInstanceByClsidAndProgIdLoadsTheRegisteredLibrary) {
    ASSERT_TRUE(engineIdle());
    ASSERT_EQ(engine().registerServer(), S_OK);

    std::string error;
    Ref<IStrova> byClsid;
    ASSERT_EQ(createInstance(CLSID_Strova, IID_IStrova, byClsid.out(), &error), S_OK) << error;
    ASSERT_TRUE(byClsid);
    // The object lives in the library this test loaded: one module, one lock count.
    EXPECT_EQ(engine().canUnloadNow(), S_FALSE);

    Ref<IDispatch> byProgId;
    ASSERT_EQ(createInstance("Strovik.Strova", IID_IDispatch, byProgId.out(), &error), S_OK)
        << error;
    Ref<IUnknown> byVersionedProgId;
    ASSERT_EQ(createInstance("strovik.strova.1", IID_IUnknown, byVersionedProgId.out(), &error),
              S_OK)
        << error;
    EXPECT_EQ(clsidFromProgId("Strovik.Strova"), CLSID_Strova);

    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(createInstance(CLSID_Strova, IID_IClassFactory, &out, &error), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    byClsid.reset();
    byProgId.reset();
    byVersionedProgId.reset();
    EXPECT_EQ(engine().canUnloadNow(), S_OK);
}

TEST_F(Registration, UnregisteredClassSaysHowToRegister) {
    std::string error;
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(createInstance(CLSID_Strova, IID_IStrova, &out, &error), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(error.find("not registered"), std::string::npos) << error;
    EXPECT_NE(error.find(std::string("HKEY_CLASSES_ROOT\\") + kClassKey), std::string::npos)
        << error;
    EXPECT_NE(error.find((dir_.path() / "velmora").string()), std::string::npos) << error;
    EXPECT_NE(error.find("strovik-regsvr"), std::string::npos) << error;

    error.clear();
    EXPECT_EQ(createInstance("Strovik.Strova", IID_IStrova, &out, &error), REGDB_E_CLASSNOTREG);
    EXPECT_NE(error.find("strovik-regsvr"), std::string::npos) << error;
    EXPECT_FALSE(clsidFromProgId("Strovik.Strova"));
}

TEST_F(Registration, UnloadableLibraryReportsTheLoaderMessage) {
    const std::string key = std::string(kClassKey) + "\\InprocServer32";
    const fs::path missing = dir_.path() / "missing" / "libstrovik.so";
    ASSERT_TRUE(store_.setValue(kRoot, key, "", missing.string()));
    std::string error;
    void* out = nullptr;
    EXPECT_EQ(createInstance(CLSID_Strova, IID_IStrova, &out, &error), CO_E_DLLNOTFOUND);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(error.find(missing.string()), std::string::npos) << error;

    const fs::path garbage = dir_.path() / "garbage.so";
    std::ofstream(garbage) << "not a shared object";
    ASSERT_TRUE(store_.setValue(kRoot, key, "", garbage.string()));
    error.clear();
    EXPECT_EQ(createInstance(CLSID_Strova, IID_IStrova, &out, &error), CO_E_ERRORINDLL);
    EXPECT_FALSE(error.empty());
}

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

TEST_F(Registration, RegistrationProgramRegistersAndUnregisters) {
    const std::string regsvr = quoted(STROVIK_REGSVR_PATH);
    const std::string silent = " > /dev/null 2>&1";
    ASSERT_EQ(std::system((regsvr + " " + quoted(STROVIK_LIBRARY_PATH) + silent).c_str()), 0);
    EXPECT_EQ(value(std::string(kClassKey) + "\\InprocServer32"), libraryPath());

    ASSERT_EQ(std::system((regsvr + " -u " + quoted(STROVIK_LIBRARY_PATH) + silent).c_str()), 0);
    EXPECT_FALSE(store_.keyExists(kRoot, kClassKey));

    EXPECT_NE(std::system((regsvr + silent).c_str()), 0);
    EXPECT_NE(
        std::system((regsvr + " " + quoted((dir_.path() / "none.so").string()) + silent).c_str()),
        0);
}

}  // namespace
}  // namespace strovik::testing
