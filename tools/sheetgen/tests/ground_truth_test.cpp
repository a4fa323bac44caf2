#include <gtest/gtest.h>

#include <algorithm>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

constexpr Mark B = Mark::Blank;
constexpr Mark F = Mark::Filled;
constexpr Mark f = Mark::Faint;

Layout layoutOf(int questions, int choices, std::vector<int> multi = {}) {
    LayoutParams p;
    p.questions = questions;
    p.choices = choices;
    p.multiQuestions = std::move(multi);
    return makeLayout(p);
}

TEST(GroundTruthTest, OnlyASingleClearMarkGivesAnAnswer) {
    const Layout l = layoutOf(7, 4, {6});
    const Answers a = {
        {B, B, F, B},  // one filled: choice 3
        {B, B, B, B},  // blank
        {B, f, B, B},  // faint only
        {F, B, F, B},  // doubled
        {F, f, B, B},  // filled plus a faint one
        {B, B, B, F},  // last choice
        {F, B, B, B},  // multi-answer question, even with one mark
    };
    const GroundTruth t = groundTruth(l, a);
    EXPECT_EQ(t.answers, (std::vector<int>{3, -1, -1, -1, -1, 4, -1}));
    EXPECT_EQ(t.filledCount, (std::vector<int>{1, 0, 0, 2, 1, 1, 1}));
}

TEST(GroundTruthTest, MissingAnswerRowsCountAsBlank) {
    const Layout l = layoutOf(3, 2);
    const GroundTruth t = groundTruth(l, {{F, B}});
    EXPECT_EQ(t.answers, (std::vector<int>{1, -1, -1}));
    EXPECT_EQ(t.filledCount, (std::vector<int>{1, 0, 0}));
}

TEST(GroundTruthTest, JsonListsAnswersCountsAndMarks) {
    const Layout l = layoutOf(3, 3, {2});
    const Answers a = {{B, F, B}, {f, B, B}, {F, F, B}};
    EXPECT_EQ(groundTruthJson(l, a),
              "{\"answers\": [2,-1,-1], \"filled\": [1,0,2], "
              "\"marks\": [[\"B\",\"F\",\"B\"], [\"f\",\"B\",\"B\"], [\"F\",\"F\",\"B\"]]}\n");
}

TEST(RandomAnswersTest, SameSeedSameFillingOtherSeedOther) {
    const Layout l = layoutOf(60, 5);
    EXPECT_EQ(randomAnswers(l, 11), randomAnswers(l, 11));
    EXPECT_NE(randomAnswers(l, 11), randomAnswers(l, 12));
}

TEST(RandomAnswersTest, MixesKindsAndKeepsMultiQuestionsToFilledMarks) {
    const Layout l = layoutOf(100, 5, {5, 50});
    int single = 0, blank = 0, doubled = 0, faint = 0, total = 0;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const Answers a = randomAnswers(l, seed);
        ASSERT_EQ(a.size(), 100u);
        for (int q = 0; q < 100; ++q) {
            ASSERT_EQ(a[q].size(), 5u);
            const auto nF = std::count(a[q].begin(), a[q].end(), F);
            const auto nf = std::count(a[q].begin(), a[q].end(), f);
            if (q == 5 || q == 50) {
                EXPECT_LE(nF, 3);
                EXPECT_EQ(nf, 0);
                continue;
            }
            ASSERT_FALSE(nF > 0 && nf > 0) << "filled and faint never share a question";
            ++total;
            single += nF == 1;
            doubled += nF == 2;
            blank += nF == 0 && nf == 0;
            faint += nf > 0;
        }
    }
    EXPECT_GT(single, total * 7 / 10);
    EXPECT_GT(blank, 0);
    EXPECT_GT(doubled, 0);
    EXPECT_GT(faint, 0);
    EXPECT_EQ(single + doubled + blank + faint, total);
}

}  // namespace
}  // namespace sheetgen
