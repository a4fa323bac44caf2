// The settings record: the first start without stored values, loading what
// an earlier run stored (in the exit procedure's order), odd stored text,
// the reset button and reading the form with its validation rules.
#include "scanner/core/scan_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

using testing::TempFolder;

class ScanSettingsTest : public ::testing::Test {
protected:
    std::string keyFile() const {
        return (config_.path() / "HKEY_LOCAL_MACHINE/SOFTWARE/velmora/fenwary/param.ini").string();
    }
    TempFolder config_;
    TempFolder home_;
    velmora::SettingsStore store_{config_.path()};
};

TEST_F(ScanSettingsTest, FirstStartTakesTheDefaultsAndCreatesTheDocumentsFolder) {
    const std::string documents = home_.str() + "/Documents";
    const ScanSettings s = loadSettings(store_, documents);
    EXPECT_EQ(s.folder, documents + "/tarrow/スキャン/");
    EXPECT_TRUE(std::filesystem::is_directory(s.folder));
    EXPECT_EQ(s.counter, 1u);
    EXPECT_EQ(s.step, 1);
    EXPECT_EQ(s.digits, 4);
    EXPECT_EQ(s.prefix, "");
    EXPECT_EQ(s.format, ImageFormat::Jpeg);
    EXPECT_EQ(s.jpegQuality, 75);
    EXPECT_TRUE(s.useCounter);
    EXPECT_FALSE(s.preview);
    EXPECT_FALSE(s.clipboard);
    EXPECT_EQ(s.previewRect, "0,0,400,620");
    EXPECT_EQ(s.sourceChoice().kind, SourceKind::None);
    EXPECT_TRUE(s.saneFeeder);
    EXPECT_EQ(s.saneResolution, 300);
    EXPECT_EQ(s.saneMode, "Color");
}

TEST_F(ScanSettingsTest, StoredValuesComeBackAndAreWrittenInTheExitOrder) {
    ScanSettings s = ScanSettings::defaults(home_.str());
    s.folder = "/data/scans/";
    s.counter = 4000000000u;
    s.step = -3;
    s.digits = 32;
    s.prefix = "答案";
    s.format = ImageFormat::Png;
    s.jpegQuality = 0;
    s.useCounter = false;
    s.clipboard = true;
    s.preview = true;
    s.previewRect = "0,0,380,560";
    s.source = SourceChoice{SourceKind::Sane, "test:1"}.text();
    s.saneFeeder = false;
    s.saneResolution = 200;
    s.saneMode = "Lineart";
    ASSERT_TRUE(storeSetting(store_, s, SettingId::Preview));
    ASSERT_TRUE(storeSettings(store_, s));

    std::ifstream in(keyFile());
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> names;
    for (std::string line; std::getline(text, line);) {
        if (const auto eq = line.find('='); eq != std::string::npos) {
            names.push_back(line.substr(0, eq));
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"preview", "preview_rect", "folder", "prefix",
                                               "jpeg_quality", "counter", "step", "digit", "format",
                                               "usecounter", "clipboard", "source", "sane_feeder",
                                               "sane_resolution", "sane_mode", "sane_timeout"}));

    const ScanSettings back = loadSettings(store_, "/nowhere");
    EXPECT_EQ(back.folder, "/data/scans/");
    EXPECT_EQ(back.counter, 4000000000u);
    EXPECT_EQ(back.step, -3);
    EXPECT_EQ(back.digits, 32);
    EXPECT_EQ(back.prefix, "答案");
    EXPECT_EQ(back.format, ImageFormat::Png);
    EXPECT_EQ(back.jpegQuality, 0);
    EXPECT_FALSE(back.useCounter);
    EXPECT_TRUE(back.clipboard);
    EXPECT_TRUE(back.preview);
    EXPECT_EQ(back.previewRectangle().width, 380);
    EXPECT_EQ(back.sourceChoice().name, "test:1");
    EXPECT_EQ(back.batchRequest().mode, ScanMode::Lineart);
    EXPECT_EQ(back.batchRequest().resolutionDpi, 200);
    EXPECT_FALSE(back.batchRequest().feeder);
}

