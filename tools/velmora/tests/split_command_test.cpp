// `velmora split`: a multi-page TIFF gives one file per page, printed in
// page order; bad usage and inputs that cannot be split give status 2.
#include "tools/velmora/split_command.h"

#include <gtest/gtest.h>

#include <QString>
#include <sstream>

#include "reader/core/tests/tiff_stack.h"
#include "tools/velmora/exit_codes.h"
#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

using testing::TempDir;

struct SplitRun {
    int status = -1;
    std::string out;
    std::string err;
};

SplitRun split(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    SplitRun run;
    // No bundled programs: pdfimages would come from PATH.
    run.status = runSplitCommand(args, out, err, std::string());
    run.out = out.str();
    run.err = err.str();
    return run;
}

TEST(SplitCommand, MultiPageTiffGivesOneFilePerPageInOrder) {
    TempDir dir;
    const std::string stack = dir.file("stack.tif");
    const std::string single = dir.file("one.tif");
    ASSERT_TRUE(tarrow::testing::writeTiffStack(QString::fromStdString(stack), 3));
    ASSERT_TRUE(tarrow::testing::writeTiffStack(QString::fromStdString(single), 1));
    std::filesystem::create_directory(dir.file("out"));

    const SplitRun run = split({stack, single, "-o", dir.file("out")});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out, dir.file("out/stack-000.tif") + "\n" + dir.file("out/stack-001.tif") + "\n" +
                           dir.file("out/stack-002.tif") + "\n" + dir.file("out/one-000.tif") +
                           "\n");
    EXPECT_EQ(run.err, "");
    for (int page = 0; page < 3; ++page) {
        const tarrow::testing::ReadPage read = tarrow::testing::readTiffPage(
            QString::fromStdString(dir.file("out/stack-00" + std::to_string(page) + ".tif")));
        EXPECT_EQ(read.pixels, tarrow::testing::stackPagePixels(page, 24, 17)) << page;
    }
}

TEST(SplitCommand, BadUsageAndUnsplittableInputsGiveStatusTwo) {
    TempDir dir;
    const std::string stack = dir.file("stack.tif");
    ASSERT_TRUE(tarrow::testing::writeTiffStack(QString::fromStdString(stack), 2));
    testing::writeFile(dir.file("broken.tif"), "not a tiff");

    EXPECT_EQ(split({stack}).err, "velmora: missing -o DIR\n");
    EXPECT_EQ(split({"-o", dir.path()}).err, "velmora: missing FILE\n");
    EXPECT_EQ(split({stack, "-o", dir.file("nowhere")}).err,
              "velmora: output folder does not exist: " + dir.file("nowhere") + "\n");
    const SplitRun missing = split({dir.file("gone.pdf"), "-o", dir.path()});
    EXPECT_EQ(missing.status, kExitUsage);
    EXPECT_EQ(missing.err, "velmora: no such file: " + dir.file("gone.pdf") + "\n");

    // Pages of the files before a broken one are printed; the broken one
    // stops the command and is named.
    std::filesystem::create_directory(dir.file("out"));
    const SplitRun broken = split({stack, dir.file("broken.tif"), stack, "-o", dir.file("out")});
    EXPECT_EQ(broken.status, kExitUsage);
    EXPECT_EQ(broken.out,
              dir.file("out/stack-000.tif") + "\n" + dir.file("out/stack-001.tif") + "\n");
    EXPECT_NE(broken.err.find(dir.file("broken.tif")), std::string::npos) << broken.err;
}

}  // namespace
}  // namespace velmora::cli
