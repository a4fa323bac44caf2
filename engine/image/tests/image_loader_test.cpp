#include "engine/image/image_loader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <random>

#include "engine/image/jfif_density.h"
#include "engine/image/tests/test_images.h"

namespace strovik {
namespace {

using namespace strovik::testing;

// One small valid file of every format.
std::vector<std::pair<std::string, ByteVector>> sampleFiles() {
    std::vector<std::pair<std::string, ByteVector>> files;
    files.emplace_back("jpeg", encodeJpeg(patternImage(24, 16, 3)));
    files.emplace_back("progressive jpeg",
                       encodeJpeg(patternImage(24, 16, 3), {.progressive = true}));
    ByteVector bmp{'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                   0,   0,   0,  2, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24, 0};
    bmp.resize(54, 0);
    bmp.insert(bmp.end(), {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
    files.emplace_back("bmp", bmp);
    ByteVector indices(64);
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = std::uint8_t(i % 3);
    files.emplace_back("gif", encodeGif(8, 8, indices, {{0, 0, 0}, {9, 9, 9}, {99, 99, 99}}, {}));
    std::vector<ByteVector> rows(8, ByteVector(24, 77));
    files.emplace_back("png", encodePng(8, 8, rows, {.colorType = PNG_COLOR_TYPE_RGB}));
    files.emplace_back("tiff", encodeTiff(8, 8, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, rows));
    return files;
}

void expectFailure(const ByteVector& bytes, const std::string& what) {
    std::string error;
    const auto raster = decodeBytes(bytes, &error);
    EXPECT_FALSE(raster) << what;
    EXPECT_FALSE(error.empty()) << what;
    EXPECT_EQ(error.find('\n'), std::string::npos) << what;
}

TEST(ImageLoader, EveryFormatIsRecognisedByItsLeadingBytes) {
    for (const auto& [name, bytes] : sampleFiles()) {
        std::string error;
        const auto raster = decodeBytes(bytes, &error);
        ASSERT_TRUE(raster) << name << ": " << error;
        EXPECT_GT(raster->width(), 0) << name;
    }
    expectFailure({}, "empty");
    expectFailure({'P', '6', '\n', '1', ' ', '1', '\n', '2', '5', '5', '\n', 0, 0, 0}, "ppm");
}

// Decoding into the memory of an earlier raster gives what a fresh decode
// gives, whether the spare is larger (stale pixels left in it) or too small.
TEST(ImageLoader, DecodingIntoASpareGivesTheSamePixels) {
    for (const auto& [name, bytes] : sampleFiles()) {
        const auto fresh = decodeBytes(bytes);
        ASSERT_TRUE(fresh) << name;
        for (const int side : {1, 40}) {
            Raster spare(side, side);
            std::fill(spare.data(), spare.data() + spare.sizeBytes(), std::uint8_t(7));
            const std::span<const std::uint8_t> span(bytes.data(), bytes.size());
            const auto reused = decodeImage(span, nullptr, &spare);
            ASSERT_TRUE(reused) << name;
            ASSERT_EQ(reused->width(), fresh->width()) << name;
            ASSERT_EQ(reused->height(), fresh->height()) << name;
            EXPECT_TRUE(
                std::equal(fresh->data(), fresh->data() + fresh->sizeBytes(), reused->data()))
                << name << " spare " << side;
        }
    }
}

TEST(ImageLoader, TruncatedFilesFailAtEveryCut) {
    for (const auto& [name, bytes] : sampleFiles()) {
        for (double fraction : {0.0, 0.1, 0.3, 0.5, 0.8, 0.95}) {
            const std::size_t cut =
                std::max<std::size_t>(2, std::size_t(fraction * double(bytes.size())));
            expectFailure(ByteVector(bytes.begin(), bytes.begin() + std::ptrdiff_t(cut)),
                          name + " cut at " + std::to_string(cut));
        }
        // A bitmap's last row may lack its padding, a GIF its trailer byte and
        // a JPEG its two-byte end marker, so the shortest cut that loses pixel
        // data differs by format.
        const bool shortTail =
            name == "bmp" || name == "gif" || name.find("jpeg") != std::string::npos;
        const std::ptrdiff_t lost = shortTail ? 3 : 1;
        expectFailure(ByteVector(bytes.begin(), bytes.end() - lost), name + " end cut off");
    }
}

TEST(ImageLoader, RandomBytesAfterAValidSignatureFailQuietly) {
    std::mt19937 random(1234);
    const std::vector<ByteVector> signatures = {{0xFF, 0xD8, 0xFF},
                                                {'B', 'M'},
                                                {'G', 'I', 'F', '8', '9', 'a'},
                                                {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
                                                {'I', 'I', '*', 0},
                                                {'M', 'M', 0, '*'},
                                                {}};
    ::testing::internal::CaptureStderr();
    for (const ByteVector& signature : signatures) {
        for (int trial = 0; trial < 20; ++trial) {
            ByteVector bytes = signature;
            for (int i = 0; i < 300; ++i) bytes.push_back(std::uint8_t(random()));
            std::string error;
            // Random data may occasionally form a tiny valid image; it must
            // never crash, and a failure must come with a reason.
            if (!decodeBytes(bytes, &error)) {
                EXPECT_FALSE(error.empty());
            }
        }
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void putBig32(ByteVector& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + std::size_t(i)] = std::uint8_t(v >> (24 - 8 * i));
}

// A little-endian TIFF whose only strip is a few bytes long.
ByteVector tinyTiff(std::uint32_t width, std::uint32_t height) {
    ByteVector t{'I', 'I', 42, 0, 8, 0, 0, 0, 6, 0};
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
        const std::uint8_t e[12] = {std::uint8_t(tag),
                                    std::uint8_t(tag >> 8),
                                    std::uint8_t(type),
                                    0,
                                    1,
                                    0,
                                    0,
                                    0,
                                    std::uint8_t(value),
                                    std::uint8_t(value >> 8),
                                    std::uint8_t(value >> 16),
                                    std::uint8_t(value >> 24)};
        t.insert(t.end(), e, e + 12);
    };
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, 8);
    entry(262, 3, 1);
    entry(273, 4, 8 + 2 + 6 * 12 + 4);
    entry(279, 4, 4);
    t.insert(t.end(), {0, 0, 0, 0, 10, 20, 30, 40});
    return t;
}

TEST(ImageLoader, HugeClaimedSizesFailBeforeAllocating) {
    const auto files = sampleFiles();
    // 34464 x 34464 is above the global limit; 10000 x 10000 is allowed in
    // general but far more than a file of this size can encode.
    for (int high : {0x86, 0x27}) {
        ByteVector jpeg = files[0].second;
        for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
            if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
                jpeg[i + 5] = jpeg[i + 7] = std::uint8_t(high);
                jpeg[i + 6] = jpeg[i + 8] = std::uint8_t(high == 0x86 ? 0xA0 : 0x10);
            }
        }
        expectFailure(jpeg, "jpeg with patched size");
    }

    ByteVector bmp = files[2].second;
    bmp[18] = bmp[22] = 0xA0;
    bmp[19] = bmp[23] = 0x86;
    bmp[20] = bmp[24] = 0x01;
    expectFailure(bmp, "bmp 100000 x 100000");

    ByteVector gif = files[3].second;
    std::fill(gif.begin() + 6, gif.begin() + 10, std::uint8_t(0xFF));
    expectFailure(gif, "gif 65535 x 65535");

    ByteVector png = files[4].second;
    putBig32(png, 16, 100000);
    putBig32(png, 20, 100000);
    putBig32(png, 29, crc32(png.data() + 12, 17));
    expectFailure(png, "png 100000 x 100000");

    ASSERT_TRUE(decodeBytes(tinyTiff(2, 2)));
    expectFailure(tinyTiff(100000, 100000), "tiff 100000 x 100000");
    expectFailure(tinyTiff(400000, 1), "tiff strip past the end");
}

TEST(ImageLoader, LoadsFilesAndReportsMissingOnes) {
    TempDir dir;
    const auto files = sampleFiles();
    writeFileBytes(dir.path() / "sheet.dat", files[4].second);
    writeFileBytes(dir.path() / "empty.jpg", {});
    std::string error;
    const auto raster = loadImageFile((dir.path() / "sheet.dat").string(), &error);
    ASSERT_TRUE(raster) << error;
    EXPECT_EQ(raster->width(), 8);
    for (const char* name : {"missing.jpg", "empty.jpg"}) {
        error.clear();
        EXPECT_FALSE(loadImageFile((dir.path() / name).string(), &error));
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    // Special files fail at once, density included, instead of blocking.
    const std::filesystem::path fifo = dir.path() / "fifo.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo.string(), std::string("/dev/zero")}) {
        error.clear();
        EXPECT_FALSE(loadImageFile(path, &error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    EXPECT_FALSE(readJfifDensity(fifo.string()));
}

// The fuzzers' seed files are small valid images of every format: each must
// decode. Inputs that once crashed or hung a decoder under the fuzzer (kept in
// tests/data/fuzz when there are any) must come back without crashing.
TEST(ImageLoader, FuzzSeedsDecodeAndFindingsDoNotCrash) {
    const std::filesystem::path source(VELMORA_SOURCE_DIR);
    int seeds = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(source / "fuzz/corpus/fuzz_image_loader")) {
        std::string error;
        const auto raster = decodeBytes(readFileBytes(entry.path()), &error);
        EXPECT_TRUE(raster && !raster->empty()) << entry.path() << ": " << error;
        ++seeds;
    }
    EXPECT_GT(seeds, 0);
    const std::filesystem::path findings = source / "engine/image/tests/data/fuzz";
    if (!std::filesystem::is_directory(findings)) return;
    for (const auto& entry : std::filesystem::directory_iterator(findings)) {
        std::string error;
        const auto raster = decodeBytes(readFileBytes(entry.path()), &error);
        EXPECT_TRUE(raster ? !raster->empty() : !error.empty()) << entry.path();
    }
}

}  // namespace
}  // namespace strovik
