#include "engine/recognition/engine_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/recognition/tests/test_sheet.h"

namespace strovik {
namespace {

using testing::freshFolder;
using testing::readText;
using testing::TestSheet;
using testing::writeText;

// Three questions of four choices on a 600 x 900 sheet; question 2 takes
// several marks. Ovals are 18 x 30 pixels (half sizes 9 and 15).
const char* const kDefinition =
    "[ZEROMARK]\r\nZEROMARK_RADIUS=14\r\nZEROMARK1_X=60\r\nZEROMARK1_Y=740\r\n"
    "ZEROMARK2_X=540\r\nZEROMARK2_Y=740\r\nZEROMARK3_X=60\r\nZEROMARK3_Y=60\r\n"
    "ZEROMARK_COLOR_MIN=150\r\nZEROMARK_RATE=0.500000\r\n\r\n\r\n"
    "[MARK]\r\nOVALMARK_WIDTH=19\r\nOVALMARK_HEIGHT=30\r\nOVALMARK_COLOR_MIN=100\r\n"
    "OVALMARK_COLOR_MAX=200\r\n"
    "MARK0=0,0,200,200\r\nMARK1=0,1,250,200\r\nMARK2=0,2,300,200\r\nMARK3=0,3,350,200\r\n"
    "MARK4=1,0,200,300\r\nMARK5=1,1,250,300\r\nMARK6=1,2,300,300\r\nMARK7=1,3,350,300\r\n"
    "MARK8=2,0,200,400\r\nMARK9=2,1,250,400\r\nMARK10=2,2,300,400\r\nMARK11=2,3,350,400\r\n"
    "\r\n\r\n[IMAGEAREA]\r\nIMAGEAREA0=100,500,300,500,300,600,100,600\r\n\r\n\r\n"
    "[MULTI]\r\nQUESTIONS=2\r\n\r\n\r\n[SYSTEM]\r\nDPI_X=-1\r\nDPI_Y=-1\r\nDEBUG=\r\n";

constexpr int kOvalSamples = 419;  // samples of a 9 x 15 half-size oval at step 1

TestSheet drawSheet(int dx = 0, int dy = 0) {
    TestSheet s(600, 900);
    for (auto [x, y] : {std::pair{60, 740}, {540, 740}, {60, 60}}) s.disc(x + dx, y + dy, 14);
    s.oval(300 + dx, 200 + dy, 9, 15);  // question 0: choice 3
    s.oval(200 + dx, 400 + dy, 9, 15);  // question 2: choices 1 and 4
    s.oval(350 + dx, 400 + dy, 9, 15);
    return s;
}

class EngineSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ini_ = (dir_ / "sheet.ini").string();
        writeText(ini_, kDefinition);
    }
    std::string image(const TestSheet& sheet, const std::string& name = "s.bmp") {
        const auto path = dir_ / name;
        sheet.saveBmp(path);
        return path.string();
    }
    OptionOutputs option(OptionAction action, int value = -1, const std::string& text = "") {
        OptionOutputs out;
        out.retValue = 4242;
        out.retValueStr = "untouched";
        out.ret = 77;
        session_.putOptions(action, value, text, out);
        return out;
    }
    int read(const std::string& imagePath) {
        session_.putIniFilename(ini_);
        session_.putImageFilename(imagePath);
        return session_.run();
    }
    std::pair<std::string, std::string> result() {
        std::pair<std::string, std::string> r;
        session_.getResult(r.first, r.second);
        return r;
    }

    std::filesystem::path dir_;
    std::string ini_;
    EngineCore core_;
    EngineSession session_{core_};
};

TEST_F(EngineSessionTest, ReadsAStraightSheet) {
    ASSERT_EQ(read(image(drawSheet())), kRunOk);
    EXPECT_EQ(result(), (std::pair<std::string, std::string>{"3,-1,-1", "999.0,0.0,0.0"}));
    EXPECT_EQ(option(OptionAction::GetMarkedCounts).retValueStr, "1,0,0");
    const OptionOutputs multi = option(OptionAction::GetMultiQuestions);
    EXPECT_EQ(multi.retValue, 1);
    EXPECT_EQ(multi.retValueStr, "2");
    const std::string n = std::to_string(kOvalSamples);
    EXPECT_EQ(option(OptionAction::GetMultiDotsPerQuestion, 0).retValueStr, n + ",0,0," + n);
    EXPECT_EQ(option(OptionAction::GetMultiDotsPerQuestion, 1).retValueStr, "");
    EXPECT_EQ(option(OptionAction::ChkRotate).retValue, 0);
    EXPECT_EQ(option(OptionAction::GetSkewSize).retValue, 0);
    EXPECT_EQ(option(OptionAction::GetDiffZeroX).retValue, 0);
    EXPECT_EQ(option(OptionAction::GetDiffZeroY).retValue, 0);
}

