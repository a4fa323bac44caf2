#include "engine/image/tiff_memory_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace strovik {
namespace {

constexpr toff_t kRefused = toff_t(-1);
constexpr toff_t kMaxOffset = toff_t(std::numeric_limits<std::int64_t>::max());

/// libtiff passes a signed distance as an unsigned toff_t.
toff_t distance(std::int64_t signedOffset) {
    return toff_t(signedOffset);
}

const std::vector<std::uint8_t> kTen = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

TEST(TiffMemoryStream, SeekToTheEndAndPastItReadsNothing) {
    TiffMemoryStream stream(kTen);
    char byte = 'x';
    // Exactly the size: allowed, nothing left to read.
    EXPECT_EQ(stream.seek(10, SEEK_SET), 10u);
    EXPECT_EQ(stream.read(&byte, 1), 0);
    // One past: allowed as lseek allows it, still nothing to read.
    EXPECT_EQ(stream.seek(11, SEEK_SET), 11u);
    EXPECT_EQ(stream.read(&byte, 1), 0);
    EXPECT_EQ(byte, 'x');
    // One before the end reads the last byte only.
    EXPECT_EQ(stream.seek(9, SEEK_SET), 9u);
    char two[2] = {'x', 'x'};
    EXPECT_EQ(stream.read(two, 2), 1);
    EXPECT_EQ(two[0], 9);
    EXPECT_EQ(two[1], 'x');
    EXPECT_EQ(stream.position(), 10u);
}

TEST(TiffMemoryStream, NegativeSeeksStopAtTheStart) {
    TiffMemoryStream stream(kTen);
    EXPECT_EQ(stream.seek(distance(-1), SEEK_SET), kRefused);
    EXPECT_EQ(stream.position(), 0u);

    ASSERT_EQ(stream.seek(4, SEEK_SET), 4u);
    EXPECT_EQ(stream.seek(distance(-4), SEEK_CUR), 0u);  // exactly to the start
    ASSERT_EQ(stream.seek(4, SEEK_SET), 4u);
    EXPECT_EQ(stream.seek(distance(-5), SEEK_CUR), kRefused);
    EXPECT_EQ(stream.position(), 4u);  // a refused seek does not move

    EXPECT_EQ(stream.seek(distance(-10), SEEK_END), 0u);
    EXPECT_EQ(stream.seek(distance(-11), SEEK_END), kRefused);
    EXPECT_EQ(stream.seek(distance(-1), SEEK_END), 9u);
    EXPECT_EQ(stream.seek(distance(std::numeric_limits<std::int64_t>::min()), SEEK_END), kRefused);
    EXPECT_EQ(stream.position(), 9u);
}

TEST(TiffMemoryStream, SeeksThatWouldOverflowAreRefused) {
    TiffMemoryStream stream(kTen);
    // From the end: the size plus the largest distance is beyond any offset.
    EXPECT_EQ(stream.seek(kMaxOffset, SEEK_END), kRefused);
    EXPECT_EQ(stream.seek(kMaxOffset - 10, SEEK_END), kMaxOffset);  // exactly the largest
    EXPECT_EQ(stream.seek(kMaxOffset - 9, SEEK_END), kRefused);
    EXPECT_EQ(stream.position(), kMaxOffset);
    char byte = 'x';
    EXPECT_EQ(stream.read(&byte, 1), 0);
    // From the current position at the largest offset, one more is refused.
    EXPECT_EQ(stream.seek(1, SEEK_CUR), kRefused);
    EXPECT_EQ(stream.seek(0, SEEK_CUR), kMaxOffset);
    // An unknown origin moves nothing.
    EXPECT_EQ(stream.seek(0, 7), kRefused);
}

TEST(TiffMemoryStream, WritesGrowTheBytesAndReadOnlyStreamsRefuseThem) {
    TiffMemoryStream readOnly(kTen);
    EXPECT_EQ(readOnly.write("ab", 2), -1);
    EXPECT_EQ(readOnly.size(), 10u);

    TiffMemoryStream stream;
    EXPECT_EQ(stream.write("abc", 3), 3);
    // A gap left by a seek past the end reads as zeros.
    ASSERT_EQ(stream.seek(2, SEEK_END), 5u);
    EXPECT_EQ(stream.write("z", 1), 1);
    ASSERT_EQ(stream.seek(1, SEEK_SET), 1u);
    EXPECT_EQ(stream.write("B", 1), 1);  // overwrites in place
    EXPECT_EQ(stream.size(), 6u);
    ASSERT_EQ(stream.seek(0, SEEK_SET), 0u);
    char back[8] = {};
    EXPECT_EQ(stream.read(back, 8), 6);
    EXPECT_EQ(std::string(back, 6), std::string("aBc\0\0z", 6));
    // A write that would end beyond the largest offset fails and writes nothing.
    ASSERT_EQ(stream.seek(kMaxOffset, SEEK_SET), kMaxOffset);
    EXPECT_EQ(stream.write("q", 1), -1);
    EXPECT_EQ(stream.takeBytes(), std::string("aBc\0\0z", 6));
    EXPECT_EQ(stream.size(), 0u);
}

// A page written through one stream reads back through another.
TEST(TiffMemoryStream, CarriesATiffBothWays) {
    TiffMemoryStream sink;
    TIFF* out = sink.open("page", "w", nullptr);
    ASSERT_NE(out, nullptr);
    const std::uint32_t width = 5;
    const std::uint32_t height = 3;
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, 1);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t row[width];
        for (std::uint32_t x = 0; x < width; ++x) row[x] = std::uint8_t(y * 10 + x);
        ASSERT_EQ(TIFFWriteScanline(out, row, y, 0), 1);
    }
    TIFFClose(out);
    const std::string bytes = sink.takeBytes();
    ASSERT_GT(bytes.size(), 8u);

    const std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    TiffMemoryStream source(file);
    TIFF* in = source.open("memory", "rm", nullptr);
    ASSERT_NE(in, nullptr);
    std::uint32_t readWidth = 0;
    ASSERT_EQ(TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &readWidth), 1);
    EXPECT_EQ(readWidth, width);
    std::uint8_t row[width] = {};
    ASSERT_EQ(TIFFReadScanline(in, row, 2, 0), 1);
    EXPECT_EQ(row[0], 20);
    EXPECT_EQ(row[4], 24);
    TIFFClose(in);
}

}  // namespace
}  // namespace strovik
