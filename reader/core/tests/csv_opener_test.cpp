#include "reader/core/csv_opener.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "reader/core/result_files.h"
#include "reader/core/tests/scripted_engine.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using testing::ScriptedEngine;
using testing::ScriptedPrompter;

const QString kOpenTitle = QStringLiteral("読取値CSVファイルを選択してください");
const QString kFolderTitle =
    QStringLiteral("スキャン画像ファイル(.jpg等)が存在するフォルダを選択してください。");

class CsvOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        inputs_.definitionPath = path("sheet.ini");
        writeBytes(inputs_.definitionPath, "[MARK]\r\nMARK0=0,0,10,10\r\n");
        csv_ = path("class1-読取値.csv");
        writeLines(csv_, {"列番号,1,2,*3", "正答入力,2,+,+", "配点入力,5,,", "s1.jpg,2,10,1 3",
                          "s2.jpg,-1,4,"});
    }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }
    static void writeBytes(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static void writeLines(const QString& file, const QStringList& lines) {
        QStringEncoder cp932("windows-31j");
        QByteArray bytes;
        for (const QString& line : lines) bytes += QByteArray(cp932.encode(line)) + "\r\n";
        writeBytes(file, bytes);
    }
    CsvOpenResult open() {
        BatchRun run(engine_, prompter_, prompter_, table_, settings_);
        return openReadValues(CsvOpenContext{run, prompter_, prompter_, table_, settings_},
                              inputs_);
    }
    QString cell(int row, int col) const { return table_.grid().text(row, col); }

    QTemporaryDir dir_;
    QString csv_;
    BatchInputs inputs_;
    ScriptedEngine engine_;
    ScriptedPrompter prompter_;
    ResultTable table_;
    AppSettings settings_;
};

TEST_F(CsvOpenerTest, DefinitionIsCheckedBeforeTheDialog) {
    const QString missing = path("none.ini");
    for (const QString& definition : {QStringLiteral(" "), missing}) {
        inputs_.definitionPath = definition;
        EXPECT_EQ(open().outcome, CsvOpenOutcome::Rejected);
    }
    EXPECT_EQ(prompter_.messageTexts(),
              (QStringList{"マーク情報ファイルを指定してください",
                           "マーク情報ファイルが存在しません：" + missing}));
    EXPECT_TRUE(prompter_.openFileTitles.isEmpty());
}

TEST_F(CsvOpenerTest, CancelledDialogOrForeignFileLeavesTheTableAlone) {
    table_.initMarks(inputs_.definitionPath);
    table_.storeSheet(1, "old.jpg", "1", "5.0", "1", 0, 0, false);
    EXPECT_EQ(open().outcome, CsvOpenOutcome::Cancelled);
    EXPECT_EQ(prompter_.openFileTitles, QStringList{kOpenTitle});
    EXPECT_EQ(prompter_.openFileFilters,
              QStringList{QStringLiteral("読取値CSVファイル (*.csv)|*.csv")});

    writeLines(path("other.csv"), {"番号,1,2", "a.jpg,1,2"});
    prompter_.openFiles = {path("other.csv"), path("missing.csv")};
    EXPECT_EQ(open().outcome, CsvOpenOutcome::NotLoaded);
    EXPECT_EQ(open().outcome, CsvOpenOutcome::NotLoaded);
    EXPECT_EQ(cell(3, 0), QStringLiteral("old.jpg"));
    EXPECT_TRUE(prompter_.messages.empty());
    EXPECT_TRUE(prompter_.folderTitles.isEmpty());
    EXPECT_TRUE(engine_.calls.isEmpty());
}

TEST_F(CsvOpenerTest, EmptyInputListPointsTheSheetListAtTheChosenFolder) {
    prompter_.openFiles.push_back(csv_);
    prompter_.folders.push_back(path("scans"));
    table_.setSaved(true);
    testing::TableAccess::offsetX(table_) = {0, 5};
    inputs_.inputList = QStringLiteral("   ");
    const CsvOpenResult r = open();
    EXPECT_EQ(r.outcome, CsvOpenOutcome::Loaded);
    EXPECT_EQ(r.sheetLines, 2);
    EXPECT_EQ(prompter_.folderTitles, QStringList{kFolderTitle});
    EXPECT_EQ(table_.sheetPaths(), (QStringList{path("scans/s1.jpg"), path("scans/s2.jpg")}));
    EXPECT_EQ(prompter_.statuses.last(), QStringLiteral("処理完了: 2件"));
    EXPECT_TRUE(prompter_.calls.contains("beep"));
    EXPECT_EQ(prompter_.running, std::vector<bool>{false});
    EXPECT_TRUE(table_.saved());                            // a load is not an edit
    EXPECT_EQ(table_.offsetX(), (std::vector<int>{0, 5}));  // nor a reading
    EXPECT_TRUE(engine_.calls.isEmpty());
    // Header, key, points and values as loaded; 10 shown as 0 (the option
    // is on now); placeholder measurements keep the values.
    EXPECT_EQ(cell(0, 3), QStringLiteral("*3"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("+"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("5"));
    EXPECT_EQ(cell(3, 2), QStringLiteral("0"));
    EXPECT_EQ(cell(3, 3), QStringLiteral("1 3"));
    EXPECT_EQ(cell(4, 0), QStringLiteral("s2.jpg"));
    EXPECT_EQ(table_.grid().colour(4, 1), PaletteColour::LightRed);  // "-1" after paintColor
}

TEST_F(CsvOpenerTest, CancelledFolderLeavesLabelsWithALeadingSeparator) {
    prompter_.openFiles.push_back(csv_);
    EXPECT_EQ(open().outcome, CsvOpenOutcome::Loaded);
    EXPECT_EQ(table_.sheetPaths(), (QStringList{"/s1.jpg", "/s2.jpg"}));
}

TEST_F(CsvOpenerTest, AnUnsavedTableIsReplacedOnlyAfterTheUserAgrees) {
    table_.initMarks(inputs_.definitionPath);
    table_.storeSheet(1, "old.jpg", "1", "5.0", "1", 0, 0, false);
    table_.setSaved(false);
    prompter_.openFiles = {csv_, csv_};
    prompter_.answers = {Prompter::Answer::No, Prompter::Answer::Yes};
    EXPECT_EQ(open().outcome, CsvOpenOutcome::Cancelled);
    EXPECT_EQ(cell(3, 0), QStringLiteral("old.jpg"));
    EXPECT_FALSE(table_.saved());
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].id, QuestionId::DiscardUnsaved);

    EXPECT_EQ(open().outcome, CsvOpenOutcome::Loaded);
    EXPECT_EQ(cell(3, 0), QStringLiteral("s1.jpg"));
    EXPECT_TRUE(table_.saved());  // the table is what the file holds
}

