#include "reader/core/batch_rename.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "reader/core/csv_text.h"
#include "reader/core/tests/file_bytes.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;

const QString kFailed = QStringLiteral(
    "エラーが発生しました。「読取値の列番号」を正しく指定してください。処理を中止します。");

using testing::fileBytes;
using testing::putBytes;

class BatchRenameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(dir_.path()).mkpath("scans"));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("out"));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("data"));
        table_.initMarks(QString());
    }
    /// Adds a sheet whose image file exists with distinct bytes.
    void addSheet(const QString& label, const QString& values) {
        const int s = table_.sheetCount() + 1;
        const qsizetype n = values.count(QLatin1Char(',')) + 1;
        table_.storeSheet(s, label, values, QStringList(n, "9").join(','),
                          QStringList(n, "1").join(','), 0, 0, false);
        const QString image = scans() + label;
        putBytes(image, "image " + label.toUtf8());
        tarrow::testing::TableAccess::sheets(table_) << image;
    }
    QString scans() const { return dir_.filePath("scans/"); }
    QString out() const { return dir_.filePath("out"); }
    QString logPath() const { return dir_.filePath("data/log.txt"); }
    RenameRequest request(const QString& pattern, const QString& prefix = {},
                          const QString& postfix = {}) const {
        return RenameRequest{prefix, pattern, postfix, dir_.filePath("data"), {}};
    }

    QTemporaryDir dir_;
    ResultTable table_;
    ScriptedPrompter prompter_;
};

TEST(RenameTokens, SplitAtCommasThenTabsThenBlanksAfterNormalising) {
    EXPECT_EQ(renameTokens("1,2,--,0"), QStringList({"1", "2", "--", "0"}));
    EXPECT_EQ(renameTokens(QStringLiteral("１、２，３")), QStringList({"1", "2", "3"}));
    EXPECT_EQ(renameTokens("1\t2"), QStringList({"1", "2"}));
    EXPECT_EQ(renameTokens("1 2"), QStringList({"1", "2"}));
    EXPECT_EQ(renameTokens("1, 2"), QStringList({"1", " 2"}));
    EXPECT_EQ(renameTokens(QStringLiteral("ｶﾅ")), QStringList({QStringLiteral("ｶﾅ")}));
}

TEST_F(BatchRenameTest, CopiesUnderThePatternLogsAndReports) {
    addSheet("scan01.jpg", "3,7");
    addSheet("scan02.jpg", "1,-1");
    QString opened;
    RenameRequest req = request("1,2,--,0", "A", "_x");
    req.openLog = [&](const QString& log) { opened = log; };
    prompter_.folders = {out()};
    const RenameSummary summary = runBatchRename(table_, prompter_, req);
    EXPECT_TRUE(summary.completed);
    EXPECT_EQ(summary.copied, 2);
    const QString first = out() + "/A37--scan01_x.jpg";
    const QString second = out() + "/A1-1--scan02_x.jpg";
    EXPECT_EQ(fileBytes(first), QByteArray("image scan01.jpg"));
    EXPECT_EQ(fileBytes(second), QByteArray("image scan02.jpg"));
    EXPECT_EQ(fileBytes(scans() + "scan01.jpg"), QByteArray("image scan01.jpg"));
    EXPECT_EQ(summary.logPath, logPath());
    EXPECT_EQ(opened, logPath());
    EXPECT_EQ(fileBytes(logPath()), encodeLines({scans() + "scan01.jpg -> " + first,
                                                 scans() + "scan02.jpg -> " + second}));
    EXPECT_EQ(prompter_.folderTitles, QStringList({"出力先フォルダを選択してください。"}));
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].text,
              QStringLiteral("一括変換処理を完了しました。2個の画像ファイルを保存しました。"));
    EXPECT_EQ(prompter_.messages[0].icon, Prompter::Icon::Information);
    EXPECT_EQ(QDir(out()).entryList(QDir::Files).size(), 2);  // no temporary copies left
}

