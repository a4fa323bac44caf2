// The block tool: block positions from three points and two counts at the
// rounding boundaries, counting and estimating questions, copy offsets and
// the renumbering order, the area a new block replaces; then whole blocks
// placed, copied, moved, nudged, renumbered and deleted through the
// document, each undone and redone to the exact definition, blocks placed
// over questions replacing them, the counts suggested without a print, and
// the limits. The counts the print suggests and the snapping are in the
// window test (main_frame_test.cpp).
#include <gtest/gtest.h>

#include <cmath>

#include "editor/core/block_edit.h"
#include "editor/core/block_geometry.h"
#include "editor/core/definition_file.h"
#include "editor/core/editor_texts.h"
#include "editor/tests/editor_fixture.h"

namespace dravel::testing {
namespace {

// ---- Geometry ------------------------------------------------------------------

TEST(BlockGeometry, CountsOfOneAndTwo) {
    // One question: the third point plays no part.
    EXPECT_EQ(blockPositions({100, 200}, {400, 200}, {999, 999}, 1, 4),
              (std::vector<Point>{{100, 200}, {200, 200}, {300, 200}, {400, 200}}));
    // Two questions of two choices: the corners exactly.
    EXPECT_EQ(blockPositions({100, 200}, {160, 203}, {98, 290}, 2, 2),
              (std::vector<Point>{{100, 200}, {160, 203}, {98, 290}, {158, 293}}));
    // One choice: the questions run along the first and third points; the
    // second plays no part.
    EXPECT_EQ(blockPositions({50, 50}, {500, 500}, {50, 110}, 3, 1),
              (std::vector<Point>{{50, 50}, {50, 80}, {50, 110}}));
    EXPECT_EQ(blockPositions({7, 8}, {9, 9}, {9, 9}, 1, 1), (std::vector<Point>{{7, 8}}));
    EXPECT_TRUE(blockPositions({0, 0}, {1, 1}, {2, 2}, 0, 4).empty());
    EXPECT_TRUE(blockPositions({0, 0}, {1, 1}, {2, 2}, 4, 0).empty());
}

TEST(BlockGeometry, FractionalSpacingIsRoundedOnceHalvesAwayFromTheFirstPoint) {
    // 10 / 3 per choice: 3.33 and 6.67 round to 3 and 7 (truncation gives 6).
    EXPECT_EQ(evenStep(100, 110, 1, 4), 103);
    EXPECT_EQ(evenStep(100, 110, 2, 4), 107);
    EXPECT_EQ(evenStep(100, 110, 3, 4), 110);
    // Exactly half: away from the start, downwards and upwards alike.
    EXPECT_EQ(evenStep(200, 205, 1, 3), 203);
    EXPECT_EQ(evenStep(200, 195, 1, 3), 197);
    EXPECT_EQ(evenStep(200, 195, 0, 3), 200);
    EXPECT_EQ(evenStep(5, 9, 3, 1), 5);
    // The choice and question terms are summed before rounding: half a
    // pixel from each makes exactly one (rounding each would give two).
    const std::vector<Point> p = blockPositions({0, 0}, {1, 0}, {1, 10}, 3, 3);
    ASSERT_EQ(p.size(), 9u);
    EXPECT_EQ(p[1], (Point{1, 0}));  // q0 c1: x 0.5 rounds away from 0
    EXPECT_EQ(p[3], (Point{1, 5}));  // q1 c0
    EXPECT_EQ(p[4], (Point{1, 5}));  // q1 c1: 0.5 + 0.5 = 1
    EXPECT_EQ(p[8], (Point{2, 10}));
    // Mirrored about the first point, the block stays mirrored.
    const std::vector<Point> m = blockPositions({0, 0}, {-1, 0}, {-1, -10}, 3, 3);
    for (std::size_t i = 0; i < p.size(); ++i) EXPECT_EQ(m[i], (Point{-p[i].x, -p[i].y})) << i;
}

TEST(BlockGeometry, ChoicesRunningDownwards) {
    // Choices down a column, questions to the right.
    const std::vector<Point> p = blockPositions({100, 100}, {100, 160}, {300, 100}, 3, 4);
    ASSERT_EQ(p.size(), 12u);
    EXPECT_EQ(p[0], (Point{100, 100}));
    EXPECT_EQ(p[3], (Point{100, 160}));
    EXPECT_EQ(p[5], (Point{200, 120}));  // q1 c1
    EXPECT_EQ(p[11], (Point{300, 160}));
}

TEST(BlockGeometry, SlightlyRotatedBlockLiesOnItsGridWithinHalfAPixel) {
    // About one degree: choices climb 5 px over 300, questions lean 10 px
    // left over 600.
    const Point first{1000, 1000}, last{1300, 1005}, lastQuestion{990, 1600};
    const std::vector<Point> p = blockPositions(first, last, lastQuestion, 11, 4);
    ASSERT_EQ(p.size(), 44u);
    for (int q = 0; q < 11; ++q) {
        for (int c = 0; c < 4; ++c) {
            const double x = 1000 + c * 100.0 - q * 1.0;
            const double y = 1000 + c * 5.0 / 3.0 + q * 60.0;
            const Point at = p[std::size_t(q * 4 + c)];
            EXPECT_LE(std::abs(at.x - x), 0.5) << q << "," << c;
            EXPECT_LE(std::abs(at.y - y), 0.5) << q << "," << c;
        }
    }
    // The far corner is the sum of both sides exactly.
    EXPECT_EQ(p[43], (Point{1290, 1605}));
}

TEST(BlockGeometry, CountingAlongALineStopsAtTheTolerance) {
    const std::vector<Point> centres{{0, 0},   {0, 50},  {4, 100}, {5, 150},
                                     {6, 200}, {0, 305}, {0, 306}, {0, -5}};
    // The segment from (0,0) to (0,300), 5 px either side and past the ends.
    EXPECT_EQ(countAlong(centres, {0, 0}, {0, 300}, 5.0), 6);  // not x=6, not y=306
    EXPECT_EQ(countAlong(centres, {0, 0}, {0, 300}, 4.0), 3);
    // Coinciding ends count what lies around the point.
    EXPECT_EQ(countAlong(centres, {0, 0}, {0, 0}, 5.0), 2);
    EXPECT_EQ(countAlong({}, {0, 0}, {0, 300}, 5.0), 0);
}

TEST(BlockGeometry, EstimatedQuestionsRoundHalfUp) {
    // Choice spacing 100 (four choices over 300).
    EXPECT_EQ(estimateQuestions({0, 0}, {300, 0}, {0, 950}, 4, 40), 11);  // 9.5 -> 10
    EXPECT_EQ(estimateQuestions({0, 0}, {300, 0}, {0, 949}, 4, 40), 10);
    EXPECT_EQ(estimateQuestions({0, 0}, {300, 0}, {0, 0}, 4, 40), 1);
    // One choice: the fallback pitch.
    EXPECT_EQ(estimateQuestions({0, 0}, {0, 0}, {0, 200}, 1, 40), 6);
    EXPECT_EQ(estimateQuestions({0, 0}, {0, 0}, {0, 200}, 1, 0), 1);
}

TEST(BlockGeometry, ContinuingCopyOffsets) {
    // Ten questions 10 px apart: the copy starts 100 px further.
    EXPECT_EQ(continuingOffset({0, 0}, {90, 0}, {0, 90}, 10, 4, 40), (Point{0, 100}));
    // Three questions 12.5 apart: 37.5 rounds to 38.
    EXPECT_EQ(continuingOffset({0, 0}, {90, 0}, {0, 25}, 3, 4, 40), (Point{0, 38}));
    EXPECT_EQ(continuingOffset({0, 0}, {90, 0}, {0, -25}, 3, 4, 40), (Point{0, -38}));
    // One question: one choice spacing across the choices.
    EXPECT_EQ(continuingOffset({0, 0}, {90, 0}, {0, 0}, 1, 4, 40), (Point{0, 30}));
    EXPECT_EQ(continuingOffset({0, 0}, {0, 90}, {0, 0}, 1, 4, 40), (Point{30, 0}));
    EXPECT_EQ(continuingOffset({0, 0}, {60, 60}, {0, 0}, 1, 3, 40), (Point{0, 42}));  // tie: down
    EXPECT_EQ(continuingOffset({0, 0}, {0, 0}, {0, 0}, 1, 1, 40), (Point{0, 40}));
}

TEST(BlockGeometry, RenumberingOrder) {
    // Questions 2 and 3 of six.
    EXPECT_EQ(renumberOrder(6, 2, 2, 0), (std::vector<int>{2, 3, 0, 1, 4, 5}));
    EXPECT_EQ(renumberOrder(6, 2, 2, 4), (std::vector<int>{0, 1, 4, 5, 2, 3}));
    EXPECT_EQ(renumberOrder(6, 2, 2, 2), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(renumberOrder(6, 2, 2, 3), (std::vector<int>{0, 1, 3, 4, 2, 5}));
    // Past the end is the end.
    EXPECT_EQ(renumberOrder(6, 2, 2, 9), renumberOrder(6, 2, 2, 4));
    // The last question to the front; the whole list onto itself.
    EXPECT_EQ(renumberOrder(3, 2, 1, 0), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(renumberOrder(3, 0, 3, 0), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(renumberOrder(3, 2, 2, 0).empty());
}

TEST(BlockGeometry, SnapReachIsHalfTheNearestNeighbour) {
    // Choices 30 apart, questions 50 apart.
    const std::vector<Point> grid = blockPositions({0, 0}, {90, 0}, {0, 100}, 3, 4);
    EXPECT_EQ(snapReach(grid, 3, 4, 99), 15);
    const std::vector<Point> tight = blockPositions({0, 0}, {90, 0}, {0, 41}, 2, 4);
    EXPECT_EQ(snapReach(tight, 2, 4, 99), 15);
    const std::vector<Point> rows = blockPositions({0, 0}, {0, 0}, {0, 21}, 2, 1);
    EXPECT_EQ(snapReach(rows, 2, 1, 99), 10);
    EXPECT_EQ(snapReach({{5, 5}}, 1, 1, 99), 99);
    EXPECT_EQ(snapReach(grid, 3, 0, 99), 99);
}

TEST(BlockGeometry, ReplacementAreaKeepsItsGrownEdgesInside) {
    // Choices 30 apart: the box of the centres grown by 15.
    const std::vector<Point> grid = blockPositions({100, 100}, {130, 100}, {100, 140}, 2, 2);
    const BlockArea area =
        replacementArea(grid, blockSpacing({100, 100}, {130, 100}, {100, 140}, 2, 2, 99));
    EXPECT_TRUE(area.contains({85, 85}));
    EXPECT_TRUE(area.contains({145, 155}));
    EXPECT_FALSE(area.contains({84, 100}));
    EXPECT_FALSE(area.contains({146, 100}));
    EXPECT_FALSE(area.contains({100, 84}));
    EXPECT_FALSE(area.contains({100, 156}));
    // 31 over two spacings: half of 15.5 is not rounded.
    const std::vector<Point> odd = blockPositions({100, 100}, {131, 100}, {100, 100}, 1, 3);
    const BlockArea oddArea =
        replacementArea(odd, blockSpacing({100, 100}, {131, 100}, {100, 100}, 1, 3, 99));
    EXPECT_TRUE(oddArea.contains({93, 100}));
    EXPECT_FALSE(oddArea.contains({92, 100}));
    EXPECT_TRUE(oddArea.contains({138, 107}));
    EXPECT_FALSE(oddArea.contains({139, 100}));
    // One choice: the question spacing; one oval: the fallback.
    EXPECT_DOUBLE_EQ(blockSpacing({0, 0}, {0, 0}, {0, 80}, 3, 1, 99), 40.0);
    EXPECT_DOUBLE_EQ(blockSpacing({0, 0}, {50, 0}, {0, 80}, 1, 1, 99), 99.0);
    EXPECT_FALSE(replacementArea({}, 30).contains({0, 0}));
}

// ---- Through the document ---------------------------------------------------------

/// What a step must give back exactly: the file the definition saves to and
/// the list with its redo chain end, the counts and the flags.
struct Saved {
    std::string bytes;
    std::vector<MarkRecord> marks;
    int questions = 0;
    std::vector<std::uint8_t> multi;
    friend bool operator==(const Saved&, const Saved&) = default;
};

class BlockTest : public EditorFixture {
protected:
    void startBlocks() {
        openBlankScan();
        state().zeroMarks = {Point{500, 700}, Point{60, 700}, Point{60, 40}};
        state().ovalWidth = 20;
        state().ovalHeight = 30;
        document.placer().enterBlockMode();
        ASSERT_TRUE(state().blockMode);
    }

    /// Three clicks and the dialog answered with `counts`.
    void placeBlock(Point first, Point last, Point lastQuestion, BlockCounts counts) {
        host.blockCounts.push_back(counts);
        click(first.x, first.y);
        click(last.x, last.y);
        ASSERT_EQ(state().step, 3);
        click(lastQuestion.x, lastQuestion.y);
        ASSERT_EQ(state().step, 1);
    }

    void drag(Point from, Point to, Modifiers modifiers = {}) {
        document.placer().leftButtonDown(from, modifiers);
        document.pointerMoved({(from.x + to.x) / 2, (from.y + to.y) / 2});
        document.pointerMoved(to);
        document.placer().leftButtonUp(to);
    }

    void key(ViewKey k) { document.placer().keyDown(k, {}, {0, 0}); }

    Saved saved() {
        const EditorState& s = state();
        return {definitionBytes(s),
                {s.marks.begin(), s.marks.begin() + std::min(kMaxMarks, s.markCount + 1)},
                s.questionCount,
                {s.multi.begin(), s.multi.begin() + s.questionCount}};
    }

    Point at(int index) const {
        const MarkRecord& m = document.state().marks[std::size_t(index)];
        return {m.x, m.y};
    }
    int questionOf(int index) const { return document.state().marks[std::size_t(index)].question; }
};

TEST_F(BlockTest, EveryBlockStepIsOneUndoAndOneRedo) {
    startBlocks();
    // One question placed the old way first, then the block tool.
    host.markSettings.push_back(MarkSettings{2, 20, 30});
    document.placer().enterMarkMode();
    click(100, 60);
    click(140, 60);
    ASSERT_EQ(state().questionCount, 1);
    document.placer().enterBlockMode();
    std::vector<Saved> steps{saved()};

    // Place 5 x 4: choices 30 apart, questions 40 apart.
    placeBlock({100, 100}, {190, 100}, {100, 260}, {5, 4});
    ASSERT_EQ(state().questionCount, 6);
    EXPECT_EQ(state().selectedFirst, 1);
    EXPECT_EQ(state().selectedCount, 5);
    EXPECT_EQ(at(2), (Point{100, 100}));
    EXPECT_EQ(at(2 + 4 * 4 + 3), (Point{190, 260}));
    EXPECT_EQ(questionOf(2 + 4 * 4 + 3), 5);
    EXPECT_TRUE(document.isModified());
    steps.push_back(saved());

    // Continuing copy: the next five questions below, numbered 7 to 11.
    document.placer().copySelectedBlock();
    ASSERT_EQ(state().questionCount, 11);
    EXPECT_EQ(at(22), (Point{100, 300}));
    EXPECT_EQ(questionOf(22), 6);
    EXPECT_EQ(state().selectedFirst, 6);
    steps.push_back(saved());

    // Drag the copy 200 to the right by one of its ovals.
    drag({130, 300}, {330, 302});
    EXPECT_EQ(at(22), (Point{300, 302}));
    EXPECT_EQ(at(2), (Point{100, 100}));  // the original stays
    steps.push_back(saved());

    // Two arrow presses make one step.
    key(ViewKey::Left);
    key(ViewKey::Left);
    EXPECT_EQ(at(22), (Point{298, 302}));
    steps.push_back(saved());

    // Ctrl+drag: a copy of the copy, numbered 12 to 16.
    drag({298, 302}, {298, 602}, {false, true});
    ASSERT_EQ(state().questionCount, 16);
    EXPECT_EQ(at(42), (Point{298, 602}));
    EXPECT_EQ(at(22), (Point{298, 302}));
    steps.push_back(saved());

    // Renumber the copy of the copy to the front: its questions 0..4.
    host.blockNumbers.push_back(1);
    document.placer().renumberSelectedBlock();
    EXPECT_EQ(questionOf(0), 0);
    EXPECT_EQ(at(0), (Point{298, 602}));
    EXPECT_EQ(questionOf(20), 5);
    EXPECT_EQ(at(20), (Point{100, 60}));  // the question placed first follows
    EXPECT_EQ(state().selectedFirst, 0);
    steps.push_back(saved());

    // Delete it: the others close up again.
    key(ViewKey::Delete);
    ASSERT_EQ(state().questionCount, 11);
    EXPECT_EQ(at(0), (Point{100, 60}));
    EXPECT_EQ(questionOf(0), 0);
    steps.push_back(saved());

    for (std::size_t i = steps.size() - 1; i > 0; --i) {
        document.undo({0, 0});
        EXPECT_EQ(saved(), steps[i - 1]) << "undo to step " << i - 1;
    }
    // One undo more takes the question placed first.
    document.undo({0, 0});
    EXPECT_EQ(state().questionCount, 0);
    document.redo({0, 0});
    EXPECT_EQ(saved(), steps[0]);
    for (std::size_t i = 1; i < steps.size(); ++i) {
        document.redo({0, 0});
        EXPECT_EQ(saved(), steps[i]) << "redo to step " << i;
    }
    // A new step drops what could be redone.
    document.undo({0, 0});
    key(ViewKey::Escape);  // clears the selection only
    EXPECT_EQ(saved(), steps[steps.size() - 2]);
    placeBlock({400, 100}, {460, 100}, {400, 100}, {1, 3});
    const Saved afterNew = saved();
    document.redo({0, 0});
    EXPECT_EQ(saved(), afterNew);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BlockTest, AQuestionPlacedAfterAnUndoneBlockIsWhatRedoBringsBack) {
    startBlocks();
    placeBlock({100, 100}, {190, 100}, {100, 260}, {5, 4});
    document.undo({0, 0});
    ASSERT_EQ(state().questionCount, 0);
    host.markSettings.push_back(MarkSettings{2, 20, 30});
    document.placer().enterMarkMode();
    click(300, 60);
    click(340, 60);
    const Saved withQuestion = saved();
    document.undo({0, 0});
    ASSERT_EQ(state().questionCount, 0);
    document.redo({0, 0});
    EXPECT_EQ(saved(), withQuestion);
    document.redo({0, 0});
    EXPECT_EQ(saved(), withQuestion);
}

TEST_F(BlockTest, ClicksWithoutAMoveOnlySelect) {
    startBlocks();
    placeBlock({100, 100}, {190, 100}, {100, 260}, {5, 4});
    const Saved placed = saved();
    key(ViewKey::Escape);
    EXPECT_EQ(state().selectedCount, 0);
    // A click selects the question, Shift+click extends to another.
    click(160, 140);
    EXPECT_EQ(state().selectedFirst, 1);
    EXPECT_EQ(state().selectedCount, 1);
    click(100, 220, {true, false});
    EXPECT_EQ(state().selectedFirst, 1);
    EXPECT_EQ(state().selectedCount, 3);
    click(100, 100, {true, false});
    EXPECT_EQ(state().selectedFirst, 0);
    EXPECT_EQ(state().selectedCount, 4);
    // A Ctrl+click copies nothing; no step was made.
    click(100, 100, {false, true});
    EXPECT_EQ(saved(), placed);
    document.undo({0, 0});
    EXPECT_EQ(state().questionCount, 0);
}

TEST_F(BlockTest, BlocksPastTheLimitsAreRefusedWithAMessage) {
    startBlocks();
    // 2600 x 4 passes the marks the editor holds; 101 choices the reader's.
    placeBlock({100, 100}, {190, 100}, {100, 700}, {2600, 4});
    placeBlock({100, 100}, {190, 100}, {100, 700}, {2, kMaxChoices + 1});
    EXPECT_EQ(host.messages,
              (std::vector<MessageId>{MessageId::BlockBeyondLimits, MessageId::BlockBeyondLimits}));
    EXPECT_EQ(state().markCount, 0);
    EXPECT_FALSE(document.isModified());
    // Exactly at the marks limit fits.
    placeBlock({100, 100}, {190, 100}, {100, 700}, {kMaxMarks / 4, 4});
    EXPECT_EQ(state().markCount, kMaxMarks / 4 * 4);
    // A copy of it would not: refused, nothing changed.
    const Saved full = saved();
    document.placer().copySelectedBlock();
    EXPECT_EQ(saved(), full);
    EXPECT_EQ(host.messages.size(), 3u);
}

TEST_F(BlockTest, ABlockOverQuestionsReplacesThemInOneStep) {
    startBlocks();
    // Three blocks: questions 1-5, 6-10 and 11-13, choices 30 apart.
    placeBlock({100, 100}, {190, 100}, {100, 260}, {5, 4});
    placeBlock({300, 100}, {390, 100}, {300, 260}, {5, 4});
    placeBlock({500, 100}, {590, 100}, {500, 180}, {3, 4});
    ASSERT_EQ(state().questionCount, 13);
    const Saved three = saved();

    // The middle block redone a few pixels off: its first click lands on a
    // mark, no selection or deletion is needed.
    placeBlock({303, 102}, {393, 102}, {303, 262}, {5, 4});
    ASSERT_EQ(state().questionCount, 13);
    ASSERT_EQ(state().markCount, 52);
    EXPECT_EQ(at(20), (Point{303, 102}));
    EXPECT_EQ(questionOf(20), 5);
    EXPECT_EQ(at(39), (Point{393, 262}));
    EXPECT_EQ(questionOf(39), 9);
    EXPECT_EQ(at(40), (Point{500, 100}));  // the last block keeps its numbers
    EXPECT_EQ(questionOf(40), 10);
    EXPECT_EQ(state().selectedFirst, 5);
    EXPECT_EQ(state().selectedCount, 5);
    EXPECT_EQ(host.statuses.back(),
              QStringLiteral(u"ブロック 5 × 4 を配置しました（設問 6–10 を置き換え）"));
    const Saved redone = saved();
    document.undo({0, 0});
    EXPECT_EQ(saved(), three);
    document.redo({0, 0});
    EXPECT_EQ(saved(), redone);

    // Two questions over the middle three of that block (y 142..222 grown
    // by 15 reaches 127..237: 142, 182 and 222, not 102 or 262): the later
    // questions move down by one.
    placeBlock({300, 142}, {390, 142}, {300, 222}, {2, 4});
    ASSERT_EQ(state().questionCount, 12);
    EXPECT_EQ(at(24), (Point{300, 142}));
    EXPECT_EQ(questionOf(24), 6);
    EXPECT_EQ(at(32), (Point{303, 262}));
    EXPECT_EQ(questionOf(32), 8);
    EXPECT_EQ(questionOf(36), 9);
    EXPECT_EQ(host.statuses.back(),
              QStringLiteral(u"ブロック 2 × 4 を配置しました（設問 7–9 を置き換え）"));
    document.undo({0, 0});
    EXPECT_EQ(saved(), redone);

    // Two choices over the first two of question 1 (x 85..145): the whole
    // question goes, its other choices included.
    placeBlock({100, 100}, {130, 100}, {100, 100}, {1, 2});
    EXPECT_EQ(state().questionCount, 13);
    EXPECT_EQ(state().markCount, 50);
    EXPECT_EQ(at(0), (Point{100, 100}));
    EXPECT_EQ(at(1), (Point{130, 100}));
    EXPECT_EQ(questionOf(2), 1);
    document.undo({0, 0});
    EXPECT_EQ(saved(), redone);

    // Over nothing: numbered after the others, with the plain status.
    placeBlock({100, 500}, {190, 500}, {100, 540}, {2, 4});
    EXPECT_EQ(state().questionCount, 15);
    EXPECT_EQ(state().selectedFirst, 13);
    EXPECT_EQ(host.statuses.back(), QStringLiteral(u"ブロック 2 × 4 を配置しました"));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BlockTest, ACentreOnTheGrownEdgeIsReplacedOnePixelOutIsNot) {
    startBlocks();
    // Single-choice questions at x 145 and 146 beside a 1 x 2 block at
    // x 100..130 (half spacing 15: the edge is 145).
    placeBlock({145, 300}, {145, 300}, {145, 300}, {1, 1});
    placeBlock({146, 400}, {146, 400}, {146, 400}, {1, 1});
    placeBlock({100, 300}, {130, 300}, {100, 300}, {1, 2});
    ASSERT_EQ(state().questionCount, 2);
    EXPECT_EQ(at(0), (Point{100, 300}));
    EXPECT_EQ(at(2), (Point{146, 400}));
    EXPECT_EQ(questionOf(2), 1);
    // Flags follow their questions: the one-choice question stays multi.
    EXPECT_FALSE(state().isMulti(0));
    EXPECT_TRUE(state().isMulti(1));
    placeBlock({100, 400}, {130, 400}, {100, 400}, {1, 2});
    EXPECT_EQ(state().questionCount, 3);
    EXPECT_EQ(at(2), (Point{146, 400}));
    EXPECT_EQ(host.statuses.back(), QStringLiteral(u"ブロック 1 × 2 を配置しました"));
    // Replacing questions that are not consecutive names each run.
    EXPECT_EQ(blockPlacedText(3, 4, {0, 2, 3, 4}),
              QStringLiteral(u"ブロック 3 × 4 を配置しました（設問 1、3–5 を置き換え）"));
}

TEST_F(BlockTest, AClickOnAMarkStillSelectsDragsAndDeletes) {
    startBlocks();
    placeBlock({100, 100}, {190, 100}, {100, 260}, {5, 4});
    key(ViewKey::Escape);
    // A click selects and starts a block there; Delete deletes the selection.
    click(160, 140);
    EXPECT_EQ(state().step, 2);
    EXPECT_EQ(state().selectedFirst, 1);
    key(ViewKey::Delete);
    EXPECT_EQ(state().step, 1);
    EXPECT_EQ(state().questionCount, 4);
    // After a click, a drag moves the selection and ends the new block.
    click(100, 100);
    drag({100, 100}, {100, 120});
    EXPECT_EQ(state().step, 1);
    EXPECT_EQ(at(0), (Point{100, 120}));
    EXPECT_EQ(state().questionCount, 4);
    // Undo after a click takes back the drag, not just the click; Escape
    // after a click leaves nothing selected or begun.
    click(100, 120);
    document.undo({0, 0});
    EXPECT_EQ(at(0), (Point{100, 100}));
    click(100, 100);
    key(ViewKey::Escape);
    EXPECT_EQ(state().step, 1);
    EXPECT_EQ(state().selectedCount, 0);
    EXPECT_EQ(state().questionCount, 4);
}

TEST_F(BlockTest, WithoutAPrintTheCountsComeFromTheSpacing) {
    startBlocks();
    state().choicesPerQuestion = 4;
    host.blockCounts.push_back(std::nullopt);  // Cancel places nothing
    click(100, 100);
    click(190, 100);
    click(100, 385);  // 285 / 30 = 9.5 spacings
    EXPECT_EQ(host.suggestedCounts.back(), (BlockCounts{11, 4}));
    EXPECT_EQ(state().markCount, 0);
    EXPECT_EQ(state().step, 1);
}

}  // namespace
}  // namespace dravel::testing
