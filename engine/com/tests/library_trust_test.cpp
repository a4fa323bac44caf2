// Only a registered engine library that no other user could have placed or
// changed is loaded; any other is never opened (its constructor does not
// run) and the engine beside the program is used instead.
#include "engine/com/library_trust.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/settings_store.h"
#include "component_fixture.h"
#include "engine/com/component_client.h"

namespace strovik::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRoot = "HKEY_CLASSES_ROOT";
constexpr const char* kServerKey = "CLSID\\{654636D5-7F01-4C28-A502-BF6D8425352D}\\InprocServer32";

/// A folder of mode 0755 in the build tree (a private place, unlike /tmp)
/// and one in the shared temporary folder, each given a copy of the marker
/// library on request.
class LibraryTrustTest : public ::testing::Test {
protected:
    LibraryTrustTest()
        : shared_("trust"),
          env_("XDG_CONFIG_HOME", shared_.path().string()),
          marker_(shared_.path() / "marker"),
          markerEnv_("VELMORA_MARKER_FILE", marker_.string()),
          store_(shared_.path() / "velmora") {
        private_ = fs::path(VELMORA_BINARY_DIR) / ("trust-test-" + std::to_string(::getpid()));
        fs::create_directories(private_);
        ::chmod(private_.c_str(), 0755);
    }
    ~LibraryTrustTest() override {
        std::error_code ec;
        fs::remove_all(private_, ec);
    }

    static fs::path copyMarkerLibrary(const fs::path& folder, mode_t mode) {
        const fs::path copy = folder / "libstrovik.so";
        fs::copy_file(STROVIK_MARKER_LIBRARY_PATH, copy, fs::copy_options::overwrite_existing);
        ::chmod(copy.c_str(), mode);
        return copy;
    }

    /// Creates the engine with the registration pointing at `library`.
    HRESULT createWithRegistration(const fs::path& library) {
        EXPECT_TRUE(store_.setValue(kRoot, kServerKey, "", library.string()));
        EngineFallback fallback;
        fallback.candidates = {fs::weakly_canonical(STROVIK_LIBRARY_PATH).string()};
        fallback.notice = [this](const std::string& text) { notices_.push_back(text); };
        Ref<IStrova> object;
        std::string error;
        const HRESULT hr =
            createInstanceWithFallback(CLSID_Strova, IID_IStrova, object.out(), fallback, &error);
        EXPECT_EQ(hr, S_OK) << error;
        return hr;
    }

    TempDir shared_;
    ScopedEnv env_;
    fs::path marker_;
    ScopedEnv markerEnv_;
    velmora::SettingsStore store_;
    fs::path private_;
    std::vector<std::string> notices_;
};

TEST_F(LibraryTrustTest, GroupWritableLibraryIsNeverOpened) {
    const fs::path library = copyMarkerLibrary(private_, 0664);
    createWithRegistration(library);
    EXPECT_FALSE(fs::exists(marker_)) << "the untrusted library was loaded";
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].find("writable by other users"), std::string::npos) << notices_[0];
    EXPECT_NE(notices_[0].find(library.string()), std::string::npos) << notices_[0];
}

TEST_F(LibraryTrustTest, LibraryInASharedFolderIsNeverOpened) {
    // The temporary folder is sticky and world-writable: another user could
    // have created the registered name there.
    const fs::path library = copyMarkerLibrary(shared_.path(), 0644);
    createWithRegistration(library);
    EXPECT_FALSE(fs::exists(marker_)) << "the library in a shared folder was loaded";
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].find("is writable by other users"), std::string::npos) << notices_[0];

    // A private folder that is only reached through a link in the shared
    // folder is judged by both ways.
    const fs::path link = shared_.path() / "link";
    fs::create_directory_symlink(private_, link);
    copyMarkerLibrary(private_, 0644);
    EXPECT_NE(libraryDistrust(link / "libstrovik.so"), std::nullopt);
}

TEST_F(LibraryTrustTest, APrivateLibraryIsLoaded) {
    // The same file, made private: it is loaded (the marker shows it ran),
    // and only its missing entry point sends the client to the fallback.
    const fs::path library = copyMarkerLibrary(private_, 0644);
    ASSERT_EQ(libraryDistrust(library), std::nullopt) << "the build folder is not private";
    createWithRegistration(library);
    EXPECT_TRUE(fs::exists(marker_));
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].find("cannot be loaded"), std::string::npos) << notices_[0];
}

TEST_F(LibraryTrustTest, OtherFilesAndPathsAreRefused) {
    EXPECT_NE(libraryDistrust("libstrovik.so"), std::nullopt) << "relative path";
    EXPECT_NE(libraryDistrust(private_ / "absent.so"), std::nullopt);
    EXPECT_NE(libraryDistrust(private_), std::nullopt) << "a folder";
    const fs::path library = copyMarkerLibrary(private_, 0646);
    EXPECT_NE(libraryDistrust(library), std::nullopt) << "writable by others";
    ::chmod(private_.c_str(), 0775);
    ::chmod(library.c_str(), 0644);
    EXPECT_NE(libraryDistrust(library), std::nullopt) << "in a group-writable folder";
    ::chmod(private_.c_str(), 0755);
    EXPECT_EQ(libraryDistrust(library), std::nullopt);
    if (::geteuid() != 0) return;
    // Root may own it; another user may not, even with a private mode.
    ASSERT_EQ(::chown(library.c_str(), 65534, static_cast<gid_t>(-1)), 0);
    EXPECT_NE(libraryDistrust(library), std::nullopt) << "owned by another user";
}

}  // namespace
}  // namespace strovik::testing
