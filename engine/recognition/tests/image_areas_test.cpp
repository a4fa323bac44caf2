#include "engine/recognition/image_areas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/image/image_loader.h"

namespace strovik {
namespace {

namespace fs = std::filesystem;
using ByteFn = std::function<std::uint8_t(int x, int y, int c)>;

CropImage makeCrop(int w, int h, const ByteFn& fn) {
    CropImage crop{w, h, std::vector<std::uint8_t>(std::size_t(w * h * 3))};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) crop.pixels[std::size_t((y * w + x) * 3 + c)] = fn(x, y, c);
    return crop;
}

int byteAt(const CropImage& crop, int x, int y, int c) {
    return crop.pixels[std::size_t((y * crop.width + x) * 3 + c)];
}

/// Raster whose rows are stored top to bottom (as after the vertical flip).
Raster makeTopDown(int w, int h, const ByteFn& fn) {
    Raster r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) r.storedRow(y)[x * 3 + c] = fn(x, y, c);
    return r;
}

std::uint8_t pattern(int x, int y, int c) {
    return std::uint8_t((40 * x + 30 * y + 10 * c + 20) % 256);
}

ImageArea rectArea(int left, int top, int right, int bottom) {
    return ImageArea{{{{left, top}, {right, top}, {right, bottom}, {left, bottom}}}};
}

// Plain restatement of the fixed-point rotation: floor division instead of
// shifts and masks, direct products instead of a table.
CropImage referenceRotate(const CropImage& src, double phi) {
    const auto t = [](int v, int w) { return v * w / 256; };
    const auto floorDiv = [](long long a, long long b) {
        return static_cast<long long>(std::floor(double(a) / double(b)));
    };
    const long long cf = static_cast<long long>(std::trunc(std::cos(phi) * 1024));
    const long long sf = static_cast<long long>(std::trunc(std::sin(phi) * 1024));
    const int cx = src.width / 2, cy = src.height / 2;
    CropImage out = makeCrop(src.width, src.height, [](int, int, int) { return 255; });
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x) {
            const long long fxd = cf * (x - cx) - sf * (y - cy) + cx * 1024LL;
            const long long fyd = sf * (x - cx) + cf * (y - cy) + cy * 1024LL;
            const long long ix = floorDiv(fxd, 1024), iy = floorDiv(fyd, 1024);
            if (ix < 0 || iy < 0 || ix >= src.width - 1 || iy >= src.height - 1) continue;
            const int fx = int((fxd - ix * 1024) / 4), fy = int((fyd - iy * 1024) / 4);
            for (int c = 0; c < 3; ++c) {
                const auto p = [&](long long px, long long py) {
                    return byteAt(src, int(px), int(py), c);
                };
                const int up = t(p(ix, iy), 255 - fx) + t(p(ix + 1, iy), fx);
                const int lo = t(p(ix, iy + 1), 255 - fx) + t(p(ix + 1, iy + 1), fx);
                out.pixels[std::size_t((y * src.width + x) * 3 + c)] =
                    std::uint8_t(t(up, 255 - fy) + t(lo, fy));
            }
        }
    }
    return out;
}

TEST(AreaBoxTest, TakesOuterEdgesOfATiltedQuadrilateral) {
    const ImageArea area{{{{10, 20}, {110, 18}, {112, 80}, {8, 83}}}};
    const AreaBox box = areaBox(area);
    EXPECT_EQ(box.left, 8);
    EXPECT_EQ(box.top, 18);
    EXPECT_EQ(box.width, 104);
    EXPECT_EQ(box.height, 65);
}

