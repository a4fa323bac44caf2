#include "reader/core/batch_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>

#include "reader/core/csv_text.h"
#include "reader/core/file_name_bytes.h"
#include "reader/core/result_files.h"
#include "reader/core/tests/scripted_engine.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"
#include "reader/core/tests/tiff_stack.h"

namespace tarrow {
namespace {

using testing::ScriptedEngine;
using testing::ScriptedPrompter;
using SheetScript = ScriptedEngine::SheetScript;

const QString kCrLf = QStringLiteral("\r\n");

/// A temporary folder with a definition file and empty image files.
class BatchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        definition_ = path("sheet.ini");
        writeFile(definition_, "[MARK]\r\nMARK0=0,0,10,10\r\n");
    }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }
    static void writeFile(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    /// Creates the images and returns the input list (CR LF after each).
    QString images(const QStringList& names) {
        QString list;
        for (const QString& name : names) {
            writeFile(path(name), "x");
            list += path(name) + kCrLf;
        }
        return list;
    }
    BatchResult run(const QString& list, bool keepAnswerKey = false, bool debug = false) {
        BatchRun batch(engine_, prompter_, prompter_, table_, settings_);
        if (stopAtEvent_ > 0) {
            prompter_.onProcessEvents = [&batch, this](int call) {
                if (call == stopAtEvent_) batch.requestStop();
            };
        }
        return batch.run(BatchInputs{list, definition_, debug}, keepAnswerKey);
    }
    QString cell(int row, int col) const { return table_.grid().text(row, col); }
    QString reli(int row, int col) const { return table_.reli().text(row, col); }

    QTemporaryDir dir_;
    QString definition_;
    ScriptedEngine engine_;
    ScriptedPrompter prompter_;
    ResultTable table_;
    AppSettings settings_;
    int stopAtEvent_ = 0;
};

// ---- Checks before anything runs.

TEST_F(BatchRunTest, EmptyListOrDefinitionIsRejectedWithItsWarning) {
    EXPECT_EQ(run(QStringLiteral("   ")).outcome, BatchOutcome::Rejected);
    definition_ = QStringLiteral("  ");
    EXPECT_EQ(run(images({"a.jpg"})).outcome, BatchOutcome::Rejected);
    definition_ = path("missing.ini");
    EXPECT_EQ(run(images({"a.jpg"})).outcome, BatchOutcome::Rejected);
    definition_ = dir_.path();
    EXPECT_EQ(run(images({"a.jpg"})).outcome, BatchOutcome::Rejected);
    definition_ = path("fifo.ini");  // the engine would wait on it for ever
    ASSERT_EQ(::mkfifo(QFile::encodeName(definition_).constData(), 0600), 0);
    EXPECT_EQ(run(images({"a.jpg"})).outcome, BatchOutcome::Rejected);

    const QStringList expected = {
        QStringLiteral("スキャン画像ファイルを指定してください"),
        QStringLiteral("マーク情報ファイルを指定してください"),
        QStringLiteral("マーク情報ファイルが存在しません：") + path("missing.ini"),
        QStringLiteral("マーク情報ファイルが存在しません：") + dir_.path(),
        QStringLiteral("マーク情報ファイルが通常のファイルではありません：") + path("fifo.ini"),
    };
    EXPECT_EQ(prompter_.messageTexts(), expected);
    for (const auto& m : prompter_.messages) EXPECT_EQ(m.icon, Prompter::Icon::Warning);
    EXPECT_TRUE(engine_.calls.isEmpty());
    EXPECT_TRUE(prompter_.running.empty());
}

