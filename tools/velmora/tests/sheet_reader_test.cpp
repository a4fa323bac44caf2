// The engine call sequence for one image, checked against a scripted engine.
#include "tools/velmora/sheet_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

using testing::CallLog;
using testing::EngineScript;
using testing::ScriptedEngine;
using Calls = std::vector<std::string>;

ReadOptions baseOptions() {
    ReadOptions o;
    o.definition = "def.ini";
    return o;
}

TEST(PrepareEngine, ReadsDefinitionThenSetsTheRunSettings) {
    EngineScript script;
    CallLog log;
    ScriptedEngine engine(script, log);
    ReadOptions o = baseOptions();
    o.dots = 25;
    o.multiply1000 = 1500;
    prepareEngine(engine, o);
    EXPECT_EQ(log.calls, (Calls{"ini def.ini", "set_nomarkmin_1000 0 ", "set_nomarkmin_dots 25 ",
                                "get_editor_dpi_x -1 ", "set_multi_marked_multiply_1000 1500 "}));
}

TEST(ReadSheet, SuccessfulReadMakesEveryCallInOrderAndFillsTheRecord) {
    EngineScript script;
    script.multiQuestions = "4,1";
    script.dots = {"5,6", "7,8,9"};
    CallLog log;
    ScriptedEngine engine(script, log);
    const SheetRecord r = readSheet(engine, "in/s1.jpg", baseOptions());
    EXPECT_EQ(log.calls, (Calls{"get_dpi_x -1 in/s1.jpg", "image in/s1.jpg",
                                "get_imagearea_count -1 ", "set_imagescale_rate_percent 75 ",
                                "set_imagesharpen_rate 30 ", "set_debug_filename -1 ",
                                "run in/s1.jpg", "getResult", "get_marked_counts -1 ",
                                "get_multi_questions -1 ", "get_multi_dots_per_question 0 ",
                                "get_multi_dots_per_question 1 ", "chk_rotate -1 ",
                                "get_skew_size -1 ", "get_diffzero_x -1 ", "get_diffzero_y -1 "}));
    EXPECT_EQ(r.image, "in/s1.jpg");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.answers, "3,-1,1");
    EXPECT_EQ(r.reliability, "150.0,0.0,999.0");
    EXPECT_EQ(r.marked, "1,0,1");
    ASSERT_EQ(r.dots.size(), 2u);
    EXPECT_EQ(r.dots[0].question, 4);
    EXPECT_EQ(r.dots[0].dots, "5,6");
    EXPECT_EQ(r.dots[1].question, 1);
    EXPECT_EQ(r.dots[1].dots, "7,8,9");
    EXPECT_EQ(r.offsetX, 12);
    EXPECT_EQ(r.offsetY, -7);
    EXPECT_EQ(r.skew, 4);
    EXPECT_DOUBLE_EQ(r.angle, 0.25);
}

TEST(ReadSheet, CropsAndDiagnosticPassUseTheBaseName) {
    EngineScript script;
    script.imageAreas = 2;
    CallLog log;
    ScriptedEngine engine(script, log);
    ReadOptions o = baseOptions();
    o.cropsDir = "out/crops";
    o.debugDir = "dbg";
    readSheet(engine, "in/scan.001.jpg", o);
    const Calls head(log.calls.begin(), log.calls.begin() + 10);
    EXPECT_EQ(
        head,
        (Calls{"get_dpi_x -1 in/scan.001.jpg", "image in/scan.001.jpg", "get_imagearea_count -1 ",
               "set_imagearea_jpeg_file -1 out/crops/scan.001", "set_imagescale_rate_percent 75 ",
               "set_imagesharpen_rate 30 ", "set_debug_filename -1 dbg/debug-scan.001.jpg",
               "run in/scan.001.jpg", "set_debug_filename -1 ", "run in/scan.001.jpg"}));
}

TEST(ReadSheet, OutputFoldersWithTrailingSlash) {
    EngineScript script;
    script.imageAreas = 1;
    CallLog log;
    ScriptedEngine engine(script, log);
    ReadOptions o = baseOptions();
    o.cropsDir = "crops/";
    o.debugDir = "/abs/dbg/";
    readSheet(engine, "s.png", o);
    EXPECT_EQ(log.calls[3], "set_imagearea_jpeg_file -1 crops/s");
    EXPECT_EQ(log.calls[6], "set_debug_filename -1 /abs/dbg/debug-s.jpg");
}

TEST(ReadSheet, CropsAreNotSetWithoutImageAreas) {
    EngineScript script;
    CallLog log;
    ScriptedEngine engine(script, log);
    ReadOptions o = baseOptions();
    o.cropsDir = "crops";
    readSheet(engine, "a.jpg", o);
    for (const std::string& call : log.calls) {
        EXPECT_EQ(call.find("set_imagearea_jpeg_file"), std::string::npos) << call;
    }
}

TEST(ReadSheet, FailedRunStopsBeforeTheGetters) {
    EngineScript script;
    script.statusByImage["bad.jpg"] = -3;
    CallLog log;
    ScriptedEngine engine(script, log);
    const SheetRecord r = readSheet(engine, "bad.jpg", baseOptions());
    EXPECT_EQ(r.status, -3);
    EXPECT_EQ(log.calls.back(), "run bad.jpg");
    EXPECT_TRUE(r.answers.empty());
}

TEST(ReadSheet, MultiListSkipsEmptyFieldsAndRepeatsKeepingTheFirst) {
    EngineScript script;
    script.multiQuestions = "29,,3, 29,x,";
    script.dots = {"1,2", "3,4", "5,6", "7,8"};
    CallLog log;
    ScriptedEngine engine(script, log);
    const SheetRecord r = readSheet(engine, "a.jpg", baseOptions());
    // Four non-empty fields: four dot queries, positions 0..3.
    int queries = 0;
    for (const std::string& call : log.calls) {
        if (call.starts_with("get_multi_dots_per_question")) ++queries;
    }
    EXPECT_EQ(queries, 4);
    ASSERT_EQ(r.dots.size(), 2u);
    EXPECT_EQ(r.dots[0].question, 29);
    EXPECT_EQ(r.dots[0].dots, "1,2");
    EXPECT_EQ(r.dots[1].question, 3);
    EXPECT_EQ(r.dots[1].dots, "3,4");
}

TEST(ReadSheet, OverlongPathsAreKeptFromTheEngine) {
    EngineScript script;
    script.imageAreas = 1;
    CallLog log;
    ScriptedEngine engine(script, log);
    const std::string longImage = std::string(300, 'a') + ".jpg";
    EXPECT_EQ(readSheet(engine, longImage, baseOptions()).status, -2);
    EXPECT_TRUE(log.calls.empty());

    ReadOptions o = baseOptions();
    o.cropsDir = std::string(258, 'c');
    o.debugDir = std::string(258, 'd');
    readSheet(engine, "x.jpg", o);
    // The crop base is cleared rather than truncated; no diagnostic pass.
    EXPECT_EQ(log.calls[3], "set_imagearea_jpeg_file -1 ");
    EXPECT_EQ(log.calls[6], "set_debug_filename -1 ");
    EXPECT_EQ(log.calls[7], "run x.jpg");
    EXPECT_EQ(log.calls[8], "getResult");
}

TEST(BaseName, DropsFolderAndLastExtension) {
    EXPECT_EQ(baseName("a/b/scan.001.jpg"), "scan.001");
    EXPECT_EQ(baseName("scan"), "scan");
    EXPECT_EQ(baseName("dir.x/s.JPG"), "s");
}

}  // namespace
}  // namespace velmora::cli
