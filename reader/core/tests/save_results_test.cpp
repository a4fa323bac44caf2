#include "reader/core/save_results.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "reader/core/csv_text.h"
#include "reader/core/result_files.h"
#include "reader/core/tests/file_bytes.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;

const QString kExists = QStringLiteral("は既に存在します。上書きしますか？");

using testing::fileBytes;
using testing::putBytes;

class SaveResultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        table_.initMarks(QString());
        table_.storeSheet(1, "a.jpg", "1,2", "9.5,9.5", "1,1", 0, 0, false);
        table_.storeSheet(2, "b.jpg", "2,2", "9.5,9.5", "1,1", 0, 0, false);
        tarrow::testing::TableAccess::sheets(table_) << "/scans/a.jpg"
                                                     << "/scans/b.jpg";
        table_.setSaved(false);
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    ResultTable table_;
    ScriptedPrompter prompter_;
};

TEST_F(SaveResultsTest, CancelledDialogSavesNothing) {
    const SaveOutcome outcome = saveResults(table_, prompter_, false);
    EXPECT_EQ(outcome.status, SaveStatus::Cancelled);
    EXPECT_EQ(prompter_.calls, QStringList({"save: csvファイル(*.csv)|*.csv .csv"}));
    EXPECT_FALSE(table_.saved());
    EXPECT_TRUE(prompter_.messages.empty());
}

TEST_F(SaveResultsTest, SavesReadValuesThenScoresBesideTheChosenName) {
    prompter_.saveFiles = {path("class1.csv")};
    SaveOutcome outcome = saveResults(table_, prompter_, false);
    EXPECT_EQ(outcome.status, SaveStatus::Saved);
    EXPECT_EQ(outcome.readValuesFile, path("class1-読取値.csv"));
    EXPECT_TRUE(outcome.scoreFile.isEmpty());  // nothing scored
    EXPECT_FALSE(QFile::exists(path("class1-採点値.csv")));
    EXPECT_TRUE(table_.saved());
    EXPECT_EQ(table_.destinationBase(), QStringLiteral("class1"));
    EXPECT_TRUE(prompter_.questions.empty());
    EXPECT_EQ(fileBytes(outcome.readValuesFile),
              encodeLines({"列番号,1,2", "正答入力,,", "配点入力,,", "a.jpg,1,2", "b.jpg,2,2"}));

    table_.setText(1, 1, "1");
    table_.setSaved(false);
    prompter_.saveFiles = {path("class2.v1.csv")};
    outcome = saveResults(table_, prompter_, true);
    EXPECT_EQ(outcome.status, SaveStatus::Saved);
    EXPECT_EQ(outcome.scoreFile, path("class2.v1-採点値.csv"));
    EXPECT_TRUE(fileBytes(outcome.readValuesFile)
                    .startsWith(encodeCp932("列番号,正答入力,配点入力,a.jpg,b.jpg\r\n")));
    EXPECT_TRUE(
        fileBytes(outcome.scoreFile)
            .startsWith(encodeCp932("列番号,正答入力,配点入力,a.jpg,b.jpg,設問番号,正答率\r\n")));
}

// Declining must not be followed by a question about the score file alone:
// one question names both files, and "No" keeps both.
TEST_F(SaveResultsTest, AsksOnceForThePairAndKeepsBothWhenDeclined) {
    const QString values = path("c-読取値.csv");
    const QString scores = path("c-採点値.csv");
    putBytes(values, "old values\r\n");
    putBytes(scores, "old scores\r\n");
    table_.setText(1, 1, "1");
    prompter_.saveFiles = {path("c.csv")};
    prompter_.answers = {Prompter::Answer::No, Prompter::Answer::Yes};
    EXPECT_EQ(saveResults(table_, prompter_, false).status, SaveStatus::Cancelled);
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].text, values + "\r\n" + scores + "\r\n" + kExists);
    EXPECT_EQ(prompter_.questions[0].id, QuestionId::ReplaceOutputFile);
    EXPECT_EQ(fileBytes(values), QByteArray("old values\r\n"));
    EXPECT_EQ(fileBytes(scores), QByteArray("old scores\r\n"));
    EXPECT_FALSE(table_.saved());

    prompter_.questions.clear();
    prompter_.saveFiles = {path("c.csv")};
    prompter_.answers = {Prompter::Answer::Yes};
    EXPECT_EQ(saveResults(table_, prompter_, false).status, SaveStatus::Saved);
    EXPECT_EQ(prompter_.questions.size(), 1u);
    EXPECT_NE(fileBytes(values), QByteArray("old values\r\n"));
    EXPECT_NE(fileBytes(scores), QByteArray("old scores\r\n"));
}