TEST_F(EngineSessionTest, ShiftedSheetGivesItsOffset) {
    ASSERT_EQ(read(image(drawSheet(12, -7))), kRunOk);
    EXPECT_EQ(result().first, "3,-1,-1");
    EXPECT_EQ(option(OptionAction::GetDiffZeroX).retValue, 12);
    EXPECT_EQ(option(OptionAction::GetDiffZeroY).retValue, -7);
    EXPECT_DOUBLE_EQ(core_.alignment().angle, 0.0);
}

TEST_F(EngineSessionTest, UpsideDownSheetIsTurned) {
    TestSheet sheet = drawSheet();
    sheet.turn();
    ASSERT_EQ(read(image(sheet)), kRunOk);
    EXPECT_EQ(result().first, "3,-1,-1");
    EXPECT_EQ(option(OptionAction::ChkRotate).retValue, 1);
}

TEST_F(EngineSessionTest, LargeVerticalShiftNeedsTheWideWindow) {
    ASSERT_EQ(read(image(drawSheet(0, 100))), kRunOk);
    EXPECT_EQ(option(OptionAction::ChkRotate).retValue, 0);
    EXPECT_EQ(option(OptionAction::GetDiffZeroY).retValue, 100);
    EXPECT_EQ(result().first, "3,-1,-1");
}

TEST_F(EngineSessionTest, FailuresKeepThePreviousResults) {
    EXPECT_EQ(result(), (std::pair<std::string, std::string>{"", ""}));  // nothing read yet
    ASSERT_EQ(read(image(drawSheet(5, 5))), kRunOk);
    const std::string definitionAfterRun = readText(ini_);

    session_.putImageFilename((dir_ / "missing.bmp").string());
    EXPECT_EQ(session_.run(), kRunImageNotLoaded);
    EXPECT_EQ(result().first, "3,-1,-1");

    session_.putImageFilename(image(TestSheet(600, 900), "blank.bmp"));
    EXPECT_EQ(session_.run(), kRunZeroMarksNotFound);
    EXPECT_EQ(result().first, "3,-1,-1");
    EXPECT_EQ(option(OptionAction::GetDiffZeroX).retValue, 5);
    EXPECT_EQ(option(OptionAction::ChkRotate).retValue,
              1);                                   // the last attempt looked at the turned image
    EXPECT_EQ(readText(ini_), definitionAfterRun);  // no write-back after a failure

    writeText(dir_ / "text.bmp", "not an image");
    session_.putImageFilename((dir_ / "text.bmp").string());
    EXPECT_EQ(session_.run(), kRunImageNotLoaded);
    EXPECT_EQ(option(OptionAction::ChkRotate).retValue, 1);  // a load failure leaves the flag alone
}

// Sizes no sheet can have end quickly with the status of what happened:
// zero marks too large to be found, ovals and areas bounded by the image.
TEST_F(EngineSessionTest, AbsurdSizesEndWithTheStatusOfWhatHappened) {
    const std::string sheet = image(drawSheet());
    const auto withKey = [&](const std::string& key, const std::string& value) {
        std::string text = kDefinition;
        const std::size_t at = text.find(key + "=");
        text.replace(at, text.find('\r', at) - at, key + "=" + value);
        writeText(ini_, text);
    };
    for (const char* radius : {"2147483647", "100000000", "5000"}) {
        withKey("ZEROMARK_RADIUS", radius);
        option(OptionAction::SetDebugFilename, -1, (dir_ / "debug.jpg").string());  // marking too
        EXPECT_EQ(read(sheet), kRunZeroMarksNotFound) << radius;
    }

    withKey("OVALMARK_WIDTH", "2147483647");
    session_.putIniFilename(ini_);
    std::string text = readText(ini_);
    text.replace(text.find("OVALMARK_HEIGHT=30"), 18, "OVALMARK_HEIGHT=2147483647");
    text.replace(text.find("IMAGEAREA0=") + 11, 27,
                 "-2147483648,-2147483648,2147483647,-2147483648,2147483647,2147483647,"
                 "-2147483648,2147483647\r\nIMAGEAREA1=0,0,20000,0,20000,4000,0,4000\r\n"
                 "IMAGEAREA2=100,500,300,500,300,600,100,600");
    writeText(ini_, text);
    option(OptionAction::SetImageAreaJpegFile, -1, (dir_ / "crop").string());
    ASSERT_EQ(read(sheet), kRunOk);
    EXPECT_EQ(core_.definition().imageAreas.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "crop_000.jpg"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "crop_001.jpg"));  // 80 Mpx on a 0.5 Mpx sheet
    EXPECT_TRUE(std::filesystem::exists(dir_ / "crop_002.jpg"));
    // What is written back is the definition's size, not the one measured.
    EXPECT_NE(readText(ini_).find("OVALMARK_WIDTH=2147483646\r\n"), std::string::npos);
}