TEST_F(ScanSettingsTest, OddStoredTextReadsAsDecimalNumbersDo) {
    const char* key = kSettingsKey;
    store_.setValue(kSettingsRoot, key, "counter", " 12abc");
    store_.setValue(kSettingsRoot, key, "step", "minus one");
    store_.setValue(kSettingsRoot, key, "format", "7");
    store_.setValue(kSettingsRoot, key, "digit", "99999999999999999999");
    store_.setValue(kSettingsRoot, key, "preview_rect", "10,20");
    store_.setValue(kSettingsRoot, key, "source", "scanner:x");
    const ScanSettings s = loadSettings(store_, home_.str());
    EXPECT_EQ(s.counter, 12u);
    EXPECT_EQ(s.step, 0);
    EXPECT_EQ(s.format, ImageFormat::Jpeg);
    EXPECT_EQ(s.digits, 2147483647);
    EXPECT_EQ(s.previewRectangle().height, 620);
    EXPECT_EQ(s.sourceChoice().kind, SourceKind::None);
}

TEST_F(ScanSettingsTest, ResetRestoresTheOutputOptionsOnly) {
    ScanSettings s = ScanSettings::defaults(home_.str());
    s.folder = "/kept/";
    s.counter = 77;
    s.step = 5;
    s.digits = 9;
    s.prefix = "x";
    s.format = ImageFormat::Bmp;
    s.jpegQuality = 10;
    s.useCounter = false;
    s.preview = true;
    s.clipboard = true;
    s.resetOutputOptions();
    EXPECT_EQ(s.counter, 1u);
    EXPECT_EQ(s.step, 1);
    EXPECT_EQ(s.digits, 4);
    EXPECT_EQ(s.prefix, "");
    EXPECT_EQ(s.format, ImageFormat::Jpeg);
    EXPECT_EQ(s.jpegQuality, 75);
    EXPECT_TRUE(s.useCounter);
    EXPECT_EQ(s.folder, "/kept/");
    EXPECT_TRUE(s.preview);
    EXPECT_TRUE(s.clipboard);
}

TEST_F(ScanSettingsTest, FormValuesOutsideTheirRangesAreRefusedAndNothingChanges) {
    const ScanSettings original = ScanSettings::defaults(home_.str());
    struct Case {
        FormField field;
        std::string FormTexts::*text;
        std::string value;
        std::string message;
    };
    const Case cases[] = {
        {FormField::Counter, &FormTexts::counter, "10000000",
         "0 から 9999999 までの整数を入力してください。"},
        {FormField::Counter, &FormTexts::counter, "-1",
         "0 から 9999999 までの整数を入力してください。"},
        {FormField::Step, &FormTexts::step, "2147483648",
         "-2147483648 から 2147483647 までの整数を入力してください。"},
        {FormField::Digits, &FormTexts::digits, "0", "1 から 32 までの整数を入力してください。"},
        {FormField::Digits, &FormTexts::digits, "33", "1 から 32 までの整数を入力してください。"},
        {FormField::JpegQuality, &FormTexts::jpegQuality, "101",
         "0 から 100 までの整数を入力してください。"},
        {FormField::JpegQuality, &FormTexts::jpegQuality, "7a", "整数を入力してください。"},
        {FormField::Counter, &FormTexts::counter, "", "整数を入力してください。"},
    };
    for (const Case& c : cases) {
        ScanSettings s = original;
        FormTexts texts = formTexts(s);
        texts.prefix = "changed";
        texts.*c.text = c.value;
        const auto problem = readForm(texts, s);
        ASSERT_TRUE(problem) << c.value;
        EXPECT_EQ(problem->field, c.field) << c.value;
        EXPECT_EQ(problem->message, c.message) << c.value;
        EXPECT_EQ(s.prefix, "") << "settings must stay unchanged";
    }
    ScanSettings s = original;
    FormTexts texts = formTexts(s);
    texts.counter = "9999999";
    texts.step = " -2147483648 ";
    texts.digits = "32";
    texts.jpegQuality = "0";
    texts.format = 2;
    EXPECT_FALSE(readForm(texts, s));
    EXPECT_EQ(s.counter, 9999999u);
    EXPECT_EQ(s.step, INT32_MIN);
    EXPECT_EQ(s.format, ImageFormat::Png);
}

}  // namespace
}  // namespace fenwary
