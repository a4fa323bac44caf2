#include "common/settings_store.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using velmora::SettingsStore;

namespace {

constexpr const char* kHklm = "HKEY_LOCAL_MACHINE";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("velmora-settings-" + std::to_string(getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

/// Sets an environment variable for the life of the object, restoring the
/// previous value (or its absence) afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST_F(SettingsStoreTest, SetGetAndFileLayout) {
    SettingsStore store(dir_);
    EXPECT_EQ(store.rootFolder(), dir_);
    EXPECT_FALSE(store.getValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "FormTop"));

    ASSERT_TRUE(store.setValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "FormTop", "120"));
    ASSERT_TRUE(store.setValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "NoMarkValue", "2.5"));
    EXPECT_EQ(store.getValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "FormTop"), "120");
    EXPECT_EQ(store.getValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "NoMarkValue"), "2.5");
    EXPECT_FALSE(store.getValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "Missing"));

    const fs::path file = dir_ / kHklm / "SOFTWARE" / "velmora" / "tarrow3" / "param.ini";
    ASSERT_TRUE(fs::is_regular_file(file));
    const std::string text = readFile(file);
    EXPECT_NE(text.find("[values]"), std::string::npos);
    EXPECT_NE(text.find("FormTop=120"), std::string::npos);

    // Overwriting keeps one entry per name.
    ASSERT_TRUE(store.setValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "FormTop", "7"));
    EXPECT_EQ(store.getValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "FormTop"), "7");
    EXPECT_EQ(readFile(file).find("120"), std::string::npos);

    // A second store over the same folder sees the same data.
    SettingsStore other(dir_);
    EXPECT_EQ(other.getValue(kHklm, "SOFTWARE\\velmora\\tarrow3\\param", "NoMarkValue"), "2.5");
}

TEST_F(SettingsStoreTest, DefaultValueUsesTheEmptyName) {
    SettingsStore store(dir_);
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "Strovik.Strova", "", "Strova class"));
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "Strovik.Strova", "Other", "x"));
    EXPECT_EQ(store.getValue("HKEY_CLASSES_ROOT", "Strovik.Strova", ""), "Strova class");
    EXPECT_EQ(store.getValue("HKEY_CLASSES_ROOT", "Strovik.Strova", "Other"), "x");
    const std::string text = readFile(dir_ / "HKEY_CLASSES_ROOT" / "Strovik.Strova.ini");
    EXPECT_NE(text.find("\n=Strova class\n"), std::string::npos) << text;

    // A key created without values has no default value.
    ASSERT_TRUE(store.createKey("HKEY_CLASSES_ROOT", "Empty"));
    EXPECT_TRUE(store.keyExists("HKEY_CLASSES_ROOT", "Empty"));
    EXPECT_FALSE(store.getValue("HKEY_CLASSES_ROOT", "Empty", ""));
}

TEST_F(SettingsStoreTest, NamesAndPathsIgnoreAsciiCase) {
    SettingsStore store(dir_);
    ASSERT_TRUE(store.setValue(kHklm, "Software\\Velmora\\Param", "JpegQuality", "80"));
    EXPECT_EQ(store.getValue("hkey_local_machine", "SOFTWARE\\VELMORA\\param", "jpegquality"),
              "80");
    EXPECT_TRUE(store.keyExists(kHklm, "software\\velmora\\PARAM"));

    // Writing under another spelling reuses the existing folders and file.
    ASSERT_TRUE(store.setValue(kHklm, "SOFTWARE\\VELMORA\\PARAM", "JPEGQUALITY", "90"));
    EXPECT_EQ(store.getValue(kHklm, "Software\\Velmora\\Param", "JpegQuality"), "90");
    EXPECT_TRUE(fs::is_regular_file(dir_ / kHklm / "Software" / "Velmora" / "Param.ini"));
    EXPECT_FALSE(fs::exists(dir_ / kHklm / "SOFTWARE"));
    const std::string text = readFile(dir_ / kHklm / "Software" / "Velmora" / "Param.ini");
    EXPECT_NE(text.find("JpegQuality=90"), std::string::npos) << text;

    // A subkey of a key that so far has only its file goes into a folder
    // spelled like that file.
    ASSERT_TRUE(store.setValue(kHklm, "software\\velmora\\param\\Sub", "a", "1"));
    EXPECT_TRUE(fs::is_regular_file(dir_ / kHklm / "Software" / "Velmora" / "Param" / "Sub.ini"));
}

