#include "engine/image/tiff_pages.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using testing::ByteVector;
using testing::TempDir;

/// One page of a test file: its layout, resolution and packed rows.
struct Page {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 8;
    std::uint16_t samples = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t compression = COMPRESSION_NONE;
    float xres = 0;
    float yres = 0;
    std::vector<ByteVector> rows;
};

std::size_t rowBytes(const Page& p) {
    return (std::size_t(p.width) * p.bits * p.samples + 7) / 8;
}

/// A page whose every byte depends on the page, the row and the column, so
/// pages swapped, rows shifted or bits lost all show.
Page makePage(std::uint32_t w, std::uint32_t h, std::uint16_t bits, std::uint16_t samples,
              std::uint16_t photometric, std::uint16_t compression, float xres, float yres,
              int seed) {
    Page p{w, h, bits, samples, photometric, compression, xres, yres, {}};
    for (std::uint32_t y = 0; y < h; ++y) {
        ByteVector row(rowBytes(p));
        for (std::size_t x = 0; x < row.size(); ++x) {
            row[x] = std::uint8_t((x * 7 + y * 13 + std::size_t(seed) * 61) & 0xFF);
        }
        // Padding bits at the end of a bilevel row are not image data.
        if (bits == 1 && w % 8 != 0) row.back() &= std::uint8_t(0xFF << (8 - w % 8));
        p.rows.push_back(std::move(row));
    }
    return p;
}

void writePages(const std::string& path, const std::vector<Page>& pages) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (const Page& p : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.photometric);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, p.compression);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(5));
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, p.xres);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, p.yres);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        for (std::uint32_t y = 0; y < p.height; ++y) {
            ByteVector row = p.rows[y];
            ASSERT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
        }
        ASSERT_EQ(TIFFWriteDirectory(tif), 1);
    }
    TIFFClose(tif);
}

/// Reads a single-page file back as a Page (rows as stored).
Page readPage(const std::string& path) {
    Page p;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return p;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &p.xres);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &p.yres);
    ByteVector line(std::size_t(TIFFScanlineSize(tif)));
    for (std::uint32_t y = 0; y < p.height; ++y) {
        TIFFReadScanline(tif, line.data(), y, 0);
        p.rows.emplace_back(line.begin(), line.begin() + std::ptrdiff_t(rowBytes(p)));
    }
    TIFFClose(tif);
    return p;
}

std::vector<Page> threePages() {
    // Non-square resolution on every page, three layouts, three codings.
    return {makePage(37, 23, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, 200, 300, 1),
            makePage(50, 21, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4, 300, 150, 2),
            makePage(16, 9, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, 72, 96, 3)};
}

TEST(TiffPages, SplitsEveryPageInOrderPixelForPixelWithItsResolution) {
    TempDir dir;
    const std::string source = (dir.path() / "stack.tif").string();
    const std::vector<Page> pages = threePages();
    writePages(source, pages);
    ASSERT_EQ(tiffPageCount(source), 3);

    const TiffSplitResult split = splitTiffPages(source, [&](int i) {
        return (dir.path() / ("page-" + std::to_string(i) + ".tif")).string();
    });
    EXPECT_EQ(split.error, "");
    ASSERT_EQ(split.written.size(), 3u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(split.written[i], (dir.path() / ("page-" + std::to_string(i) + ".tif")).string());
        EXPECT_EQ(tiffPageCount(split.written[i]), 1);
        const Page copy = readPage(split.written[i]);
        EXPECT_EQ(copy.width, pages[i].width);
        EXPECT_EQ(copy.height, pages[i].height);
        EXPECT_EQ(copy.bits, pages[i].bits);
        EXPECT_EQ(copy.samples, pages[i].samples);
        EXPECT_EQ(copy.photometric, pages[i].photometric);
        EXPECT_FLOAT_EQ(copy.xres, pages[i].xres);
        EXPECT_FLOAT_EQ(copy.yres, pages[i].yres);
        EXPECT_EQ(copy.rows, pages[i].rows);
    }
}

TEST(TiffPages, CountsOnlyFilesThatStartLikeATiff) {
    TempDir dir;
    const std::string one = (dir.path() / "one.tif").string();
    writePages(one, {threePages()[1]});
    EXPECT_EQ(tiffPageCount(one), 1);

    const std::string jpegNamedTif = (dir.path() / "x.tif").string();
    testing::writeFileBytes(jpegNamedTif, ByteVector{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10});
    EXPECT_EQ(tiffPageCount(jpegNamedTif), std::nullopt);
    const std::string threeBytes = (dir.path() / "short.tif").string();
    testing::writeFileBytes(threeBytes, ByteVector{'I', 'I', '*'});
    EXPECT_EQ(tiffPageCount(threeBytes), std::nullopt);
    EXPECT_EQ(tiffPageCount((dir.path() / "missing.tif").string()), std::nullopt);

    EXPECT_TRUE(looksLikeTiff(std::string("II*\0", 4)));
    EXPECT_TRUE(looksLikeTiff(std::string("MM\0*", 4)));
    EXPECT_TRUE(looksLikeTiff(std::string("II+\0", 4)));
    EXPECT_FALSE(looksLikeTiff(std::string("MM*\0", 4)));
}

// A page that cannot be written stops the split there: the pages before it
// stay, nothing after it is attempted, and the reason names the file.
TEST(TiffPages, AFailedPageStopsTheSplitAndKeepsEarlierPages) {
    TempDir dir;
    const std::string source = (dir.path() / "stack.tif").string();
    writePages(source, threePages());
    std::vector<int> asked;
    const TiffSplitResult split = splitTiffPages(source, [&](int i) {
        asked.push_back(i);
        const std::string folder = i == 1 ? "missing-folder" : "";
        return (dir.path() / folder / ("p" + std::to_string(i) + ".tif")).string();
    });
    EXPECT_EQ(split.written.size(), 1u);
    EXPECT_NE(split.error.find("missing-folder"), std::string::npos) << split.error;
    EXPECT_EQ(asked, (std::vector<int>{0, 1}));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "p0.tif"));

    const TiffSplitResult notTiff =
        splitTiffPages((dir.path() / "p9.tif").string(), [](int) { return std::string("x"); });
    EXPECT_TRUE(notTiff.written.empty());
    EXPECT_FALSE(notTiff.error.empty());
}

}  // namespace
}  // namespace strovik
