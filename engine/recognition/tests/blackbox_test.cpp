// Generated scans of whole sheets read end to end and compared with their
// ground truth: resolutions, formats, distortions, and sheets that must not
// read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/recognition/engine_session.h"
#include "engine/recognition/tests/test_sheet.h"
#include "tools/sheetgen/sheet_generator.h"

namespace strovik {
namespace {

using sheetgen::Format;

struct Scan {
    int dpi = 300;
    Format format = Format::Jpeg;
    sheetgen::Distortion distortion;
    std::uint32_t seed = 1;
    int questions = 60;
};

struct Outcome {
    int status = 0;
    std::vector<int> answers;
    std::vector<double> reliability;
    std::vector<int> marked;
    int rotated = 0, dx = 0, dy = 0;
    std::vector<std::string> dots;
};

std::vector<int> splitInts(const std::string& text) {
    std::vector<int> values;
    std::stringstream in(text);
    std::string field;
    while (std::getline(in, field, ',')) values.push_back(std::stoi(field));
    return values;
}

class BlackBox : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            testing::freshFolder(std::string("blackbox-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    sheetgen::Layout layout(const Scan& scan) const {
        sheetgen::LayoutParams p;
        p.dpi = scan.dpi;
        p.questions = scan.questions;
        p.choices = 5;
        p.columns = 3;
        p.imageAreas = 1;
        p.multiQuestions = {2};
        return sheetgen::makeLayout(p);
    }

    Outcome read(const Scan& scan, const sheetgen::Answers& answers, const char* name) {
        const sheetgen::Layout l = layout(scan);
        const std::string ini = (dir_ / (std::string(name) + ".ini")).string();
        testing::writeText(ini, sheetgen::definitionText(l));
        const std::string image = (dir_ / name).string();
        const sheetgen::Image picture =
            sheetgen::renderSheet(l, answers, scan.distortion, scan.seed);
        EXPECT_TRUE(sheetgen::saveImage(image, picture, scan.format, scan.dpi));
        return readFile(ini, image);
    }

    Outcome readFile(const std::string& ini, const std::string& image) {
        EngineCore core;
        EngineSession session(core);
        session.putIniFilename(ini);
        OptionOutputs out;
        session.putOptions(strovik::OptionAction::SetNoMarkMin1000, 0, "", out);
        session.putImageFilename(image);
        Outcome o;
        o.status = session.run();
        if (o.status != kRunOk) return o;
        std::string result, reliability;
        session.getResult(result, reliability);
        o.answers = splitInts(result);
        std::stringstream in(reliability);
        for (std::string field; std::getline(in, field, ',');)
            o.reliability.push_back(std::stod(field));
        session.putOptions(strovik::OptionAction::GetMarkedCounts, -1, "", out);
        o.marked = splitInts(out.retValueStr);
        session.putOptions(strovik::OptionAction::GetMultiDotsPerQuestion, 0, "", out);
        o.dots.push_back(out.retValueStr);
        o.rotated = session.rotatedFlag();
        o.dx = core.alignment().offsetX;
        o.dy = core.alignment().offsetY;
        return o;
    }

    // Every clearly filled single answer is read with a reliability above the
    // usual threshold of 2.0; blank questions stay at or below it; doubled
    // ones count (at least) two marks. The no-mark minimum is 0 here, as the
    // reading application sets it, so answers below 2.0 are still reported.
    void expectMatchesTruth(const Scan& scan, const char* name) {
        const sheetgen::Layout l = layout(scan);
        const sheetgen::Answers answers = sheetgen::randomAnswers(l, scan.seed);
        const Outcome o = read(scan, answers, name);
        ASSERT_EQ(o.status, kRunOk) << name;
        const sheetgen::GroundTruth truth = sheetgen::groundTruth(l, answers);
        ASSERT_EQ(o.answers.size(), truth.answers.size());
        for (std::size_t q = 0; q < truth.answers.size(); ++q) {
            if (q == 2) {
                EXPECT_EQ(o.answers[q], -1) << name << " multi-answer question";
                continue;
            }
            const auto& row = answers[q];
            const bool faint = std::count(row.begin(), row.end(), sheetgen::Mark::Faint) > 0;
            if (truth.filledCount[q] == 1 && !faint) {
                EXPECT_EQ(o.answers[q], truth.answers[q]) << name << " question " << q;
                EXPECT_GT(o.reliability[q], 2.0) << name << " question " << q;
                EXPECT_GE(o.marked[q], 1) << name << " question " << q;
            } else if (truth.filledCount[q] == 2) {
                EXPECT_GE(o.marked[q], 2) << name << " question " << q;
            } else if (truth.filledCount[q] == 0 && !faint) {
                EXPECT_LE(o.reliability[q], 2.0) << name << " question " << q;
            }
        }
        EXPECT_EQ(o.rotated, scan.distortion.upsideDown ? 1 : 0) << name;
    }

    std::filesystem::path dir_;
};

TEST_F(BlackBox, JpegAt300And200DpiWithShiftTurnNoiseAndBlur) {
    Scan scan;
    scan.distortion = {14, -9, 0.004, false, 5.0, 0.8};
    expectMatchesTruth(scan, "a300.jpg");
    scan.dpi = 200;
    scan.seed = 2;
    scan.distortion = {-20, 12, -0.003, false, 4.0, 0.5};
    expectMatchesTruth(scan, "a200.jpg");
}

TEST_F(BlackBox, UpsideDownSheetsAtBothSamplings) {
    Scan scan;
    scan.seed = 3;
    scan.distortion = {5, 5, 0.002, true, 3.0, 0.5};
    expectMatchesTruth(scan, "turned300.jpg");
    scan.dpi = 200;
    expectMatchesTruth(scan, "turned200.jpg");
}

TEST_F(BlackBox, EveryImageFormatReadsTheSame) {
    const std::pair<Format, const char*> formats[] = {{Format::Bmp, "s.bmp"},
                                                      {Format::Gif, "s.gif"},
                                                      {Format::Png, "s.png"},
                                                      {Format::Tiff, "s.tif"}};
    for (auto [format, name] : formats) {
        Scan scan;
        scan.dpi = 150;
        scan.format = format;
        scan.seed = 4;
        scan.distortion = {3, -4, 0.0, false, 2.0, 0.0};
        expectMatchesTruth(scan, name);
    }
}

TEST_F(BlackBox, A300DpiSheetCountsTheSameDotsAsPngTiffAndJpeg) {
    // Above 250 dpi every other pixel is sampled, whatever the file format:
    // a PNG or TIFF sampled at every pixel counted four times the dots of
    // the JPEG, so blank choices of several-answer questions read as marked.
    Scan scan;
    scan.seed = 7;
    const sheetgen::Layout l = layout(scan);
    sheetgen::Answers answers = sheetgen::randomAnswers(l, scan.seed);
    answers[2] = {sheetgen::Mark::Filled, sheetgen::Mark::Blank, sheetgen::Mark::Blank,
                  sheetgen::Mark::Filled, sheetgen::Mark::Blank};
    const Outcome jpeg = read(scan, answers, "s300.jpg");
    ASSERT_EQ(jpeg.status, kRunOk);
    const std::vector<int> jpegDots = splitInts(jpeg.dots[0]);
    ASSERT_EQ(jpegDots.size(), 5u);
    for (const auto& [format, name] :
         {std::pair{Format::Png, "s300.png"}, std::pair{Format::Tiff, "s300.tif"}}) {
        scan.format = format;
        const Outcome o = read(scan, answers, name);
        ASSERT_EQ(o.status, kRunOk) << name;
        const std::vector<int> dots = splitInts(o.dots[0]);
        ASSERT_EQ(dots.size(), 5u) << name;
        for (std::size_t c = 0; c < dots.size(); ++c) {
            // Lossless and JPEG pixels differ a little; a doubled sampling
            // would differ by a factor of four.
            EXPECT_LE(dots[c], jpegDots[c] * 3 / 2 + 4) << name << " choice " << c;
            EXPECT_GE(dots[c] * 3 / 2 + 4, jpegDots[c]) << name << " choice " << c;
        }
    }
}

TEST_F(BlackBox, ShiftIsReportedAsTheOffset) {
    Scan scan;
    scan.seed = 5;
    scan.distortion = {12, -7, 0.0, false, 0.0, 0.0};
    const sheetgen::Layout l = layout(scan);
    const Outcome o = read(scan, sheetgen::randomAnswers(l, scan.seed), "shift.jpg");
    ASSERT_EQ(o.status, kRunOk);
    EXPECT_NEAR(o.dx, 12, 1);
    EXPECT_NEAR(o.dy, -7, 1);
}

TEST_F(BlackBox, MultiAnswerDotsShowTheFilledChoices) {
    Scan scan;
    scan.seed = 6;
    const sheetgen::Layout l = layout(scan);
    sheetgen::Answers answers = sheetgen::randomAnswers(l, scan.seed);
    answers[2] = {sheetgen::Mark::Filled, sheetgen::Mark::Blank, sheetgen::Mark::Blank,
                  sheetgen::Mark::Filled, sheetgen::Mark::Blank};
    const Outcome o = read(scan, answers, "multi.jpg");
    ASSERT_EQ(o.status, kRunOk);
    const std::vector<int> dots = splitInts(o.dots[0]);
    ASSERT_EQ(dots.size(), 5u);
    EXPECT_GT(dots[0], 3 * dots[1]);
    EXPECT_GT(dots[3], 3 * dots[2]);
}

TEST_F(BlackBox, SheetsThatMustNotRead) {
    Scan scan;
    const sheetgen::Layout l = layout(scan);
    const std::string ini = (dir_ / "sheet.ini").string();
    testing::writeText(ini, sheetgen::definitionText(l));
    sheetgen::Image blank{l.widthPx, l.heightPx,
                          std::vector<std::uint8_t>(std::size_t(l.widthPx) * l.heightPx * 3, 250)};
    ASSERT_TRUE(sheetgen::saveImage((dir_ / "blank.jpg").string(), blank, Format::Jpeg, 300));
    EXPECT_EQ(readFile(ini, (dir_ / "blank.jpg").string()).status, kRunZeroMarksNotFound);

    // A sheet moved far beyond every search window.
    scan.distortion = {0, 400, 0.0, false, 0.0, 0.0};
    EXPECT_EQ(read(scan, sheetgen::randomAnswers(l, 1), "far.jpg").status, kRunZeroMarksNotFound);

    // A truncated JPEG is a load failure, not a grey sheet.
    const std::string whole = testing::readText(dir_ / "far.jpg");
    testing::writeText(dir_ / "cut.jpg", whole.substr(0, whole.size() / 2));
    EXPECT_EQ(readFile(ini, (dir_ / "cut.jpg").string()).status, kRunImageNotLoaded);
}

}  // namespace
}  // namespace strovik
