// The tool's answers to the reading application's questions.
#include "tools/velmora/headless_prompter.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(HeadlessPrompter, DialogsAnswerWhatTheCommandLineGave) {
    std::ostringstream err;
    HeadlessPrompter p(err);
    EXPECT_TRUE(p.chooseFolder("切り出し画像を出力するフォルダを選択してください。").isEmpty());
    EXPECT_TRUE(p.chooseSaveFile("csvファイル(*.csv)|*.csv", "csv").isEmpty());
    EXPECT_FALSE(p.inputText("最大選択肢数入力", "prompt", "10").has_value());
    EXPECT_TRUE(p.chooseOpenFile("t", "f").isEmpty());

    p.answerFolder("切り出し画像を出力するフォルダを選択してください。", "/crops");
    p.answerInput("最大選択肢数入力", "4");
    p.setSaveFile("/out/res.csv");
    EXPECT_EQ(p.chooseFolder("切り出し画像を出力するフォルダを選択してください。"), "/crops");
    EXPECT_TRUE(p.chooseFolder("出力先フォルダを選択してください。").isEmpty());
    EXPECT_EQ(p.inputText("最大選択肢数入力", "prompt", "10"), QString("4"));
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
