#include "common/symlink_policy.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/atomic_file.h"
#include "common/settings_store.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;  // "nobody": owns the planted links

/// A private folder holding the victim's file and a shared sticky folder
/// (mode 01777, like /tmp) where links are planted.
class SymlinkPolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "velmora-links-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        shared_ = root_ / "shared";
        fs::create_directory(shared_);
        ASSERT_EQ(::chmod(shared_.c_str(), 01777), 0);
        victim_ = root_ / "notes.txt";
        std::ofstream(victim_, std::ios::binary) << "private";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    /// A link in the shared folder owned by `owner` (needs root for others).
    fs::path plantLink(const std::string& name, const fs::path& to, uid_t owner) {
        const fs::path link = shared_ / name;
        fs::create_symlink(to, link);
        EXPECT_EQ(::lchown(link.c_str(), owner, static_cast<gid_t>(-1)), 0);
        return link;
    }
    std::string victimText() const { return readWholeFile(victim_).value_or("<gone>"); }
    std::size_t sharedEntries() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(shared_)) ++count;
        return count;
    }

    fs::path root_, shared_, victim_;
};

bool runningAsRoot() {
    return ::geteuid() == 0;
}

TEST_F(SymlinkPolicyTest, WritersRefuseAnotherUsersLinkInASharedFolder) {
    if (!runningAsRoot()) GTEST_SKIP() << "making a link owned by another user needs root";
    const fs::path link = plantLink("x-読取値.csv", victim_, kOtherUser);

    std::string error;
    EXPECT_FALSE(writeFileAtomically(link, "overwritten", &error));
    EXPECT_NE(error.find("x-読取値.csv"), std::string::npos) << error;
    EXPECT_NE(error.find("シンボリックリンク"), std::string::npos) << error;

    const fs::path source = root_ / "scan.jpg";
    std::ofstream(source, std::ios::binary) << "scan";
    EXPECT_FALSE(copyFileAtomically(source, link, &error));
    EXPECT_FALSE(writeFilesAtomically({{root_ / "ok.csv", "a"}, {link, "b"}}, &error));
    EXPECT_FALSE(fs::exists(root_ / "ok.csv")) << "a file of the set was written";

    EXPECT_EQ(openForWriting(link, &error), -1);
    EXPECT_NE(error.find("x-読取値.csv"), std::string::npos) << error;

    EXPECT_EQ(victimText(), "private");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(sharedEntries(), 1u) << "something was left in the shared folder";
}

TEST_F(SymlinkPolicyTest, ForeignLinkFurtherAlongTheChainOrPathIsRefused) {
    if (!runningAsRoot()) GTEST_SKIP() << "making a link owned by another user needs root";
    // Our own link leads to a planted one: the second hop is refused.
    const fs::path planted = plantLink("planted", victim_, kOtherUser);
    const fs::path own = root_ / "own-link";
    fs::create_symlink(planted, own);
    std::string error;
    EXPECT_FALSE(writeFileAtomically(own, "x", &error));
    EXPECT_NE(error.find("planted"), std::string::npos) << error;

    // A planted link used as a folder of the path.
    const fs::path folderLink = plantLink("dir", root_, kOtherUser);
    EXPECT_FALSE(writeFileAtomically(folderLink / "notes.txt", "x", &error));
    EXPECT_EQ(openForWriting(folderLink / "notes.txt"), -1);
    EXPECT_EQ(victimText(), "private");
}

TEST_F(SymlinkPolicyTest, SettingsAreNotWrittenThroughAPlantedFolderLink) {
    if (!runningAsRoot()) GTEST_SKIP() << "making a link owned by another user needs root";
    // A settings folder in the shared folder, its root key replaced by a
    // link into the victim's folder: the key file would land there.
    const fs::path victimKey = root_ / "notes.ini";
    std::ofstream(victimKey, std::ios::binary) << "private";
    plantLink("HKEY_CURRENT_USER", root_, kOtherUser);
    SettingsStore store(shared_);
    EXPECT_FALSE(store.setValue("HKEY_CURRENT_USER", "notes", "", "planted"));
    EXPECT_EQ(readWholeFile(victimKey), "private");
}

TEST_F(SymlinkPolicyTest, LinksOfTheUserOrTheFolderOwnerAreFollowed) {
    // The user's own link keeps working as before: the target is replaced,
    // the link stays.
    const fs::path own = plantLink("own.csv", victim_, ::geteuid());
    std::string error;
    ASSERT_TRUE(writeFileAtomically(own, "mine", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(own));
    EXPECT_EQ(victimText(), "mine");
    const int fd = openForWriting(own, &error);
    ASSERT_GE(fd, 0) << error;
    ::close(fd);
    EXPECT_EQ(victimText(), "") << "open for writing truncates the target";

    if (!runningAsRoot()) GTEST_SKIP() << "links of other owners need root";
    // The owner of the sticky folder may link in it.
    ASSERT_EQ(::chown(shared_.c_str(), kOtherUser, static_cast<gid_t>(-1)), 0);
    const fs::path byOwner = plantLink("owner.csv", victim_, kOtherUser);
    EXPECT_TRUE(writeFileAtomically(byOwner, "owner", &error)) << error;
    EXPECT_EQ(victimText(), "owner");
}

TEST_F(SymlinkPolicyTest, OnlyStickyWorldWritableFoldersAreGuarded) {
    if (!runningAsRoot()) GTEST_SKIP() << "making a link owned by another user needs root";
    const fs::path link = plantLink("other.csv", victim_, kOtherUser);
    // World-writable without the sticky bit, sticky without others' write:
    // the kernel's rule does not apply there, and neither does ours.
    for (const mode_t mode : {mode_t{0777}, mode_t{01775}}) {
        ASSERT_EQ(::chmod(shared_.c_str(), mode), 0);
        EXPECT_EQ(symlinkRefusal(link), std::nullopt) << std::oct << mode;
    }
    ASSERT_EQ(::chmod(shared_.c_str(), 01777), 0);
    EXPECT_NE(symlinkRefusal(link), std::nullopt);
    // A plain file in the shared folder is no link and always writable.
    EXPECT_EQ(symlinkRefusal(shared_ / "absent.csv"), std::nullopt);
    EXPECT_TRUE(writeFileAtomically(shared_ / "plain.csv", "p"));
}

TEST_F(SymlinkPolicyTest, EndlessChainIsRefused) {
    const fs::path a = root_ / "a";
    const fs::path b = root_ / "b";
    fs::create_symlink(b, a);
    fs::create_symlink(a, b);
    std::string error;
    EXPECT_EQ(resolveWriteTarget(a, &error), std::nullopt);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(writeFileAtomically(a, "x"));
}

}  // namespace
}  // namespace velmora
