#include "engine/layout/sheet_proposal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

#include "engine/image/image_loader.h"
#include "engine/layout/tests/drawn_sheet.h"

namespace {

using layout_test::DrawnBlock;
using layout_test::DrawnSheet;
using strovik::layout::PrintPoint;
using strovik::layout::proposeSheet;
using strovik::layout::SheetProposal;

DrawnSheet twoBlocks() {
    DrawnSheet s;
    s.blocks = {DrawnBlock{300, 400, 12, 4, 28, 42, false},
                DrawnBlock{700, 400, 12, 4, 28, 42, false}};
    return s;
}

void expectMatches(const SheetProposal& p, const DrawnSheet& s, int tolerance) {
    const auto want = s.centres();
    ASSERT_EQ(p.questions.size(), want.size());
    for (std::size_t q = 0; q < want.size(); ++q) {
        ASSERT_EQ(p.questions[q].size(), want[q].size()) << "question " << q;
        for (std::size_t c = 0; c < want[q].size(); ++c) {
            const PrintPoint t = s.turned(want[q][c]);
            EXPECT_NEAR(p.questions[q][c].x, t.x, tolerance) << q << "," << c;
            EXPECT_NEAR(p.questions[q][c].y, t.y, tolerance) << q << "," << c;
        }
    }
    ASSERT_EQ(p.zeroMarksFound, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        const PrintPoint t = s.turned(s.zeroMarks[i]);
        EXPECT_NEAR(p.zeroMarks[i].x, t.x, tolerance) << "zero mark " << i + 1;
        EXPECT_NEAR(p.zeroMarks[i].y, t.y, tolerance) << "zero mark " << i + 1;
    }
    EXPECT_NEAR(p.zeroRadius, s.zeroRadius, 1);
}

TEST(SheetProposal, OutlinedAndFilledOvalsWithLettersInTwoBlocks) {
    DrawnSheet s = twoBlocks();
    s.letters = true;
    s.filled = {{0, 1}, {3, 0}, {3, 2}, {13, 3}, {23, 0}};
    const SheetProposal p = proposeSheet(s.draw());
    expectMatches(p, s, 1);
    EXPECT_NEAR(p.ovalWidth, s.ovalW, 1);
    EXPECT_NEAR(p.ovalHeight, s.ovalH, 1);
    EXPECT_EQ(p.choices(), 4);
}

TEST(SheetProposal, BoxesTurnedAndNoisy) {
    DrawnSheet s = twoBlocks();
    s.boxes = true;
    s.ovalW = s.ovalH = 20;
    s.angle = 0.8 * M_PI / 180.0;
    s.noise = 0.01;
    s.filled = {{5, 1}};
    expectMatches(proposeSheet(s.draw()), s, 2);
}

TEST(SheetProposal, ColumnsOfDigitsRunDownwards) {
    DrawnSheet s;
    s.ovalW = s.ovalH = 16;
    s.blocks = {DrawnBlock{300, 300, 6, 10, 34, 22, true}};
    const SheetProposal p = proposeSheet(s.draw());
    expectMatches(p, s, 1);
    EXPECT_EQ(p.choices(), 10);
}

TEST(SheetProposal, BlankPageFindsNothingAndMissingCornerLeavesMarkUnset) {
    DrawnSheet s;
    s.zeroMarks.clear();
    SheetProposal p = proposeSheet(s.draw());
    EXPECT_EQ(p.zeroMarksFound, 0);
    EXPECT_TRUE(p.questions.empty());
    EXPECT_EQ(p.zeroMarks[0], PrintPoint{});
    // Only the bottom pair: zero marks 1 and 2 are set, 3 stays unset.
    s = twoBlocks();
    s.zeroMarks = {{100, 1654}, {1140, 1654}};
    p = proposeSheet(s.draw());
    EXPECT_EQ(p.zeroMarksFound, 2);
    EXPECT_EQ(p.zeroMarks[2], PrintPoint{});
    EXPECT_EQ(proposeSheet(strovik::Raster()).zeroMarksFound, 0);
}

// The bundled sample: the draft must land on the ovals of the definition
// the sample was made with.
TEST(SheetProposal, BundledSampleMatchesItsDefinition) {
    const std::string dir = std::string(VELMORA_SOURCE_DIR) + "/samples/";
    const auto raster = strovik::loadImageFile(dir + "images/sheet001.jpg");
    ASSERT_TRUE(raster);
    std::ifstream in(dir + "sheet.ini", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string ini = text.str();
    std::vector<std::vector<PrintPoint>> want;
    const std::regex mark(R"(MARK\d+=(\d+),(\d+),(\d+),(\d+))");
    for (auto it = std::sregex_iterator(ini.begin(), ini.end(), mark); it != std::sregex_iterator();
         ++it) {
        const std::size_t q = std::stoul((*it)[1]);
        if (want.size() <= q) want.resize(q + 1);
        want[q].push_back({std::stoi((*it)[3]), std::stoi((*it)[4])});
    }
    const SheetProposal p = proposeSheet(*raster);
    ASSERT_EQ(p.questions.size(), want.size());
    // The scan is shifted against the definition; compare relative to
    // the first oval.
    const int dx = p.questions[0][0].x - want[0][0].x, dy = p.questions[0][0].y - want[0][0].y;
    EXPECT_LE(std::abs(dx), 40);
    EXPECT_LE(std::abs(dy), 40);
    for (std::size_t q = 0; q < want.size(); ++q) {
        ASSERT_EQ(p.questions[q].size(), want[q].size()) << q;
        for (std::size_t c = 0; c < want[q].size(); ++c) {
            EXPECT_NEAR(p.questions[q][c].x - dx, want[q][c].x, 3) << q << "," << c;
            EXPECT_NEAR(p.questions[q][c].y - dy, want[q][c].y, 3) << q << "," << c;
        }
    }
    EXPECT_EQ(p.zeroMarksFound, 3);
    EXPECT_NEAR(p.ovalWidth, 24, 2);
    EXPECT_NEAR(p.ovalHeight, 44, 2);
    EXPECT_NEAR(p.zeroRadius, 9, 1);
}

}  // namespace