TEST_F(BatchRunTest, FirstOffendingEntryIsNamedBeforeAnyEngineCall) {
    QDir(dir_.path()).mkdir("sub");
    QDir(dir_.path()).mkdir("sub,dir");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.jpg")).constData(), 0600), 0);
    const QString good = images({"a.jpg"});
    struct Case {
        QString list;
        QString warning;
    };
    const std::vector<Case> cases = {
        {good + path("sub") + kCrLf + path("nothere.jpg"),
         QStringLiteral("フォルダ名は指定できません：") + path("sub")},
        {good + path("nothere.jpg") + kCrLf + path("sub"),
         QStringLiteral("入力ファイルが存在しません：") + path("nothere.jpg")},
        {good + images({"scan.PDF"}),
         QStringLiteral("PDFファイルは「PDF→JPG」ボタンを押してJPEG画像に変換してから入力して"
                        "ください： ") +
             path("scan.PDF")},
        {good + path("fifo.jpg") + kCrLf + images({"b.jpg"}),
         QStringLiteral("入力ファイルが通常のファイルではありません：") + path("fifo.jpg")},
        // Names the unquoted read-values file cannot hold; a comma in the
        // folder is harmless (only the label is written).
        {images({"a.jpg", "sub,dir/x.jpg", "b,c.jpg"}),
         QStringLiteral("カンマや改行を含む画像ファイル名は読取値CSVファイルに保存できないため読み"
                        "取れません：") +
             path("b,c.jpg")},
        {images({"line\nbreak.jpg"}),
         QStringLiteral("カンマや改行を含む画像ファイル名は読取値CSVファイルに保存できないため読み"
                        "取れません：") +
             path("line\nbreak.jpg")},
        {images({"doc.pdf"}),
         QStringLiteral("PDFファイルは「PDF→JPG」ボタンを押してJPEG画像に変換してから入力して"
                        "ください： ") +
             path("doc.pdf")},
    };
    for (const Case& c : cases) {
        prompter_ = ScriptedPrompter();
        EXPECT_EQ(run(c.list).outcome, BatchOutcome::Rejected);
        EXPECT_EQ(prompter_.messageTexts(), QStringList{c.warning});
        // Only the two labels were cleared.
        EXPECT_EQ(prompter_.dpiLabels, QStringList{QString()});
        EXPECT_TRUE(prompter_.running.empty());
    }
    EXPECT_TRUE(engine_.calls.isEmpty());
}

// A stack scanned into one TIFF is refused before any engine call, naming
// the file, its page count and how to split it; a one-page TIFF is read.
// Names CP932 cannot hold are refused like names with a comma.
TEST_F(BatchRunTest, MultiPageTiffAndNamesCp932CannotHoldAreRefused) {
    const QString good = images({"a.jpg"});
    ASSERT_TRUE(testing::writeTiffStack(path("stack.tif"), 3));
    ASSERT_TRUE(testing::writeTiffStack(path("two.jpg"), 2));  // found by content, not name
    ASSERT_TRUE(testing::writeTiffStack(path("one.tif"), 1));
    const QString multiPage =
        QStringLiteral("複数ページのTIFFファイル（%1ページ）は1枚のシートとして読み取れません。");
    const QString notCp932 = QStringLiteral(
        "Shift_JISで表せない文字を含む画像ファイル名は読取値CSVファイルに保存できない"
        "ため読み取れません。ファイル名を変更してください：");
    const QStringList refused = {
        good + path("stack.tif") + kCrLf,
        path("two.jpg") + kCrLf,
        images({"José.jpg"}),
        images({"한국.jpg"}),
        images({"\U0001F600.jpg"}),
        images({QStringLiteral("か\u3099.jpg")}),  // decomposed が
    };
    for (const QString& list : refused) {
        prompter_ = ScriptedPrompter();
        EXPECT_EQ(run(list).outcome, BatchOutcome::Rejected) << list.toStdString();
        ASSERT_EQ(prompter_.messages.size(), 1u);
        const QString entry = list.trimmed().split(kCrLf).last();
        EXPECT_TRUE(prompter_.messages[0].text.endsWith(entry))
            << prompter_.messages[0].text.toStdString();
    }
    EXPECT_TRUE(engine_.calls.isEmpty());

    prompter_ = ScriptedPrompter();
    EXPECT_EQ(run(good + path("stack.tif")).outcome, BatchOutcome::Rejected);
    EXPECT_TRUE(prompter_.messageTexts().value(0).startsWith(multiPage.arg(3)));
    prompter_ = ScriptedPrompter();
    EXPECT_EQ(run(images({"é.jpg"})).outcome, BatchOutcome::Rejected);
    EXPECT_TRUE(prompter_.messageTexts().value(0).startsWith(notCp932));

    // One page, and names CP932 does hold (composed kana, full-width signs).
    prompter_ = ScriptedPrompter();
    const QString fine = path("one.tif") + kCrLf + images({"がっこう①～.jpg"});
    EXPECT_EQ(run(fine).outcome, BatchOutcome::Completed);
    EXPECT_TRUE(prompter_.messages.empty());
    EXPECT_EQ(table_.sheetCount(), 2);
}

