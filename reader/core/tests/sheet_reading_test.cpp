// The one reading function over a scripted engine: the calls in their fixed
// order, the hooks between them, the reading it returns, and the paths it
// keeps from the engine.
#include "reader/core/sheet_reading.h"

#include <gtest/gtest.h>

#include "reader/core/tests/scripted_engine.h"

namespace tarrow {
namespace {

using testing::ScriptedEngine;
using SheetScript = ScriptedEngine::SheetScript;

ReadingSettings settings() {
    ReadingSettings s;
    s.definition = "def.ini";
    s.noMarkedDots = 25;
    s.multiply1000 = 1500;
    s.scalePercent = 50;
    s.sharpenRate = 20;
    return s;
}

TEST(PrepareEngine, ReadsTheDefinitionThenSetsTheRunSettings) {
    ScriptedEngine engine;
    engine.editorDpi = 300;
    const std::optional<EnginePreparation> prepared = prepareEngine(engine, settings());
    ASSERT_TRUE(prepared);
    EXPECT_FALSE(prepared->refused);
    EXPECT_EQ(prepared->editorDpi, 300);
    EXPECT_EQ(
        engine.calls,
        (QStringList{"put_IniFilename(def.ini)", "put_Options(get_definition_problem,-1,)",
                     "put_Options(set_nomarkmin_1000,0,)", "put_Options(set_nomarkmin_dots,25,)",
                     "put_Options(get_editor_dpi_x,-1,)",
                     "put_Options(set_multi_marked_multiply_1000,1500,)"}));

    // A refused definition sets nothing; a failing call is no preparation.
    ScriptedEngine refusing;
    refusing.definitionProblem = QStringLiteral("too many questions");
    EXPECT_TRUE(prepareEngine(refusing, settings())->refused);
    EXPECT_EQ(refusing.calls.size(), 2);
    ScriptedEngine failing;
    failing.failAction = QStringLiteral("set_nomarkmin_dots");
    EXPECT_EQ(prepareEngine(failing, settings()), std::nullopt);
}

TEST(ReadSheet, MakesEveryCallInOrderWithTheHooksBetweenThem) {
    ScriptedEngine engine;
    SheetScript sheet;
    sheet.dpi = 200;
    sheet.imageAreas = 2;
    sheet.result = "3,-1,1";
    sheet.reliability = "150.0,0.0,999.0";
    sheet.markedCounts = "1,0,1";
    sheet.multiQuestions = "2,,0";  // an empty field is still asked for
    sheet.dots = {"5,6", "", "7,8,9"};
    sheet.rotated = 1;
    sheet.skew = 4;
    sheet.diffX = 12;
    sheet.diffY = -7;
    engine.sheets["in/s1.jpg"] = sheet;
    ReadingHooks hooks;
    hooks.resolution = [&](int dpi) { engine.calls << QStringLiteral("hook: %1 dpi").arg(dpi); };
    hooks.cropBase = [&] {
        engine.calls << QStringLiteral("hook: crop base");
        return std::string("out/s1");
    };
    SheetRequest request{"in/s1.jpg", "dbg/debug-s1.jpg"};
    const std::optional<SheetReading> r = readSheet(engine, settings(), request, hooks);
    ASSERT_TRUE(r);
    EXPECT_EQ(engine.calls, (QStringList{"put_Options(get_dpi_x,-1,in/s1.jpg)",
                                         "hook: 200 dpi",
                                         "put_ImageFilename(in/s1.jpg)",
                                         "put_Options(get_imagearea_count,-1,)",
                                         "hook: crop base",
                                         "put_Options(set_imagearea_jpeg_file,-1,out/s1)",
                                         "put_Options(set_imagescale_rate_percent,50,)",
                                         "put_Options(set_imagesharpen_rate,20,)",
                                         "put_Options(set_debug_filename,-1,dbg/debug-s1.jpg)",
                                         "Run",
                                         "put_Options(set_debug_filename,-1,)",
                                         "Run",
                                         "get_Result",
                                         "put_Options(get_marked_counts,-1,)",
                                         "put_Options(get_multi_questions,-1,)",
                                         "put_Options(get_multi_dots_per_question,0,)",
                                         "put_Options(get_multi_dots_per_question,1,)",
                                         "put_Options(get_multi_dots_per_question,2,)",
                                         "put_Options(chk_rotate,-1,)",
                                         "put_Options(get_skew_size,-1,)",
                                         "put_Options(get_diffzero_x,-1,)",
                                         "put_Options(get_diffzero_y,-1,)"}));
    SheetReading want;
    want.status = 0;
    want.imageDpi = 200;
    want.imageAreas = 2;
    want.cropBase = "out/s1";
    want.answers = "3,-1,1";
    want.reliability = "150.0,0.0,999.0";
    want.markedCounts = "1,0,1";
    want.multiQuestions = "2,,0";
    want.multiDots = {"5,6", "", "7,8,9"};
    want.rotated = 1;
    want.skew = 4;
    want.offsetX = 12;
    want.offsetY = -7;
    EXPECT_EQ(*r, want);  // the component tells no angle
}

TEST(ReadSheet, AFailedRunStopsBeforeTheGettersAndAFailedCallGivesNoReading) {
    ScriptedEngine engine;
    engine.sheets["bad.jpg"].runStatus = -3;
    const std::optional<SheetReading> r = readSheet(engine, settings(), {"bad.jpg", {}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, -3);
    EXPECT_FALSE(r->read());
    EXPECT_EQ(engine.calls.last(), QStringLiteral("Run"));
    EXPECT_TRUE(r->answers.empty());
    // Without a crop hook nothing is asked and the base stays unset.
    EXPECT_EQ(r->cropBase, std::nullopt);

    for (const char* action :
         {"get_dpi_x", "set_imagesharpen_rate", "get_multi_dots_per_question", "get_diffzero_y"}) {
        ScriptedEngine failing;
        failing.sheets["a.jpg"].multiQuestions = "1";
        failing.failAction = QString::fromLatin1(action);
        EXPECT_EQ(readSheet(failing, settings(), {"a.jpg", {}}), std::nullopt) << action;
    }
}

TEST(ReadSheet, PathsLongerThanTheEngineHoldsAreKeptFromIt) {
    ScriptedEngine engine;
    const std::string longImage = std::string(300, 'a') + ".jpg";
    const std::optional<SheetReading> r = readSheet(engine, settings(), {longImage, {}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, SheetReading::kImageNotLoaded);
    EXPECT_EQ(r->imageDpi, std::nullopt);
    EXPECT_TRUE(engine.calls.isEmpty());

    // A crop base that long switches the crops off rather than being cut;
    // a diagnostic path that long skips the diagnostic pass.
    engine.sheets["x.jpg"].imageAreas = 1;
    ReadingHooks hooks;
    hooks.cropBase = [] { return std::string(260, 'c'); };
    const SheetRequest request{"x.jpg", std::string(260, 'd')};
    EXPECT_EQ(readSheet(engine, settings(), request, hooks)->cropBase, "");
    EXPECT_EQ(engine.calls.filter("set_imagearea_jpeg_file"),
              QStringList{"put_Options(set_imagearea_jpeg_file,-1,)"});
    EXPECT_EQ(engine.calls.count("Run"), 1);
    EXPECT_EQ(cropBaseToSet(""), std::nullopt);
    EXPECT_EQ(cropBaseToSet(std::string(259, 'c')), std::string(259, 'c'));
}

}  // namespace
}  // namespace tarrow
