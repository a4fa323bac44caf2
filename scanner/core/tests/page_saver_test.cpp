// Saving pages: the resolution each format records (200 dpi: JFIF density
// 200, pHYs 7874, bitmap 7874), every depth saved at 24 bits, the counter
// only advancing over pages that reached the disk, a folder that vanished,
// a disk that fills up (the earlier file under the same name survives
// whole and no temporary file is left), and time-stamp names in one second.
#include "scanner/core/page_saver.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "engine/image/image_loader.h"
#include "engine/image/jfif_density.h"
#include "scanner/core/native_page.h"
#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

using testing::pixelAt;
using testing::readBytes;
using testing::Rgb;
using testing::TempFolder;

std::uint32_t bigEndian32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 |
           std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

std::uint32_t littleEndian32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

/// The pHYs chunk's x, y and unit, or zeros when there is none.
std::array<std::uint32_t, 3> pngPhys(const std::vector<std::uint8_t>& png) {
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const std::uint32_t length = bigEndian32(png, at);
        if (std::string(png.begin() + long(at) + 4, png.begin() + long(at) + 8) == "pHYs") {
            return {bigEndian32(png, at + 8), bigEndian32(png, at + 12), png[at + 16]};
        }
        at += 12 + length;
    }
    return {0, 0, 0};
}

ScannedPage page200Dpi() {
    return ScannedPage{testing::patternRaster(64, 48), PageResolution{7874, 7874}};
}

std::tm fixedTime() {
    std::tm t{};
    t.tm_year = 125;
    t.tm_mon = 0;
    t.tm_mday = 2;
    return t;
}

class PageSaverTest : public ::testing::Test {
protected:
    ScanSettings settingsFor(ImageFormat format) const {
        ScanSettings s = ScanSettings::defaults(folder_.str());
        s.format = format;
        return s;
    }
    TempFolder folder_;
    PageSaver saver_{fixedTime};
};

TEST_F(PageSaverTest, TwoHundredDpiIsRecordedByEveryFormat) {
    const ScannedPage page = page200Dpi();
    ScanSettings jpeg = settingsFor(ImageFormat::Jpeg);
    const SaveOutcome j = saver_.save(page, jpeg);
    ASSERT_TRUE(j.written()) << j.error;
    EXPECT_EQ(j.resolutionText, "200dpi");
    EXPECT_EQ(j.status, kStatusWritten);
    const auto density = strovik::readJfifDensity(j.path);
    ASSERT_TRUE(density);
    EXPECT_EQ(density->x, 200);
    EXPECT_EQ(density->y, 200);
    EXPECT_EQ(readBytes(j.path)[13], 1) << "density unit: dots per inch";

    ScanSettings png = settingsFor(ImageFormat::Png);
    const SaveOutcome p = saver_.save(page, png);
    ASSERT_TRUE(p.written()) << p.error;
    EXPECT_EQ(pngPhys(readBytes(p.path)), (std::array<std::uint32_t, 3>{7874, 7874, 1}));

    ScanSettings bmp = settingsFor(ImageFormat::Bmp);
    const SaveOutcome b = saver_.save(page, bmp);
    ASSERT_TRUE(b.written()) << b.error;
    const auto bytes = readBytes(b.path);
    EXPECT_EQ(littleEndian32(bytes, 38), 7874u);
    EXPECT_EQ(littleEndian32(bytes, 42), 7874u);

    // The lossless files hold the page exactly; the JPEG closely.
    for (const SaveOutcome* o : {&p, &b, &j}) {
        const auto loaded = strovik::loadImageFile(o->path);
        ASSERT_TRUE(loaded) << o->path;
        ASSERT_EQ(loaded->width(), 64);
        ASSERT_EQ(loaded->height(), 48);
        const Rgb want = pixelAt(page.pixels, 40, 7);
        const Rgb got = pixelAt(*loaded, 40, 7);
        const int tolerance = o == &j ? 24 : 0;
        EXPECT_NEAR(got.r, want.r, tolerance);
        EXPECT_NEAR(got.g, want.g, tolerance);
        EXPECT_NEAR(got.b, want.b, tolerance);
    }
    EXPECT_EQ(folder_.fileNames(), (std::vector<std::string>{"0001.bmp", "0001.jpg", "0001.png"}));
}

TEST_F(PageSaverTest, NonSquareResolutionKeepsEachAxisApart) {
    // 200 dpi across, 300 dpi down: the status line and the JPEG/PNG density
    // take the vertical resolution; the bitmap records each axis as given.
    const ScannedPage page{testing::patternRaster(64, 48), PageResolution{7874, 11811}};
    ScanSettings jpeg = settingsFor(ImageFormat::Jpeg);
    const SaveOutcome j = saver_.save(page, jpeg);
    ASSERT_TRUE(j.written()) << j.error;
    EXPECT_EQ(j.resolutionText, "300dpi");
    const auto density = strovik::readJfifDensity(j.path);
    ASSERT_TRUE(density);
    EXPECT_EQ(density->x, 300);
    EXPECT_EQ(density->y, 300);

    ScanSettings png = settingsFor(ImageFormat::Png);
    const SaveOutcome p = saver_.save(page, png);
    ASSERT_TRUE(p.written()) << p.error;
    EXPECT_EQ(pngPhys(readBytes(p.path)), (std::array<std::uint32_t, 3>{11811, 11811, 1}));

    ScanSettings bmp = settingsFor(ImageFormat::Bmp);
    const SaveOutcome b = saver_.save(page, bmp);
    ASSERT_TRUE(b.written()) << b.error;
    const auto bytes = readBytes(b.path);
    EXPECT_EQ(littleEndian32(bytes, 38), 7874u);
    EXPECT_EQ(littleEndian32(bytes, 42), 11811u);

    // The other way round, and a page without a vertical resolution.
    ScanSettings again = settingsFor(ImageFormat::Jpeg);
    const ScannedPage wide{testing::patternRaster(64, 48), PageResolution{11811, 7874}};
    EXPECT_EQ(saver_.save(wide, again).resolutionText, "200dpi");
    const ScannedPage noY{testing::patternRaster(64, 48), PageResolution{7874, 0}};
    EXPECT_EQ(saver_.save(noY, again).resolutionText, "");
}

