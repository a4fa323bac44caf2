// `velmora propose`: the bundled sample gives a definition that holds its
// questions; a page without print writes nothing; an existing definition is
// kept unless --overwrite; usage errors.
#include "tools/velmora/propose_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "common/atomic_file.h"
#include "editor/core/definition_file.h"
#include "engine/image/jpeg_writer.h"
#include "tools/velmora/exit_codes.h"
#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

using testing::TempDir;

const std::string kSample = std::string(VELMORA_SOURCE_DIR) + "/samples/images/sheet001.jpg";

struct ProposeRun {
    int status = -1;
    std::string out, err;
};

ProposeRun propose(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    ProposeRun r;
    r.status = runProposeCommand(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

TEST(ProposeCommand, SampleSheetGivesADefinitionOfItsThirtyQuestions) {
    TempDir tmp;
    const std::string def = tmp.file("draft.ini");
    const ProposeRun r = propose({"-o", def, kSample});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.err, "ゼロマーク 3, 設問 30 × 5\n");
    EXPECT_EQ(r.out, def + "\n");
    const auto bytes = readWholeFile(def);
    ASSERT_TRUE(bytes);
    const auto parsed = dravel::parseDefinition(*bytes).definition;
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->questionCount, 30);
    EXPECT_EQ(parsed->content.marks.size(), 150u);
    EXPECT_NEAR(parsed->content.zeroMarks[0].x, 180, 2);
    EXPECT_NEAR(parsed->content.zeroMarks[0].y, 2159, 2);
    EXPECT_EQ(parsed->content.dpiX, 200);
    // A second run keeps the first file unless told to replace it.
    const ProposeRun again = propose({"-o", def, kSample});
    EXPECT_EQ(again.status, kExitUsage);
    EXPECT_NE(again.err.find("--overwrite"), std::string::npos);
    EXPECT_EQ(propose({"-o", def, "--overwrite", kSample}).status, kExitOk);
}

TEST(ProposeCommand, BlankPageWritesNothing) {
    TempDir tmp;
    std::vector<std::uint8_t> white(300 * 400 * 3, 255);
    const std::string image = tmp.file("blank.jpg");
    ASSERT_TRUE(strovik::saveJpeg(image, {white.data(), 300, 400, 3, false}, 90));
    const ProposeRun r = propose({"-o", tmp.file("d.ini"), image});
    EXPECT_EQ(r.status, kExitImageFailed);
    EXPECT_NE(r.err.find("ゼロマーク 0, 設問 0 × 0"), std::string::npos);
    EXPECT_NE(r.err.find("velmora: ゼロマークが見つかりません: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("d.ini")));
}

TEST(ProposeCommand, UsageErrors) {
    TempDir tmp;
    EXPECT_EQ(propose({kSample}).status, kExitUsage);
    EXPECT_EQ(propose({"-o", tmp.file("d.ini")}).status, kExitUsage);
    EXPECT_EQ(propose({"-o", tmp.file("d.ini"), kSample, kSample}).status, kExitUsage);
    const ProposeRun missing = propose({"-o", tmp.file("d.ini"), tmp.file("none.jpg")});
    EXPECT_EQ(missing.status, kExitUsage);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("d.ini")));
    const ProposeRun help = propose({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("velmora propose"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