TEST_F(SettingsStoreTest, KeysExistThroughTheirFileOrTheirFolder) {
    SettingsStore store(dir_);
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "CLSID\\{ABC}\\InprocServer32", "", "/lib.so"));
    EXPECT_TRUE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID"));  // folder only
    EXPECT_TRUE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID\\{ABC}"));
    EXPECT_TRUE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID\\{abc}\\inprocserver32"));
    EXPECT_FALSE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID\\{DEF}"));
    EXPECT_FALSE(store.keyExists("HKEY_CURRENT_USER", "CLSID"));

    // Outer and doubled separators do not name extra keys.
    EXPECT_EQ(store.getValue("HKEY_CLASSES_ROOT", "\\CLSID\\\\{ABC}\\InprocServer32\\", ""),
              "/lib.so");
}

TEST_F(SettingsStoreTest, SubkeysListsFoldersAndFilesOnce) {
    SettingsStore store(dir_);
    ASSERT_TRUE(store.createKey("HKEY_CLASSES_ROOT", "CLSID\\{B}"));
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "CLSID\\{A}\\ProgID", "", "x"));  // folder
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "CLSID\\{A}", "", "desc"));       // and file
    std::ofstream(dir_ / "HKEY_CLASSES_ROOT" / "CLSID" / "notes.txt") << "not a key";

    EXPECT_EQ(store.subkeys("HKEY_CLASSES_ROOT", "CLSID"),
              (std::vector<std::string>{"{A}", "{B}"}));
    EXPECT_EQ(store.subkeys("HKEY_CLASSES_ROOT", "clsid\\{a}"),
              (std::vector<std::string>{"ProgID"}));
    EXPECT_TRUE(store.subkeys("HKEY_CLASSES_ROOT", "CLSID\\{B}").empty());
    EXPECT_TRUE(store.subkeys("HKEY_CLASSES_ROOT", "Nothing").empty());
    EXPECT_EQ(store.subkeys("HKEY_CLASSES_ROOT", ""), (std::vector<std::string>{"CLSID"}));
}

TEST_F(SettingsStoreTest, DeleteValueAndDeleteKeyTree) {
    SettingsStore store(dir_);
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "CLSID\\{A}", "", "desc"));
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "CLSID\\{A}", "Keep", "1"));
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "CLSID\\{A}\\InprocServer32", "", "/x.so"));
    ASSERT_TRUE(store.setValue("HKEY_CLASSES_ROOT", "CLSID\\{B}", "", "other"));

    EXPECT_TRUE(store.deleteValue("HKEY_CLASSES_ROOT", "CLSID\\{A}", ""));
    EXPECT_FALSE(store.getValue("HKEY_CLASSES_ROOT", "CLSID\\{A}", ""));
    EXPECT_EQ(store.getValue("HKEY_CLASSES_ROOT", "CLSID\\{A}", "keep"), "1");
    EXPECT_FALSE(store.deleteValue("HKEY_CLASSES_ROOT", "CLSID\\{A}", ""));  // already gone
    EXPECT_FALSE(store.deleteValue("HKEY_CLASSES_ROOT", "CLSID\\{Z}", "Keep"));

    EXPECT_TRUE(store.deleteKeyTree("HKEY_CLASSES_ROOT", "clsid\\{a}"));
    EXPECT_FALSE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID\\{A}"));
    EXPECT_FALSE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID\\{A}\\InprocServer32"));
    EXPECT_FALSE(fs::exists(dir_ / "HKEY_CLASSES_ROOT" / "CLSID" / "{A}"));
    EXPECT_EQ(store.getValue("HKEY_CLASSES_ROOT", "CLSID\\{B}", ""), "other");
    EXPECT_TRUE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID"));

    // A root is never removed as a whole.
    EXPECT_FALSE(store.deleteKeyTree("HKEY_CLASSES_ROOT", ""));
    EXPECT_TRUE(store.keyExists("HKEY_CLASSES_ROOT", "CLSID\\{B}"));
}

