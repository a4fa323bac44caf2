// Resolution from PNG, TIFF and BMP headers: non-square densities keep x and
// y apart, counts per metre and per centimetre round to the nearest dot per
// inch, and files without a usable unit give none.
#include "engine/image/image_density.h"

#include <gtest/gtest.h>

#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

/// `bytes` bytes of `v` (zeros beyond its four).
void put(ByteVector& out, std::uint32_t v, int bytes, bool big) {
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (big ? bytes - 1 - i : i);
        out.push_back(std::uint8_t(shift < 32 ? v >> shift : 0u));
    }
}

/// Signature, a pHYs chunk (CRCs are not checked by the reader), IEND.
ByteVector pngWithPhys(std::uint32_t x, std::uint32_t y, int unit, bool afterData = false) {
    ByteVector b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto chunk = [&](const char* type, const ByteVector& body) {
        put(b, std::uint32_t(body.size()), 4, true);
        b.insert(b.end(), type, type + 4);
        b.insert(b.end(), body.begin(), body.end());
        put(b, 0, 4, true);
    };
    chunk("IHDR", ByteVector(13, 0));
    if (afterData) chunk("IDAT", ByteVector(3, 0));
    ByteVector phys;
    put(phys, x, 4, true);
    put(phys, y, 4, true);
    phys.push_back(std::uint8_t(unit));
    chunk("pHYs", phys);
    chunk("IEND", {});
    return b;
}

ByteVector bmpWithDensity(std::int32_t x, std::int32_t y, std::uint32_t headerSize = 40) {
    ByteVector b = {'B', 'M'};
    put(b, 0, 12, false);
    put(b, headerSize, 4, false);
    put(b, 0, 20, false);  // size, planes, bits, compression, image size
    put(b, std::uint32_t(x), 4, false);
    put(b, std::uint32_t(y), 4, false);
    put(b, 0, 8, false);
    return b;
}

/// One IFD with XResolution, YResolution (rationals after it) and, unless
/// `unit` is 0, ResolutionUnit.
ByteVector tiffWithResolution(bool big, std::uint32_t xNum, std::uint32_t xDen, std::uint32_t yNum,
                              std::uint32_t yDen, int unit) {
    ByteVector b;
    if (big) {
        b = {'M', 'M', 0, 42};
    } else {
        b = {'I', 'I', 42, 0};
    }
    put(b, 8, 4, big);
    const std::uint32_t entries = unit == 0 ? 2 : 3;
    const std::uint32_t rationals = 8 + 2 + entries * 12 + 4;
    put(b, entries, 2, big);
    auto entry = [&](int tag, int type, std::uint32_t value) {
        put(b, std::uint32_t(tag), 2, big);
        put(b, std::uint32_t(type), 2, big);
        put(b, 1, 4, big);
        if (type == 3) {
            put(b, value, 2, big);
            put(b, 0, 2, big);
        } else {
            put(b, value, 4, big);
        }
    };
    entry(282, 5, rationals);
    entry(283, 5, rationals + 8);
    if (unit != 0) entry(296, 3, std::uint32_t(unit));
    put(b, 0, 4, big);  // no next IFD
    for (std::uint32_t v : {xNum, xDen, yNum, yDen}) put(b, v, 4, big);
    return b;
}

class ImageDensityTest : public ::testing::Test {
protected:
    std::optional<Density> read(const std::string& name, const ByteVector& bytes) {
        const auto path = dir_.path() / name;
        writeFileBytes(path, bytes);
        return readImageDensity(path.string());
    }
    TempDir dir_;
};

void expectDensity(const std::optional<Density>& d, int x, int y) {
    ASSERT_TRUE(d);
    EXPECT_EQ(d->x, x);
    EXPECT_EQ(d->y, y);
}

TEST_F(ImageDensityTest, PngPhysInMetresNonSquare) {
    expectDensity(read("a.png", pngWithPhys(11811, 23622, 1)), 300, 600);
    // 11791 per metre is 299.49 dpi, 11792 is 299.52.
    expectDensity(read("b.png", pngWithPhys(11791, 11792, 1)), 299, 300);
    EXPECT_FALSE(read("aspect.png", pngWithPhys(1, 1, 0)));  // unit unknown
    EXPECT_FALSE(read("late.png", pngWithPhys(11811, 11811, 1, true)));
    EXPECT_FALSE(read("zero.png", pngWithPhys(0, 11811, 1)));
    ByteVector cut = pngWithPhys(11811, 11811, 1);
    cut.resize(cut.size() - 20);  // pHYs body cut short
    EXPECT_FALSE(read("cut.png", cut));
}

TEST_F(ImageDensityTest, BmpPixelsPerMetre) {
    expectDensity(read("a.bmp", bmpWithDensity(7874, 11811)), 200, 300);
    EXPECT_FALSE(read("none.bmp", bmpWithDensity(0, 0)));
    EXPECT_FALSE(read("negative.bmp", bmpWithDensity(-11811, 11811)));
    EXPECT_FALSE(read("core.bmp", bmpWithDensity(11811, 11811, 12)));  // old header
}

TEST_F(ImageDensityTest, TiffInBothByteOrdersAndUnits) {
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        expectDensity(read("a.tif", tiffWithResolution(big, 300, 1, 150, 1, 2)), 300, 150);
        // Exactly half a dot rounds away from zero; just below it rounds down.
        expectDensity(read("half.tif", tiffWithResolution(big, 599, 2, 2995, 10, 2)), 300, 300);
        expectDensity(read("below.tif", tiffWithResolution(big, 29949, 100, 1, 1, 2)), 299, 1);
        // Per centimetre: 118.11 is 300 dpi.
        expectDensity(read("cm.tif", tiffWithResolution(big, 11811, 100, 23622, 100, 3)), 300, 600);
        // Without ResolutionUnit the unit is the inch; unit 1 states none.
        expectDensity(read("default.tif", tiffWithResolution(big, 200, 1, 200, 1, 0)), 200, 200);
        EXPECT_FALSE(read("nounit.tif", tiffWithResolution(big, 300, 1, 300, 1, 1)));
        EXPECT_FALSE(read("zeroden.tif", tiffWithResolution(big, 300, 0, 300, 1, 2)));
    }
    ByteVector cut = tiffWithResolution(false, 300, 1, 300, 1, 2);
    cut.resize(20);  // the IFD runs past the end
    EXPECT_FALSE(read("cut.tif", cut));
}

TEST_F(ImageDensityTest, OtherFormatsAndMissingFilesGiveNone) {
    EXPECT_FALSE(read("a.gif", ByteVector{'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_FALSE(read("empty.png", ByteVector{}));
    EXPECT_FALSE(readImageDensity((dir_.path() / "missing.png").string()));
}

}  // namespace
}  // namespace strovik