// Only the score file exists: declining it writes no read-values file either.
TEST_F(SaveResultsTest, ExistingScoreFileAloneIsAskedAndDecliningWritesNeither) {
    const QString values = path("d-読取値.csv");
    const QString scores = path("d-採点値.csv");
    putBytes(scores, "old scores\r\n");
    table_.setText(1, 1, "1");
    prompter_.saveFiles = {path("d.csv")};
    prompter_.answers = {Prompter::Answer::No};
    EXPECT_EQ(saveResults(table_, prompter_, false).status, SaveStatus::Cancelled);
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].text, scores + "\r\n" + kExists);
    EXPECT_FALSE(QFileInfo::exists(values));
    EXPECT_EQ(fileBytes(scores), QByteArray("old scores\r\n"));

    // Neither exists: nothing is asked.
    prompter_.questions.clear();
    prompter_.saveFiles = {path("e.csv")};
    EXPECT_EQ(saveResults(table_, prompter_, false).status, SaveStatus::Saved);
    EXPECT_TRUE(prompter_.questions.empty());
}

TEST_F(SaveResultsTest, UnwritableFolderFailsSilentlyAndStaysUnsaved) {
    prompter_.saveFiles = {path("gone/x.csv")};
    const SaveOutcome outcome = saveResults(table_, prompter_, false);
    EXPECT_EQ(outcome.status, SaveStatus::Failed);
    EXPECT_FALSE(outcome.error.isEmpty());
    EXPECT_TRUE(prompter_.messages.empty());
    EXPECT_FALSE(table_.saved());
}

// The score file failing (here: a folder in its place) must not leave the
// new read-values file beside the old score file.
TEST_F(SaveResultsTest, ValuesAndScoresAreReplacedTogetherOrNotAtAll) {
    table_.setText(1, 1, "1");
    const QString values = path("c-読取値.csv");
    putBytes(values, "old values\r\n");
    ASSERT_TRUE(QDir(dir_.path()).mkdir("c-採点値.csv"));
    const SaveOutcome outcome = writeResultFiles(table_, SaveTarget{dir_.path(), "c"}, false);
    EXPECT_EQ(outcome.status, SaveStatus::Failed);
    EXPECT_TRUE(outcome.error.startsWith(path("c-採点値.csv") + ": "))
        << outcome.error.toStdString();
    EXPECT_EQ(fileBytes(values), QByteArray("old values\r\n"));
    EXPECT_FALSE(table_.saved());
    EXPECT_EQ(
        QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
        2);  // no temporary file left
}

TEST_F(SaveResultsTest, CloseGuardAsksOnlyWhenUnsaved) {
    prompter_.answers = {Prompter::Answer::No, Prompter::Answer::Yes};
    EXPECT_FALSE(mayDiscard(table_, prompter_));
    EXPECT_TRUE(mayDiscard(table_, prompter_));
    ASSERT_EQ(prompter_.questions.size(), 2u);
    EXPECT_EQ(prompter_.questions[0].text,
              QStringLiteral("読取値が保存されていません。本当に閉じてもよろしいですか？"));
    table_.setSaved(true);
    EXPECT_TRUE(mayDiscard(table_, prompter_));
    EXPECT_EQ(prompter_.questions.size(), 2u);
}

TEST_F(SaveResultsTest, AnswersByChoiceAsksForTheLargestChoiceThenTheName) {
    prompter_.inputs = {std::nullopt};
    EXPECT_EQ(saveAnswersByChoice(table_, prompter_, false).status, SaveStatus::Cancelled);
    EXPECT_EQ(prompter_.calls.last(),
              QStringLiteral("input: 最大選択肢数入力 / "
                             "１問あたりの最大選択肢数を半角数字で入力してください。 [10]"));
    prompter_.inputs = {QStringLiteral("abc")};
    EXPECT_EQ(saveAnswersByChoice(table_, prompter_, false).status, SaveStatus::Cancelled);

    const QString file = path("k-回答別.csv");
    putBytes(file, "old\r\n");
    prompter_.inputs = {QStringLiteral("2")};
    prompter_.saveFiles = {path("k.csv")};
    prompter_.answers = {Prompter::Answer::Yes};
    const SaveOutcome outcome = saveAnswersByChoice(table_, prompter_, false);
    EXPECT_EQ(outcome.status, SaveStatus::Saved);
    EXPECT_EQ(outcome.answersFile, file);
    EXPECT_EQ(prompter_.questions.back().text, file + "\r\n" + kExists);
    EXPECT_EQ(fileBytes(file),
              encodeLines({"列番号,1,2", "回答,,", " 1 , 1 , 0 ", " 2 , 1 , 2 ", "-1, 0 , 0 "}));
}

}  // namespace
}  // namespace tarrow
