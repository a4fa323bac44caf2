#include "engine/layout/sheet_proposal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

#include "engine/image/image_loader.h"
#include "engine/layout/tests/drawn_sheet.h"
#include "engine/recognition/zero_mark_locator.h"

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

// Where the engine finds the draft's zero marks on `page` (a copy of it).
strovik::LocateOutcome locate(const strovik::Raster& page, const SheetProposal& p, int step) {
    strovik::SheetDefinition def;
    def.zeroMarkRadius = p.zeroRadius;
    for (std::size_t i = 0; i < 3; ++i) def.zeroMarks[i] = {p.zeroMarks[i].x, p.zeroMarks[i].y};
    strovik::Raster copy = page.clone();
    return strovik::locateZeroMarks(copy, def, strovik::SamplingMode{step, false}, false, {});
}

TEST(SheetProposal, LShapedCornerMarksSitInTheirBendWhereTheEngineFindsThem) {
    for (const double degrees : {0.0, 1.0}) {
        DrawnSheet s = twoBlocks();
        s.cornerArm = 60;
        s.cornerStroke = 6;
        s.zeroMarks = {{60, 1694}, {1180, 1694}, {60, 60}, {1180, 60}};
        s.angle = degrees * M_PI / 180.0;
        const strovik::Raster page = s.draw();
        const SheetProposal p = proposeSheet(page);
        ASSERT_EQ(p.zeroMarksFound, 3) << degrees;
        EXPECT_FALSE(p.unreadableZeroMarks);
        EXPECT_EQ(p.zeroRadius, s.cornerStroke);
        // Bottom left, bottom right, top left: each inside the bend of its
        // L, between the stroke and half the arm away from the outer corner.
        const int sx[3] = {1, -1, 1}, sy[3] = {-1, -1, 1};
        for (std::size_t i = 0; i < 3; ++i) {
            const PrintPoint corner = s.turned(s.zeroMarks[i]);
            const int u = sx[i] * (p.zeroMarks[i].x - corner.x);
            const int v = sy[i] * (p.zeroMarks[i].y - corner.y);
            EXPECT_GT(u, s.cornerStroke / 2) << i;
            EXPECT_LT(u, s.cornerArm / 2) << i;
            EXPECT_GT(v, s.cornerStroke / 2) << i;
            EXPECT_LT(v, s.cornerArm / 2) << i;
        }
        EXPECT_EQ(p.questions.size(), 24u);
        // The reader finds every mark right there: exactly with fine
        // sampling, within a sampling step with coarse.
        const strovik::LocateOutcome fine = locate(page, p, 1);
        ASSERT_TRUE(fine.found);
        EXPECT_FALSE(fine.rotated);
        const strovik::LocateOutcome coarse = locate(page, p, 2);
        ASSERT_TRUE(coarse.found);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(fine.marks[i].x, p.zeroMarks[i].x) << i;
            EXPECT_EQ(fine.marks[i].y, p.zeroMarks[i].y) << i;
            EXPECT_NEAR(coarse.marks[i].x, p.zeroMarks[i].x, 2) << i;
            EXPECT_NEAR(coarse.marks[i].y, p.zeroMarks[i].y, 2) << i;
        }
    }
}

TEST(SheetProposal, CornerMarksTooLightForTheReaderAreReportedNotPlaced) {
    // Grey 170 is dark on white paper for the print (below 191) but not for
    // the reader's zero-mark search (blue byte below 150); 140 is for both.
    for (const bool cornerL : {false, true}) {
        DrawnSheet s = twoBlocks();
        if (cornerL) {
            s.cornerArm = 60;
            s.cornerStroke = 6;
            s.zeroMarks = {{60, 1694}, {1180, 1694}, {60, 60}};
        }
        s.zeroGrey = 170;
        SheetProposal p = proposeSheet(s.draw());
        EXPECT_EQ(p.zeroMarksFound, 0) << cornerL;
        EXPECT_TRUE(p.unreadableZeroMarks) << cornerL;
        EXPECT_EQ(p.zeroMarks[0], PrintPoint{}) << cornerL;
        EXPECT_EQ(p.questions.size(), 24u) << cornerL;
        s.zeroGrey = 140;
        p = proposeSheet(s.draw());
        EXPECT_EQ(p.zeroMarksFound, 3) << cornerL;
        EXPECT_FALSE(p.unreadableZeroMarks) << cornerL;
    }
}

TEST(SheetProposal, BoldTitleBesideACornerDotDoesNotTakeTheCorner) {
    // Five filled squares in a row, each more than 1 / 0.6 times the dot's
    // size: bold print with neighbours. The lone dot is the corner's mark.
    DrawnSheet s = twoBlocks();
    for (int k = 0; k < 5; ++k) s.blots.push_back({{200 + 52 * k, 150}, 24});
    const SheetProposal p = proposeSheet(s.draw());
    expectMatches(p, s, 1);
    // A single blot standing alone nearer the corner than the dot's size
    // allows would win: the same square alone is a mark.
    s.blots = {{{60, 60}, 14}};
    const SheetProposal alone = proposeSheet(s.draw());
    EXPECT_EQ(alone.zeroMarks[2], (PrintPoint{60, 60}));
}

