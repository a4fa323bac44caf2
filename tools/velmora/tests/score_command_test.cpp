// `velmora score` given a score file instead of read values: refused with a
// message saying what the file is, and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tools/velmora/exit_codes.h"
#include "tools/velmora/result_commands.h"
#include "tools/velmora/tests/batch_test_support.h"

namespace velmora::cli {
namespace {

TEST(ScoreCommand, AScoreFileIsRefusedAsReadValues) {
    testing::TempDir tmp;
    const std::string scores = tmp.file("class1-採点値.csv");
    testing::writeCp932(scores, QStringLiteral("列番号,1,2,合計点\r\n正答入力,1,\r\n配点入力,1,\r\n"
                                               "a.jpg,1,3,1\r\n設問番号,1,\r\n正答率,100.0,\r\n"));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runScoreCommand({scores, "-o", tmp.file("again.csv")}, out, err), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("採点値CSVファイル"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find(scores), std::string::npos) << err.str();
    EXPECT_EQ(err.str().find("not a read-values file"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(tmp.file("again-読取値.csv")));
}

}  // namespace
}  // namespace velmora::cli