// A name that is not UTF-8 is read by its bytes: a Shift_JIS name is read
// and labelled so that the CP932 read-values file holds its own bytes; one
// that is no CP932 either is refused by name. The rest of the batch is read.
TEST_F(BatchRunTest, NamesThatAreNotUtf8AreReadByTheirBytes) {
    const std::string folder = dir_.path().toStdString() + "/";
    const std::string sjis = folder + "\x83\x65\x83\x58\x83\x67.jpg";  // テスト.jpg
    const std::string neither = folder + "\xFF\xFE.jpg";
    for (const std::string& name : {sjis, neither}) {
        FILE* f = std::fopen(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    const QString list = images({"a.jpg"}) + pathFromBytes(sjis) + kCrLf;
    EXPECT_EQ(run(list).outcome, BatchOutcome::Completed);
    EXPECT_TRUE(prompter_.messages.empty());
    EXPECT_EQ(table_.label(2), QStringLiteral("テスト.jpg"));
    EXPECT_TRUE(encodeCp932(readValuesLines(table_, false).value(4))
                    .startsWith("\x83\x65\x83\x58\x83\x67.jpg,"));
    EXPECT_EQ(pathBytes(table_.sheetPaths().value(1)), sjis);

    prompter_ = ScriptedPrompter();
    table_.setSaved(true);
    EXPECT_EQ(run(list + pathFromBytes(neither) + kCrLf).outcome, BatchOutcome::Rejected);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_TRUE(prompter_.messages[0].text.startsWith(QStringLiteral("Shift_JISで表せない")));
    EXPECT_TRUE(prompter_.messages[0].text.endsWith(pathFromBytes(neither)));
}

TEST(InputList, EntriesAreParsedCharacterByCharacter) {
    ScriptedPrompter prompter;
    const QString list = QStringLiteral("\r\n  a.jpg \r\n\r\n\r\nb c.jpg\r\n   d.jpg  ");
    EXPECT_EQ(parseInputList(list, prompter),
              (QStringList{"a.jpg", "b c.jpg", "d.jpg  "}));  // the last one untrimmed
    EXPECT_EQ(prompter.statuses, (QStringList{"準備中...2", "準備中...3"}));
    EXPECT_EQ(prompter.eventCalls, 2);

    EXPECT_EQ(parseInputList(QStringLiteral("a.jpg\r\n   "), prompter), QStringList{"a.jpg"});
    EXPECT_EQ(parseInputList(QStringLiteral("\r\n\r\n"), prompter), QStringList());
    // A lone line feed inside a name belongs to it, as in the window's box.
    EXPECT_EQ(parseInputList(QStringLiteral("a\nb\r\n"), prompter), QStringList{"a\nb"});
}

TEST_F(BatchRunTest, ListOfOnlyLineBreaksCompletesWithZeroSheets) {
    const BatchResult r = run(QStringLiteral("\r\n\r\n"));
    EXPECT_EQ(r.outcome, BatchOutcome::Completed);
    EXPECT_EQ(r.sheetCount, 0);
    EXPECT_EQ(prompter_.statuses.last(), QStringLiteral("処理完了: 0件"));
    EXPECT_EQ(table_.grid().rows(), 3);
    EXPECT_EQ(cell(1, 0), QStringLiteral("正答入力"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("配点入力"));
    EXPECT_EQ(engine_.calls.size(), 6);  // the once-per-run steps only
    EXPECT_FALSE(table_.saved());
}

TEST_F(BatchRunTest, DefinitionTheEngineRefusesIsNamedBeforeAnyImage) {
    engine_.definitionProblem = QStringLiteral("MARK0 names question 100000");
    EXPECT_EQ(run(images({"a.jpg"})).outcome, BatchOutcome::Rejected);
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList{QStringLiteral("マーク情報ファイルの設問数または選択肢数が多すぎるため"
                                         "読み取れません：") +
                          definition_});
    EXPECT_EQ(engine_.calls, (QStringList{"put_IniFilename(" + definition_ + ")",
                                          "put_Options(get_definition_problem,-1,)"}));
    EXPECT_EQ(prompter_.running, (std::vector<bool>{true, false}));
}

// ---- The engine's call order.

TEST_F(BatchRunTest, EngineCallsFollowTheFixedOrder) {
    const QString list = images({"a.jpg"});
    engine_.sheets[path("a.jpg")] = SheetScript{};
    settings_.noMarkedPercent = "12";
    settings_.multiMarkedThreshold = "2.5";
    settings_.imageScale = "50";
    settings_.sharpenRate = "20";
    ASSERT_EQ(run(list).outcome, BatchOutcome::Completed);
    const QString a = path("a.jpg");
    const QStringList expected = {
        "put_IniFilename(" + definition_ + ")",
        "put_Options(get_definition_problem,-1,)",
        "put_Options(set_nomarkmin_1000,0,)",
        "put_Options(set_nomarkmin_dots,12,)",
        "put_Options(get_editor_dpi_x,-1,)",
        "put_Options(set_multi_marked_multiply_1000,2500,)",
        "put_Options(get_dpi_x,-1," + a + ")",
        "put_ImageFilename(" + a + ")",
        "put_Options(get_imagearea_count,-1,)",
        "put_Options(set_imagescale_rate_percent,50,)",
        "put_Options(set_imagesharpen_rate,20,)",
        "put_Options(set_debug_filename,-1,)",
        "Run",
        "get_Result",
        "put_Options(get_marked_counts,-1,)",
        "put_Options(get_multi_questions,-1,)",
        "put_Options(chk_rotate,-1,)",
        "put_Options(get_skew_size,-1,)",
        "put_Options(get_diffzero_x,-1,)",
        "put_Options(get_diffzero_y,-1,)",
    };
    EXPECT_EQ(engine_.calls, expected);
    EXPECT_TRUE(prompter_.folderTitles.isEmpty());
}

TEST_F(BatchRunTest, CropsDebugImageAndMultiAnswerDotsAddTheirCalls) {
    const QString list = images({"a.jpg"});
    SheetScript sheet;
    sheet.imageAreas = 2;
    sheet.result = "1,2,-1";
    sheet.reliability = "5.0,4.0,0.0";
    sheet.markedCounts = "1,1,0";
    sheet.multiQuestions = "0,2";
    sheet.dots = {"160,40", "10,200"};
    engine_.sheets[path("a.jpg")] = sheet;
    prompter_.folders.push_back(path("crops"));
    ASSERT_EQ(run(list, false, true).outcome, BatchOutcome::Completed);
    const QString a = path("a.jpg");
    const QStringList expected = {
        "put_Options(get_dpi_x,-1," + a + ")",
        "put_ImageFilename(" + a + ")",
        "put_Options(get_imagearea_count,-1,)",
        "put_Options(set_imagearea_jpeg_file,-1," + path("crops/a") + ")",
        "put_Options(set_imagescale_rate_percent,75,)",
        "put_Options(set_imagesharpen_rate,30,)",
        "put_Options(set_debug_filename,-1," + path("debug-a.jpg") + ")",
        "Run",
        "put_Options(set_debug_filename,-1,)",
        "Run",
        "get_Result",
        "put_Options(get_marked_counts,-1,)",
        "put_Options(get_multi_questions,-1,)",
        "put_Options(get_multi_dots_per_question,0,)",
        "put_Options(get_multi_dots_per_question,1,)",
        "put_Options(chk_rotate,-1,)",
        "put_Options(get_skew_size,-1,)",
        "put_Options(get_diffzero_x,-1,)",
        "put_Options(get_diffzero_y,-1,)",
    };
    EXPECT_EQ(engine_.calls.mid(6), expected);
    EXPECT_EQ(prompter_.folderTitles,
              QStringList{"切り出し画像を出力するフォルダを選択してください。"});
    EXPECT_EQ(prompter_.folderIds, std::vector<FolderId>{FolderId::CropFolder});
    // The dot strings replace the reliabilities of the listed questions.
    EXPECT_EQ(reli(3, 1), QStringLiteral("160,40"));
    EXPECT_EQ(reli(3, 2), QStringLiteral("4.0"));
    EXPECT_EQ(reli(3, 3), QStringLiteral("10,200"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("*1"));
    EXPECT_EQ(cell(0, 3), QStringLiteral("*3"));
}

// ---- Resolution.

TEST_F(BatchRunTest, DifferentResolutionWarnsOncePerRun) {
    engine_.editorDpi = 200;
    const QString list = images({"a.jpg", "b.jpg", "c.jpg"});
    for (const QString name : {"a.jpg", "b.jpg", "c.jpg"}) {
        engine_.sheets[path(name)].dpi = 300;
    }
    const BatchResult r = run(list);
    EXPECT_EQ(r.outcome, BatchOutcome::Completed);
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList{"マーク情報ファイルと入力画像ファイルのスキャン解像度が異なります。\r\n"
                          "\r\nマーク情報ファイル=200dpi  入力画像ファイル=300dpi"});
    EXPECT_EQ(prompter_.messages.front().icon, Prompter::Icon::Warning);
    EXPECT_EQ(prompter_.dpiLabels, (QStringList{"", "300dpi", "300dpi", "300dpi"}));
    EXPECT_EQ(table_.grid().rows(), 6);
}

TEST_F(BatchRunTest, ResolutionsBelow72AreIgnored) {
    struct Case {
        int editor;
        int image;
        int labels;  // label updates beyond the initial clearing
        int warnings;
    };
    const std::vector<Case> cases = {
        {200, 71, 0, 0}, {71, 300, 0, 0}, {0, 0, 0, 0}, {72, 300, 1, 1}, {200, 200, 1, 0}};
    const QString list = images({"a.jpg"});
    for (const Case& c : cases) {
        prompter_ = ScriptedPrompter();
        table_.setSaved(true);  // each case starts from a saved table
        engine_.editorDpi = c.editor;
        engine_.sheets[path("a.jpg")].dpi = c.image;
        EXPECT_EQ(run(list).outcome, BatchOutcome::Completed);
        EXPECT_EQ(prompter_.dpiLabels.size(), 1 + c.labels) << c.editor << " " << c.image;
        EXPECT_EQ(int(prompter_.messages.size()), c.warnings) << c.editor << " " << c.image;
    }
}

// ---- Read errors, stop and skip-all.

TEST_F(BatchRunTest, SkipAllRecordsEveryFailedSheetAsAnErrorRow) {
    const QString list = images({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
    for (const QString name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
        engine_.sheets[path(name)].result = "10,3";
    }
    engine_.sheets[path("b.jpg")].runStatus = -3;
    engine_.sheets[path("d.jpg")].runStatus = -2;
    prompter_.answers.push_back(Prompter::Answer::Yes);
    const BatchResult r = run(list);
    EXPECT_EQ(r.outcome, BatchOutcome::Completed);
    EXPECT_EQ(r.failedSheets, 2);
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].text,
              QStringLiteral("読取エラーが発生しました：b.jpg\r\n\r\n"
                             "エラーを全てスキップして残りの処理を継続しますか？"));
    EXPECT_EQ(prompter_.questions[0].id, QuestionId::SkipReadErrors);
    for (const int row : {4, 6}) {
        EXPECT_EQ(table_.grid().colour(row, 0), PaletteColour::LightRed);
        for (int c = 1; c <= 2; ++c) {
            EXPECT_EQ(cell(row, c), QStringLiteral("-1"));
            EXPECT_EQ(reli(row, c), QStringLiteral("-1"));
        }
    }
    EXPECT_EQ(cell(4, 0), QStringLiteral("b.jpg"));
    EXPECT_EQ(cell(5, 1), QStringLiteral("0"));  // 10 -> 0 is on by default
    EXPECT_EQ(table_.grid().colour(5, 0), PaletteColour::White);
    EXPECT_EQ(prompter_.statuses.last(), QStringLiteral("処理完了: 4件"));
}

TEST_F(BatchRunTest, NoAfterAReadErrorEndsTheRun) {
    const QString list = images({"a.jpg", "b.jpg", "c.jpg"});
    engine_.sheets[path("b.jpg")].runStatus = -3;
    prompter_.answers.push_back(Prompter::Answer::No);
    const BatchResult r = run(list);
    EXPECT_EQ(r.outcome, BatchOutcome::Stopped);
    EXPECT_EQ(prompter_.statuses.last(), QStringLiteral("処理中断"));
    EXPECT_EQ(prompter_.running, (std::vector<bool>{true, false}));
    EXPECT_FALSE(engine_.calls.contains("put_ImageFilename(" + path("c.jpg") + ")"));
    EXPECT_FALSE(prompter_.calls.contains("beep"));
    EXPECT_EQ(table_.grid().rows(), 4);  // sheet a only; b was not recorded
}

TEST_F(BatchRunTest, StopIsHonouredBetweenImages) {
    const QString list = images({"a.jpg", "b.jpg", "c.jpg"});
    // Events run three times while parsing, then once per image: the
    // fifth call is during image 2, which still completes.
    stopAtEvent_ = 5;
    const BatchResult r = run(list);
    EXPECT_EQ(r.outcome, BatchOutcome::Stopped);
    EXPECT_EQ(engine_.calls.count("Run"), 2);
    EXPECT_EQ(cell(4, 0), QStringLiteral("b.jpg"));
    EXPECT_EQ(prompter_.statuses.last(), QStringLiteral("処理中断"));
    EXPECT_EQ(prompter_.statuses.at(prompter_.statuses.size() - 2),
              QStringLiteral("処理中(2/3)... b.jpg"));
    EXPECT_TRUE(table_.saved());  // the table is left as it was filled
}

// ---- Crop folder.

TEST_F(BatchRunTest, CropFolderIsAskedOnceAndOnlyWithImageAreas) {
    const QString list = images({"a.jpg", "b.jpg", "c.jpg"});
    engine_.sheets[path("b.jpg")].imageAreas = 1;
    engine_.sheets[path("c.jpg")].imageAreas = 1;
    EXPECT_EQ(run(list).cropFolder, QString());  // cancelled
    EXPECT_EQ(prompter_.folderTitles.size(), 1);
    EXPECT_EQ(engine_.calls.filter("set_imagearea_jpeg_file").size(), 0);
    // The question came at the first image with areas.
    EXPECT_LT(
        prompter_.calls.indexOf("status: 処理中(2/3)... b.jpg"),
        prompter_.calls.indexOf("folder: 切り出し画像を出力するフォルダを選択してください。"));

    engine_.calls.clear();
    prompter_ = ScriptedPrompter();
    table_.setSaved(true);
    prompter_.folders.push_back(dir_.path() + "/crops/");
    const BatchResult r = run(list);
    EXPECT_EQ(r.cropFolder, dir_.path() + "/crops/");
    EXPECT_EQ(prompter_.folderTitles.size(), 1);
    EXPECT_EQ(engine_.calls.filter("set_imagearea_jpeg_file"),
              (QStringList{"put_Options(set_imagearea_jpeg_file,-1," + path("crops/b") + ")",
                           "put_Options(set_imagearea_jpeg_file,-1," + path("crops/c") + ")"}));

    engine_.sheets.clear();
    engine_.calls.clear();
    prompter_ = ScriptedPrompter();
    table_.setSaved(true);
    run(list);
    EXPECT_TRUE(prompter_.folderTitles.isEmpty());
}

// The browser opens in a new "<scans>_切り出し" folder beside the scans, so
// Enter cannot put crops among the scans; choosing the scans folder itself
// warns, and "No" opens the browser again.
TEST_F(BatchRunTest, CropFolderBrowserProposesAFolderBesideTheScans) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("scans"));
    const QString list = images({"scans/a.jpg", "scans/b.jpg"});
    engine_.sheets[path("scans/b.jpg")].imageAreas = 1;
    const QString proposal = path("scans_切り出し");
    EXPECT_EQ(proposedCropFolder(path("scans/b.jpg")), proposal);

    // Accepted as proposed: the folder exists and the crops go there.
    prompter_.folders.push_back(proposal);
    EXPECT_EQ(run(list).cropFolder, proposal);
    EXPECT_EQ(prompter_.initialFolders, QStringList{proposal});
    EXPECT_TRUE(QFileInfo(proposal).isDir());
    EXPECT_TRUE(prompter_.questions.empty());
    ASSERT_TRUE(QDir(proposal).removeRecursively());

    // The scans folder (written differently): warned; No asks again, and a
    // cancel then leaves no crops and no proposal folder behind.
    prompter_ = ScriptedPrompter();
    table_.setSaved(true);
    prompter_.folders = {path("scans/"), QString()};
    prompter_.answers = {Prompter::Answer::No};
    EXPECT_EQ(run(list).cropFolder, QString());
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].id, QuestionId::CropsIntoScans);
    EXPECT_TRUE(prompter_.questions[0].text.contains(path("scans/")));
    EXPECT_EQ(prompter_.folderTitles.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(proposal));

    // Yes keeps the scans folder; another folder is taken without a word.
    prompter_ = ScriptedPrompter();
    table_.setSaved(true);
    prompter_.folders = {path("scans")};
    prompter_.answers = {Prompter::Answer::Yes};
    EXPECT_EQ(run(list).cropFolder, path("scans"));
    EXPECT_EQ(prompter_.questions.size(), 1u);
    prompter_ = ScriptedPrompter();
    table_.setSaved(true);
    prompter_.folders = {dir_.path()};
    EXPECT_EQ(run(list).cropFolder, dir_.path());
    EXPECT_TRUE(prompter_.questions.empty());
    EXPECT_FALSE(QFileInfo::exists(proposal));
}