TEST(StraightenAngleTest, TopEdgeSlopePlusSheetAngle) {
    const ImageArea flat = rectArea(10, 10, 110, 50);
    EXPECT_DOUBLE_EQ(straightenAngle(flat, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(straightenAngle(flat, 0.02), 0.02);
    const ImageArea tilted{{{{10, 10}, {110, 11}, {110, 50}, {10, 50}}}};
    EXPECT_DOUBLE_EQ(straightenAngle(tilted, 0.0), std::atan2(1.0, 100.0));
    EXPECT_NEAR(straightenAngle(tilted, -0.01), 0.0, 1e-4);
    const ImageArea upward{{{{10, 10}, {10, 0}, {20, 50}, {0, 50}}}};
    EXPECT_DOUBLE_EQ(straightenAngle(upward, 0.0), -std::acos(0.0));
    EXPECT_DOUBLE_EQ(straightenAngle(flat, std::nan("")), 0.0);
}

TEST(CopyBoxTest, TakesShiftedPixelsAndLeavesOutsideWhite) {
    const Raster r = makeTopDown(20, 10, pattern);
    const CropImage crop = copyBox(r, AreaBox{12, 4, 6, 5}, 5, 3);
    ASSERT_EQ(crop.width, 6);
    ASSERT_EQ(crop.height, 5);
    for (int k = 0; k < 5; ++k) {
        for (int j = 0; j < 6; ++j) {
            const int sx = 17 + j, sy = 7 + k;
            const bool inside = sx < 20 && sy < 10;
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(byteAt(crop, j, k, c), inside ? pattern(sx, sy, c) : 255)
                    << j << "," << k << "," << c;
        }
    }
}

TEST(CopyBoxTest, BoxOverTheTopLeftCornerAndWhollyOutside) {
    const Raster r = makeTopDown(8, 6, pattern);
    const CropImage crop = copyBox(r, AreaBox{-2, -1, 4, 3}, 0, 0);
    EXPECT_EQ(byteAt(crop, 0, 0, 0), 255);
    EXPECT_EQ(byteAt(crop, 1, 2, 1), 255);
    EXPECT_EQ(byteAt(crop, 2, 1, 2), pattern(0, 0, 2));
    EXPECT_EQ(byteAt(crop, 3, 2, 0), pattern(1, 1, 0));

    const CropImage away = copyBox(r, AreaBox{100, 100, 3, 2}, -1, 0);
    ASSERT_EQ(away.pixels.size(), 18u);
    for (std::uint8_t b : away.pixels) EXPECT_EQ(b, 255);
}

TEST(StraightenTest, ZeroAngleDarkensByTheTableAndWhitensLastColumnAndRow) {
    const CropImage src = makeCrop(6, 4, pattern);
    const CropImage out = straighten(src, 0.0);
    ASSERT_EQ(out.width, 6);
    ASSERT_EQ(out.height, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int p = pattern(x, y, c);
                const int expected = (x == 5 || y == 3) ? 255 : (p * 255 / 256) * 255 / 256;
                EXPECT_EQ(byteAt(out, x, y, c), expected) << x << "," << y << "," << c;
            }
        }
    }
    // Worked by hand: 160 -> floor(160*255/256) = 159 -> floor(159*255/256) = 158.
    EXPECT_EQ(byteAt(out, 2, 2, 0), 158);
}

TEST(StraightenTest, SmallRotationMatchesHandWorkedPixels) {
    // phi = 0.1: Cf = 1018, Sf = 102, centre (2, 2).
    const CropImage out = straighten(makeCrop(5, 4, pattern), 0.1);
    // (1, 2): X = 1030 -> ix 1, fx 1; Y = 1946 -> iy 1, fy 230.
    // upper = T(90,254) + T(130,1) = 89, lower = T(120,254) + T(160,1) = 119,
    // result = T(89,25) + T(119,230) = 8 + 106.
    EXPECT_EQ(byteAt(out, 1, 2, 0), 114);
    // (0, 3): X = -90 -> ix = -1 (arithmetic shift, not truncation) -> white.
    EXPECT_EQ(byteAt(out, 0, 3, 0), 255);
    // (2, 0): Y = 12 -> iy 0, fy 3; X = 2252 -> ix 2, fx 51.
    EXPECT_EQ(byteAt(out, 2, 0, 0), 105);
    // (4, 2): X = 4084 -> ix 3 < w - 1 -> interpolated, not white.
    EXPECT_EQ(byteAt(out, 4, 2, 1), 201);
}

TEST(StraightenTest, RotationsMatchTheReferenceImplementation) {
    const CropImage src = makeCrop(9, 7, [](int x, int y, int c) {
        return std::uint8_t((x * 37 + y * 59 + c * 91 + x * y * 13) % 256);
    });
    for (double phi : {0.01, 0.1, -0.2, 0.7, -1.3, 3.0}) {
        const CropImage out = straighten(src, phi);
        EXPECT_EQ(out.pixels, referenceRotate(src, phi).pixels) << "phi " << phi;
    }
}