TEST_F(SettingsStoreTest, AwkwardValuesAndNamesRoundTrip) {
    SettingsStore store(dir_);
    const std::string values[] = {
        "a=b=c",
        "line1\nline2\r\nline3",
        "C:\\path\\n\\x41 literally",
        "  padded\t",
        "Strova \\xff\\xff\\xff",
        "[values]",
        ";not a comment",
        "",
    };
    int i = 0;
    for (const std::string& v : values) {
        const std::string name = "v" + std::to_string(i++);
        ASSERT_TRUE(store.setValue(kHklm, "K", name, v));
        EXPECT_EQ(store.getValue(kHklm, "K", name), v) << name;
    }
    ASSERT_TRUE(store.setValue(kHklm, "K", "name=with equals", "1"));
    ASSERT_TRUE(store.setValue(kHklm, "K", ";semi", "2"));
    ASSERT_TRUE(store.setValue(kHklm, "K", "[br", "3"));
    EXPECT_EQ(store.getValue(kHklm, "K", "name=with equals"), "1");
    EXPECT_EQ(store.getValue(kHklm, "K", ";semi"), "2");
    EXPECT_EQ(store.getValue(kHklm, "K", "[br"), "3");
    EXPECT_FALSE(store.getValue(kHklm, "K", "name"));

    // Every entry stays on one line.
    const std::string text = readFile(dir_ / kHklm / "K.ini");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12) << text;
}

TEST_F(SettingsStoreTest, UnicodePathsAndValues) {
    SettingsStore store(dir_ / "設定");
    const std::string key = "SOFTWARE\\ヴェルモラ\\読取";
    ASSERT_TRUE(store.setValue(kHklm, key, "フォルダ", "/home/利用者/答案"));
    EXPECT_EQ(store.getValue(kHklm, key, "フォルダ"), "/home/利用者/答案");
    EXPECT_TRUE(
        fs::is_regular_file(dir_ / "設定" / kHklm / "SOFTWARE" / "ヴェルモラ" / "読取.ini"));
    EXPECT_EQ(store.subkeys(kHklm, "SOFTWARE"), (std::vector<std::string>{"ヴェルモラ"}));
}

TEST_F(SettingsStoreTest, RejectsComponentsThatLeaveTheStore) {
    SettingsStore store(dir_ / "store");
    EXPECT_FALSE(store.setValue(kHklm, "..\\escape", "a", "1"));
    EXPECT_FALSE(store.setValue(kHklm, "a/b", "a", "1"));
    EXPECT_FALSE(store.setValue("..", "x", "a", "1"));
    EXPECT_FALSE(store.createKey("", "x"));
    EXPECT_FALSE(store.keyExists(kHklm, ".."));
    EXPECT_FALSE(fs::exists(dir_ / "escape.ini"));
    EXPECT_FALSE(fs::exists(dir_ / "store" / "escape.ini"));
}

TEST_F(SettingsStoreTest, UnwritableRootReportsFailure) {
    const fs::path blocker = dir_ / "file-not-folder";
    std::ofstream(blocker) << "x";
    SettingsStore store(blocker);
    EXPECT_FALSE(store.setValue(kHklm, "K", "a", "1"));
    EXPECT_FALSE(store.createKey(kHklm, "K"));
    EXPECT_FALSE(store.getValue(kHklm, "K", "a"));
}

TEST_F(SettingsStoreTest, DefaultRootFollowsTheEnvironment) {
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", dir_.c_str());
        EXPECT_EQ(SettingsStore::defaultRootFolder(), dir_ / "velmora");
        SettingsStore store;
        EXPECT_EQ(store.rootFolder(), dir_ / "velmora");
        ASSERT_TRUE(store.setValue(kHklm, "K", "a", "1"));
        EXPECT_TRUE(fs::is_regular_file(dir_ / "velmora" / kHklm / "K.ini"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(SettingsStore::defaultRootFolder(), fs::path("/home/someone/.config/velmora"));
    }
    {
        // Empty and relative XDG_CONFIG_HOME values are ignored.
        ScopedEnv home("HOME", "/home/someone");
        ScopedEnv empty("XDG_CONFIG_HOME", "");
        EXPECT_EQ(SettingsStore::defaultRootFolder(), fs::path("/home/someone/.config/velmora"));
        ScopedEnv relative("XDG_CONFIG_HOME", "relative/dir");
        EXPECT_EQ(SettingsStore::defaultRootFolder(), fs::path("/home/someone/.config/velmora"));
    }
}

TEST_F(SettingsStoreTest, DefaultRootWithoutHomeOrXdgIsStillAbsolute) {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    const fs::path root = SettingsStore::defaultRootFolder();
    EXPECT_TRUE(root.is_absolute()) << root;
    EXPECT_EQ(root.filename(), "velmora");
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') {
        EXPECT_EQ(root, fs::path(pw->pw_dir) / ".config" / "velmora");
    }
}
