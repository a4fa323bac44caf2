// The built velmora binary over the engine component, on generated sheets:
// the batch run saved as read-values and score files, the key taken from a
// file, parallel reading, the result-file subcommands and the exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tools/sheetgen/sheet_generator.h"
#include "tools/velmora/tests/batch_test_support.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using testing::cp932Lines;
using testing::slurpFile;
using testing::TempDir;
using testing::ToolRun;
using testing::writeCp932;
using testing::writeFile;
using Args = std::vector<std::string>;

constexpr int kQuestions = 12;
constexpr int kMultiQuestion = 5;                             // 0-based; column 6
const std::string kHeaderCp932 = "\x97\xf1\x94\xd4\x8d\x86";  // 列番号

class BatchTool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tmp.path().empty());
        config = tmp.file("config");
        ASSERT_TRUE(testing::registerComponent(config));
        sheetgen::LayoutParams params;
        params.dpi = 200;
        params.questions = kQuestions;
        params.choices = 4;
        params.imageAreas = 1;
        params.multiQuestions = {kMultiQuestion};
        layout = sheetgen::makeLayout(params);
        def = tmp.file("sheet.ini");
        restoreDefinition();
        fs::create_directory(tmp.file("imgs"));
    }

    /// `count` sheets; their files record `recordedDpi` (the layout is 200).
    void addSheets(int count, int recordedDpi = 200) {
        for (int i = 0; i < count; ++i) {
            const auto answers = sheetgen::randomAnswers(layout, 40u + std::uint32_t(i));
            sheetgen::Distortion d;
            d.shiftX = 2 * i;
            d.shiftY = -3 * i;
            const auto image = sheetgen::renderSheet(layout, answers, d, 9u + std::uint32_t(i));
            const std::string path = tmp.file("imgs/sheet" + std::to_string(i) + ".jpg");
            ASSERT_TRUE(sheetgen::saveImage(path, image, sheetgen::Format::Jpeg, recordedDpi, 90));
            const sheetgen::GroundTruth t = sheetgen::groundTruth(layout, answers);
            truth.push_back(t.answers);
            filled.push_back(t.filledCount);
        }
    }

    /// The last line of a run over the first `sheets` sheets: the number of
    /// single-answer questions filled twice, as the result window ends a
    /// run; nothing when there is none.
    std::string doubledLine(std::size_t sheets) const {
        int doubled = 0;
        for (std::size_t s = 0; s < sheets; ++s) {
            for (int q = 0; q < kQuestions; ++q) {
                if (q != kMultiQuestion && filled[s][std::size_t(q)] >= 2) ++doubled;
            }
        }
        if (doubled == 0) return {};
        return "velmora: 複数マークの疑い: " + std::to_string(doubled) + "件\n";
    }

    /// The engine writes the definition back after each sheet; separate
    /// invocations start from the same file.
    void restoreDefinition() { writeFile(def, sheetgen::definitionText(layout)); }

    ToolRun velmora(const Args& args, const std::string& prefix = "") {
        return testing::runTool(args, config, tmp.path(), prefix);
    }

    /// A read-values file with a header, key and points line only.
    std::string keyFile(const QString& key, const QString& points) {
        QString header = "列番号";
        for (int q = 1; q <= kQuestions; ++q) header += "," + QString::number(q);
        const std::string path = tmp.file("key.csv");
        writeCp932(path, header + "\r\n正答入力," + key + "\r\n配点入力," + points + "\r\n");
        return path;
    }

    TempDir tmp;
    std::string config;
    sheetgen::Layout layout;
    std::string def;
    std::vector<std::vector<int>> truth;
    std::vector<std::vector<int>> filled;  ///< filled choices per question
};

