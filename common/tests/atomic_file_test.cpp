#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

/// A fresh folder per test, removed afterwards.
class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "velmora-atomic-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    static void writePlain(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static mode_t modeOf(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return info.st_mode & 07777;
    }
    std::size_t entryCount() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) ++count;
        return count;
    }

    fs::path dir_;
};

TEST_F(AtomicFileTest, ReadsWholeFilesWithinTheLimit) {
    const std::string bytes = "line\r\n\0\xFF tail"s;
    const fs::path file = dir_ / "data.bin";
    writePlain(file, bytes);
    EXPECT_EQ(readWholeFile(file), bytes);
    EXPECT_EQ(readWholeFile(file, bytes.size()), bytes);
    EXPECT_FALSE(readWholeFile(file, bytes.size() - 1).has_value());

    writePlain(dir_ / "empty", "");
    EXPECT_EQ(readWholeFile(dir_ / "empty"), "");

    // Larger than one read chunk.
    const std::string big(300000, 'x');
    writePlain(dir_ / "big", big);
    EXPECT_EQ(readWholeFile(dir_ / "big"), big);

    EXPECT_FALSE(readWholeFile(dir_ / "missing").has_value());
    EXPECT_FALSE(readWholeFile(dir_).has_value());
}

TEST_F(AtomicFileTest, ReadsOnlyRegularFilesAndNeverWaits) {
    // Opening a FIFO for reading would wait for a writer; /dev/zero never ends.
    const fs::path fifo = dir_ / "sheet.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    for (const fs::path& special : {fifo, fs::path("/dev/zero"), dir_}) {
        error.clear();
        EXPECT_FALSE(readWholeFile(special, std::size_t(1) << 31, &error)) << special;
        EXPECT_FALSE(readFileStart(special, 20, &error)) << special;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    EXPECT_FALSE(readWholeFile(dir_ / "missing", 10, &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    // The size decides before reading; the head of a longer file is a prefix.
    const fs::path file = dir_ / "image.jpg";
    writePlain(file, std::string(100, 'x') + "tail");
    EXPECT_FALSE(readWholeFile(file, 103, &error));
    EXPECT_NE(error.find("larger than 103 bytes"), std::string::npos) << error;
    EXPECT_EQ(readFileStart(file, 100), std::string(100, 'x'));
    EXPECT_EQ(readFileStart(file, 1000), std::string(100, 'x') + "tail");
}

TEST_F(AtomicFileTest, ReplacesContentAndKeepsMode) {
    const fs::path file = dir_ / "sheet.ini";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file, "first\r\n", &error)) << error;
    EXPECT_EQ(readWholeFile(file), "first\r\n");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(file), 0644 & ~mask);

    for (const mode_t mode : {mode_t{0600}, mode_t{0755}, mode_t{0640}}) {
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        ASSERT_TRUE(writeFileAtomically(file, "mode " + std::to_string(mode), &error)) << error;
        EXPECT_EQ(readWholeFile(file), "mode " + std::to_string(mode));
        EXPECT_EQ(modeOf(file), mode);
    }
    ASSERT_TRUE(writeFileAtomically(file, ""));
    EXPECT_EQ(readWholeFile(file), "");
    EXPECT_EQ(entryCount(), 1u) << "temporary file left behind";
}

TEST_F(AtomicFileTest, WritesThroughSymbolicLinks) {
    const fs::path target = dir_ / "real.ini";
    const fs::path link = dir_ / "link.ini";
    writePlain(target, "old");
    fs::create_symlink(target, link);
    ASSERT_TRUE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readWholeFile(target), "new");
}

TEST_F(AtomicFileTest, FailsCleanlyAndKeepsTheOriginal) {
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir_ / "no-such-folder" / "a.ini", "x", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(entryCount(), 0u);

    // The temporary file is created, then the rename over a folder fails.
    const fs::path folder = dir_ / "folder";
    fs::create_directory(folder);
    error.clear();
    EXPECT_FALSE(writeFileAtomically(folder, "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(entryCount(), 1u) << "temporary file left behind";

    EXPECT_FALSE(writeFileAtomically("", "x", &error));
    EXPECT_FALSE(writeFileAtomically(dir_ / "x" / "", "x"));  // no error sink is fine
}

TEST_F(AtomicFileTest, FailsInReadOnlyFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    const fs::path file = dir_ / "sheet.ini";
    writePlain(file, "original");
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    std::string error;
    EXPECT_FALSE(writeFileAtomically(file, "changed", &error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    EXPECT_EQ(readWholeFile(file), "original");
    EXPECT_EQ(entryCount(), 1u);
}

}  // namespace
}  // namespace velmora