TEST_F(EngineSessionTest, RefusedDefinitionFailsEveryRunAndSaysWhy) {
    const std::string sheet = image(drawSheet());
    std::string text = kDefinition;
    text.replace(text.find("MARK11=2,3,350,400"), 18, "MARK11=100000,3,350,400");
    writeText(ini_, text);
    const std::string before = readText(ini_);
    EXPECT_EQ(read(sheet), kRunDefinitionRefused);
    const OptionOutputs problem = option(OptionAction::GetDefinitionProblem);
    EXPECT_EQ(problem.retValue, 1);
    EXPECT_NE(problem.retValueStr.find("MARK11 names question 100000"), std::string::npos)
        << problem.retValueStr;
    EXPECT_EQ(readText(ini_), before);  // nothing written back

    writeText(ini_, kDefinition);
    EXPECT_EQ(read(sheet), kRunOk);
    EXPECT_EQ(option(OptionAction::GetDefinitionProblem).retValue, 0);
    EXPECT_EQ(option(OptionAction::GetDefinitionProblem).retValueStr, "");
}

TEST_F(EngineSessionTest, WritesTheDefinitionBackAfterSuccess) {
    ASSERT_EQ(read(image(drawSheet())), kRunOk);
    const std::string text = readText(ini_);
    EXPECT_NE(text.find("ZEROMARK_RATE=0.5\r\n"), std::string::npos);
    EXPECT_NE(text.find("OVALMARK_WIDTH=18\r\n"), std::string::npos);  // 19 comes back even
    EXPECT_NE(text.find("MARK11=2,3,350,400\r\n"), std::string::npos);
}

TEST_F(EngineSessionTest, NotificationOnSuccessOnly) {
    std::vector<std::vector<std::int32_t>> calls;
    session_.setNotifySink([&](std::int32_t w, std::uint32_t m, std::int32_t q, std::int32_t c) {
        calls.push_back({w, std::int32_t(m), q, c});
    });
    session_.putNotify(1234, 0);  // message 0: nothing is sent
    ASSERT_EQ(read(image(drawSheet())), kRunOk);
    EXPECT_TRUE(calls.empty());

    session_.putNotify(1234, 0x8001);
    ASSERT_EQ(read(image(drawSheet())), kRunOk);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (std::vector<std::int32_t>{1234, 0x8001, 3, 4}));

    EXPECT_EQ(read(image(TestSheet(600, 900), "blank.bmp")), kRunZeroMarksNotFound);
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(EngineSessionTest, OptionActions) {
    // Before any definition: the multi-answer query writes nothing.
    OptionOutputs out = option(OptionAction::GetMultiQuestions);
    EXPECT_EQ(out.retValue, 4242);
    EXPECT_EQ(out.retValueStr, "untouched");

    option(OptionAction::SetNoMarkMinDots, 55);
    session_.putIniFilename(ini_);
    EXPECT_EQ(option(OptionAction::GetNoMarkMinDots).retValue,
              10);  // the file's (default) value wins

    option(OptionAction::SetNoMarkMin1000, 2500);
    EXPECT_EQ(option(OptionAction::GetNoMarkMin1000).retValue, 2500);
    option(OptionAction::SetMarkColorMin, 90);
    EXPECT_EQ(option(OptionAction::GetMarkColorMin).retValue, 90);

    out = option(OptionAction::GetSkewSize);
    EXPECT_EQ(out.ret, 77);  // only the documented actions write ret
    EXPECT_EQ(out.retValueStr, "untouched");

    const std::string bmp = image(drawSheet());
    out = option(OptionAction::GetDpiX, -1, bmp);
    EXPECT_EQ(out.retValue, -1);
    EXPECT_EQ(out.ret, 0);
    EXPECT_EQ(option(OptionAction::GetEditorDpiX).retValue, -1);
    EXPECT_EQ(option(OptionAction::GetEditorDpiX).ret, 0);
    EXPECT_EQ(option(OptionAction::GetImageAreaCount).retValue, 1);

    writeText(dir_ / "nomulti.ini", "[MARK]\r\nMARK0=0,0,1,1\r\n");
    session_.putIniFilename((dir_ / "nomulti.ini").string());
    out = option(OptionAction::GetMultiQuestions);
    EXPECT_EQ(out.retValue, 0);
    EXPECT_EQ(out.retValueStr, "");
}