TEST_F(BatchTool, ReadSavesTheReadValuesFileOfTheBatch) {
    addSheets(3);
    fs::create_directory(tmp.file("crops"));
    const ToolRun r = velmora({"read", "-d", def, "-o", tmp.file("res.csv"), "--crops",
                               tmp.file("crops"), tmp.file("imgs")});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_FALSE(doubledLine(3).empty()) << "the seeds fill some question twice";
    EXPECT_EQ(r.err, doubledLine(3));
    EXPECT_EQ(r.out, tmp.file("res-読取値.csv") + "\n");
    EXPECT_FALSE(fs::exists(tmp.file("res-採点値.csv")));  // nothing is scored

    const std::string bytes = slurpFile(tmp.file("res-読取値.csv"));
    EXPECT_TRUE(bytes.starts_with(kHeaderCp932 + ",1,2,3,4,5,*6,7,")) << bytes.substr(0, 40);
    const auto lines = cp932Lines(tmp.file("res-読取値.csv"));
    ASSERT_EQ(lines.size(), 6u);
    for (const QStringList& fields : lines) EXPECT_EQ(fields.size(), kQuestions + 1);
    EXPECT_EQ(lines[1].front(), "正答入力");
    EXPECT_EQ(lines[2].front(), "配点入力");
    for (std::size_t s = 0; s < 3; ++s) {
        const QStringList& fields = lines[s + 3];
        EXPECT_EQ(fields.front(), QString("sheet%1.jpg").arg(s));
        for (int q = 0; q < kQuestions; ++q) {
            // A multi-answer value comes from the dot counts; of two filled
            // choices the engine may take the darker one.
            if (q == kMultiQuestion || filled[s][std::size_t(q)] > 1) continue;
            EXPECT_EQ(fields[q + 1], QString::number(truth[s][std::size_t(q)]))
                << "sheet " << s << " question " << q + 1;
        }
    }
    // Crops and the index page of the one image area went to --crops.
    EXPECT_TRUE(fs::exists(tmp.file("crops/sheet2_000.jpg")));
    const std::string page = slurpFile(tmp.file("crops/index_000.html"));
    EXPECT_NE(page.find("<img src=\"sheet1_000.jpg\"/>"), std::string::npos);
}

// The doubled-mark count closes a run on stderr only when some single-answer
// question was filled twice; two choices of a multi-answer question are no
// doubled mark.
TEST_F(BatchTool, DoubledMarksAreCountedOnlyWhenThereAreAny) {
    using sheetgen::Mark;
    const auto sheetWith = [&](const std::string& name, const std::vector<int>& doubled) {
        sheetgen::Answers answers = sheetgen::randomAnswers(layout, 1u);
        for (std::size_t q = 0; q < answers.size(); ++q) {
            std::fill(answers[q].begin(), answers[q].end(), Mark::Blank);
            answers[q][q % answers[q].size()] = Mark::Filled;
        }
        answers[kMultiQuestion][0] = answers[kMultiQuestion][2] = Mark::Filled;
        for (const int q : doubled) {
            std::vector<Mark>& row = answers[std::size_t(q)];
            std::fill(row.begin(), row.end(), Mark::Blank);
            row[0] = row[2] = Mark::Filled;
        }
        const auto image = sheetgen::renderSheet(layout, answers, {}, 5u);
        ASSERT_TRUE(sheetgen::saveImage(tmp.file(name), image, sheetgen::Format::Jpeg, 200, 90));
    };
    sheetWith("imgs/clean.jpg", {});
    const ToolRun clean =
        velmora({"read", "-d", def, "-o", tmp.file("clean.csv"), tmp.file("imgs/clean.jpg")});
    ASSERT_EQ(clean.status, 0) << clean.err;
    EXPECT_EQ(clean.err, "");

    restoreDefinition();
    sheetWith("imgs/twice.jpg", {1, 3});
    const ToolRun twice = velmora({"read", "-d", def, "-o", tmp.file("twice.csv"), "-j", "2",
                                   tmp.file("imgs/clean.jpg"), tmp.file("imgs/twice.jpg")});
    ASSERT_EQ(twice.status, 0) << twice.err;
    EXPECT_EQ(twice.err, "velmora: 複数マークの疑い: 2件\n");
}

