#include "engine/recognition/zero_mark_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine/recognition/tests/test_sheet.h"

namespace strovik {
namespace {

using testing::TestSheet;

TEST(ZeroMarkSearch, RequiredCounts) {
    EXPECT_EQ(requiredZeroMarkCount(14, 0.5, false), 307);
    EXPECT_EQ(requiredZeroMarkCount(14, 0.5, true), 76);
    EXPECT_EQ(requiredZeroMarkCount(0, 0.5, false), 0);
}

TEST(ZeroMarkSearch, WindowSizes) {
    EXPECT_EQ(searchWindow(false, false).windowHeight, 125);
    EXPECT_EQ(searchWindow(true, false).windowHeight, 250);
    EXPECT_EQ(searchWindow(false, true).windowWidth, 200);
    EXPECT_EQ(searchWindow(true, true).windowHeight, 500);
}

TEST(ZeroMarkSearch, FindsADiscAndPrefersTheUpperLeftOnTies) {
    TestSheet sheet(400, 400);
    sheet.disc(210, 190, 10);
    Raster r = sheet.raster();
    ZeroMarkSearch p;
    p.radius = 10;
    const SearchHit hit = searchZeroMarkDirect(r, {200, 200}, p, false);
    EXPECT_EQ(hit.centre, (Point{210, 190}));
    EXPECT_EQ(hit.count, 315);  // offsets -10..9 each way with u*u + v*v <= 100
    EXPECT_EQ(searchZeroMarkFast(r, {200, 200}, p), hit);

    // A square block: many centres count the same; the first in scan order wins.
    TestSheet block(200, 200);
    for (int y = 50; y < 150; ++y)
        for (int x = 50; x < 150; ++x) block.set(x, y, 0);
    Raster b = block.raster();
    p.radius = 5;
    const SearchHit tie = searchZeroMarkDirect(b, {100, 100}, p, false);
    EXPECT_EQ(tie.centre, (Point{55, 55}));
    EXPECT_EQ(searchZeroMarkFast(b, {100, 100}, p), tie);
}

TEST(ZeroMarkSearch, NothingDarkGivesOriginWithZeroCount) {
    TestSheet sheet(300, 300);
    Raster r = sheet.raster();
    const ZeroMarkSearch p;
    EXPECT_EQ(searchZeroMarkDirect(r, {150, 150}, p, false), (SearchHit{{0, 0}, 0}));
    EXPECT_EQ(searchZeroMarkFast(r, {150, 150}, p), (SearchHit{{0, 0}, 0}));
}

TEST(ZeroMarkSearch, MarkingSetsTheRedByteOfSampledPixelsOnly) {
    TestSheet sheet(300, 300);
    Raster r = sheet.raster();
    ZeroMarkSearch p;
    p.radius = 3;
    searchZeroMarkDirect(r, {150, 150}, p, true);
    const std::size_t inside = r.offsetOf(150, 150);
    EXPECT_EQ(r.data()[inside + 2], 14);
    EXPECT_EQ(r.data()[inside], 255);  // blue untouched
    EXPECT_EQ(r.data()[r.offsetOf(10, 10) + 2], 255);
}

// The fast search must give exactly the direct search's winner and count.
TEST(ZeroMarkSearch, FastSearchEqualsDirectSearchOnRandomImages) {
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 100; ++trial) {
        const int w = 60 + int(rng() % 200);
        const int h = 60 + int(rng() % 200);
        TestSheet sheet(w, h);
        const int blobs = int(rng() % 6);
        for (int i = 0; i < blobs; ++i)
            sheet.disc(int(rng() % w), int(rng() % h), 2 + int(rng() % 20),
                       std::uint8_t(rng() % 256));
        const int specks = int(rng() % 2000);
        for (int i = 0; i < specks; ++i)
            sheet.set(int(rng() % w), int(rng() % h), std::uint8_t(rng() % 256));
        Raster r = sheet.raster();
        ZeroMarkSearch p = searchWindow(rng() % 2, rng() % 4 == 0);
        p.radius = int(rng() % 20);
        p.step = 1 + int(rng() % 2);
        p.colorMin = 1 + int(rng() % 255);
        // Centres inside, near the edges and outside the image.
        const Point centre{int(rng() % (w + 200)) - 100, int(rng() % (h + 200)) - 100};
        const SearchHit direct = searchZeroMarkDirect(r, centre, p, false);
        const SearchHit fast = searchZeroMarkFast(r, centre, p);
        ASSERT_EQ(fast, direct) << "trial " << trial << " radius " << p.radius << " step "
                                << p.step;
    }
}

// What the engine runs (count, then marking) leaves exactly what the direct
// search leaves: the same winner and count, the same red bytes. Radii reach
// beyond the image.
TEST(ZeroMarkSearch, MarkedSearchEqualsDirectSearchInResultAndRaster) {
    std::mt19937 rng(777);
    for (int trial = 0; trial < 60; ++trial) {
        const int w = 20 + int(rng() % 90);
        const int h = 20 + int(rng() % 90);
        TestSheet sheet(w, h);
        for (int i = 0; i < 300; ++i)
            sheet.set(int(rng() % w), int(rng() % h), std::uint8_t(rng() % 256));
        ZeroMarkSearch p;
        p.windowWidth = 1 + int(rng() % 40);
        p.windowHeight = 1 + int(rng() % 40);
        p.radius = int(rng() % 150);
        p.step = 1 + int(rng() % 2);
        const Point centre{int(rng() % (w + 120)) - 60, int(rng() % (h + 120)) - 60};
        Raster direct = sheet.raster();
        Raster engine = sheet.raster();
        const SearchHit expected = searchZeroMarkDirect(direct, centre, p, true);
        ASSERT_EQ(searchZeroMark(engine, centre, p, true), expected) << "trial " << trial;
        ASSERT_EQ(std::memcmp(engine.data(), direct.data(), direct.sizeBytes()), 0)
            << "trial " << trial << " radius " << p.radius << " step " << p.step;
    }
}

// Searching the turned view of a raster gives what the direct search gives on
// the raster turned by 180 degrees: winner, count, tie order and the marked
// pixels (turned back). Odd and even sizes, centres near and beyond edges.
TEST(ZeroMarkSearch, TurnedViewEqualsSearchingTheTurnedRaster) {
    std::mt19937 rng(4242);
    for (int trial = 0; trial < 80; ++trial) {
        const int w = 20 + int(rng() % 91);
        const int h = 20 + int(rng() % 91);
        TestSheet sheet(w, h);
        for (int i = 0; i < 3; ++i) sheet.disc(int(rng() % w), int(rng() % h), 2 + int(rng() % 8));
        for (int i = 0; i < 200; ++i)
            sheet.set(int(rng() % w), int(rng() % h), std::uint8_t(rng() % 256));
        ZeroMarkSearch p;
        p.windowWidth = 1 + int(rng() % 40);
        p.windowHeight = 1 + int(rng() % 40);
        p.radius = int(rng() % 15);
        p.step = 1 + int(rng() % 2);
        const Point centre{int(rng() % (w + 60)) - 30, int(rng() % (h + 60)) - 30};
        Raster turned = sheet.raster();
        rotate180(turned);
        const SearchHit expected = searchZeroMarkDirect(turned, centre, p, true);
        Raster raster = sheet.raster();
        ASSERT_EQ(searchZeroMark(RasterView(raster, true), centre, p, true), expected)
            << "trial " << trial;
        rotate180(raster);
        ASSERT_EQ(std::memcmp(raster.data(), turned.data(), turned.sizeBytes()), 0)
            << "trial " << trial;
    }
}

TEST(ZeroMarkSearch, RadiusBeyondAnyImageCountsTheWholeImage) {
    // Every candidate's disc covers the image, so all count every dark
    // sample and the first candidate wins; INT_MAX must neither allocate by
    // the radius nor take time by it.
    TestSheet sheet(120, 90);
    sheet.disc(60, 45, 20);
    Raster whole = sheet.raster();
    const int dark =
        searchZeroMarkDirect(whole, {60, 45}, ZeroMarkSearch{1000, 150, 1, 2, 2}, false).count;
    ASSERT_GT(dark, 1000);
    for (const int radius : {100000000, 2147483647}) {
        ZeroMarkSearch p;
        p.radius = radius;
        Raster r = sheet.raster();
        EXPECT_EQ(searchZeroMark(r, {60, 45}, p, true), (SearchHit{{10, -17}, dark})) << radius;
        EXPECT_EQ(r.data()[r.offsetOf(119, 89) + 2], 14);  // every pixel sampled
    }
}

TEST(ZeroMarkSearch, HugeRadiusOrFarCentreStaysBounded) {
    TestSheet sheet(100, 100);
    sheet.disc(50, 50, 30);
    Raster r = sheet.raster();
    ZeroMarkSearch p;
    p.radius = 1000000;
    const SearchHit hit = searchZeroMarkFast(r, {50, 50}, p);
    EXPECT_GT(hit.count, 0);
    p.radius = 14;
    EXPECT_EQ(searchZeroMarkFast(r, {2147483000, -2147483000}, p).count, 0);
}

}  // namespace
}  // namespace strovik
