#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "engine/image/image_loader.h"
#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

constexpr const char* kDjpeg = "/usr/bin/djpeg";

// Decodes with the reference command-line decoder; returns RGB rows top first.
PlainImage decodeWithDjpeg(const ByteVector& jpeg) {
    TempDir dir;
    writeFileBytes(dir.path() / "in.jpg", jpeg);
    const std::string command = std::string(kDjpeg) + " -ppm '" + (dir.path() / "in.jpg").string() +
                                "' > '" + (dir.path() / "out.pnm").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const ByteVector pnm = readFileBytes(dir.path() / "out.pnm");
    std::string text(pnm.begin(), pnm.end());
    std::istringstream header(text);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    header >> magic >> width >> height >> maxValue;
    PlainImage image{width, height, magic == "P5" ? 1 : 3, {}};
    const std::size_t start = std::size_t(header.tellg()) + 1;
    image.pixels.assign(pnm.begin() + std::ptrdiff_t(start), pnm.end());
    return image;
}

void expectSameAsDjpeg(const ByteVector& jpeg) {
    if (!std::filesystem::exists(kDjpeg)) GTEST_SKIP() << "djpeg not installed";
    const PlainImage reference = decodeWithDjpeg(jpeg);
    std::string error;
    const auto raster = decodeBytes(jpeg, &error);
    ASSERT_TRUE(raster) << error;
    ASSERT_EQ(raster->width(), reference.width);
    ASSERT_EQ(raster->height(), reference.height);
    ASSERT_EQ(reference.pixels.size(),
              std::size_t(reference.width * reference.height * reference.components));
    int mismatches = 0;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const std::uint8_t* p = reference.pixels.data() +
                                    std::size_t(y * reference.width + x) * reference.components;
            const Rgb expected =
                reference.components == 1 ? Rgb{p[0], p[0], p[0]} : Rgb{p[0], p[1], p[2]};
            if (pixelAt(*raster, x, y) != expected) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(JpegDecoder, ColourBaselineMatchesReferenceDecoder) {
    expectSameAsDjpeg(encodeJpeg(patternImage(37, 23, 3)));
}

TEST(JpegDecoder, ColourProgressiveMatchesReferenceDecoder) {
    expectSameAsDjpeg(encodeJpeg(patternImage(41, 30, 3), {.quality = 80, .progressive = true}));
}

TEST(JpegDecoder, GreyscaleMatchesReferenceDecoderAndFillsAllChannels) {
    const ByteVector jpeg = encodeJpeg(patternImage(19, 17, 1));
    expectSameAsDjpeg(jpeg);
    const auto raster = decodeBytes(jpeg);
    ASSERT_TRUE(raster);
    const Rgb c = pixelAt(*raster, 5, 3);
    EXPECT_EQ(c.r, c.g);
    EXPECT_EQ(c.g, c.b);
}

TEST(JpegDecoder, KeepsOrientationOfAFlatTwoToneImage) {
    // Top half black, bottom half white: the stored first row must be white.
    PlainImage image{16, 16, 1, ByteVector(256, 255)};
    std::fill(image.pixels.begin(), image.pixels.begin() + 128, std::uint8_t(0));
    const auto raster = decodeBytes(encodeJpeg(image, {.quality = 100}));
    ASSERT_TRUE(raster);
    EXPECT_LT(pixelAt(*raster, 8, 0).b, 10);
    EXPECT_GT(pixelAt(*raster, 8, 15).b, 245);
    EXPECT_GT(raster->storedRow(0)[0], 245);
}

// Four-channel JPEG; libjpeg marks it with an Adobe segment.
ByteVector encodeCmyk(int width, int height, std::array<std::uint8_t, 4> cmyk) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    ByteVector row;
    for (int x = 0; x < width; ++x) row.insert(row.end(), cmyk.begin(), cmyk.end());
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    ByteVector bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

TEST(JpegDecoder, InvertedCmykIsScaledByTheBlackChannel) {
    // Stored values 200/100/50 with K = 128: red = 200 * 128 / 255 and so on.
    std::string error;
    const auto raster = decodeBytes(encodeCmyk(16, 8, {200, 100, 50, 128}), &error);
    ASSERT_TRUE(raster) << error;
    const Rgb p = pixelAt(*raster, 3, 4);
    EXPECT_NEAR(p.r, 100, 3);
    EXPECT_NEAR(p.g, 50, 3);
    EXPECT_NEAR(p.b, 25, 3);
}

// Offset just after the start-of-scan header.
std::size_t scanDataStart(const ByteVector& jpeg) {
    for (std::size_t i = 2; i + 3 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
            return i + 2 + (std::size_t(jpeg[i + 2]) << 8 | jpeg[i + 3]);
        }
    }
    return 0;
}

