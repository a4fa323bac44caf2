// The client's fallback when the registered engine cannot be used: the
// engine beside the program is taken, a broken registration is reported and
// left alone, and a missing one is registered only when the build allows it.
#include <gtest/gtest.h>

#include <fstream>

#include "common/settings_store.h"
#include "component_fixture.h"
#include "engine/com/component_client.h"

namespace strovik::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRoot = "HKEY_CLASSES_ROOT";
constexpr const char* kServerKey = "CLSID\\{654636D5-7F01-4C28-A502-BF6D8425352D}\\InprocServer32";

class EngineFallbackTest : public ::testing::Test {
protected:
    EngineFallbackTest()
        : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()),
          env_("XDG_CONFIG_HOME", dir_.path().string()),
          store_(dir_.path() / "velmora") {}

    static std::string libraryPath() { return fs::weakly_canonical(STROVIK_LIBRARY_PATH).string(); }

    /// A file that dlopen refuses, as a sanitizer build's library is refused.
    std::string brokenLibrary() const {
        const fs::path path = dir_.path() / "broken" / "libstrovik.so";
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "not a shared object";
        return path.string();
    }

    EngineFallback fallbackTo(std::vector<std::string> candidates, bool registers) {
        EngineFallback fallback;
        fallback.candidates = std::move(candidates);
        fallback.registerWhenUnregistered = registers;
        fallback.notice = [this](const std::string& text) { notices_.push_back(text); };
        return fallback;
    }

    std::optional<std::string> registered() const { return store_.getValue(kRoot, kServerKey, ""); }

    TempDir dir_;
    ScopedEnv env_;
    velmora::SettingsStore store_;
    std::vector<std::string> notices_;
};

TEST_F(EngineFallbackTest, ABrokenRegistrationFallsBackOnceAndIsLeftAlone) {
    ASSERT_TRUE(engineLoaded());
    const std::string broken = brokenLibrary();
    ASSERT_TRUE(store_.setValue(kRoot, kServerKey, "", broken));
    const std::string missing = (dir_.path() / "gone" / "libstrovik.so").string();

    std::string error;
    Ref<IStrova> object;
    const EngineFallback fallback = fallbackTo({missing, broken, libraryPath()}, true);
    ASSERT_EQ(createInstanceWithFallback(CLSID_Strova, IID_IStrova, object.out(), fallback, &error),
              S_OK)
        << error;
    ASSERT_TRUE(object);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].find(broken), std::string::npos) << notices_[0];
    EXPECT_NE(notices_[0].find("using " + libraryPath()), std::string::npos) << notices_[0];
    // The user's registration is theirs: a fallback never rewrites it.
    EXPECT_EQ(registered(), broken);
}

TEST_F(EngineFallbackTest, AnUnregisteredClassIsRegisteredOnlyWhenTheBuildAllowsIt) {
    ASSERT_TRUE(engineIdle());
    std::string error;
    {
        Ref<IStrova> object;
        ASSERT_EQ(createInstanceWithFallback(CLSID_Strova, IID_IStrova, object.out(),
                                             fallbackTo({libraryPath()}, false), &error),
                  S_OK)
            << error;
        EXPECT_FALSE(registered());
        ASSERT_EQ(notices_.size(), 1u);
        EXPECT_NE(notices_[0].find("not registered"), std::string::npos) << notices_[0];
    }
    Ref<IStrova> object;
    ASSERT_EQ(createInstanceWithFallback(CLSID_Strova, IID_IStrova, object.out(),
                                         fallbackTo({libraryPath()}, true), &error),
              S_OK)
        << error;
    EXPECT_EQ(registered(), libraryPath());
    // Registered now: the next client loads it without any fallback.
    notices_.clear();
    Ref<IStrova> again;
    ASSERT_EQ(createInstanceWithFallback(CLSID_Strova, IID_IStrova, again.out(),
                                         fallbackTo({}, true), &error),
              S_OK);
    EXPECT_TRUE(notices_.empty());
}

TEST_F(EngineFallbackTest, WithoutAUsableCandidateTheOriginalFailureIsReported) {
    const std::string broken = brokenLibrary();
    std::string error;
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(createInstanceWithFallback(CLSID_Strova, IID_IStrova, &out,
                                         fallbackTo({broken, dir_.path().string()}, true), &error),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(error.find("strovik-regsvr"), std::string::npos) << error;
    EXPECT_FALSE(registered());

    ASSERT_TRUE(store_.setValue(kRoot, kServerKey, "", broken));
    EXPECT_EQ(
        createInstanceWithFallback(CLSID_Strova, IID_IStrova, &out, fallbackTo({}, true), &error),
        CO_E_ERRORINDLL);
    EXPECT_TRUE(notices_.empty());
}

TEST_F(EngineFallbackTest, TheDefaultLooksBesideTheProgramAndInItsLibFolder) {
    const EngineFallback fallback = defaultEngineFallback();
    const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path();
    ASSERT_EQ(fallback.candidates.size(), 2u);
    EXPECT_EQ(fs::path(fallback.candidates[0]), (folder / "libstrovik.so").lexically_normal());
    EXPECT_EQ(fs::path(fallback.candidates[1]),
              (folder.parent_path() / "lib" / "libstrovik.so").lexically_normal());
    EXPECT_TRUE(fallback.notice);
}

}  // namespace
}  // namespace strovik::testing