TEST_F(BatchRenameTest, NamesDropLowerCaseJpgAndReplaceUnsafeCharacters) {
    addSheet("scan01.JPG", "3");
    addSheet("scan02.jpg", "a/b");
    QString name;
    ASSERT_TRUE(renamedFileName(table_, 3, {"0"}, {}, {}, &name));
    EXPECT_EQ(name, QStringLiteral("scan01.JPG.jpg"));
    ASSERT_TRUE(renamedFileName(table_, 4, {" 0 "}, {}, {}, &name));
    EXPECT_EQ(name, QStringLiteral("scan02.jpg"));
    ASSERT_TRUE(renamedFileName(table_, 4, {"1", "x:y"}, "\"*>", "\\':</?|", &name));
    EXPECT_EQ(name, QStringLiteral("___a_bx_y_______.jpg"));
    EXPECT_FALSE(renamedFileName(table_, 4, {"99"}, {}, {}, &name));
    EXPECT_FALSE(renamedFileName(table_, 4, {"-1"}, {}, {}, &name));
}

// Columns 2..5 are a student-number run: its last column names the
// student; other columns keep their own cell.
TEST_F(BatchRenameTest, NumberRunsLastColumnGivesTheWholeNumber) {
    addSheet("s1.jpg", "3,0,4,2,10,1");
    addSheet("s2.jpg", "3,0,-1,2,7,1");
    addSheet("s3.jpg", "2,,,,0817,1");  // as loaded from a read-values file
    for (int c = 2; c <= 5; ++c) table_.setText(ResultTable::kKeyRow, c, "+");
    QString name;
    ASSERT_TRUE(renamedFileName(table_, 3, {"5", "-", "1"}, {}, {}, &name));
    EXPECT_EQ(name, QStringLiteral("0420-3.jpg"));
    ASSERT_TRUE(renamedFileName(table_, 3, {"4"}, {}, {}, &name));
    EXPECT_EQ(name, QStringLiteral("2.jpg"));
    // No number (a blank digit): the cell as it stands.
    ASSERT_TRUE(renamedFileName(table_, 4, {"5"}, {}, {}, &name));
    EXPECT_EQ(name, QStringLiteral("7.jpg"));
    ASSERT_TRUE(renamedFileName(table_, 5, {"5"}, {}, {}, &name));
    EXPECT_EQ(name, QStringLiteral("0817.jpg"));
    // Three markers are no number run.
    table_.setText(ResultTable::kKeyRow, 2, QString());
    ASSERT_TRUE(renamedFileName(table_, 3, {"5"}, {}, {}, &name));
    EXPECT_EQ(name, QStringLiteral("10.jpg"));
}

TEST_F(BatchRenameTest, FullWidthPatternBehavesAsHalfWidth) {
    addSheet("s.jpg", "4,5");
    prompter_.folders = {out()};
    EXPECT_TRUE(runBatchRename(table_, prompter_, request(QStringLiteral("１、２"))).completed);
    EXPECT_TRUE(QFile::exists(out() + "/45.jpg"));
}

TEST_F(BatchRenameTest, SameNameAsksAndStopsOnNo) {
    addSheet("a.jpg", "1");
    addSheet("b.jpg", "1");
    prompter_.folders = {out()};
    prompter_.answers = {Prompter::Answer::No};
    const RenameSummary summary = runBatchRename(table_, prompter_, request("1"));
    EXPECT_FALSE(summary.completed);
    EXPECT_EQ(summary.copied, 1);
    const QString target = out() + "/1.jpg";
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].text,
              target + "\r\n" + QStringLiteral("は既に存在します。上書きしますか？"));
    EXPECT_EQ(prompter_.messageTexts(), QStringList({"処理を中止します。"}));
    EXPECT_EQ(fileBytes(target), QByteArray("image a.jpg"));
    EXPECT_EQ(fileBytes(logPath()), encodeLines({scans() + "a.jpg -> " + target}));

    prompter_ = ScriptedPrompter();
    prompter_.folders = {out()};
    prompter_.answers = {Prompter::Answer::Yes, Prompter::Answer::Yes};
    EXPECT_TRUE(runBatchRename(table_, prompter_, request("1")).completed);
    EXPECT_EQ(fileBytes(target), QByteArray("image b.jpg"));
}

TEST_F(BatchRenameTest, BadColumnStopsWithTheErrorAndAnOldLogIsGone) {
    addSheet("a.jpg", "1,2");
    putBytes(logPath(), "old log\r\n");
    prompter_.folders = {out()};
    const RenameSummary summary = runBatchRename(table_, prompter_, request("1,99"));
    EXPECT_FALSE(summary.completed);
    EXPECT_EQ(summary.copied, 0);
    EXPECT_TRUE(summary.logPath.isEmpty());
    EXPECT_EQ(prompter_.messageTexts(), QStringList({kFailed}));
    EXPECT_EQ(prompter_.messages[0].icon, Prompter::Icon::Warning);
    EXPECT_FALSE(QFile::exists(logPath()));
    EXPECT_TRUE(QDir(out()).entryList(QDir::Files).isEmpty());
}