TEST_F(CsvOpenerTest, ListedImagesAreReadAgainWithTheAnswerKeyKept) {
    writeBytes(path("n1.jpg"), "x");
    inputs_.inputList = path("n1.jpg") + QStringLiteral("\r\n");
    engine_.sheets[path("n1.jpg")].result = "3,4,1";
    engine_.sheets[path("n1.jpg")].reliability = "5.0,5.0,5.0";
    engine_.sheets[path("n1.jpg")].markedCounts = "1,1,1";
    prompter_.openFiles.push_back(csv_);
    const CsvOpenResult r = open();
    ASSERT_EQ(r.outcome, CsvOpenOutcome::Reread);
    ASSERT_TRUE(r.run.has_value());
    EXPECT_EQ(r.run->outcome, BatchOutcome::Completed);
    EXPECT_TRUE(prompter_.folderTitles.isEmpty());
    EXPECT_EQ(table_.grid().rows(), 4);  // the file's sheet lines were replaced
    EXPECT_EQ(cell(1, 1), QStringLiteral("2"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("+"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("5"));
    EXPECT_EQ(cell(3, 0), QStringLiteral("n1.jpg"));
    EXPECT_EQ(cell(3, 1), QStringLiteral("3"));
    EXPECT_EQ(table_.sheetPaths(), QStringList{path("n1.jpg")});
    EXPECT_FALSE(table_.saved());
    EXPECT_EQ(prompter_.statuses.last(), QStringLiteral("処理完了: 1件"));
}

TEST_F(CsvOpenerTest, AKnownFileCanBeOpenedWithoutTheDialog) {
    BatchRun run(engine_, prompter_, prompter_, table_, settings_);
    const CsvOpenResult r = openReadValuesFile(
        CsvOpenContext{run, prompter_, prompter_, table_, settings_}, inputs_, csv_);
    EXPECT_EQ(r.outcome, CsvOpenOutcome::Loaded);
    EXPECT_EQ(r.path, csv_);
    EXPECT_TRUE(prompter_.openFileTitles.isEmpty());
    EXPECT_EQ(table_.sheetCount(), 2);
}

// A score file begins with "列番号" too; opened as read values its points
// would pass for answers. It is refused with a message saying what it is,
// before the unsaved table is questioned and before any image is read.
TEST_F(CsvOpenerTest, ScoreFileIsRefusedPlainOrTransposed) {
    table_.initMarks(inputs_.definitionPath);
    table_.storeSheet(1, "old.jpg", "1", "5.0", "1", 0, 0, false);
    table_.setSaved(false);
    const QString scores = path("class1-採点値.csv");
    const QString transposed = path("t.csv");
    writeLines(scores, {"列番号,1,2,合計点", "正答入力,2,", "配点入力,5,", "s1.jpg,5,3,5",
                        "設問番号,1,", "正答率,100.0,"});
    writeLines(transposed, {"列番号,正答入力,配点入力,s1.jpg,設問番号,正答率", "1,2,5,5,1,100.0",
                            "合計点,,,5,,"});
    inputs_.inputList = path("s1.jpg") + "\r\n";
    for (const QString& file : {scores, transposed}) {
        prompter_.messages.clear();
        BatchRun run(engine_, prompter_, prompter_, table_, settings_);
        const CsvOpenResult r = openReadValuesFile(
            CsvOpenContext{run, prompter_, prompter_, table_, settings_}, inputs_, file);
        EXPECT_EQ(r.outcome, CsvOpenOutcome::NotLoaded);
        ASSERT_EQ(prompter_.messages.size(), 1u);
        EXPECT_TRUE(prompter_.messages[0].text.contains(QStringLiteral("採点値")));
        EXPECT_TRUE(prompter_.messages[0].text.endsWith(file));
        EXPECT_EQ(prompter_.messages[0].icon, Prompter::Icon::Warning);
    }
    EXPECT_TRUE(prompter_.questions.empty());
    EXPECT_TRUE(engine_.calls.isEmpty());
    EXPECT_EQ(cell(3, 0), QStringLiteral("old.jpg"));

    // Read values whose last question is "*12", or whose sheet is labelled
    // like a score line, are still read values.
    writeLines(path("v.csv"), {"列番号,1,*12", "合計点,1,2 3", "正答率,1,2"});
    EXPECT_FALSE(isScoreFile(path("v.csv")));
    EXPECT_FALSE(isScoreFileLines({QStringLiteral("列番号,設問番号,合計点x")}));
    EXPECT_TRUE(isScoreFileLines({QStringLiteral("列番号,合計点")}));
}

}  // namespace
}  // namespace tarrow
