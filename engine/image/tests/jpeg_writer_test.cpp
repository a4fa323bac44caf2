#include "engine/image/jpeg_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "engine/image/image_loader.h"
#include "engine/image/jfif_density.h"
#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

constexpr int kTolerance = 24;

// A smooth image so that quality-90 compression stays close.
ByteVector smoothBgr(int width, int height) {
    ByteVector pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.insert(pixels.end(),
                          {std::uint8_t(x * 4), std::uint8_t(y * 4), std::uint8_t(200 - x - y)});
        }
    }
    return pixels;
}

int maxDifference(Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

class JpegWriterTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir_.path() / name).string(); }
    TempDir dir_;
};

TEST_F(JpegWriterTest, ColourRoundTripKeepsSizeAndBlueGreenRedOrder) {
    const int width = 40, height = 30;
    const ByteVector pixels = smoothBgr(width, height);
    for (bool bottomUp : {false, true}) {
        const std::string file = path(bottomUp ? "up.jpg" : "down.jpg");
        ASSERT_TRUE(saveJpeg(file, {pixels.data(), width, height, 3, bottomUp}, 90));
        const auto raster = loadImageFile(file);
        ASSERT_TRUE(raster);
        ASSERT_EQ(raster->width(), width);
        ASSERT_EQ(raster->height(), height);
        int worst = 0;
        for (int y = 0; y < height; ++y) {
            // Top-down input: row y holds image row y; bottom-up: the reverse.
            const int row = bottomUp ? height - 1 - y : y;
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = pixels.data() + std::size_t(row * width + x) * 3;
                worst =
                    std::max(worst, maxDifference(pixelAt(*raster, x, y), Rgb{p[2], p[1], p[0]}));
            }
        }
        EXPECT_LE(worst, kTolerance) << "bottomUp " << bottomUp;
    }
}

TEST_F(JpegWriterTest, GreyRoundTrip) {
    ByteVector grey(32 * 16);
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = std::uint8_t(i % 32 * 8);
    ASSERT_TRUE(saveJpeg(path("grey.jpg"), {grey.data(), 32, 16, 1, false}, 95));
    const auto raster = loadImageFile(path("grey.jpg"));
    ASSERT_TRUE(raster);
    const Rgb p = pixelAt(*raster, 20, 5);
    EXPECT_EQ(p.r, p.b);
    EXPECT_LE(std::abs(int(p.b) - 160), kTolerance);
}

TEST_F(JpegWriterTest, DensityIsRecordedOnlyWhenGiven) {
    const ByteVector pixels = smoothBgr(8, 8);
    ASSERT_TRUE(saveJpeg(path("dpi.jpg"), {pixels.data(), 8, 8}, 75, 300));
    auto density = readJfifDensity(path("dpi.jpg"));
    ASSERT_TRUE(density);
    EXPECT_EQ(density->x, 300);
    EXPECT_EQ(density->y, 300);
    ASSERT_TRUE(saveJpeg(path("plain.jpg"), {pixels.data(), 8, 8}, 75));
    density = readJfifDensity(path("plain.jpg"));
    ASSERT_TRUE(density);
    EXPECT_EQ(density->x, 1);  // the library's default aspect-ratio density
    EXPECT_EQ(density->y, 1);
    EXPECT_EQ(readFileBytes(path("plain.jpg"))[13], 0);
}

TEST_F(JpegWriterTest, UnwritablePathPrintsCantOpen) {
    const ByteVector pixels = smoothBgr(4, 4);
    const std::string file = path("no-such-folder/out.jpg");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(saveJpeg(file, {pixels.data(), 4, 4}, 75));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "can't open " + file + "\n");
}

TEST_F(JpegWriterTest, AnotherUsersLinkInASharedFolderIsNotWrittenThrough) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a link owned by another user needs root";
    const std::filesystem::path shared = dir_.path() / "shared";
    std::filesystem::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::filesystem::path victim = dir_.path() / "victim.txt";
    { std::ofstream(victim) << "private"; }
    const std::filesystem::path link = shared / "area_1_001.jpg";
    std::filesystem::create_symlink(victim, link);
    ASSERT_EQ(::lchown(link.c_str(), 65534, static_cast<gid_t>(-1)), 0);

    const ByteVector pixels = smoothBgr(4, 4);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(saveJpeg(link.string(), {pixels.data(), 4, 4}, 75));
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("can't open " + link.string() + "\n", 0), 0u) << message;
    EXPECT_NE(message.find("シンボリックリンク"), std::string::npos) << message;
    EXPECT_EQ(std::filesystem::file_size(victim), 7u);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST_F(JpegWriterTest, EmptyImageGivesFalseAndNoFile) {
    const ByteVector pixels = smoothBgr(4, 4);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(saveJpeg(path("zero-width.jpg"), {pixels.data(), 0, 4}, 75));
    EXPECT_FALSE(saveJpeg(path("zero-height.jpg"), {pixels.data(), 4, 0}, 75));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(std::filesystem::exists(path("zero-width.jpg")));
    EXPECT_FALSE(std::filesystem::exists(path("zero-height.jpg")));
}

TEST_F(JpegWriterTest, LibraryErrorRemovesThePartialFile) {
    // Wider than the format allows: the library rejects it after the file
    // was opened.
    const ByteVector pixels(3, 0);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(saveJpeg(path("too-wide.jpg"), {pixels.data(), 70000, 1}, 75));
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("can't write " + path("too-wide.jpg") + ": ", 0), 0u) << message;
    EXPECT_FALSE(std::filesystem::exists(path("too-wide.jpg")));
}

}  // namespace
}  // namespace strovik