TEST_F(BatchRunTest, IndexPagesAreWrittenIntoTheChosenCropFolder) {
    writeFile(definition_, "[IMAGEAREA]\r\nIMAGEAREA0=1,2,3,4\r\nIMAGEAREA1=5,6,7,8\r\n");
    const QString list = images({"a.jpg", "b.jpg"});
    engine_.sheets[path("a.jpg")].imageAreas = 2;
    QDir(dir_.path()).mkdir("crops");
    prompter_.folders.push_back(path("crops"));
    const BatchResult r = run(list);
    EXPECT_TRUE(r.indexPagesWritten) << r.indexError.toStdString();
    EXPECT_EQ(r.indexPages, 2);
    EXPECT_TRUE(QFile::exists(path("crops/index_000.html")));
    EXPECT_TRUE(QFile::exists(path("crops/index_001.html")));
}

// ---- What lands in the table.

TEST_F(BatchRunTest, SheetsAreStoredWithOffsetsAndLeftUnsaved) {
    const QString list = images({"a.jpg", "b.jpg"});
    SheetScript a;
    a.result = "10,2";
    a.reliability = "6.5,1.5";
    a.markedCounts = "1,2";
    a.rotated = 1;
    a.skew = 7;
    a.diffX = 12;
    a.diffY = -4;
    engine_.sheets[path("a.jpg")] = a;
    engine_.sheets[path("b.jpg")].diffX = 3;
    settings_.tenToZero = false;
    table_.setSaved(true);
    const BatchResult r = run(list);
    ASSERT_EQ(r.outcome, BatchOutcome::Completed);
    EXPECT_EQ(table_.sheetPaths(), (QStringList{path("a.jpg"), path("b.jpg")}));
    EXPECT_EQ(table_.offsetX(), (std::vector<int>{0, 12, 3}));
    EXPECT_EQ(table_.offsetY(), (std::vector<int>{0, -4, 0}));
    EXPECT_EQ(cell(3, 0), QStringLiteral("a.jpg"));
    EXPECT_EQ(cell(3, 1), QStringLiteral("10"));
    EXPECT_EQ(cell(3, 2), QStringLiteral("-1"));  // density 1.5 under the 2.0 threshold
    EXPECT_EQ(cell(3, 3), QStringLiteral("1"));
    EXPECT_EQ(cell(3, 4), QStringLiteral("7"));
    EXPECT_EQ(reli(3, 6), QStringLiteral("2"));  // marked counts after Grid's columns
    EXPECT_FALSE(table_.saved());
    EXPECT_EQ(prompter_.progress.back(), std::make_pair(2, 2));
    EXPECT_EQ(prompter_.running, (std::vector<bool>{true, false}));
    EXPECT_TRUE(prompter_.calls.contains("beep"));
    EXPECT_TRUE(prompter_.statuses.contains("処理中(1/2)... a.jpg"));
}

