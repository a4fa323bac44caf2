#include "engine/image/jfif_density.h"

#include <gtest/gtest.h>

#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

// The first 20 bytes of a JFIF file, then some filler.
ByteVector jfifHeader(int units, int x, int y) {
    return {0xFF,
            0xD8,
            0xFF,
            0xE0,
            0x00,
            0x10,
            'J',
            'F',
            'I',
            'F',
            0x00,
            0x01,
            0x01,
            std::uint8_t(units),
            std::uint8_t(x >> 8),
            std::uint8_t(x),
            std::uint8_t(y >> 8),
            std::uint8_t(y),
            0x00,
            0x00,
            0xFF,
            0xD9};
}

class JfifDensityTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const ByteVector& bytes) {
        const auto path = dir_.path() / name;
        writeFileBytes(path, bytes);
        return path.string();
    }
    TempDir dir_;
};

TEST_F(JfifDensityTest, ReadsBigEndianDensities) {
    const auto density = readJfifDensity(write("a.jpg", jfifHeader(1, 300, 600)));
    ASSERT_TRUE(density);
    EXPECT_EQ(density->x, 300);
    EXPECT_EQ(density->y, 600);
    const auto large = readJfifDensity(write("b.jpeg", jfifHeader(1, 0xFFFF, 0x0102)));
    ASSERT_TRUE(large);
    EXPECT_EQ(large->x, 65535);
    EXPECT_EQ(large->y, 258);
}

TEST_F(JfifDensityTest, OnlyJpgAndJpegNamesInAnyCaseAreExamined) {
    const ByteVector header = jfifHeader(1, 200, 300);
    EXPECT_TRUE(readJfifDensity(write("UPPER.JPG", header)));
    EXPECT_TRUE(readJfifDensity(write("Mixed.JpEg", header)));
    EXPECT_FALSE(readJfifDensity(write("other.jpe", header)));
    EXPECT_FALSE(readJfifDensity(write("other.bmp", header)));
    EXPECT_FALSE(readJfifDensity(write("jpg", header)));
}

TEST_F(JfifDensityTest, UnitsByteIsIgnored) {
    const auto density = readJfifDensity(write("cm.jpg", jfifHeader(2, 118, 118)));
    ASSERT_TRUE(density);
    EXPECT_EQ(density->x, 118);
    EXPECT_EQ(density->y, 118);
}

TEST_F(JfifDensityTest, NonJfifShortAndMissingFilesFail) {
    ByteVector exif = jfifHeader(1, 300, 300);
    exif[3] = 0xE1;
    std::copy_n("Exif", 4, exif.begin() + 6);
    EXPECT_FALSE(readJfifDensity(write("exif.jpg", exif)));
    const ByteVector header = jfifHeader(1, 300, 300);
    EXPECT_FALSE(
        readJfifDensity(write("short.jpg", ByteVector(header.begin(), header.begin() + 19))));
    EXPECT_TRUE(
        readJfifDensity(write("exact.jpg", ByteVector(header.begin(), header.begin() + 20))));
    EXPECT_FALSE(readJfifDensity((dir_.path() / "missing.jpg").string()));
}

}  // namespace
}  // namespace strovik