TEST(SheetProposal, NumberGridBesideAnswersFirstDownwardsAndTheExampleRowLeftOut) {
    DrawnSheet s;
    s.blocks = {DrawnBlock{300, 400, 20, 4, 28, 42, false},
                DrawnBlock{600, 400, 6, 10, 34, 42, true},
                DrawnBlock{700, 150, 1, 4, 28, 42, false}};
    s.filled = {{3, 2}, {20, 4}, {26, 1}};
    const auto all = s.centres();
    // Digit columns 20..25 first, then the answers; the example row 26 is
    // not a question.
    std::vector<std::vector<PrintPoint>> want(all.begin() + 20, all.begin() + 26);
    want.insert(want.end(), all.begin(), all.begin() + 20);
    SheetProposal p = proposeSheet(s.draw());
    ASSERT_EQ(p.questions.size(), want.size());
    for (std::size_t q = 0; q < want.size(); ++q) {
        ASSERT_EQ(p.questions[q].size(), want[q].size()) << q;
        for (std::size_t c = 0; c < want[q].size(); ++c) {
            EXPECT_NEAR(p.questions[q][c].x, want[q][c].x, 1) << q << "," << c;
            EXPECT_NEAR(p.questions[q][c].y, want[q][c].y, 1) << q << "," << c;
        }
    }
    // Labelled 0 above 1: the top row is the tenth choice, as the reader
    // takes digit 0.
    s.labels = {{{575, 400}, '0'}, {{575, 442}, '1'}};
    p = proposeSheet(s.draw());
    ASSERT_EQ(p.questions.size(), want.size());
    for (std::size_t d = 0; d < 6; ++d) {
        EXPECT_NEAR(p.questions[d][0].y, 442, 1) << d;
        EXPECT_NEAR(p.questions[d][8].y, 778, 1) << d;
        EXPECT_NEAR(p.questions[d][9].y, 400, 1) << d;
    }
    EXPECT_NEAR(p.questions[6][0].y, 400, 1);
    // Labelled 1 above 0 (or 1 above 1): printed order.
    for (const char second : {'0', '1'}) {
        s.labels = {{{575, 400}, '1'}, {{575, 442}, second}};
        p = proposeSheet(s.draw());
        ASSERT_EQ(p.questions.size(), want.size());
        EXPECT_NEAR(p.questions[0][0].y, 400, 1) << second;
        EXPECT_NEAR(p.questions[0][9].y, 778, 1) << second;
    }
}

TEST(SheetProposal, StackedNumberGridsWithDigitsInsideAreNumbersZeroLast) {
    // Answers 20 x 4; two 6-digit grids printed 0 to 9 from the top with the
    // digits inside the bubbles, 3 pitches apart (or 20 rows without a gap).
    DrawnSheet s;
    s.ovalW = s.ovalH = 30;
    for (const int secondTop : {940, 850}) {
        s.blocks = {DrawnBlock{200, 400, 20, 4, 45, 45, false},
                    DrawnBlock{600, 400, 6, 10, 45, 45, true},
                    DrawnBlock{600, secondTop, 6, 10, 45, 45, true}};
        s.labels.clear();
        for (const int top : {400, secondTop})
            for (int d = 0; d < 6; ++d)
                s.labels.insert(s.labels.end(),
                                {{{600 + 45 * d, top}, '0'}, {{600 + 45 * d, top + 45}, '1'}});
        const SheetProposal p = proposeSheet(s.draw());
        if (secondTop == 850) {  // one block of 20 rows: rows of 6 choices, after the answers
            ASSERT_EQ(p.questions.size(), 40u);
            EXPECT_EQ(p.questions[0].size(), 4u);
            EXPECT_EQ(p.questions[20].size(), 6u);
            continue;
        }
        ASSERT_EQ(p.questions.size(), 32u);
        for (std::size_t d = 0; d < 12; ++d) {
            ASSERT_EQ(p.questions[d].size(), 10u) << d;
            const int top = d < 6 ? 400 : secondTop;
            EXPECT_NEAR(p.questions[d][0].x, 600 + 45 * int(d % 6), 1) << d;
            EXPECT_NEAR(p.questions[d][0].y, top + 45, 1) << d;
            EXPECT_NEAR(p.questions[d][9].y, top, 1) << d;
        }
        EXPECT_NEAR(p.questions[12][0].y, 400, 1);
    }
}

TEST(SheetProposal, TextLinesBesideABubbleGridAreNotBubbles) {
    // Ten lines of "1010..." beside a 10 x 4 grid: the rings of the text (21
    // pixels tall) outnumber the bubbles five to one. A bar 5 pixels away
    // is under a quarter of their height (5.25): letters of a word; at 6
    // pixels the rings stand apart and their size is the common one.
    for (const int gap : {5, 6}) {
        DrawnSheet s;
        s.ovalW = s.ovalH = 30;
        s.blocks = {DrawnBlock{300, 900, 10, 4, 50, 50, false}};
        const int bar = 6 + gap + 2;  // ring right edge 6, bar half width 1
        for (int row = 0; row < 10; ++row)
            for (int x = 550; x < 1100; x += 2 * bar)
                s.labels.insert(s.labels.end(),
                                {{{x, 900 + 50 * row}, '0'}, {{x + bar, 900 + 50 * row}, '1'}});
        const SheetProposal p = proposeSheet(s.draw());
        if (gap == 6) {
            EXPECT_LT(p.ovalWidth, 20);
            continue;
        }
        expectMatches(p, s, 1);
        EXPECT_NEAR(p.ovalWidth, 30, 1);
    }
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