TEST_F(BatchRunTest, AFreshRunAsksBeforeItReplacesAnUnsavedTable) {
    const QString list = images({"a.jpg"});
    ASSERT_EQ(run(list).outcome, BatchOutcome::Completed);
    ASSERT_FALSE(table_.saved());
    table_.setText(3, 1, QStringLiteral("4"));  // a correction

    prompter_.answers = {Prompter::Answer::No};
    const int callsBefore = int(engine_.calls.size());
    EXPECT_EQ(run(list).outcome, BatchOutcome::Rejected);
    EXPECT_EQ(cell(3, 1), QStringLiteral("4"));
    EXPECT_EQ(int(engine_.calls.size()), callsBefore);
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].id, QuestionId::DiscardUnsaved);
    EXPECT_EQ(prompter_.questions[0].text, kNewRunQuestion);

    prompter_.answers = {Prompter::Answer::Yes};
    EXPECT_EQ(run(list).outcome, BatchOutcome::Completed);
    // A run that keeps the answer key was asked for by its caller already.
    EXPECT_EQ(run(list, true).outcome, BatchOutcome::Completed);
    EXPECT_EQ(prompter_.questions.size(), 2u);
}

TEST_F(BatchRunTest, TenBecomesZeroWhenTheOptionIsOn) {
    const QString list = images({"a.jpg"});
    engine_.sheets[path("a.jpg")].result = "10,10";
    settings_.tenToZero = true;
    run(list);
    EXPECT_EQ(cell(3, 1), QStringLiteral("0"));
    EXPECT_EQ(cell(3, 2), QStringLiteral("0"));
}