TEST(ScaleNearestTest, HalvesAnOddWidthAndPicksFloorSources) {
    const CropImage src = makeCrop(101, 3, pattern);
    const CropImage out = scaleNearest(src, 0.5);
    ASSERT_EQ(out.width, 50);
    ASSERT_EQ(out.height, 1);
    for (int j = 0; j < 50; ++j)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(byteAt(out, j, 0, c), pattern(j * 101 / 50, 0, c)) << j;
    EXPECT_EQ(byteAt(out, 49, 0, 0), pattern(98, 0, 0));
}

TEST(ScaleNearestTest, RateOneIsUnchangedAndTinyRateIsEmpty) {
    const CropImage src = makeCrop(7, 5, pattern);
    const CropImage same = scaleNearest(src, 1.0);
    EXPECT_EQ(same.width, 7);
    EXPECT_EQ(same.height, 5);
    EXPECT_EQ(same.pixels, src.pixels);

    const CropImage grown = scaleNearest(src, 2.0);
    EXPECT_EQ(grown.width, 14);
    EXPECT_EQ(byteAt(grown, 13, 9, 2), pattern(6, 4, 2));

    EXPECT_TRUE(scaleNearest(src, 0.1).pixels.empty());
    EXPECT_TRUE(scaleNearest(src, -1.0).pixels.empty());
}

TEST(SharpenTest, RateZeroLeavesTheCropUnchanged) {
    CropImage crop = makeCrop(4, 3, pattern);
    const auto before = crop.pixels;
    sharpen(crop, 0);
    EXPECT_EQ(crop.pixels, before);
}

TEST(SharpenTest, RateThirtyDoublesDifferencesAndClamps) {
    // Grey 3 x 2 picture, rows {100, 200, 100} and {100, 100, 20}.
    const int grey[2][3] = {{100, 200, 100}, {100, 100, 20}};
    CropImage crop = makeCrop(3, 2, [&](int x, int y, int) { return std::uint8_t(grey[y][x]); });
    sharpen(crop, 30);
    // Means: (0,0) (100+200+100)/3 = 133 -> 100 - 66 = 34
    //        (1,0) (200+100+100+100)/4 = 125 -> 200 + 150 = 350 -> 255
    //        (2,0) (100+200+20)/3 = 106 -> 100 - 12 = 88
    //        (0,1) (100+100+100)/3 = 100 -> 100
    //        (1,1) (100+100+20+200)/4 = 105 -> 100 - 10 = 90
    //        (2,1) (20+100+100)/3 = 73 -> 20 - 106 = -86 -> 0
    const int expected[2][3] = {{34, 255, 88}, {100, 90, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 3; ++c) EXPECT_EQ(byteAt(crop, x, y, c), expected[y][x]);
}

TEST(SharpenTest, ScaledDifferenceIsTruncatedTowardsZero) {
    const int grey[2][3] = {{100, 200, 100}, {100, 100, 20}};
    CropImage crop = makeCrop(3, 2, [&](int x, int y, int) { return std::uint8_t(grey[y][x]); });
    sharpen(crop, 7);
    EXPECT_EQ(byteAt(crop, 0, 0, 0), 85);   // 7 * -33 / 15 = -15.4 -> -15
    EXPECT_EQ(byteAt(crop, 1, 0, 0), 235);  // 7 * 75 / 15 = 35
}

TEST(CropFileNameTest, PadsToThreeDigitsAndGrowsPastThem) {
    EXPECT_EQ(cropFileName("/out/s1", 0), "/out/s1_000.jpg");
    EXPECT_EQ(cropFileName("/out/s1", 7), "/out/s1_007.jpg");
    EXPECT_EQ(cropFileName("/out/s1", 999), "/out/s1_999.jpg");
    EXPECT_EQ(cropFileName("/out/s1", 1000), "/out/s1_1000.jpg");
}

class CropFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "crops-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string base() const { return (dir_ / "s1").string(); }

    fs::path dir_;
};

// White sheet with a black band at x 60..69, y 40..79.
Raster bandSheet() {
    return makeTopDown(200, 150, [](int x, int y, int) {
        return std::uint8_t(x >= 60 && x < 70 && y >= 40 && y < 80 ? 0 : 255);
    });
}

