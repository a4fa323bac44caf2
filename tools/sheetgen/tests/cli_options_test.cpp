#include "tools/sheetgen/cli_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <sstream>

#include "tools/sheetgen/batch.h"

namespace sheetgen {
namespace {

namespace fs = std::filesystem;

TEST(CliOptionsTest, ReadsEveryOption) {
    const CliParse r = parseCli({"--out",
                                 "d",
                                 "--count",
                                 "4",
                                 "--dpi",
                                 "200",
                                 "--questions",
                                 "30",
                                 "--choices",
                                 "4",
                                 "--columns",
                                 "3",
                                 "--areas",
                                 "2",
                                 "--multi",
                                 "3,7",
                                 "--format",
                                 "png",
                                 "--quality",
                                 "60",
                                 "--seed",
                                 "9",
                                 "--shift",
                                 "5,-6",
                                 "--angle",
                                 "-0.25",
                                 "--upside-down-every",
                                 "3",
                                 "--noise",
                                 "1.5",
                                 "--blur",
                                 "0.8",
                                 "--prefix",
                                 "exam",
                                 "--jitter-every",
                                 "0",
                                 "--distort",
                                 "2=30,0,0",
                                 "--distort",
                                 "4=0,-3,0.3,flip"});
    ASSERT_TRUE(r.options) << r.error;
    const CliOptions& o = *r.options;
    EXPECT_EQ(o.outDir, "d");
    EXPECT_EQ(o.count, 4);
    EXPECT_EQ(o.layout.dpi, 200);
    EXPECT_EQ(o.layout.questions, 30);
    EXPECT_EQ(o.layout.choices, 4);
    EXPECT_EQ(o.layout.columns, 3);
    EXPECT_EQ(o.layout.imageAreas, 2);
    EXPECT_EQ(o.layout.multiQuestions, (std::vector<int>{3, 7}));
    EXPECT_EQ(o.format, Format::Png);
    EXPECT_EQ(o.quality, 60);
    EXPECT_EQ(o.seed, 9u);
    ASSERT_TRUE(o.shift);
    EXPECT_EQ(o.shift->x, 5);
    EXPECT_EQ(o.shift->y, -6);
    EXPECT_DOUBLE_EQ(o.angleDeg.value_or(0), -0.25);
    EXPECT_EQ(o.upsideDownEvery, 3);
    EXPECT_DOUBLE_EQ(o.noise, 1.5);
    EXPECT_DOUBLE_EQ(o.blur, 0.8);
    EXPECT_EQ(o.prefix, "exam");
    EXPECT_EQ(o.jitterEvery, 0);
    ASSERT_EQ(o.overrides.size(), 2u);
    EXPECT_EQ(o.overrides[0].sheet, 2);
    EXPECT_EQ(o.overrides[0].shiftX, 30);
    EXPECT_FALSE(o.overrides[0].upsideDown);
    EXPECT_EQ(o.overrides[1].shiftY, -3);
    EXPECT_DOUBLE_EQ(o.overrides[1].angleDeg, 0.3);
    EXPECT_TRUE(o.overrides[1].upsideDown);
}

TEST(CliOptionsTest, RejectsBadArgumentsWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--count", "3"},
        {"--out", "d", "--bogus", "1"},
        {"--out", "d", "--count"},
        {"--out", "d", "--count", "0"},
        {"--out", "d", "--dpi", "abc"},
        {"--out", "d", "--dpi", "300x"},
        {"--out", "d", "--format", "pdf"},
        {"--out", "d", "--shift", "5"},
        {"--out", "d", "--multi", "1,,2"},
        {"--out", "d", "--angle", "90"},
        {"--out", "d", "--angle", "nan"},
        {"--out", "d", "--distort", "2=1,1,nan"},
        {"--out", "d", "--prefix", "a/b"},
        {"--out", "d", "--distort", "0=1,1,0"},
        {"--out", "d", "--distort", "2=1,1,0,sideways"},
    };
    for (const auto& args : bad) {
        const CliParse r = parseCli(args);
        EXPECT_FALSE(r.options) << (args.empty() ? "(none)" : args.back());
        EXPECT_FALSE(r.error.empty());
    }
    EXPECT_TRUE(parseCli({"--out", "d", "--help"}).help);
}

TEST(CliOptionsTest, DistortionPerSheet) {
    CliOptions o;
    o.upsideDownEvery = 3;
    o.jitterEvery = 2;
    o.overrides.push_back({4, 30, -2, 0.5, false});
    const Distortion plain = sheetDistortion(o, 1);
    EXPECT_EQ(plain.shiftX, 0);
    EXPECT_EQ(plain.angleRad, 0.0);
    EXPECT_FALSE(plain.upsideDown);
    EXPECT_TRUE(sheetDistortion(o, 3).upsideDown);

    bool anyJitter = false;
    for (int n = 2; n <= 40; n += 2) {
        if (n == 4) continue;
        const Distortion d = sheetDistortion(o, n);
        EXPECT_LE(std::abs(d.shiftX), 20);
        EXPECT_LE(std::abs(d.shiftY), 20);
        EXPECT_LE(std::abs(d.angleRad), 0.4 * std::numbers::pi / 180.0 + 1e-12);
        anyJitter = anyJitter || d.shiftX != 0 || d.angleRad != 0.0;
    }
    EXPECT_TRUE(anyJitter);

    const Distortion forced = sheetDistortion(o, 4);
    EXPECT_EQ(forced.shiftX, 30);
    EXPECT_EQ(forced.shiftY, -2);
    EXPECT_NEAR(forced.angleRad, 0.5 * std::numbers::pi / 180.0, 1e-12);

    o.shift = Pt{7, 8};
    o.angleDeg = 0.1;
    const Distortion everywhere = sheetDistortion(o, 2);
    EXPECT_EQ(everywhere.shiftX, 7);
    EXPECT_EQ(everywhere.shiftY, 8);
    EXPECT_NEAR(everywhere.angleRad, 0.1 * std::numbers::pi / 180.0, 1e-12);
}

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(VELMORA_BINARY_DIR) / "sheetgen-batch-test" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        options_.outDir = dir_.string();
        options_.count = 2;
        options_.layout.dpi = 100;
        options_.layout.questions = 8;
        options_.format = Format::Png;
    }

    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_;
    CliOptions options_;
};

