// The test read's rules without a scan: the dots advice at its exact
// boundaries and the per-kind counts of a read.
#include "editor/core/trial_read.h"

#include <gtest/gtest.h>

namespace dravel::testing {
namespace {

using Counts = std::vector<std::int64_t>;

TEST(DotsAdvice, WarnsExactlyWhenAMarkedBubbleIsNotAboveTheThreshold) {
    // A choice counts as marked only above the threshold: a marked bubble
    // with exactly the threshold's dots is missed.
    const auto atThreshold = adviseDots({10, 150, 12, 160}, 150);
    ASSERT_TRUE(atThreshold);
    EXPECT_TRUE(atThreshold->warn);
    EXPECT_EQ(atThreshold->lowestMarked, 150);
    EXPECT_EQ(atThreshold->highestUnmarked, 12);
    EXPECT_EQ(atThreshold->suggested, 81);  // (12 + 150) / 2, rounded down
    EXPECT_FALSE(dotsWarning(atThreshold, 150).isEmpty());
    EXPECT_TRUE(dotsWarning(atThreshold, 150).contains(QStringLiteral("81")));

    const auto oneBelow = adviseDots({10, 150, 12, 160}, 149);
    ASSERT_TRUE(oneBelow);
    EXPECT_FALSE(oneBelow->warn);
    EXPECT_TRUE(dotsWarning(oneBelow, 149).isEmpty());
}

TEST(DotsAdvice, WarnsWhenAnUnmarkedBubbleIsAboveTheThreshold) {
    EXPECT_FALSE(adviseDots({40, 300, 310}, 40)->warn);
    const auto taken = adviseDots({41, 300, 310}, 40);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->warn);
    EXPECT_EQ(taken->suggested, 170);  // (41 + 300) / 2, rounded down
    EXPECT_FALSE(dotsWarning(taken, 40).isEmpty());
}

TEST(DotsAdvice, SuggestedValueReadsEveryMarkAndNoBlank) {
    // Odd and even gaps: the suggestion lies at or above the highest
    // unmarked count and strictly below the lowest marked one.
    for (const Counts& counts : {Counts{5, 118, 161, 7}, Counts{0, 21}, Counts{9, 20, 20}}) {
        const auto advice = adviseDots(counts, 150);
        ASSERT_TRUE(advice);
        EXPECT_GE(advice->suggested, advice->highestUnmarked);
        EXPECT_LT(advice->suggested, advice->lowestMarked);
    }
}

TEST(DotsAdvice, NeedsAClearGapBetweenMarkedAndUnmarked) {
    EXPECT_FALSE(adviseDots({}, 150));
    EXPECT_FALSE(adviseDots({200}, 150));
    // Exactly twice the largest unmarked count is a clear gap; one less is not.
    EXPECT_TRUE(adviseDots({30, 60}, 150));
    EXPECT_FALSE(adviseDots({30, 59}, 150));
    // The smallest marked count must reach kMinMarkedDots.
    EXPECT_TRUE(adviseDots({0, kMinMarkedDots}, 150));
    EXPECT_FALSE(adviseDots({0, kMinMarkedDots - 1}, 150));
    // Equal gaps: the lower one splits, so 40 and 80 are both marked.
    const auto tie = adviseDots({0, 40, 80}, 150);
    ASSERT_TRUE(tie);
    EXPECT_EQ(tie->lowestMarked, 40);
    EXPECT_EQ(tie->highestUnmarked, 0);
}

TEST(TrialCounts, EachFlaggedQuestionCountsUnderItsKind) {
    TrialResult result;
    auto add = [&](bool blank, strovik::ReviewKind doubt) {
        QuestionReading r;
        r.blank = blank;
        r.doubt = doubt;
        r.doubtful = !blank && doubt != strovik::ReviewKind::None;
        result.questions.push_back(r);
    };
    add(false, strovik::ReviewKind::None);
    add(true, strovik::ReviewKind::NoMark);
    add(false, strovik::ReviewKind::Faint);
    add(false, strovik::ReviewKind::Doubled);
    add(false, strovik::ReviewKind::Doubled);
    add(false, strovik::ReviewKind::Band);
    add(true, strovik::ReviewKind::None);  // a several-answer question with nothing marked
    const TrialCounts c = countTrial(result);
    EXPECT_EQ(c.questions, 7);
    EXPECT_EQ(c.noMark, 2);
    EXPECT_EQ(c.faint, 1);
    EXPECT_EQ(c.doubled, 2);
    EXPECT_EQ(c.band, 1);
    EXPECT_EQ(c.doubtful(), 4);
}

TEST(TrialCounts, SeveralAnswerDotsComeFromEveryReadAndOnlySeveralAnswerQuestions) {
    TrialResult first;
    QuestionReading single;
    single.dots = {999};  // not a several-answer question: ignored
    QuestionReading several;
    several.multi = true;
    several.dots = {3, 140};
    first.questions = {single, several};
    TrialResult second;
    several.dots = {5, 150, 2};
    second.questions = {several};
    EXPECT_EQ(severalAnswerDots({first, second}), (Counts{3, 140, 5, 150, 2}));
}

TEST(TrialTexts, TenthChoiceAndTheThresholdsLine) {
    QuestionReading r;
    r.chosen = {9};
    r.reliability = 4.0;
    EXPECT_TRUE(readingText(0, r, true).contains(QStringLiteral(u"読取値=0 ")));
    EXPECT_TRUE(readingText(0, r, false).contains(QStringLiteral(u"読取値=10 ")));

    strovik::ReaderReview review;
    EXPECT_TRUE(reviewBasis(review).startsWith(
        QStringLiteral(u"判定基準: Tarrowの既定値 (ﾏｰｸ無し 2.0, 薄い 3.0, ﾄﾞｯﾄ数 150±50")));
    review.stored = true;
    review.rule.faint = 2.25;
    review.malformed = {strovik::reader_values::kMultiValue.name};
    const QString line = reviewBasis(review);
    EXPECT_TRUE(
        line.startsWith(QStringLiteral(u"判定基準: Tarrowの設定 (ﾏｰｸ無し 2.0, 薄い 2.25,")));
    EXPECT_TRUE(line.endsWith(QStringLiteral("MultiValue")));
}

}  // namespace
}  // namespace dravel::testing