TEST_F(CropFilesTest, WritesOneScaledFilePerAreaMovedByTheOffset) {
    const Raster sheet = bandSheet();
    Alignment alignment;
    alignment.offsetX = 5;
    alignment.offsetY = 3;
    const std::vector<ImageArea> areas{rectArea(55, 37, 95, 77), rectArea(10, 10, 31, 19)};
    cutImageAreas(sheet, areas, alignment, CropOptions{base(), 0.75, 30});

    std::string error;
    const auto first = loadImageFile(base() + "_000.jpg", &error);
    ASSERT_TRUE(first.has_value()) << error;
    EXPECT_EQ(first->width(), 30);
    EXPECT_EQ(first->height(), 30);
    // The band fills crop columns 0..9 only when the box moved by (5, 3).
    EXPECT_LT(first->data()[first->offsetOf(3, 15)], 60);
    EXPECT_GT(first->data()[first->offsetOf(15, 15)], 200);

    const auto second = loadImageFile(base() + "_001.jpg", &error);
    ASSERT_TRUE(second.has_value()) << error;
    EXPECT_EQ(second->width(), 15);  // trunc(0.75 * 21)
    EXPECT_EQ(second->height(), 6);  // trunc(0.75 * 9)
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Crops cut through an upright view of a bottom-up raster, and through a
// turned view of the raster holding the sheet upside down, are the files
// the top-down raster gives. Areas reach over the left, top and right edges
// and the width is odd.
TEST_F(CropFilesTest, CropsThroughAViewEqualThoseOfTheTopDownRaster) {
    const int w = 61, h = 40;
    const Raster topDown = makeTopDown(w, h, pattern);
    Raster upright(w, h);
    Raster turned(w, h);
    for (int y = 0; y < h; ++y) {
        std::copy_n(topDown.storedRow(y), topDown.rowBytes(), upright.storedRow(h - 1 - y));
        for (int x = 0; x < w; ++x)  // image pixel (x, y) at (w-1-x, h-1-y) of the turned sheet
            std::copy_n(topDown.storedRow(y) + x * 3, 3, turned.storedRow(y) + (w - 1 - x) * 3);
    }
    Alignment alignment;
    alignment.offsetX = 2;
    alignment.offsetY = -1;
    const std::vector<ImageArea> areas{rectArea(-3, -2, 12, 9), rectArea(50, 30, 70, 45),
                                       ImageArea{{{{20, 10}, {40, 12}, {41, 30}, {19, 29}}}}};
    const auto cut = [&](const auto& image, const std::string& name) {
        cutImageAreas(image, areas, alignment, CropOptions{(dir_ / name).string(), 0.75, 30});
    };
    cut(topDown, "plain");
    cut(RasterView(upright), "upright");
    cut(RasterView(turned, true), "turned");
    for (const char* suffix : {"_000.jpg", "_001.jpg", "_002.jpg"}) {
        const std::string expected = fileBytes((dir_ / "plain").string() + suffix);
        ASSERT_FALSE(expected.empty()) << suffix;
        EXPECT_TRUE(fileBytes((dir_ / "upright").string() + suffix) == expected) << suffix;
        EXPECT_TRUE(fileBytes((dir_ / "turned").string() + suffix) == expected) << suffix;
    }
}

// Mean absolute difference of the blue bytes of a decoded file and a crop.
double meanBlueDifference(const Raster& decoded, const CropImage& crop) {
    double sum = 0;
    for (int y = 0; y < crop.height; ++y)
        for (int x = 0; x < crop.width; ++x)
            sum += std::abs(decoded.data()[decoded.offsetOf(x, y)] - byteAt(crop, x, y, 0));
    return sum / (crop.width * crop.height);
}

TEST_F(CropFilesTest, SavedCropIsTheOutcomeOfEveryStep) {
    // 4 x 4 grey checks, so that turning and sharpening both show.
    const Raster sheet = makeTopDown(200, 150, [](int x, int y, int) {
        return std::uint8_t((x / 4 + y / 4) % 2 != 0 ? 80 : 170);
    });
    Alignment alignment;
    alignment.offsetX = 7;
    alignment.offsetY = -3;
    alignment.angle = 0.3;
    const ImageArea area = rectArea(40, 30, 120, 110);
    cutImageAreas(sheet, {area}, alignment, CropOptions{base(), 0.75, 30});

    const auto decoded = loadImageFile(cropFileName(base(), 0));
    ASSERT_TRUE(decoded.has_value());
    const auto pipeline = [&](int dx, double phi, int rate) {
        CropImage crop = scaleNearest(straighten(copyBox(sheet, areaBox(area), dx, -3), phi), 0.75);
        sharpen(crop, rate);
        return crop;
    };
    const double exact = meanBlueDifference(*decoded, pipeline(7, 0.3, 30));
    EXPECT_LT(exact, 12.0);  // JPEG loss on sharp edges
    EXPECT_GT(meanBlueDifference(*decoded, pipeline(7, 0.0, 30)), 3 * exact);  // not turned
    EXPECT_GT(meanBlueDifference(*decoded, pipeline(7, 0.3, 0)), 3 * exact);   // not sharpened
    EXPECT_GT(meanBlueDifference(*decoded, pipeline(5, 0.3, 30)), 3 * exact);  // offset ignored
}

TEST_F(CropFilesTest, SkipsEmptyAndAbsurdAreasWithoutAFile) {
    const Raster sheet = bandSheet();
    const std::vector<ImageArea> areas{
        rectArea(10, 10, 10, 40),          // no width
        rectArea(10, 10, 11, 11),          // 1 x 1 scales to 0 x 0
        rectArea(0, 0, 30000, 10),         // far too wide
        rectArea(50, 50, 20, 60),          // negative width
        rectArea(INT_MIN, 0, INT_MAX, 5),  // width overflows
        rectArea(20, 20, 40, 40),
    };
    cutImageAreas(sheet, areas, Alignment{}, CropOptions{base(), 0.75, 30});
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(fs::exists(cropFileName(base(), i))) << i;
    EXPECT_TRUE(fs::exists(cropFileName(base(), 5)));
}

TEST_F(CropFilesTest, UnwritableFileIsReportedAndTheNextAreaStillWritten) {
    // A folder in the way of the first file makes it impossible to create.
    fs::create_directory(cropFileName(base(), 0));
    const Raster sheet = bandSheet();
    const std::vector<ImageArea> areas{rectArea(0, 0, 20, 20), rectArea(0, 0, 20, 20)};
    ::testing::internal::CaptureStderr();
    cutImageAreas(sheet, areas, Alignment{}, CropOptions{base(), 1.0, 30});
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("can't open " + cropFileName(base(), 0)), std::string::npos) << err;
    const auto second = loadImageFile(cropFileName(base(), 1));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->width(), 20);
}