TEST_F(BatchTest, WritesDefinitionImagesAndTruthInSeparateFolders) {
    std::ostringstream log;
    std::string error;
    ASSERT_TRUE(writeBatch(options_, log, error)) << error;
    const Layout layout = makeLayout(options_.layout);
    EXPECT_EQ(read(dir_ / "sheet.ini"), definitionText(layout));
    for (int n = 1; n <= 2; ++n) {
        const std::string name = "sheet00" + std::to_string(n);
        EXPECT_TRUE(fs::is_regular_file(dir_ / "images" / (name + ".png")));
        const Answers answers = randomAnswers(layout, sheetSeed(options_, n));
        EXPECT_EQ(read(dir_ / "truth" / (name + ".json")), groundTruthJson(layout, answers));
        EXPECT_NE(log.str().find(name + ".png shift="), std::string::npos);
    }
    EXPECT_NE(sheetSeed(options_, 1), sheetSeed(options_, 2));
    std::size_t images = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "images"))
        images += entry.is_regular_file();
    EXPECT_EQ(images, 2u) << "only images in the image folder";
}

TEST_F(BatchTest, FailsCleanlyWhenTheLayoutDoesNotFitOrTheFolderIsBlocked) {
    std::ostringstream log;
    std::string error;
    options_.layout.questions = 2000;
    EXPECT_FALSE(writeBatch(options_, log, error));
    EXPECT_NE(error.find("fit"), std::string::npos) << error;

    options_.layout.questions = 8;
    fs::create_directories(dir_.parent_path());
    std::ofstream(dir_.string() + "-file") << "x";
    options_.outDir = dir_.string() + "-file";  // a file where a folder is needed
    error.clear();
    EXPECT_FALSE(writeBatch(options_, log, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace sheetgen
