// The read command over scripted engines: checks before reading, exit
// statuses, output order and the worker set-up.
#include "tools/velmora/read_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "reader/core/tests/tiff_stack.h"
#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using testing::CallLog;
using testing::EngineScript;
using testing::ScriptedEngine;
using testing::TempDir;
using testing::writeFile;
using Args = std::vector<std::string>;

class ReadCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tmp.path().empty());
        def = tmp.file("def.ini");
        writeFile(def, "[MARK]\r\n");
        fs::create_directory(tmp.file("imgs"));
        for (int i = 0; i < 12; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "s%02d.jpg", i);
            images.push_back(tmp.file("imgs/") + name);
            writeFile(images.back(), "x");
            script.delayMsByImage[images.back()] = (i * 7) % 5;  // uneven finishing order
        }
    }

    int run(const Args& args) {
        std::ostringstream o, e;
        const tarrow::EngineFactory factory = [this] {
            const int n = enginesMade++;
            return std::make_unique<ScriptedEngine>(script, log, "e" + std::to_string(n) + " ");
        };
        const int status = runReadCommand(args, o, e, factory);
        out = o.str();
        err = e.str();
        return status;
    }

    std::vector<std::string> outLines() const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    TempDir tmp;
    std::string def;
    std::vector<std::string> images;
    EngineScript script;
    CallLog log;
    std::atomic<int> enginesMade{0};
    std::string out, err;
};

TEST_F(ReadCommandTest, AllReadGivesStatusZeroAndOneLinePerImageInOrder) {
    EXPECT_EQ(run({"-d", def, tmp.file("imgs")}), 0) << err;
    const auto lines = outLines();
    ASSERT_EQ(lines.size(), images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_TRUE(lines[i].starts_with("{\"image\": \"" + images[i] + "\", \"status\": 0, "))
            << lines[i];
    }
    EXPECT_TRUE(err.empty());
    EXPECT_EQ(enginesMade, 1);
}

TEST_F(ReadCommandTest, FailedImageIsAStatusLineAndTheBatchGoesOn) {
    script.statusByImage[images[1]] = -2;
    script.statusByImage[images[2]] = -3;
    EXPECT_EQ(run({"-d", def, images[0], images[1], images[2], images[3]}), 1);
    const auto lines = outLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "{\"image\": \"" + images[1] + "\", \"status\": -2}");
    EXPECT_EQ(lines[2], "{\"image\": \"" + images[2] + "\", \"status\": -3}");
    EXPECT_NE(lines[3].find("\"status\": 0"), std::string::npos);
}

/// Workers the machine gives -j N (at most twice its processors).
int workersFor(int jobs) {
    return std::min(jobs, 2 * std::max(1, int(std::thread::hardware_concurrency())));
}

TEST_F(ReadCommandTest, WorkersGiveTheSameOutputAsOne) {
    script.statusByImage[images[5]] = -3;
    ASSERT_EQ(run({"-d", def, tmp.file("imgs")}), 1);
    const std::string single = out;
    enginesMade = 0;
    ASSERT_EQ(run({"-j", "4", "-d", def, tmp.file("imgs")}), 1);
    EXPECT_EQ(out, single);
    EXPECT_EQ(enginesMade, workersFor(4));
}

// Two large sheets that do not fit in memory side by side: each is read
// again alone, so -j 2 gives what -j 1 gives. An image that fails anyway
// stays failed (read twice); with one worker nothing is read twice.
TEST_F(ReadCommandTest, ASheetThatFailedBesideOthersIsReadAgainAlone) {
    script.failWhenCrowded = {images[0], images[1]};
    script.delayMsByImage[images[0]] = script.delayMsByImage[images[1]] = 80;
    script.statusByImage[images[7]] = -2;
    ASSERT_EQ(run({"-d", def, tmp.file("imgs")}), 1);
    const std::string single = out;
    EXPECT_NE(single.find("\"status\": -2"), std::string::npos);
    const auto runsOf = [&](const std::string& image) {
        return std::count_if(log.calls.begin(), log.calls.end(),
                             [&](const std::string& c) { return c.ends_with("run " + image); });
    };
    EXPECT_EQ(runsOf(images[7]), 1);

    log.calls.clear();
    script.crowdedMeet = true;
    ASSERT_EQ(run({"-j", "2", "-d", def, tmp.file("imgs")}), 1);
    EXPECT_EQ(out, single);
    EXPECT_EQ(runsOf(images[0]) + runsOf(images[1]), 4);  // both crowded at first
    // A sheet that fails on its own is read again at most once, whether or
    // not another happened to be read beside it.
    EXPECT_LE(runsOf(images[7]), 2);
}

TEST_F(ReadCommandTest, JobsBeyondTwiceTheProcessorsAreCappedWithANote) {
    ASSERT_EQ(run({"-j", "256", "-d", def, tmp.file("imgs")}), 0);
    const int workers = workersFor(256);
    EXPECT_EQ(enginesMade, std::min<int>(workers, int(images.size())));
    EXPECT_EQ(err, "velmora: -j 256 is more than twice the " + std::to_string(workers / 2) +
                       " processors; reading with " + std::to_string(workers) + " workers\n");
}

