#include "common/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/temp_files.h"

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

// A pair of files replaced together: when the second cannot be written,
// the first keeps its old content too.
TEST_F(AtomicFileTest, FilesWrittenTogetherAreReplacedTogether) {
    const fs::path values = dir_ / "r-values.csv";
    const fs::path scores = dir_ / "r-scores.csv";
    writePlain(values, "old values");
    writePlain(scores, "old scores");
    std::string error;
    ASSERT_TRUE(writeFilesAtomically({{values, "new values"}, {scores, "new scores"}}, &error))
        << error;
    EXPECT_EQ(readWholeFile(values), "new values");
    EXPECT_EQ(readWholeFile(scores), "new scores");

    fs::remove(scores);
    fs::create_directory(scores);  // cannot be replaced
    std::size_t failed = 99;
    EXPECT_FALSE(writeFilesAtomically({{values, "newer"}, {scores, "newer"}}, &error, &failed));
    EXPECT_EQ(failed, 1u);
    EXPECT_NE(error.find("r-scores.csv"), std::string::npos) << error;
    EXPECT_EQ(readWholeFile(values), "new values");
    EXPECT_EQ(entryCount(), 2u) << "temporary file left behind";

    EXPECT_FALSE(
        writeFilesAtomically({{dir_ / "gone" / "a", "x"}, {values, "x"}}, &error, &failed));
    EXPECT_EQ(failed, 0u);
    EXPECT_EQ(readWholeFile(values), "new values");
}

TEST_F(AtomicFileTest, CopiesRegularFilesOnly) {
    const fs::path source = dir_ / "scan.jpg";
    writePlain(source, std::string(200000, 'j'));
    std::string error;
    ASSERT_TRUE(copyFileAtomically(source, dir_ / "copy.jpg", &error)) << error;
    EXPECT_EQ(readWholeFile(dir_ / "copy.jpg"), std::string(200000, 'j'));
    EXPECT_FALSE(copyFileAtomically(dir_ / "missing.jpg", dir_ / "copy.jpg", &error));
    EXPECT_FALSE(copyFileAtomically("/dev/zero", dir_ / "copy.jpg", &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_EQ(readWholeFile(dir_ / "copy.jpg"), std::string(200000, 'j'));
    EXPECT_EQ(entryCount(), 2u);
}

// Leftovers of a killed process: its temporary files of the same target,
// once they are over a minute old. Anything else stays.
TEST_F(AtomicFileTest, FirstWriteRemovesStaleTemporaryFilesOfItsTarget) {
    const auto age = [](const fs::path& path, int seconds) {
        const timespec times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    const std::vector<std::string> stale = {".sheet.ini.tmp.aB3xY9"};
    const std::vector<std::string> kept = {".sheet.ini.tmp.fresh1",  ".sheet.ini.tmp.too_ol",
                                           ".sheet.ini.tmp.abcdefg", ".other.ini.tmp.aB3xY9",
                                           "sheet.ini.tmp.aB3xY9",   ".sheet.ini.tmp.folder"};
    for (const auto& name : stale) writePlain(dir_ / name, "left");
    for (const auto& name : kept) {
        if (name.ends_with("folder")) {
            fs::create_directory(dir_ / name);
        } else {
            writePlain(dir_ / name, "keep");
        }
        if (name != ".sheet.ini.tmp.fresh1") age(dir_ / name, 3600);
    }
    age(dir_ / stale[0], kStaleTempSeconds + 5);
    ASSERT_TRUE(writeFileAtomically(dir_ / "sheet.ini", "[MARK]\r\n"));
    for (const auto& name : stale) EXPECT_FALSE(fs::exists(dir_ / name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(dir_ / name)) << name;
}

// An interrupt while a temporary file is being written removes it, and the
// process still ends by that signal.
TEST_F(AtomicFileTest, InterruptRemovesTheListedTemporaryFile) {
    for (const int signal : {SIGINT, SIGTERM}) {
        const fs::path temp = dir_ / (".out.csv.tmp.sig" + std::to_string(signal));
        const fs::path other = dir_ / "unlisted";
        writePlain(temp, "half");
        writePlain(other, "stays");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            installTempFileCleanup();
            { detail::TempFileListing gone(dir_ / "already-unlisted"); }
            detail::TempFileListing listing(temp);
            (void)!::write(ready[1], listing.listed() ? "y" : "n", 1);
            for (;;) ::pause();
        }
        char answer = 0;
        ASSERT_EQ(::read(ready[0], &answer, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_EQ(answer, 'y');
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(fs::exists(temp));
        EXPECT_EQ(readWholeFile(other), "stays");
    }
}

}  // namespace
}  // namespace velmora
