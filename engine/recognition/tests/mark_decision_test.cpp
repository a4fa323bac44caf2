#include "engine/recognition/mark_decision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/recognition/oval_measure.h"
#include "engine/recognition/tests/test_sheet.h"

namespace strovik {
namespace {

using testing::TestSheet;

// The same counts at every one of five ladder steps.
SingleDecision decideConstant(std::vector<int> counts, int total = 1870) {
    return decideSingle(std::vector<std::vector<int>>(5, counts), std::vector<int>(5, total), 10,
                        2.0);
}

TEST(MarkDecision, OneClearlyFilledChoice) {
    const SingleDecision d = decideConstant({10, 1500, 12, 8});
    EXPECT_EQ(d.best, 1);
    EXPECT_DOUBLE_EQ(d.reliability, 150.0);
    EXPECT_EQ(d.marked, 1);
}

TEST(MarkDecision, CleanOthersGive999) {
    const SingleDecision d = decideConstant({0, 0, 400, 0});
    EXPECT_EQ(d.best, 2);
    EXPECT_DOUBLE_EQ(d.reliability, 999.0);
    EXPECT_EQ(d.marked, 1);
}

TEST(MarkDecision, TwoFilledChoices) {
    const SingleDecision d = decideConstant({1500, 1400, 10, 10});
    EXPECT_EQ(d.best, 0);
    EXPECT_NEAR(d.reliability, 1500.0 / 473.0, 1e-12);
    EXPECT_EQ(d.marked, 2);
}

TEST(MarkDecision, OnlyChoicesAsDarkAsAMarkCountAsMarked) {
    // A clean mark beside specks: the others' mean truncates to 1, so a
    // speck of 5 is above twice the mean but far below the 187-sample limit.
    EXPECT_EQ(decideConstant({1500, 5, 0, 0}).marked, 1);
    EXPECT_EQ(decideConstant({0, 3, 1200, 1}).marked, 1);
    // A second real mark still counts, however it compares to the first.
    EXPECT_EQ(decideConstant({1500, 0, 200, 0}).marked, 2);
    // The answer and reliability do not depend on the marked count.
    const SingleDecision specks = decideConstant({1500, 5, 0, 0});
    EXPECT_EQ(specks.best, 0);
    EXPECT_DOUBLE_EQ(specks.reliability, 1500.0);
}

TEST(MarkDecision, BlankAndFaintQuestions) {
    const SingleDecision blank = decideConstant({100, 90, 80, 70});  // below 187 samples
    EXPECT_DOUBLE_EQ(blank.reliability, 0.0);
    EXPECT_EQ(blank.marked, 0);
    const SingleDecision faint = decideConstant({300, 150, 160, 140});
    EXPECT_DOUBLE_EQ(faint.reliability, 2.0);
    EXPECT_EQ(faint.marked, 0);
    // No dark sample at all (or no sample at all) is never a mark.
    EXPECT_DOUBLE_EQ(decideConstant({0, 0, 0}, 0).reliability, 0.0);
}

TEST(MarkDecision, OnlyAStrictlyBetterStepReplacesTheDecision) {
    const std::vector<std::vector<int>> dark = {{0, 500, 10}, {600, 0, 6}, {0, 1000, 10}};
    const SingleDecision d = decideSingle(dark, {1000, 1000, 1000}, 10, 2.0);
    EXPECT_EQ(d.best, 0);  // 600 / 3 = 200 beats 500 / 5; 1000 / 5 only ties it
    EXPECT_DOUBLE_EQ(d.reliability, 200.0);
}

TEST(MarkDecision, ACountExactlyAtTheDotsLimitIsAMark) {
    // 10 % of 1870 samples: the limit is exactly 187.
    const SingleDecision at = decideConstant({0, 187, 0, 0});
    EXPECT_EQ(at.best, 1);
    EXPECT_DOUBLE_EQ(at.reliability, 999.0);
    EXPECT_EQ(at.marked, 1);
    EXPECT_DOUBLE_EQ(decideConstant({0, 186, 0, 0}).reliability, 0.0);
    // A second choice exactly at the limit is marked too; one below is not.
    EXPECT_EQ(decideConstant({1500, 187, 0, 0}).marked, 2);
    EXPECT_EQ(decideConstant({1500, 186, 0, 0}).marked, 1);
}

TEST(MarkDecision, TheDotsLimitIsTruncatedNotRounded) {
    const auto decide = [](std::vector<int> counts, int total) {
        return decideSingle({counts}, {total}, 10, 2.0);
    };
    // 10 % of 15 samples is 1.5: the limit is 1, so one dark sample counts.
    EXPECT_DOUBLE_EQ(decide({0, 1, 0}, 15).reliability, 999.0);
    EXPECT_EQ(decide({0, 1, 0}, 15).marked, 1);
    // 10 % of 19 is 1.9, still 1; 10 % of 20 is exactly 2.
    EXPECT_DOUBLE_EQ(decide({1, 0, 0}, 19).reliability, 999.0);
    EXPECT_DOUBLE_EQ(decide({1, 0, 0}, 20).reliability, 0.0);
    EXPECT_DOUBLE_EQ(decide({2, 0, 0}, 20).reliability, 999.0);
}

TEST(MarkDecision, TiesGoToTheLowestChoice) {
    const SingleDecision middle = decideConstant({10, 500, 500, 10});
    EXPECT_EQ(middle.best, 1);
    EXPECT_EQ(middle.marked, 2);
    EXPECT_EQ(decideConstant({800, 0, 0, 800}).best, 0);
    // Within one step the tie is settled before the ratio: the ratio is the
    // same whichever of the tied choices is taken.
    EXPECT_NEAR(decideConstant({10, 500, 500, 10}).reliability, 500.0 / 173.0, 1e-12);
}

TEST(MarkDecision, AReliabilityExactlyAtTheNoMarkMinimumIsNoAnswer) {
    const SingleDecision d{2, 1.5, 1};
    EXPECT_EQ(reportedAnswer(d, 4, 1.5), -1);
    EXPECT_EQ(reportedAnswer(d, 4, 1.4999), 3);
    EXPECT_EQ(reportedAnswer(SingleDecision{0, 999.0, 1}, 4, 1.5), 1);
    // Nothing read (reliability 0) is no answer even with a minimum of 0,
    // and a question without choices never has one.
    EXPECT_EQ(reportedAnswer(SingleDecision{}, 4, 0.0), -1);
    EXPECT_EQ(reportedAnswer(SingleDecision{0, 999.0, 1}, 0, 1.5), -1);
}

TEST(MarkDecision, MultiAnswerThresholdAndDotString) {
    const ThresholdLadder ladder(100, 200);
    const std::vector<std::vector<int>> dark = {
        {1, 5, 3}, {10, 340, 15}, {12, 350, 22}, {0, 300, 0}, {5, 5, 5}};
    EXPECT_EQ(multiAnswerThreshold(dark, ladder), 140);  // spreads 4, 330, 338, 300, 0
    EXPECT_EQ(dotString({12, 340, 15, 8}), "12,340,15,8");
    EXPECT_EQ(multiAnswerThreshold({{7, 7}, {3, 3}}, ThresholdLadder(100, 140)), 0);
    const std::string longText = dotString(std::vector<int>(300, 1234));
    EXPECT_LE(longText.size(), kMaxDotStringChars);
    EXPECT_EQ(longText.back(), '4');  // cut after a whole number
}

TEST(ThresholdLadder, StepsAndDeduplication) {
    const ThresholdLadder standard(100, 200);
    ASSERT_EQ(standard.size(), 5u);
    EXPECT_EQ(standard[4], 180);
    EXPECT_EQ(ThresholdLadder(100, 101).size(), 1u);
    EXPECT_TRUE(ThresholdLadder(200, 100).empty());
    // A very wide range keeps one "nothing dark" and one "all dark" step.
    const ThresholdLadder wide(-2000000000, 2000000000);
    EXPECT_LE(wide.size(), ThresholdLadder::kMaxSteps);
    EXPECT_EQ(wide[0], 0);
    EXPECT_EQ(wide[wide.size() - 1], 256);
    // Buckets: dark at step i exactly when the value is below threshold i.
    for (int v = 0; v < 256; ++v)
        for (std::size_t i = 0; i < standard.size(); ++i)
            EXPECT_EQ(standard.bucket(std::uint8_t(v)) <= i, v < standard[i]);
}

TEST(OvalMeasure, EqualsAPlainCountAtEveryThreshold) {
    std::mt19937 rng(99);
    TestSheet sheet(160, 160);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x) sheet.set(x, y, std::uint8_t(rng() % 256));
    Raster r = sheet.raster();
    const ThresholdLadder ladder(100, 200);
    for (int trial = 0; trial < 60; ++trial) {
        const int a = int(rng() % 30), b = int(rng() % 40), s = 1 + int(rng() % 2);
        const Point c{int(rng() % 220) - 30, int(rng() % 220) - 30};
        const OvalMeasurement m = measureOval(r, c, OvalShape(a, b, s), ladder, false);
        int total = 0;
        std::vector<int> dark(ladder.size(), 0);
        for (int v = -b; v < b; v += s)
            for (int u = -a; u < a; u += s) {
                const double du = double(u) / a, dv = double(v) / b;
                if (!(du * du + dv * dv <= 1.0) || !r.contains(c.x + u, c.y + v)) continue;
                ++total;
                for (std::size_t i = 0; i < ladder.size(); ++i)
                    dark[i] += r.isDark(c.x + u, c.y + v, ladder[i]);
            }
        ASSERT_EQ(m.total, total) << "a=" << a << " b=" << b << " s=" << s;
        for (std::size_t i = 0; i < ladder.size(); ++i) ASSERT_EQ(m.dark[i], dark[i]);
    }
}

// An oval measured on the turned view counts and marks what it counts and
// marks on the raster turned by 180 degrees, also where it crosses an edge.
TEST(OvalMeasure, TurnedViewEqualsMeasuringTheTurnedRaster) {
    std::mt19937 rng(31);
    TestSheet sheet(61, 47);
    for (int y = 0; y < 47; ++y)
        for (int x = 0; x < 61; ++x) sheet.set(x, y, std::uint8_t(rng() % 256));
    const ThresholdLadder ladder(100, 200);
    for (int trial = 0; trial < 60; ++trial) {
        const int a = 1 + int(rng() % 20), b = 1 + int(rng() % 25), s = 1 + int(rng() % 2);
        const Point c{int(rng() % 91) - 15, int(rng() % 77) - 15};
        Raster turned = sheet.raster();
        rotate180(turned);
        const OvalMeasurement want = measureOval(turned, c, OvalShape(a, b, s), ladder, true);
        Raster raster = sheet.raster();
        const OvalMeasurement got =
            measureOval(RasterView(raster, true), c, OvalShape(a, b, s), ladder, true);
        ASSERT_EQ(got.total, want.total) << "trial " << trial;
        ASSERT_EQ(got.dark, want.dark) << "trial " << trial;
        rotate180(raster);
        ASSERT_TRUE(std::equal(raster.data(), raster.data() + raster.sizeBytes(), turned.data()))
            << "trial " << trial;
    }
}

TEST(MarkDecision, OvalSizesAreBoundedByTheImageAndATotalBudget) {
    // Ordinary definitions, the editor's largest included, keep their sizes.
    EXPECT_EQ(fittedOvalHalfSizes(18, 33, 1654, 2339, 1, 150), (OvalHalfSizes{18, 33}));
    EXPECT_EQ(fittedOvalHalfSizes(18, 33, 1654, 2339, 1, 10100 * 10), (OvalHalfSizes{18, 33}));
    EXPECT_EQ(fittedOvalHalfSizes(-5, 0, 100, 100, 1, 4), (OvalHalfSizes{-5, 0}));
    // A half size beyond the image is cut to the image's side.
    EXPECT_EQ(fittedOvalHalfSizes(2147483647, 10, 600, 900, 1, 1), (OvalHalfSizes{600, 10}));
    // Many image-sized ovals are scaled down alike into the budget.
    const OvalHalfSizes many = fittedOvalHalfSizes(2147483647, 2147483647, 600, 900, 2, 10000);
    EXPECT_LT(many.width, 600);
    EXPECT_NEAR(double(many.width) / many.height, 600.0 / 900.0, 0.05);
    const double samples = (2.0 * many.width / 2) * (2.0 * many.height / 2) * 10000;
    EXPECT_LE(samples, double(kMaxOvalCoverage) * 300 * 450);
    EXPECT_GT(samples, 0.9 * double(kMaxOvalCoverage) * 300 * 450);
}

}  // namespace
}  // namespace strovik