TEST_F(CropFilesTest, NoBasePathWritesNothing) {
    const Raster sheet = bandSheet();
    cutImageAreas(sheet, {rectArea(0, 0, 20, 20)}, Alignment{}, CropOptions{"", 0.75, 30});
    EXPECT_TRUE(fs::is_empty(dir_));
}

// 64 x 48 white picture with a red 16 x 16 block in its top-left corner.
std::uint8_t cornerPixel(int x, int y, int c) {
    const bool red = x < 16 && y < 16;
    return std::uint8_t(red && c != 2 ? 0 : 255);
}

void expectRedTopLeft(const std::string& path) {
    const auto img = loadImageFile(path);
    ASSERT_TRUE(img.has_value());
    ASSERT_EQ(img->width(), 64);
    ASSERT_EQ(img->height(), 48);
    const std::uint8_t* top = img->data() + img->offsetOf(6, 6);
    EXPECT_LT(top[0], 60);   // blue
    EXPECT_GT(top[2], 200);  // red
    const std::uint8_t* bottom = img->data() + img->offsetOf(6, 40);
    EXPECT_GT(bottom[0], 200);
    EXPECT_GT(bottom[2], 200);
}

TEST_F(CropFilesTest, DiagnosticImageComesOutTheRightWayUpFromEitherRowOrder) {
    Raster bottomUp(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c)
                bottomUp.data()[bottomUp.offsetOf(x, y) + std::size_t(c)] = cornerPixel(x, y, c);
    const std::string path = (dir_ / "diag.jpg").string();
    ASSERT_TRUE(saveDiagnosticImage(bottomUp, false, path));
    expectRedTopLeft(path);

    const Raster topDown = makeTopDown(64, 48, cornerPixel);
    ASSERT_TRUE(saveDiagnosticImage(topDown, true, path));
    expectRedTopLeft(path);

    EXPECT_FALSE(saveDiagnosticImage(Raster{}, true, path));
}

}  // namespace
}  // namespace strovik