TEST_F(PageSaverTest, OneBitPageIsSavedAsTwentyFourBitColour) {
    // A 1-bit bitmap, 10 x 2: palette black, white; top row all white.
    std::vector<std::uint8_t> dib(40 + 8 + 2 * 4, 0);
    dib[0] = 40;
    dib[4] = 10;
    dib[8] = 2;
    dib[12] = 1;
    dib[14] = 1;
    dib[24] = dib[28] = 0xC2;  // 7874 pixels per metre
    dib[25] = dib[29] = 0x1E;
    dib[44] = dib[45] = dib[46] = 255;  // colour 1: white
    dib[52] = 0xFF, dib[53] = 0xC0;     // stored row 1 = top row: all ten set
    auto page = decodeNativePage(dib, nullptr);
    ASSERT_TRUE(page);
    ScanSettings s = settingsFor(ImageFormat::Bmp);
    const SaveOutcome outcome = saver_.save(*page, s);
    ASSERT_TRUE(outcome.written());
    const auto bytes = readBytes(outcome.path);
    EXPECT_EQ(bytes[28], 24) << "bits per pixel";
    const auto loaded = strovik::loadImageFile(outcome.path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(pixelAt(*loaded, 9, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(*loaded, 9, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(outcome.resolutionText, "200dpi");
}

TEST_F(PageSaverTest, StepBelowZeroFromZeroGivesZero) {
    ScanSettings s = settingsFor(ImageFormat::Jpeg);
    s.counter = 0;
    s.step = -1;
    ASSERT_TRUE(saver_.save(page200Dpi(), s).written());
    EXPECT_EQ(s.counter, 0u);
}

TEST_F(PageSaverTest, VanishedFolderWritesNothingAndKeepsTheCounter) {
    ScanSettings s = settingsFor(ImageFormat::Png);
    s.folder = folder_.str() + "/gone/";
    s.counter = 41;
    const SaveOutcome outcome = saver_.save(page200Dpi(), s);
    EXPECT_EQ(outcome.result, SaveOutcome::Result::NoFolder);
    EXPECT_EQ(outcome.status, "出力フォルダが存在しません。ファイル出力をキャンセルしました。");
    EXPECT_EQ(s.counter, 41u);
}

TEST_F(PageSaverTest, FullDiskKeepsTheEarlierFileWholeAndTheCounterWhereItWas) {
    for (ImageFormat format : {ImageFormat::Jpeg, ImageFormat::Png, ImageFormat::Bmp}) {
        ScanSettings s = settingsFor(format);
        s.counter = 5;
        ASSERT_TRUE(saver_.save(page200Dpi(), s).written());
        const std::string earlier = folder_.str() + "/0005" + extensionFor(format);
        const auto before = readBytes(earlier);
        s.counter = 5;
        s.prefix = "";

        // Files may not grow beyond half the page: the write runs out of room.
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = before.size() / 2;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string started;
        const SaveOutcome outcome =
            saver_.save(page200Dpi(), s, [&](const std::string& path) { started = path; });
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        EXPECT_EQ(started, earlier);
        EXPECT_EQ(outcome.result, SaveOutcome::Result::WriteFailed) << earlier;
        EXPECT_EQ(outcome.status, "ファイル出力に失敗しました。");
        EXPECT_FALSE(outcome.error.empty());
        EXPECT_EQ(s.counter, 5u) << "the next page takes the name again";
        EXPECT_EQ(readBytes(earlier), before);
        for (const std::string& name : folder_.fileNames()) {
            EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
        }
    }
}

TEST_F(PageSaverTest, PagesOfOneSecondGetTheirOwnTimeStampNames) {
    ScanSettings s = settingsFor(ImageFormat::Jpeg);
    s.useCounter = false;
    const ScannedPage page = page200Dpi();
    ASSERT_TRUE(saver_.save(page, s).written());
    ASSERT_TRUE(saver_.save(page, s).written());
    EXPECT_EQ(folder_.fileNames(),
              (std::vector<std::string>{"250102_000000.jpg", "250102_000000_02.jpg"}));
    EXPECT_EQ(s.counter, 3u) << "the counter steps even while the names do not show it";

    s.prefix = "latest";
    const auto replaceAllowed = [](const std::string&) { return true; };
    ASSERT_TRUE(saver_.save(page, s, nullptr, replaceAllowed).written());
    ASSERT_TRUE(saver_.save(page, s, nullptr, replaceAllowed).written());
    EXPECT_EQ(folder_.fileNames().size(), 3u);
}

}  // namespace
}  // namespace fenwary
