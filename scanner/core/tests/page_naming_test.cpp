// Names and numbers of saved pages: the counter text with its sixteen-zero
// rule, the counter step with its wrap, time-stamp names that never replace
// a page, and the resolution conversions the files record.
#include "scanner/core/page_naming.h"

#include <gtest/gtest.h>

#include <set>

#include "common/resolution.h"

namespace fenwary {
namespace {

std::tm someTime() {
    std::tm t{};
    t.tm_year = 124;  // 2024
    t.tm_mon = 2;     // March
    t.tm_mday = 5;
    t.tm_hour = 9;
    t.tm_min = 7;
    t.tm_sec = 3;
    return t;
}

const auto kNothingExists = [](const std::string&) { return false; };

TEST(PageNaming, CounterTextIsCutToItsLastDigitsWithAtMostSixteenZeros) {
    EXPECT_EQ(counterText(5, 4), "0005");
    EXPECT_EQ(counterText(12345, 4), "2345");
    EXPECT_EQ(counterText(7, 20), "00000000000000007");  // sixteen zeros and the 7
    EXPECT_EQ(counterText(4294967295u, 32), "00000000000000004294967295");
    EXPECT_EQ(counterText(0, 1), "0");
}

TEST(PageNaming, CounterNamesFollowEachOtherAcrossADigitBoundary) {
    NamingRule rule{"/scans", "A", true, 9, 2, ImageFormat::Jpeg};
    std::vector<std::string> names;
    for (int page = 0; page < 3; ++page) {
        names.push_back(pageFilePath(rule, someTime(), kNothingExists));
        rule.counter = advanceCounter(rule.counter, 1);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"/scans/A09.jpg", "/scans/A10.jpg", "/scans/A11.jpg"}));
}

TEST(PageNaming, StepWrapsAboveFourThousandMillionToZero) {
    EXPECT_EQ(advanceCounter(0, -1), 0u);
    EXPECT_EQ(advanceCounter(5, -1), 4u);
    EXPECT_EQ(advanceCounter(3999999999u, 1), 4000000000u);
    EXPECT_EQ(advanceCounter(4000000000u, 1), 0u);
    EXPECT_EQ(advanceCounter(10, -20), 0u);
}

TEST(PageNaming, TimeStampNamesNeverReplaceAnEarlierPage) {
    const NamingRule rule{"/scans/", "", false, 1, 4, ImageFormat::Png};
    EXPECT_EQ(pageFilePath(rule, someTime(), kNothingExists), "/scans/240305_090703.png");
    std::set<std::string> existing;
    const auto exists = [&](const std::string& path) { return existing.count(path) > 0; };
    for (int page = 0; page < 3; ++page) existing.insert(pageFilePath(rule, someTime(), exists));
    EXPECT_EQ(existing,
              (std::set<std::string>{"/scans/240305_090703.png", "/scans/240305_090703_02.png",
                                     "/scans/240305_090703_03.png"}));
}

TEST(PageNaming, CollisionSuffixesSortInScanOrderAcrossEveryWidth) {
    EXPECT_EQ(collisionSuffix(1), "");
    EXPECT_EQ(collisionSuffix(2), "_02");
    EXPECT_EQ(collisionSuffix(99), "_99");
    EXPECT_EQ(collisionSuffix(100), "_99100");
    EXPECT_EQ(collisionSuffix(999), "_99999");
    EXPECT_EQ(collisionSuffix(1000), "_999991000");
    // Whole names compared byte by byte (as a folder listing sorts them)
    // keep the order of n, also where the width changes.
    std::string previous = "x.jpg";
    for (int n : {2, 3, 9, 10, 11, 98, 99, 100, 101, 998, 999, 1000, 1001, 9999, 10000}) {
        const std::string name = "x" + collisionSuffix(n) + ".jpg";
        EXPECT_LT(previous, name) << n;
        previous = name;
    }
}

TEST(PageNaming, PrefixWithoutCounterNamesTheOneFileEveryPageReplaces) {
    const NamingRule rule{"/scans", "sheet", false, 1, 4, ImageFormat::Bmp};
    EXPECT_EQ(nameKind(rule), NameKind::Prefix);
    EXPECT_EQ(pageFilePath(rule, someTime(), [](const std::string&) { return true; }),
              "/scans/sheet.bmp");
}

TEST(PageNaming, ResolutionConversions) {
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(7874), 200);
    EXPECT_EQ(pixelsPerMetreFromDpi(200), 7874);
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(11811), 300);
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(0), 0);
    for (int dpi = 1; dpi <= 4800; ++dpi) {
        ASSERT_EQ(velmora::dpiFromDotsPerMetreTruncated(pixelsPerMetreFromDpi(dpi)), dpi);
    }
    EXPECT_EQ(resolutionText(200, 300), "300dpi");
    EXPECT_EQ(resolutionText(0, 300), "");
    EXPECT_EQ(resolutionText(300, 0), "");
}

TEST(PageNaming, ResolutionConversionsRoundAtTheirHalfWayPoints) {
    // (ppm * 100 + 1968) / 3937: 7854.32 pixels per metre is the half-way
    // point between 199 and 200 dpi.
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(7854), 199);
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(7855), 200);
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(7893), 200);
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(7894), 201);
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(19), 0);
    EXPECT_EQ(velmora::dpiFromDotsPerMetreTruncated(20), 1);
    // (dpi * 10000 + 127) / 254: 72 dpi is 2834.6 and 96 dpi 3779.5 pixels
    // per metre, both rounded up; 300 dpi is 11811.02, rounded down.
    EXPECT_EQ(pixelsPerMetreFromDpi(72), 2835);
    EXPECT_EQ(pixelsPerMetreFromDpi(96), 3780);
    EXPECT_EQ(pixelsPerMetreFromDpi(300), 11811);
    EXPECT_EQ(pixelsPerMetreFromDpi(1), 39);
    EXPECT_EQ(pixelsPerMetreFromDpi(2), 79);
}

TEST(PageNaming, CounterTextAtItsLengthLimits) {
    // Exactly as long as the padded text, and one longer: the whole text.
    EXPECT_EQ(counterText(42, 18), "000000000000000042");
    EXPECT_EQ(counterText(42, 19), "000000000000000042");
    EXPECT_EQ(counterText(42, 17), "00000000000000042");
    EXPECT_EQ(counterText(42, 0), "");
    EXPECT_EQ(counterText(42, -3), "");
    // Stepping down to exactly zero is zero, not a wrap.
    EXPECT_EQ(advanceCounter(1, -1), 0u);
    EXPECT_EQ(advanceCounter(4000000001u, 0), 0u);
}

}  // namespace
}  // namespace fenwary