TEST_F(BatchRunTest, KeepingTheAnswerKeyKeepsTheFirstThreeRows) {
    table_.initMarks(definition_);
    tarrow::testing::TableAccess::grid(table_).setCols(5);
    table_.setText(1, 1, "3");
    table_.setText(2, 1, "5");
    const QString list = images({"a.jpg"});
    run(list, true);
    EXPECT_EQ(cell(1, 1), QStringLiteral("3"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("5"));
    table_.setSaved(true);
    run(list, false);
    EXPECT_EQ(cell(1, 1), QString());
}

// ---- Silent ends.

TEST_F(BatchRunTest, AFailingEngineCallOrABadSettingEndsTheRunSilently) {
    const QString list = images({"a.jpg", "b.jpg"});
    engine_.failAction = "get_skew_size";
    EXPECT_EQ(run(list).outcome, BatchOutcome::Failed);
    EXPECT_EQ(engine_.calls.count("Run"), 1);

    engine_ = ScriptedEngine();
    settings_.noMarkedPercent = "ten";
    EXPECT_EQ(run(list).outcome, BatchOutcome::Failed);
    EXPECT_EQ(engine_.calls.filter("set_nomarkmin_dots").size(), 0);

    engine_ = ScriptedEngine();
    settings_.noMarkedPercent = "10";
    settings_.imageScale = "";
    EXPECT_EQ(run(list).outcome, BatchOutcome::Failed);
    EXPECT_EQ(engine_.calls.count("Run"), 0);

    EXPECT_TRUE(prompter_.messages.empty());
    EXPECT_TRUE(prompter_.questions.empty());
    EXPECT_EQ(prompter_.running, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST(PaintWithSettings, UsesTheWindowThresholds) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, "a.jpg", "2,3", "2.5,5.0", "1,1", 0, 0, true);
    tarrow::testing::TableAccess::sheets(table) << "a.jpg";
    AppSettings settings;
    settings.noMarkValue = "3.0";
    paintWithSettings(table, settings);
    EXPECT_EQ(table.grid().text(3, 1), QStringLiteral("-1"));
    EXPECT_EQ(table.grid().text(3, 2), QStringLiteral("3"));
    settings.noMarkValue = "x";
    EXPECT_TRUE(paintWithSettings(table, settings).stoppedOnInvalid);
}

}  // namespace
}  // namespace tarrow