TEST_F(EngineSessionTest, ExchangeRuleMakesMarksOneAndTwoTheBaseline) {
    std::string text = kDefinition;
    // Mark 2 above mark 1, mark 3 far to the right: they change places.
    auto swapText = [&](const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
    };
    swapText("ZEROMARK2_X=540\r\nZEROMARK2_Y=740\r\n", "ZEROMARK2_X=60\r\nZEROMARK2_Y=60\r\n");
    swapText("ZEROMARK3_X=60\r\nZEROMARK3_Y=60\r\n", "ZEROMARK3_X=540\r\nZEROMARK3_Y=740\r\n");
    writeText(ini_, text);
    ASSERT_EQ(read(image(drawSheet())), kRunOk);
    EXPECT_EQ(option(OptionAction::GetCenter3X).retValue, 60);
    EXPECT_EQ(option(OptionAction::GetCenter3Y).retValue, 60);
    const std::string written = readText(ini_);
    EXPECT_NE(written.find("ZEROMARK2_X=540\r\n"), std::string::npos);
    EXPECT_NE(written.find("ZEROMARK3_Y=60\r\n"), std::string::npos);
}

TEST_F(EngineSessionTest, CropsAndDiagnosticImage) {
    session_.putIniFilename(ini_);
    OptionOutputs out;
    session_.putOptions(OptionAction::SetImageAreaJpegFile, -1, (dir_ / "crop").string(), out);
    session_.putOptions(OptionAction::SetDebugFilename, -1, (dir_ / "debug.jpg").string(), out);
    session_.putImageFilename(image(drawSheet()));
    ASSERT_EQ(session_.run(), kRunOk);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "crop_000.jpg"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "debug.jpg"));
    EXPECT_EQ(result().first, "3,-1,-1");  // marking the samples changes no count

    // A failed run still leaves the first diagnostic image.
    std::filesystem::remove(dir_ / "debug.jpg");
    session_.putImageFilename(image(TestSheet(600, 900), "blank.bmp"));
    EXPECT_EQ(session_.run(), kRunZeroMarksNotFound);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "debug.jpg"));
}

// A sheet fed upside down is read through a turned view and turned only for
// its crops and diagnostic image: both come out byte for byte as for the
// same sheet fed the right way up.
TEST_F(EngineSessionTest, UpsideDownSheetGivesTheSameCropsAndDiagnosticImage) {
    auto readWithOutputs = [&](const TestSheet& sheet, const std::string& name) {
        session_.putIniFilename(ini_);
        OptionOutputs out;
        session_.putOptions(OptionAction::SetImageAreaJpegFile, -1, (dir_ / name).string(), out);
        session_.putOptions(OptionAction::SetDebugFilename, -1, (dir_ / (name + ".jpg")).string(),
                            out);
        session_.putImageFilename(image(sheet, name + ".bmp"));
        EXPECT_EQ(session_.run(), kRunOk) << name;
        return std::pair{readText(dir_ / (name + "_000.jpg")), readText(dir_ / (name + ".jpg"))};
    };
    const TestSheet upright = drawSheet(3, -2);
    TestSheet turned = upright;
    turned.turn();
    const auto straight = readWithOutputs(upright, "upright");
    EXPECT_EQ(option(OptionAction::ChkRotate).retValue, 0);
    const auto fromTurned = readWithOutputs(turned, "turned");
    EXPECT_EQ(option(OptionAction::ChkRotate).retValue, 1);
    ASSERT_FALSE(straight.first.empty());
    ASSERT_FALSE(straight.second.empty());
    EXPECT_TRUE(fromTurned.first == straight.first);
    EXPECT_TRUE(fromTurned.second == straight.second);
    EXPECT_EQ(result().first, "3,-1,-1");
}

}  // namespace
}  // namespace strovik
