#include "engine/image/raster.h"

#include <gtest/gtest.h>

#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using testing::patternColour;
using testing::pixelAt;
using testing::Rgb;

Raster patternRaster(int width, int height) {
    Raster raster(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = patternColour(x, y);
            std::uint8_t* p = raster.data() + raster.offsetOf(x, y);
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    return raster;
}

TEST(Raster, AddressesRowsBottomUp) {
    Raster raster = patternRaster(4, 3);
    EXPECT_EQ(raster.rowBytes(), 12u);
    EXPECT_EQ(raster.sizeBytes(), 36u);
    // The top image row is the last stored row.
    EXPECT_EQ(raster.storedRow(2), raster.data() + raster.offsetOf(0, 0));
    EXPECT_EQ(raster.storedRow(0), raster.data() + raster.offsetOf(0, 2));
    EXPECT_EQ(raster.offsetOf(3, 2), 9u);
}

TEST(Raster, DarknessTestUsesBlueAndSkipsOutside) {
    Raster raster(2, 2);
    std::fill(raster.data(), raster.data() + raster.sizeBytes(), std::uint8_t(200));
    raster.data()[raster.offsetOf(1, 0)] = 50;      // blue byte
    raster.data()[raster.offsetOf(0, 1) + 2] = 10;  // red byte only
    EXPECT_EQ(raster.isDark(1, 0, 128), 1);
    EXPECT_EQ(raster.isDark(1, 0, 50), 0);
    EXPECT_EQ(raster.isDark(0, 1, 128), 0);
    EXPECT_EQ(raster.isDark(-1, 0, 255), 0);
    EXPECT_EQ(raster.isDark(2, 0, 255), 0);
    EXPECT_EQ(raster.isDark(0, 2, 255), 0);
}

TEST(Raster, CloneCopiesPixelsIntoOwnStorage) {
    Raster raster = patternRaster(5, 4);
    Raster copy = raster.clone();
    ASSERT_EQ(copy.width(), 5);
    ASSERT_EQ(copy.height(), 4);
    EXPECT_NE(copy.data(), raster.data());
    EXPECT_TRUE(std::equal(raster.data(), raster.data() + raster.sizeBytes(), copy.data()));
    EXPECT_TRUE(Raster().clone().empty());
}

TEST(Raster, FlipVerticalReversesRowOrder) {
    for (int height : {1, 2, 5, 6}) {
        Raster raster = patternRaster(3, height);
        flipVertical(raster);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(pixelAt(raster, x, y), patternColour(x, height - 1 - y))
                    << "height " << height << " at " << x << "," << y;
            }
        }
    }
}

TEST(Raster, Rotate180MovesEveryPixelToTheOppositeCorner) {
    for (int height : {1, 2, 3, 4, 7}) {
        for (int width : {1, 2, 5}) {
            Raster raster = patternRaster(width, height);
            rotate180(raster);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    EXPECT_EQ(pixelAt(raster, x, y), patternColour(width - 1 - x, height - 1 - y))
                        << width << "x" << height << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(Raster, RotatingTwiceRestoresTheImage) {
    for (int height : {3, 4}) {
        Raster raster = patternRaster(6, height);
        Raster original = raster.clone();
        rotate180(raster);
        EXPECT_FALSE(
            std::equal(raster.data(), raster.data() + raster.sizeBytes(), original.data()));
        rotate180(raster);
        EXPECT_TRUE(std::equal(raster.data(), raster.data() + raster.sizeBytes(), original.data()));
    }
}

// The turned view must read exactly what the physically turned raster
// holds, for odd and even sizes and single rows or columns.
TEST(Raster, TurnedViewReadsWhatRotate180Leaves) {
    for (int height : {1, 2, 3, 6}) {
        for (int width : {1, 2, 5}) {
            Raster raster = patternRaster(width, height);
            Raster turned = raster.clone();
            rotate180(turned);
            const RasterView upright(raster);
            const RasterView view(raster, true);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(upright.pixel(x, y), raster.data() + raster.offsetOf(x, y));
                    const std::uint8_t* seen = view.pixel(x, y);
                    const std::uint8_t* want = turned.data() + turned.offsetOf(x, y);
                    ASSERT_TRUE(std::equal(seen, seen + 3, want))
                        << width << "x" << height << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(Raster, SpareMemoryIsReusedOnlyWhenLargeEnough) {
    Raster spare(10, 10);
    const std::uint8_t* memory = spare.data();
    // Exactly the spare's size and a smaller one reuse its memory.
    Raster same(10, 10, std::move(spare));
    EXPECT_EQ(same.data(), memory);
    EXPECT_TRUE(spare.empty());
    EXPECT_EQ(spare.data(), nullptr);
    Raster smaller(3, 33, std::move(same));  // 99 pixels of 100
    EXPECT_EQ(smaller.data(), memory);
    EXPECT_EQ(smaller.width(), 3);
    EXPECT_EQ(smaller.sizeBytes(), 297u);
    // The memory keeps its full size: a raster of the first size fits again.
    Raster again(10, 10, std::move(smaller));
    EXPECT_EQ(again.data(), memory);
    // One pixel more needs new memory; an empty spare works like none.
    Raster larger(101, 1, std::move(again));
    EXPECT_EQ(larger.sizeBytes(), 303u);
    larger.data()[302] = 1;  // past the old memory: the sanitizer would object
    EXPECT_TRUE(again.empty());
    Raster fresh(4, 4, Raster());
    EXPECT_EQ(fresh.sizeBytes(), 48u);
    EXPECT_NE(fresh.data(), nullptr);
}

TEST(Raster, MovedFromRasterIsEmpty) {
    Raster raster = patternRaster(3, 2);
    Raster moved(std::move(raster));
    EXPECT_TRUE(raster.empty());
    EXPECT_EQ(raster.sizeBytes(), 0u);
    Raster assigned;
    assigned = std::move(moved);
    EXPECT_TRUE(moved.empty());
    EXPECT_EQ(pixelAt(assigned, 2, 1), patternColour(2, 1));
}

TEST(Raster, OperationsOnEmptyRasterDoNothing) {
    Raster empty;
    flipVertical(empty);
    rotate180(empty);
    EXPECT_TRUE(empty.empty());
    EXPECT_TRUE(Raster(0, 5).empty());
}

}  // namespace
}  // namespace strovik
