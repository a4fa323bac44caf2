#include "engine/recognition/review_rule.h"

#include <gtest/gtest.h>

namespace strovik {
namespace {

const ReviewSettings kDefaults;

TEST(ReviewRule, NoMarkThresholdIsStrict) {
    // 2.0 is not below the no-mark threshold 2.0: the answer stands (faint).
    const CellReview at = reviewSingle(3, 2.0, 1, kDefaults);
    EXPECT_EQ(at.chosen, std::vector<int>{3});
    EXPECT_EQ(at.doubt, ReviewKind::Faint);
    EXPECT_EQ(at.shown, ReviewShown::Faint);

    const CellReview below = reviewSingle(3, 1.9, 1, kDefaults);
    EXPECT_TRUE(below.chosen.empty());
    EXPECT_EQ(below.doubt, ReviewKind::NoMark);
    EXPECT_EQ(reviewValueText(below, false, false), "-1");

    // The engine's own "no answer" is no mark whatever the reliability.
    EXPECT_EQ(reviewSingle(-1, 150.0, 1, kDefaults).doubt, ReviewKind::NoMark);
}

TEST(ReviewRule, FaintThresholdIsStrict) {
    EXPECT_EQ(reviewSingle(2, 3.0, 1, kDefaults).doubt, ReviewKind::None);
    EXPECT_EQ(reviewSingle(2, 3.0, 1, kDefaults).shown, ReviewShown::Plain);
    EXPECT_EQ(reviewSingle(2, 2.9, 1, kDefaults).shown, ReviewShown::Faint);
}

TEST(ReviewRule, TwoMarksAreDoubtfulWhateverTheColouring) {
    // A doubled mark just above the faint threshold: plain by default, but
    // still doubtful; one mark is not.
    const CellReview doubled = reviewSingle(1, 3.2, 2, kDefaults);
    EXPECT_EQ(doubled.doubt, ReviewKind::Doubled);
    EXPECT_EQ(doubled.shown, ReviewShown::Plain);
    EXPECT_EQ(reviewSingle(1, 3.2, 1, kDefaults).doubt, ReviewKind::None);

    ReviewSettings grey = kDefaults;
    grey.showSeveral = true;
    EXPECT_EQ(reviewSingle(1, 2.5, 2, grey).shown, ReviewShown::Several);
    // Without the option a faint doubled mark shows faint, and says doubled.
    const CellReview faintDoubled = reviewSingle(1, 2.5, 3, kDefaults);
    EXPECT_EQ(faintDoubled.shown, ReviewShown::Faint);
    EXPECT_EQ(faintDoubled.doubt, ReviewKind::Doubled);
    // Below the no-mark threshold nothing is read, so nothing is doubled.
    EXPECT_EQ(reviewSingle(1, 1.5, 2, grey).doubt, ReviewKind::NoMark);
}

TEST(ReviewRule, SeveralAnswersAndTheirBand) {
    // 160 marked and inside 100..200; 200 marked but on the band's edge.
    const CellReview r = reviewSeveral({160, 40, 200}, kDefaults);
    EXPECT_EQ(r.chosen, (std::vector<int>{1, 3}));
    EXPECT_EQ(r.doubt, ReviewKind::Band);
    EXPECT_EQ(reviewValueText(r, true, false), "1 3");

    // Exactly at the marked threshold is not marked; the band's lower edge
    // (100) is outside it.
    const CellReview edge = reviewSeveral({150, 100, 151}, kDefaults);
    EXPECT_EQ(edge.chosen, std::vector<int>{3});
    ReviewSettings narrow = kDefaults;
    narrow.multiRange = 0;
    EXPECT_EQ(reviewSeveral({150, 100, 151}, narrow).doubt, ReviewKind::None);

    const CellReview none = reviewSeveral({10, 20}, kDefaults);
    EXPECT_EQ(reviewValueText(none, true, false), "");
    EXPECT_EQ(none.doubt, ReviewKind::None);
}

TEST(ReviewRule, TheBandLeavesOutBothOfItsEdges) {
    // Defaults: marked above 150, band strictly inside 100..200.
    EXPECT_EQ(reviewSeveral({100, 0}, kDefaults).doubt, ReviewKind::None);
    EXPECT_EQ(reviewSeveral({101, 0}, kDefaults).doubt, ReviewKind::Band);
    EXPECT_EQ(reviewSeveral({0, 199}, kDefaults).shown, ReviewShown::Band);
    const CellReview upper = reviewSeveral({0, 200}, kDefaults);
    EXPECT_EQ(upper.doubt, ReviewKind::None);
    EXPECT_EQ(upper.shown, ReviewShown::Plain);
    EXPECT_EQ(upper.chosen, std::vector<int>{2});
    // Answer 0 is not a choice: no mark, like -1.
    EXPECT_EQ(reviewSingle(0, 150.0, 1, kDefaults).doubt, ReviewKind::NoMark);
    EXPECT_EQ(reviewSingle(1, 150.0, 1, kDefaults).chosen, std::vector<int>{1});
}

TEST(ReviewRule, ChoiceTenAsZero) {
    std::vector<std::int64_t> dots(10, 0);
    dots[0] = 400;
    dots[9] = 400;
    const CellReview r = reviewSeveral(dots, kDefaults);
    EXPECT_EQ(reviewValueText(r, true, true), "1 0");
    EXPECT_EQ(reviewValueText(r, true, false), "1 10");
    EXPECT_EQ(reviewValueText(reviewSingle(10, 50.0, 1, kDefaults), false, true), "0");
}

}  // namespace
}  // namespace strovik
