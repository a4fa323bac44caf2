// A draft put into the editing state: marks in question order, one-choice
// questions flagged, sizes measured or kept, the lists' limits, and the
// summary text.
#include "editor/core/sheet_draft.h"

#include <gtest/gtest.h>

namespace dravel {
namespace {

using strovik::layout::PrintPoint;
using strovik::layout::SheetProposal;

SheetProposal smallDraft() {
    SheetProposal d;
    d.zeroMarksFound = 3;
    d.zeroMarks = {PrintPoint{50, 900}, PrintPoint{700, 900}, PrintPoint{50, 40}};
    d.zeroRadius = 11;
    d.ovalWidth = 24;
    d.ovalHeight = 44;
    d.questions = {{{100, 100}, {140, 100}, {180, 100}}, {{100, 160}}, {{100, 220}, {140, 220}}};
    return d;
}

TEST(SheetDraft, MarksInOrderOneChoiceFlaggedRedoEnded) {
    EditorState s;
    s.areas.push_back(ImageArea{});
    s.setMulti(7, true);
    s.step = 2;
    s.points[0] = {5, 5};
    applyDraft(s, smallDraft());
    EXPECT_EQ(s.markCount, 6);
    EXPECT_EQ(s.questionCount, 3);
    EXPECT_EQ(s.marks[3], (MarkRecord{100, 160, 1, 0}));
    EXPECT_EQ(s.marks[5], (MarkRecord{140, 220, 2, 1}));
    EXPECT_EQ(s.marks[6].question, -1);
    EXPECT_TRUE(s.isMulti(1));
    EXPECT_FALSE(s.isMulti(0));
    EXPECT_FALSE(s.isMulti(7));
    EXPECT_EQ(s.zeroMarks[2], (Point{50, 40}));
    EXPECT_EQ(s.zeroRadius, 11);
    EXPECT_EQ(s.ovalWidth, 24);
    EXPECT_EQ(s.areas.size(), 1u);
    EXPECT_EQ(s.step, 1);
    EXPECT_EQ(s.points[0], Point{});
    EXPECT_EQ(draftSummary(smallDraft()), "ゼロマーク 3, 設問 3 × 3");
    EXPECT_TRUE(draftIsComplete(smallDraft()));
}

TEST(SheetDraft, ZeroMarkProblemNamesWhatIsMissing) {
    SheetProposal d = smallDraft();
    EXPECT_EQ(zeroMarkProblem(d), "");
    d.zeroMarksFound = 2;
    const std::string two = zeroMarkProblem(d);
    EXPECT_EQ(two.rfind("ゼロマークが見つかりません: ", 0), 0u);
    EXPECT_NE(two.find("見つかったのは 2 個"), std::string::npos);
    d.unreadableZeroMarks = true;
    const std::string thin = zeroMarkProblem(d);
    EXPECT_EQ(thin.rfind("ゼロマークが見つかりません: ", 0), 0u);
    EXPECT_NE(thin, two);
}

TEST(SheetDraft, SizesKeptWhenNotMeasuredAndRaisedToTheSmallest) {
    EditorState s;
    s.ovalWidth = 30;
    SheetProposal d = smallDraft();
    d.ovalWidth = 0;
    d.ovalHeight = kMinDraftSize - 1;
    d.zeroRadius = kMinDraftSize;
    d.zeroMarksFound = 2;
    d.zeroMarks[2] = PrintPoint{};
    applyDraft(s, d);
    EXPECT_EQ(s.ovalWidth, 30);
    EXPECT_EQ(s.ovalHeight, kMinDraftSize);
    EXPECT_EQ(s.zeroRadius, kMinDraftSize);
    EXPECT_EQ(s.zeroMarks[2], Point{});
    EXPECT_FALSE(draftIsComplete(d));
}

TEST(SheetDraft, WholeQuestionsUpToTheMarkLimit) {
    SheetProposal d = smallDraft();
    // 2525 questions of 4 fill the list exactly; one more does not fit.
    d.questions.assign(std::size_t(kMaxMarks / 4) + 1, std::vector<PrintPoint>(4, {10, 10}));
    EditorState s;
    applyDraft(s, d);
    EXPECT_EQ(s.markCount, kMaxMarks);
    EXPECT_EQ(s.questionCount, kMaxMarks / 4);
    EXPECT_EQ(s.marks[std::size_t(kMaxMarks - 1)].choice, 3);
}

}  // namespace
}  // namespace dravel