TEST_F(BatchRenameTest, RefusalsBeforeAnyCopy) {
    addSheet("a.jpg", "1");
    EXPECT_FALSE(runBatchRename(table_, prompter_, request("")).completed);
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList({"列番号が指定されていません。処理を中止します。"}));
    EXPECT_TRUE(prompter_.folderTitles.isEmpty());

    prompter_ = ScriptedPrompter();
    prompter_.folders = {QString()};
    EXPECT_FALSE(runBatchRename(table_, prompter_, request("1")).completed);
    EXPECT_TRUE(prompter_.messages.empty());

    prompter_ = ScriptedPrompter();
    prompter_.folders = {dir_.filePath("vanished")};
    EXPECT_FALSE(runBatchRename(table_, prompter_, request("1")).completed);
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList({"出力先フォルダが存在しません。処理を中止します。"}));
}

TEST_F(BatchRenameTest, FailedCopyNamesItsCauseAndLeavesNothingBehind) {
    addSheet("a.jpg", "1");
    addSheet("b.jpg", "2");
    QFile::remove(scans() + "b.jpg");
    prompter_.folders = {out()};
    const RenameSummary summary = runBatchRename(table_, prompter_, request("1"));
    EXPECT_FALSE(summary.completed);
    EXPECT_EQ(summary.copied, 1);
    EXPECT_EQ(prompter_.messageTexts(), QStringList({"画像ファイルが存在しません：" + scans() +
                                                     "b.jpg\r\n処理を中止します。"}));
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList({"1.jpg"}));
    EXPECT_EQ(fileBytes(logPath()), encodeLines({scans() + "a.jpg -> " + out() + "/1.jpg"}));

    // A target that cannot be replaced (a folder of that name).
    putBytes(scans() + "b.jpg", "image b.jpg");
    ASSERT_TRUE(QDir(out()).mkdir("2.jpg"));
    prompter_ = ScriptedPrompter();
    prompter_.folders = {out()};
    prompter_.answers = {Prompter::Answer::Yes, Prompter::Answer::Yes};
    EXPECT_FALSE(runBatchRename(table_, prompter_, request("1")).completed);
    EXPECT_EQ(prompter_.messageTexts(), QStringList({"画像ファイルを保存できません：" + out() +
                                                     "/2.jpg\r\n処理を中止します。"}));
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList({"1.jpg"}));

    // Every copy made, but the log cannot be written.
    prompter_ = ScriptedPrompter();
    prompter_.folders = {out()};
    prompter_.answers = {Prompter::Answer::Yes};
    RenameRequest noLog = request("0");
    noLog.dataFolder = dir_.filePath("gone");
    EXPECT_FALSE(runBatchRename(table_, prompter_, noLog).completed);
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList({"ログファイルを書き込めません：" + dir_.filePath("gone/log.txt") +
                           "\r\n処理を中止します。"}));
    EXPECT_EQ(fileBytes(out() + "/b.jpg"), QByteArray("image b.jpg"));
}

// Labels come from a read-values file: one that is not a plain file name
// would copy from outside the images folder.
TEST_F(BatchRenameTest, LabelsThatAreNoPlainFileNamesAreRefused) {
    putBytes(dir_.filePath("secret.jpg"), "outside");
    for (const QString& label :
         {QStringLiteral("../secret.jpg"), QStringLiteral(".."), QStringLiteral("."), QString(),
          QStringLiteral("sub/x.jpg"), QStringLiteral("..\\secret.jpg")}) {
        table_ = ResultTable();
        table_.initMarks(QString());
        table_.storeSheet(1, label, "1", "9", "1", 0, 0, false);
        tarrow::testing::TableAccess::sheets(table_) = QStringList{scans() + label};
        prompter_ = ScriptedPrompter();
        prompter_.folders = {out()};
        const RenameSummary summary = runBatchRename(table_, prompter_, request("0,1"));
        EXPECT_FALSE(summary.completed) << label.toStdString();
        EXPECT_EQ(prompter_.messageTexts(), QStringList({"ファイル名として使えない画像名です：" +
                                                         label + "\r\n処理を中止します。"}));
        EXPECT_TRUE(QDir(out()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }
}

}  // namespace
}  // namespace tarrow