TEST(JpegDecoder, DamagedEntropyDataFailsInsteadOfPaddingWithGrey) {
    const ByteVector good = encodeJpeg(patternImage(64, 64, 3));
    const std::size_t scan = scanDataStart(good);
    ASSERT_GT(scan, 0u);
    const std::size_t middle = scan + (good.size() - scan) / 2;

    ByteVector cutShort(good.begin(), good.begin() + std::ptrdiff_t(middle));
    cutShort.insert(cutShort.end(), {0xFF, 0xD9});
    ByteVector strayMarker = good;
    strayMarker[middle] = 0xFF;
    strayMarker[middle + 1] = 0xD3;
    ByteVector lastByteLost(good.begin(), good.end() - 3);

    for (const ByteVector* bad : {&cutShort, &strayMarker, &lastByteLost}) {
        std::string error;
        EXPECT_FALSE(decodeBytes(*bad, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(JpegDecoder, MissingEndMarkerAloneLeavesAWholePicture) {
    for (const bool progressive : {false, true}) {
        const ByteVector whole = encodeJpeg(patternImage(48, 40, 3), {90, progressive});
        ASSERT_EQ(whole[whole.size() - 2], 0xFF);
        ASSERT_EQ(whole.back(), 0xD9);
        const auto expected = decodeBytes(whole);
        ASSERT_TRUE(expected);
        for (const std::ptrdiff_t cut : {1, 2}) {
            std::string error;
            const auto raster = decodeBytes(ByteVector(whole.begin(), whole.end() - cut), &error);
            ASSERT_TRUE(raster) << "progressive " << progressive << " cut " << cut << ": " << error;
            ASSERT_EQ(raster->sizeBytes(), expected->sizeBytes());
            EXPECT_EQ(std::memcmp(raster->data(), expected->data(), raster->sizeBytes()), 0);
        }
    }
    // A progressive file that lost its last scan has every scanline, but not
    // at full precision: still a truncated file.
    const ByteVector whole = encodeJpeg(patternImage(48, 40, 3), {90, true});
    std::size_t lastScan = 0;
    for (std::size_t i = 0; i + 1 < whole.size(); ++i) {
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) lastScan = i;
    }
    ASSERT_GT(lastScan, 0u);
    std::string error;
    EXPECT_FALSE(
        decodeBytes(ByteVector(whole.begin(), whole.begin() + std::ptrdiff_t(lastScan)), &error));
    EXPECT_EQ(error, "JPEG: file is truncated");

    // Arithmetic decoding fills a cut scan with zeros silently: such a file
    // must have all its bytes.
    const ByteVector arithmetic = encodeJpeg(patternImage(48, 40, 3), {90, false, true});
    ASSERT_TRUE(decodeBytes(arithmetic));
    for (const std::size_t cut : {std::size_t(2), arithmetic.size() / 2}) {
        EXPECT_FALSE(
            decodeBytes(ByteVector(arithmetic.begin(), arithmetic.end() - std::ptrdiff_t(cut))))
            << cut;
    }
}

}  // namespace
}  // namespace strovik