TEST_F(ReadCommandTest, EveryWorkerReadsTheDefinitionBeforeAnyImageIsRun) {
    ASSERT_EQ(run({"-j", "3", "-d", def, tmp.file("imgs")}), 0);
    const auto& calls = log.calls;
    const auto firstRun = std::find_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.find(" run ") != std::string::npos;
    });
    ASSERT_NE(firstRun, calls.end());
    ASSERT_EQ(enginesMade, workersFor(3));
    for (int e = 0; e < enginesMade; ++e) {
        const std::string engine = "e" + std::to_string(e) + " ";
        const auto ini = std::find(calls.begin(), calls.end(), engine + "ini " + def);
        EXPECT_LT(ini - calls.begin(), firstRun - calls.begin()) << engine;
    }
    const auto runs = std::count_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.find(" run ") != std::string::npos;
    });
    EXPECT_EQ(runs, static_cast<long>(images.size()));
}

TEST_F(ReadCommandTest, NoMoreEnginesThanImages) {
    ASSERT_EQ(run({"-j", "8", "-d", def, images[0], images[1]}), 0);
    EXPECT_EQ(enginesMade, 2);
    EXPECT_EQ(outLines().size(), 2u);
}

TEST_F(ReadCommandTest, ProblemsFoundBeforeReadingGiveStatusTwo) {
    fs::create_directory(tmp.file("empty"));
    ASSERT_EQ(::mkfifo(tmp.file("fifo").c_str(), 0600), 0);
    writeFile(tmp.file("huge.ini"), "[MARK]\r\nMARK0=0,0,1,1\r\nMARK1=100000,0,1,1\r\n");
    struct Case {
        Args args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"-d", tmp.file("nope.ini"), images[0]},
         "velmora: cannot read definition file: " + tmp.file("nope.ini") + "\n"},
        {{"-d", tmp.path(), images[0]}, "velmora: definition is a folder: " + tmp.path() + "\n"},
        {{"-d", def, "--crops", tmp.file("c"), images[0]},
         "velmora: --crops folder does not exist: " + tmp.file("c") + "\n"},
        {{"-d", def, "--debug", def, images[0]},
         "velmora: --debug folder does not exist: " + def + "\n"},
        {{"-d", def, tmp.file("empty")}, "velmora: no images found in the given folders\n"},
        {{"-d", def, images[0], tmp.file("gone/")},
         "velmora: no such folder: " + tmp.file("gone/") + "\n"},
        {{"-d", def, "-j", "x", images[0]}, "velmora: bad value for -j: 'x' (expected 1 to 256)\n"},
        // Special files are refused instead of blocking or reading for ever.
        {{"-d", tmp.file("fifo"), images[0]},
         "velmora: definition is not a regular file: " + tmp.file("fifo") + "\n"},
        {{"-d", def, images[0], tmp.file("fifo")},
         "velmora: image is not a regular file: " + tmp.file("fifo") + "\n"},
        {{"-d", def, "/dev/zero"}, "velmora: image is not a regular file: /dev/zero\n"},
        {{"-d", tmp.file("huge.ini"), images[0]},
         "velmora: definition refused (MARK1 names question 100000, choice 0; the engine holds "
         "100000 questions of 100 choices): " +
             tmp.file("huge.ini") + "\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.args), 2) << c.message;
        EXPECT_EQ(err, c.message);
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(enginesMade, 0);
}

// A stack scanned into one TIFF would be read as its first page: refused
// before any engine is made, naming the file and the way to split it.
TEST_F(ReadCommandTest, MultiPageTiffIsRefusedBeforeReading) {
    ASSERT_TRUE(tarrow::testing::writeTiffStack(QString::fromStdString(tmp.file("stack.tif")), 3));
    ASSERT_TRUE(tarrow::testing::writeTiffStack(QString::fromStdString(tmp.file("one.tif")), 1));
    EXPECT_EQ(run({"-d", def, images[0], tmp.file("stack.tif")}), 2);
    EXPECT_EQ(err,
              "velmora: multi-page TIFF (3 pages) is not one sheet; split it first with "
              "'velmora split': " +
                  tmp.file("stack.tif") + "\n");
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(enginesMade, 0);
    EXPECT_EQ(run({"-d", def, tmp.file("one.tif")}), 0) << err;
}

TEST_F(ReadCommandTest, UnwritableOutputIsAnInternalError) {
    std::ostringstream o, e;
    o.setstate(std::ios::badbit);
    const tarrow::EngineFactory factory = [this] {
        return std::make_unique<ScriptedEngine>(script, log);
    };
    EXPECT_EQ(runReadCommand({"-d", def, images[0]}, o, e, factory), 3);
    EXPECT_EQ(e.str(), "velmora: cannot write the results\n");
}

TEST_F(ReadCommandTest, MissingImageFileIsReadAsGiven) {
    script.statusByImage[tmp.file("missing.jpg")] = -2;
    EXPECT_EQ(run({"-d", def, tmp.file("missing.jpg"), images[0]}), 1);
    const auto lines = outLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "{\"image\": \"" + tmp.file("missing.jpg") + "\", \"status\": -2}");
}

}  // namespace
}  // namespace velmora::cli
