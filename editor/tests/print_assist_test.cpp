// The print of the scan in the editor: sizes measured on opening, zero
// marks and questions snapping onto the print at a coarse zoom, and the
// draft as one undo step.
#include "editor/core/print_assist.h"

#include "editor/tests/editor_fixture.h"

namespace dravel::testing {
namespace {

sheetgen::Layout printedLayout() {
    sheetgen::LayoutParams p;
    p.dpi = 200;
    p.questions = 10;
    p.choices = 4;
    p.columns = 2;
    return sheetgen::makeLayout(p);
}

class PrintAssistTest : public EditorFixture {
protected:
    void openPrintedScan() {
        const sheetgen::Answers blank(layout.ovals.size(),
                                      std::vector<sheetgen::Mark>(4, sheetgen::Mark::Blank));
        const sheetgen::Image image = sheetgen::renderSheet(layout, blank, {}, 3);
        ASSERT_TRUE(sheetgen::saveImage(QFile::encodeName(path("scan.jpg")).toStdString(), image,
                                        sheetgen::Format::Jpeg, layout.dpi));
        ASSERT_EQ(document.openDocument(path("scan.jpg")), EditorDocument::OpenResult::Opened);
    }
    const sheetgen::Layout layout = printedLayout();
};

TEST_F(PrintAssistTest, OpeningMeasuresTheOvalsAndZeroMarks) {
    openPrintedScan();
    EXPECT_NEAR(state().ovalWidth, layout.ovalWidth, 1);
    EXPECT_NEAR(state().ovalHeight, layout.ovalHeight, 1);
    EXPECT_NEAR(state().zeroRadius, layout.zeroRadius, 1);
    // A blank scan measures nothing: the sizes from its resolution stay.
    openBlankScan();
    EXPECT_EQ(state().ovalWidth, kDefaultOvalWidth);
    EXPECT_EQ(state().zeroRadius, kDefaultZeroRadius);
}

TEST_F(PrintAssistTest, ClicksOffTheCentreSnapWithinHalfASpacing) {
    openPrintedScan();
    state().divisor = 200;  // a coarse zoom: clicks land a few pixels off
    for (const sheetgen::Pt& z : layout.zero) click(z.x + 5, z.y - 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(state().zeroMarks[std::size_t(i)].x, layout.zero[i].x, 1);
        EXPECT_NEAR(state().zeroMarks[std::size_t(i)].y, layout.zero[i].y, 1);
    }
    state().choicesPerQuestion = 4;
    const auto& q0 = layout.ovals[0];
    click(q0.front().x - 4, q0.front().y + 6);
    click(q0.back().x + 3, q0.back().y + 9);
    ASSERT_EQ(state().markCount, 4);
    for (std::size_t c = 0; c < 4; ++c) {
        EXPECT_NEAR(state().marks[c].x, q0[c].x, 1) << c;
        EXPECT_NEAR(state().marks[c].y, q0[c].y, 1) << c;
    }
    // Beyond half a spacing from any bubble nothing moves: a question
    // placed on empty paper stays where it was clicked.
    click(30, 30);
    click(30 + 3 * 60, 30);
    ASSERT_EQ(state().markCount, 8);
    EXPECT_EQ(state().marks[4], (MarkRecord{30, 30, 1, 0}));
    EXPECT_EQ(state().marks[7], (MarkRecord{210, 30, 1, 3}));
}

TEST_F(PrintAssistTest, DraftIsOneUndoStepAfterLaterQuestions) {
    openPrintedScan();
    for (const sheetgen::Pt& z : layout.zero) click(z.x, z.y);
    state().choicesPerQuestion = 2;
    click(30, 30);
    click(90, 30);
    ASSERT_EQ(state().markCount, 2);
    ASSERT_TRUE(document.proposeFromPrint());
    EXPECT_EQ(host.statuses.last(), QStringLiteral(u"ゼロマーク 3, 設問 10 × 4"));
    EXPECT_EQ(state().questionCount, 10);
    EXPECT_NEAR(state().marks[5].x, layout.ovals[1][1].x, 1);
    // A question placed after the draft goes first, then the whole draft.
    state().choicesPerQuestion = 2;
    click(30, 30);
    click(90, 30);
    ASSERT_EQ(state().questionCount, 11);
    document.undo({0, 0});
    EXPECT_EQ(state().questionCount, 10);
    document.undo({0, 0});
    EXPECT_EQ(state().questionCount, 1);
    EXPECT_EQ(state().markCount, 2);
    EXPECT_EQ(state().marks[1], (MarkRecord{90, 30, 0, 1}));
    EXPECT_TRUE(document.isModified());
    // A further undo is the ordinary one.
    document.undo({0, 0});
    EXPECT_EQ(state().questionCount, 0);
}

TEST_F(PrintAssistTest, DraftOnABlankScanChangesNothing) {
    openBlankScan();
    state().zeroMarks[0] = {10, 10};
    EXPECT_FALSE(document.proposeFromPrint());
    EXPECT_TRUE(host.statuses.last().startsWith(
        QStringLiteral(u"ゼロマーク 0, 設問 0 × 0  ゼロマークが見つかりません: ")));
    EXPECT_EQ(state().zeroMarks[0], (Point{10, 10}));
}

}  // namespace
}  // namespace dravel::testing

namespace dravel::testing {
namespace {

TEST_F(EditorFixture, ZeroMarkCircleFollowsThePointerBeforeTheFirstClick) {
    openBlankScan();
    ASSERT_TRUE(state().zeroMarkMode);
    ASSERT_EQ(state().step, 1);
    EXPECT_TRUE(document.placer().followsPointer());
    document.placer().enterMarkMode();
    EXPECT_FALSE(document.placer().followsPointer());  // mark mode, step 1
}

}  // namespace
}  // namespace dravel::testing
