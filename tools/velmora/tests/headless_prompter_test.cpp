// The tool's answers to the reading application's questions.
#include "tools/velmora/headless_prompter.h"

#include <gtest/gtest.h>

#include <sstream>

#include "reader/core/file_name_bytes.h"

namespace velmora::cli {
namespace {

using Icon = tarrow::Prompter::Icon;
using Answer = tarrow::Prompter::Answer;

TEST(HeadlessPrompter, GoesOnAndOverwritesWithoutPrinting) {
    std::ostringstream err;
    HeadlessPrompter p(err);
    EXPECT_EQ(p.question(tarrow::QuestionId::SkipReadErrors,
                         "読取エラーが発生しました：a.jpg\r\n\r\nエラーを全てスキップ"),
              Answer::Yes);
    EXPECT_EQ(p.question(tarrow::QuestionId::ReplaceOutputFile,
                         "x.csv\r\nは既に存在します。上書きしますか？"),
              Answer::Yes);
    EXPECT_EQ(p.questions().size(), 2);
    EXPECT_TRUE(err.str().empty());
}

TEST(HeadlessPrompter, MessagesBecomeOneLineOnStderr) {
    std::ostringstream err;
    HeadlessPrompter p(err);
    p.message("解像度が異なります。\r\n\r\nA=200dpi  B=300dpi", Icon::Warning);
    p.message("二行目\nあり", Icon::Information);
    EXPECT_EQ(err.str(),
              "velmora: 解像度が異なります。  A=200dpi  B=300dpi\n"
              "velmora: 二行目 あり\n");
    ASSERT_EQ(p.messages().size(), 2);
    EXPECT_EQ(p.messages().front(), "解像度が異なります。\r\n\r\nA=200dpi  B=300dpi");
}

// A refused name that is not UTF-8 is printed with its own bytes, and the
// crops-into-scans warning is printed though the command goes on.
TEST(HeadlessPrompter, RawNamesAndTheCropWarningAreShown) {
    std::ostringstream err;
    HeadlessPrompter p(err);
    p.message(QStringLiteral("x：") + tarrow::pathFromBytes("/s/\xFF.jpg"), Icon::Warning);
    EXPECT_EQ(err.str(), "velmora: x：/s/\xFF.jpg\n");
    err.str("");
    EXPECT_EQ(p.question(tarrow::QuestionId::CropsIntoScans, "same folder"), Answer::Yes);
    EXPECT_EQ(err.str(), "velmora: same folder\n");
}

TEST(HeadlessPrompter, DialogsAnswerWhatTheCommandLineGaveByTheirIds) {
    using tarrow::FolderId;
    using tarrow::InputId;
    std::ostringstream err;
    HeadlessPrompter p(err);
    EXPECT_TRUE(p.chooseFolder(FolderId::CropFolder, "crop folder").isEmpty());
    EXPECT_TRUE(p.chooseSaveFile("csvファイル(*.csv)|*.csv", "csv").isEmpty());
    EXPECT_FALSE(p.inputText(InputId::MaxChoices, "max", "prompt", "10").has_value());
    EXPECT_TRUE(p.chooseOpenFile("t", "f").isEmpty());

    p.answerFolder(FolderId::CropFolder, "/crops");
    p.answerInput(InputId::MaxChoices, "4");
    p.setSaveFile("/out/res.csv");
    // The title does not matter: a reworded dialog gets the same answer.
    EXPECT_EQ(p.chooseFolder(FolderId::CropFolder, "any title"), "/crops");
    EXPECT_TRUE(p.chooseFolder(FolderId::RenameTarget, "crop folder").isEmpty());
    EXPECT_EQ(p.inputText(InputId::MaxChoices, "other", "prompt", "10"), QString("4"));
    EXPECT_FALSE(p.inputText(InputId::CellValues, "max", "prompt", "10").has_value());
    EXPECT_EQ(p.chooseSaveFile("csvファイル(*.csv)|*.csv", "csv"), "/out/res.csv");
}

TEST(HeadlessPrompter, StatusLinesOnlyWhenVerbose) {
    std::ostringstream quiet;
    HeadlessPrompter q(quiet);
    q.setStatus("処理中(1/2)... a.jpg");
    EXPECT_TRUE(quiet.str().empty());

    std::ostringstream loud;
    HeadlessPrompter v(loud, true);
    v.setStatus("処理中(1/2)... a.jpg");
    v.setStatus("");
    EXPECT_EQ(loud.str(), "velmora: 処理中(1/2)... a.jpg\n");
}

}  // namespace
}  // namespace velmora::cli