// A sheet whose name is not UTF-8 (Shift_JIS bytes from an archive) is read
// by its bytes, its crops keep them, and the read-values file holds them as
// its label; before, the whole batch was refused.
TEST_F(BatchTool, NamesThatAreNotUtf8AreReadByTheirBytes) {
    addSheets(2);
    const std::string sjis = "\x83\x65\x83\x58\x83\x67";  // テスト
    fs::rename(tmp.file("imgs/sheet1.jpg"), tmp.file("imgs/" + sjis + ".jpg"));
    fs::create_directory(tmp.file("crops"));
    const ToolRun r = velmora({"read", "-d", def, "-o", tmp.file("res.csv"), "--crops",
                               tmp.file("crops"), tmp.file("imgs")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = slurpFile(tmp.file("res-読取値.csv"));
    EXPECT_NE(bytes.find("\r\n" + sjis + ".jpg,"), std::string::npos);
    EXPECT_TRUE(fs::exists(tmp.file("crops/" + sjis + "_000.jpg")));
}

TEST_F(BatchTool, ResolutionWarningGoesToStderrOnceAndTheRunGoesOn) {
    addSheets(2, 300);
    const ToolRun r = velmora({"read", "-d", def, "-o", tmp.file("res.csv"), tmp.file("imgs")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "velmora: マーク情報ファイルと入力画像ファイルのスキャン解像度が異なります。  "
              "マーク情報ファイル=200dpi  入力画像ファイル=300dpi\n" +
                  doubledLine(2));
    EXPECT_EQ(cp932Lines(tmp.file("res-読取値.csv")).size(), 5u);
}

TEST_F(BatchTool, KeyAndPointsComeFromTheKeyFile) {
    addSheets(2);
    // Questions 1 and 2 are keyed with sheet 0's answers, question 1 worth 3.
    const QString a1 = QString::number(truth[0][0]);
    const QString a2 = QString::number(truth[0][1]);
    const std::string key = keyFile(a1 + "," + a2 + ",,,,,,,,,,", "3,,,,,,,,,,,");
    const ToolRun r =
        velmora({"read", "-d", def, "-o", tmp.file("out/res.csv"), "--key", key, tmp.file("imgs")});
    EXPECT_EQ(r.status, 2) << "the output folder does not exist yet";
    fs::create_directory(tmp.file("out"));
    restoreDefinition();
    const ToolRun ok =
        velmora({"read", "-d", def, "-o", tmp.file("out/res.csv"), "--key", key, tmp.file("imgs")});
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out,
              tmp.file("out/res-読取値.csv") + "\n" + tmp.file("out/res-採点値.csv") + "\n");

    const auto values = cp932Lines(tmp.file("out/res-読取値.csv"));
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[1].mid(0, 3), (QStringList{"正答入力", a1, a2}));
    EXPECT_EQ(values[2].mid(0, 3), (QStringList{"配点入力", "3", ""}));

    const auto score = cp932Lines(tmp.file("out/res-採点値.csv"));
    ASSERT_EQ(score.size(), 7u);
    EXPECT_EQ(score[0].back(), "合計点");
    EXPECT_EQ(score[2].mid(0, 3), (QStringList{"配点入力", "3", "1"}));  // empty points become 1
    for (std::size_t s = 0; s < 2; ++s) {
        const QStringList& line = score[s + 3];
        ASSERT_EQ(line.size(), kQuestions + 2);
        const bool right1 = truth[s][0] == truth[0][0];
        const bool right2 = truth[s][1] == truth[0][1];
        EXPECT_EQ(line[1], right1 ? "3" : "0");
        EXPECT_EQ(line[2], right2 ? "1" : "0");
        if (filled[s][2] < 2) {
            EXPECT_EQ(line[3], QString::number(truth[s][2]));  // unscored: the value
        }
        EXPECT_EQ(line.back(), QString::number((right1 ? 3 : 0) + (right2 ? 1 : 0)));
    }
    EXPECT_EQ(score[5].mid(0, 4), (QStringList{"設問番号", "1", "2", ""}));
    EXPECT_EQ(score[6].front(), "正答率");
}

TEST_F(BatchTool, TwoJobsWriteTheFilesOfOne) {
    addSheets(5);
    writeFile(tmp.file("imgs/broken.jpg"), "\xff\xd8 truncated");
    const std::string key = keyFile("1,2,3,,,,,,,,,", "");
    const ToolRun one =
        velmora({"read", "-d", def, "-o", tmp.file("one.csv"), "--key", key, tmp.file("imgs")});
    restoreDefinition();
    const ToolRun two = velmora(
        {"read", "-j", "2", "-d", def, "-o", tmp.file("two.csv"), "--key", key, tmp.file("imgs")});
    EXPECT_EQ(one.status, 1) << one.err;
    EXPECT_EQ(two.status, 1) << two.err;
    EXPECT_EQ(one.err,
              "velmora: read error: " + tmp.file("imgs/broken.jpg") + "\n" + doubledLine(5));
    EXPECT_EQ(two.err, one.err);
    for (const char* suffix : {"-読取値.csv", "-採点値.csv"}) {
        const std::string a = slurpFile(tmp.file(std::string("one") + suffix));
        EXPECT_FALSE(a.empty());
        EXPECT_TRUE(slurpFile(tmp.file(std::string("two") + suffix)) == a) << suffix;
    }
    // The failed sheet is an error row of "-1" values, its multi-answer
    // question included.
    const auto values = cp932Lines(tmp.file("one-読取値.csv"));
    ASSERT_EQ(values.size(), 9u);
    const QStringList errorRow = QStringList({"broken.jpg"}) + QStringList(kQuestions, "-1");
    EXPECT_EQ(values[3], errorRow);
}

TEST_F(BatchTool, ScoreCountAndRenameWorkOnTheSavedFile) {
    addSheets(2);
    const std::string key = keyFile("1 2 3 4,,,,,,,,,,,", "");
    ASSERT_EQ(velmora({"read", "-d", def, "-o", tmp.file("r.csv"), "--key", key, tmp.file("imgs")})
                  .status,
              0);

    const ToolRun score = velmora({"score", tmp.file("r-読取値.csv"), "-o", tmp.file("s.csv")});
    ASSERT_EQ(score.status, 0) << score.err;
    EXPECT_EQ(slurpFile(tmp.file("s-読取値.csv")), slurpFile(tmp.file("r-読取値.csv")));
    EXPECT_EQ(slurpFile(tmp.file("s-採点値.csv")), slurpFile(tmp.file("r-採点値.csv")));

    const ToolRun count =
        velmora({"count", tmp.file("r-読取値.csv"), "-o", tmp.file("c.csv"), "--max-choices", "4"});
    ASSERT_EQ(count.status, 0) << count.err;
    EXPECT_EQ(count.out, tmp.file("c-回答別.csv") + "\n");
    const auto counts = cp932Lines(tmp.file("c-回答別.csv"));
    ASSERT_EQ(counts.size(), 8u);  // header, question numbers, "回答", choices 1-4, -1
    EXPECT_EQ(counts[1].mid(0, 3), (QStringList{"設問番号", "1", ""}));
    EXPECT_EQ(counts[2], QStringList({"回答"}) + QStringList(kQuestions, ""));
    EXPECT_EQ(counts[3].front(), " 1 ");
    int answered = 0;
    for (std::size_t k = 3; k < 8; ++k) answered += counts[k][1].trimmed().toInt();
    EXPECT_EQ(answered, 2);  // each sheet counted once for question 1

    fs::create_directory(tmp.file("renamed"));
    const ToolRun rename = velmora({"rename", tmp.file("r-読取値.csv"), "--images",
                                    tmp.file("imgs"), "--to", tmp.file("renamed"), "--pattern",
                                    "1、２,-,0", "--prefix", "A", "--log-dir", tmp.file("log")});
    ASSERT_EQ(rename.status, 0) << rename.err;
    EXPECT_EQ(rename.out, tmp.file("log/log.txt") + "\n");
    const std::string name0 = "A" + std::to_string(truth[0][0]) + std::to_string(truth[0][1]) +
                              "-sheet0.jpg";  // ".jpg" of the label is dropped
    EXPECT_TRUE(slurpFile(tmp.file("renamed/" + name0)) == slurpFile(tmp.file("imgs/sheet0.jpg")));
    const auto log = cp932Lines(tmp.file("log/log.txt"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].join(","), QString::fromStdString(tmp.file("imgs/sheet0.jpg") + " -> " +
                                                       tmp.file("renamed/" + name0)));
}

TEST_F(BatchTool, FailuresExitWithTwoAndKeepExistingFiles) {
    addSheets(1);
    writeFile(tmp.file("res-読取値.csv"), "old");
    // Every file write fails with "file too large" (the signal is ignored so
    // the write reports it instead of ending the process); stderr goes to the
    // stdout pipe, which the limit does not touch.
    const ToolRun full = velmora({"read", "-d", def, "-o", tmp.file("res.csv"), tmp.file("imgs")},
                                 "trap '' XFSZ; ulimit -f 0; exec 2>&1; ");
    EXPECT_EQ(full.status, 2);
    EXPECT_TRUE(full.out.starts_with("velmora: " + tmp.file("res-読取値.csv"))) << full.out;
    EXPECT_EQ(slurpFile(tmp.file("res-読取値.csv")), "old");

    const ToolRun missing =
        velmora({"read", "-d", def, "-o", tmp.file("m.csv"), tmp.file("imgs/none.jpg")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "velmora: 入力ファイルが存在しません：" + tmp.file("imgs/none.jpg") + "\n");
    EXPECT_FALSE(fs::exists(tmp.file("m-読取値.csv")));

    const ToolRun noDef =
        velmora({"read", "-d", tmp.file("none.ini"), "-o", tmp.file("m.csv"), tmp.file("imgs")});
    EXPECT_EQ(noDef.status, 2);
    EXPECT_EQ(noDef.err,
              "velmora: マーク情報ファイルが存在しません：" + tmp.file("none.ini") + "\n");

    const ToolRun notValues = velmora({"score", def, "-o", tmp.file("m.csv")});
    EXPECT_EQ(notValues.status, 2);
    EXPECT_EQ(notValues.err, "velmora: not a read-values file, or unreadable: " + def + "\n");

    const ToolRun usage = velmora({"count", "-o", tmp.file("m.csv")});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, "velmora: missing read-values file\n");
}

// Without --overwrite an existing name stops the copying with the
// question's answer No; labels of a hand-made file cannot leave the folders.
TEST_F(BatchTool, RenameKeepsExistingFilesAndRefusesUnsafeLabels) {
    writeFile(tmp.file("imgs/a.jpg"), "image a");
    writeFile(tmp.file("imgs/b.jpg"), "image b");
    writeCp932(tmp.file("v.csv"), "列番号,1\r\na.jpg,3\r\nb.jpg,3\r\n");
    fs::create_directory(tmp.file("to"));
    const Args rename = {"rename",    tmp.file("v.csv"), "--images",  tmp.file("imgs"),
                         "--to",      tmp.file("to"),    "--pattern", "1",
                         "--log-dir", tmp.file("log")};
    const ToolRun same = velmora(rename);
    EXPECT_EQ(same.status, 2);
    EXPECT_EQ(same.err, "velmora: " + tmp.file("to/3.jpg") +
                            " は既に存在します。上書きしますか？\n"
                            "velmora: 処理を中止します。\n"
                            "velmora: existing files are kept; give --overwrite to replace them\n");
    EXPECT_EQ(slurpFile(tmp.file("to/3.jpg")), "image a");

    Args overwrite = rename;
    overwrite.push_back("--overwrite");
    EXPECT_EQ(velmora(overwrite).status, 0);
    EXPECT_EQ(slurpFile(tmp.file("to/3.jpg")), "image b");

    writeFile(tmp.file("secret.jpg"), "outside");
    writeCp932(tmp.file("v.csv"), "列番号,1\r\n../secret.jpg,4\r\n");
    const ToolRun unsafe = velmora(rename);
    EXPECT_EQ(unsafe.status, 2);
    EXPECT_EQ(unsafe.err,
              "velmora: ファイル名として使えない画像名です：../secret.jpg 処理を中止します。\n");
    EXPECT_FALSE(fs::exists(tmp.file("to/4.jpg")));
}

// The engine beside the program stands in for one that is not registered,
// not trusted or cannot be loaded (a sanitizer build's library), saying so once; a broken
// registration is left as the user made it.
TEST_F(BatchTool, TheEngineBesideTheProgramStandsInForAnUnusableRegistration) {
    addSheets(1);
    const ToolRun unregistered =
        testing::runTool({"read", "-d", def, "-o", tmp.file("res.csv"), tmp.file("imgs")},
                         tmp.file("empty-config"), tmp.path());
    EXPECT_EQ(unregistered.status, 0) << unregistered.err;
    EXPECT_NE(unregistered.err.find("libstrovik.so"), std::string::npos) << unregistered.err;
    EXPECT_TRUE(fs::exists(tmp.file("res-読取値.csv")));

    const std::string brokenConfig = tmp.file("broken-config");
    const std::string broken = tmp.file("libstrovik-asan.so");
    writeFile(broken, "not a shared object");
    const std::string key = brokenConfig +
                            "/velmora/HKEY_CLASSES_ROOT/CLSID/"
                            "{654636D5-7F01-4C28-A502-BF6D8425352D}/InprocServer32.ini";
    fs::create_directories(fs::path(key).parent_path());
    writeFile(key, "[values]\n=" + broken + "\n");
    const ToolRun fallback =
        testing::runTool({"read", "-d", def, "-o", tmp.file("again.csv"), tmp.file("imgs")},
                         brokenConfig, tmp.path());
    EXPECT_EQ(fallback.status, 0) << fallback.err;
    // The notice names the registered library exactly once, whichever reason
    // it gives (refused as untrusted, or not loadable).
    const std::string::size_type said = fallback.err.find(broken);
    ASSERT_NE(said, std::string::npos) << fallback.err;
    EXPECT_EQ(said, fallback.err.rfind(broken)) << "said more than once: " << fallback.err;
    EXPECT_TRUE(fs::exists(tmp.file("again-読取値.csv")));
    EXPECT_NE(slurpFile(key).find(broken), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
