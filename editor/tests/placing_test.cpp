// The placing steps driven click by click through the core: a whole session
// saved byte for byte, undo and redo chains, Shift and Ctrl edits, the
// bounds of the lists, image areas and their corner order, hit tests, keys
// and the texts of the status line.
#include <gtest/gtest.h>

#include "editor/core/editor_texts.h"
#include "editor/core/geometry.h"
#include "editor/core/mark_list.h"
#include "editor/core/zoom.h"
#include "editor/tests/editor_fixture.h"
#include "engine/recognition/definition_format.h"

namespace dravel::testing {
namespace {

class PlacingTest : public EditorFixture {
protected:
    /// Opens the blank scan, places the zero marks and enters mark mode with
    /// `choices` choices of 30 x 50.
    void startMarking(int choices) {
        openBlankScan();
        host.markSettings.push_back(MarkSettings{choices, 30, 50});
        click(500, 700);
        click(60, 700);
        click(60, 40);
        ASSERT_TRUE(state().markMode());
        ASSERT_EQ(state().step, 1);
    }

    void placeQuestion(Point first, Point last) {
        click(first.x, first.y);
        ASSERT_EQ(state().step, 2);
        click(last.x, last.y);
        ASSERT_EQ(state().step, 1);
    }

    std::vector<MarkRecord> inUse() const {
        const EditorState& s = document.state();
        return {s.marks.begin(), s.marks.begin() + s.markCount};
    }
};

TEST_F(PlacingTest, SessionPlacedClickByClickSavesTheExpectedFile) {
    openBlankScan(12);
    EXPECT_EQ(host.zeroDialogs, 1);
    EXPECT_EQ(state().divisor, 200);
    EXPECT_EQ(movePrompt(state()),
              QStringLiteral(u"1番目（通常左下）の基準点をｸﾘｯｸしてください。"));

    host.markSettings.push_back(MarkSettings{4, 30, 50});
    click(500, 700);
    click(60, 700);
    EXPECT_EQ(state().step, 3);
    click(60, 40);
    EXPECT_EQ(host.markDialogs, 1);
    // Starting mark mode keeps the zoom the scan opened with.
    EXPECT_EQ(state().divisor, 200);

    placeQuestion({100, 200}, {400, 200});
    placeQuestion({100, 300}, {401, 306});
    // The second question's first click predicts its last choice from the
    // first question, and its last click the next question's first choice.
    ASSERT_EQ(host.pointerMoves.size(), 3u);
    EXPECT_EQ(host.pointerMoves[1], (Point{400, 300}));
    EXPECT_EQ(host.pointerShifts[1], 0);
    EXPECT_EQ(host.pointerMoves[2], (Point{100, 300}));
    EXPECT_EQ(host.pointerShifts[2], 50);  // 100 image pixels at half size

    placeQuestion({100, 400}, {400, 400});
    document.undo({0, 0});
    document.redo({0, 0});
    EXPECT_EQ(state().questionCount, 3);
    document.undo({0, 0});
    placeQuestion({110, 400}, {410, 400});
    document.redo({0, 0});
    EXPECT_EQ(state().questionCount, 3);

    host.markSettings.push_back(MarkSettings{1, 30, 50});
    document.placer().enterMarkMode();
    click(500, 500);
    EXPECT_EQ(state().step, 1);
    EXPECT_TRUE(state().isMulti(3));

    document.placer().enterToggleMode();
    click(200, 302);
    EXPECT_FALSE(state().toggleMode);
    EXPECT_TRUE(state().isMulti(1));

    click(400, 200, {.shift = true});
    click(401, 306, {.control = true});

    document.placer().enterAreaMode();
    click(300, 600);
    click(100, 650);
    click(300, 650);
    click(100, 600);
    EXPECT_FALSE(state().areaMode);

    host.savePaths.push_back(path("placed.ini"));
    ASSERT_TRUE(document.saveAs());
    EXPECT_EQ(host.proposedSavePaths.value(0).section(u'/', -1),
              QStringLiteral(u"マーク情報ファイル-131208-5000-sample.jpg.ini"));
    EXPECT_EQ(fileBytes(path("placed.ini")), fileBytes(testData("placed_by_clicks.ini")));
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.path(), path("placed.ini"));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.unanswered, 0);
}

TEST_F(PlacingTest, UndoAndRedoMoveWholeQuestions) {
    startMarking(4);
    placeQuestion({100, 100}, {400, 100});
    placeQuestion({100, 200}, {400, 200});
    placeQuestion({100, 300}, {400, 300});
    const std::vector<MarkRecord> three = inUse();

    document.undo({0, 0});
    EXPECT_EQ(state().questionCount, 2);
    EXPECT_EQ(state().markCount, 8);
    document.undo({0, 0});
    document.redo({0, 0});
    document.redo({0, 0});
    EXPECT_EQ(inUse(), three);
    document.redo({0, 0});  // nothing left to redo
    EXPECT_EQ(state().questionCount, 3);

    // A started question is abandoned by undo, and the list keeps its marks.
    click(100, 400);
    document.undo({0, 0});
    EXPECT_EQ(state().step, 1);
    EXPECT_EQ(state().points[0], Point{});
    EXPECT_EQ(inUse(), three);

    // Placing after an undo ends the chain; so does a Shift edit.
    document.undo({0, 0});
    placeQuestion({120, 300}, {420, 300});
    document.redo({0, 0});
    EXPECT_EQ(state().questionCount, 3);
    document.undo({0, 0});
    click(400, 200, {.shift = true});
    EXPECT_EQ(state().markCount, 7);
    document.redo({0, 0});
    EXPECT_EQ(state().questionCount, 2);
    EXPECT_EQ(state().markCount, 7);

    // A new sheet does not bring back the marks of the previous one (the
    // unsaved ones are left without saving).
    host.zeroRadii.push_back(14);
    host.answers.push_back(Answer::No);
    ASSERT_EQ(document.openDropped(path("sample.jpg")), EditorDocument::OpenResult::Opened);
    state().step = 1;
    state().zeroMarkMode = false;
    document.redo({0, 0});
    EXPECT_EQ(state().markCount, 0);
    EXPECT_EQ(state().questionCount, 0);
}

TEST_F(PlacingTest, ShiftRemovesOnlyLastChoicesAndCtrlInsertsAfterThem) {
    startMarking(3);
    placeQuestion({100, 100}, {300, 100});
    placeQuestion({100, 200}, {300, 200});

    // A middle choice: only a drag, which moves it and sets modified.
    document.setModified(false);
    document.placer().leftButtonDown({200, 105}, {.shift = true});
    EXPECT_TRUE(state().drag.active());
    document.pointerMoved({210, 115});
    document.placer().leftButtonUp({210, 115});
    EXPECT_EQ(state().markCount, 6);
    EXPECT_EQ(state().marks[1], (MarkRecord{210, 110, 0, 1}));
    EXPECT_TRUE(document.isModified());

    // The last choice of a question in the middle of the list.
    click(300, 100, {.shift = true});
    EXPECT_EQ(state().markCount, 5);
    EXPECT_EQ(state().marks[2], (MarkRecord{100, 200, 1, 0}));
    EXPECT_FALSE(state().drag.active());

    click(210, 110, {.control = true});
    ASSERT_EQ(state().markCount, 6);
    EXPECT_EQ(state().marks[2], (MarkRecord{240, 110, 0, 2}));
    EXPECT_EQ(state().marks[3], (MarkRecord{100, 200, 1, 0}));

    // Ctrl on a middle choice inserts nothing; a full list takes nothing.
    click(100, 200, {.control = true});
    EXPECT_EQ(state().markCount, 6);
    state().markCount = kMaxMarks;
    for (int i = 6; i < kMaxMarks; ++i) state().marks[std::size_t(i)] = {5000, 5000, 2 + i, 0};
    EXPECT_FALSE(insertChoiceAfter(state(), 5));
    EXPECT_EQ(state().markCount, kMaxMarks);
}

TEST_F(PlacingTest, ListsAreBoundedBeforeAnythingIsWritten) {
    startMarking(4);
    const MarkRecord sentinel{7, 7, 7, 7};
    state().markCount = kMaxMarks - 3;
    state().questionCount = 5;
    state().marks[std::size_t(kMaxMarks - 3)] = sentinel;

    placeQuestion({100, 100}, {400, 100});  // four records do not fit in three
    EXPECT_EQ(state().markCount, kMaxMarks - 3);
    EXPECT_EQ(state().questionCount, 5);
    EXPECT_EQ(state().marks[std::size_t(kMaxMarks - 3)], sentinel);

    host.markSettings.push_back(MarkSettings{3, 30, 50});
    document.placer().enterMarkMode();
    placeQuestion({100, 100}, {300, 100});  // three fill the list exactly
    EXPECT_EQ(state().markCount, kMaxMarks);
    EXPECT_EQ(state().questionCount, 6);
    EXPECT_FALSE(redoQuestion(state()));

    // The question limit holds for one-choice questions too.
    EditorState small;
    small.questionCount = kMaxQuestions;
    EXPECT_FALSE(appendQuestion(small, {1, 1}, {1, 1}, 1));
    EXPECT_EQ(small.markCount, 0);

    state().markCount = 0;
    state().questionCount = 0;
    document.placer().enterAreaMode();
    for (int a = 0; a < kMaxAreas + 1; ++a) {
        document.placer().enterAreaMode();
        click(10, 10);
        click(20, 10);
        click(20, 20);
        click(10, 20);
    }
    EXPECT_EQ(int(state().areas.size()), kMaxAreas);
}

TEST_F(PlacingTest, ChoicesStopAtWhatTheReaderHolds) {
    startMarking(kMaxChoices);
    EXPECT_EQ(state().choicesPerQuestion, kMaxChoices);
    EXPECT_TRUE(host.messages.empty());

    // One more is refused with a message; the last accepted count stays.
    host.markSettings.push_back(MarkSettings{kMaxChoices + 1, 30, 50});
    document.placer().enterMarkMode();
    EXPECT_EQ(host.messages, std::vector<MessageId>{MessageId::ChoicesBeyondLimit});
    EXPECT_EQ(state().choicesPerQuestion, kMaxChoices);

    // A full question takes no Ctrl-inserted choice after its last.
    placeQuestion({10, 100}, {10 + 5 * (kMaxChoices - 1), 100});
    ASSERT_EQ(state().markCount, kMaxChoices);
    click(10 + 5 * (kMaxChoices - 1), 100, {.control = true});
    EXPECT_EQ(state().markCount, kMaxChoices);

    // What is saved is read by the engine without refusal.
    ASSERT_TRUE(document.saveTo(path("wide.ini")));
    const strovik::ParsedDefinition read = strovik::parseDefinition(
        velmora::ProfileText::load(QFile::encodeName(path("wide.ini")).toStdString()));
    EXPECT_FALSE(read.violation);
    EXPECT_EQ(int(read.content.marks.size()), kMaxChoices);
}

TEST_F(PlacingTest, DialogSizesAreTakenExactlyWithinTheirLimits) {
    startMarking(4);
    struct Case {
        int size;
        bool taken;
    };
    for (const Case c :
         {Case{strovik::kMinDialogSize - 1, false}, Case{strovik::kMinDialogSize, true},
          Case{strovik::kMaxOvalSize, true}, Case{strovik::kMaxOvalSize + 1, false}}) {
        state().ovalWidth = state().ovalHeight = 40;
        host.markSettings.push_back(MarkSettings{4, c.size, c.size});
        document.placer().enterMarkMode();
        EXPECT_EQ(state().ovalWidth, c.taken ? c.size : 40) << c.size;
        EXPECT_EQ(state().ovalHeight, c.taken ? c.size : 40) << c.size;
    }
    for (const Case c :
         {Case{strovik::kMinDialogSize - 1, false}, Case{strovik::kMinDialogSize, true},
          Case{strovik::kMaxZeroRadius, true}, Case{strovik::kMaxZeroRadius + 1, false}}) {
        state().zeroRadius = 20;
        host.zeroRadii.push_back(c.size);
        document.placer().enterZeroMarkMode();
        EXPECT_EQ(state().zeroRadius, c.taken ? c.size : 20) << c.size;
    }
}

TEST_F(PlacingTest, RowStepIsTheSpacingInScreenPixelsAtTheZoom) {
    // The pointer is sent one row on after a question's last click: the
    // spacing of the last two first choices in image pixels x 100 / divisor,
    // truncated. The divisor is set directly, so the rule is checked at
    // zooms on and off the zoom ladder.
    startMarking(4);
    placeQuestion({100, 100}, {400, 100});
    struct Case {
        int divisor;
        int y;
        int shift;
    };
    for (const Case c :
         {Case{150, 200, 66}, Case{200, 300, 50}, Case{400, 400, 25}, Case{400, 503, 25},
          Case{400, 702, 49}, Case{100, 770, 68}, Case{67, 871, 150}}) {
        state().divisor = c.divisor;
        placeQuestion({100, c.y}, {400, c.y});
        EXPECT_EQ(host.pointerShifts.back(), c.shift) << "divisor " << c.divisor;
        EXPECT_EQ(host.pointerMoves.back(), (Point{100, c.y}));
    }
}

TEST(AreaCorners, AnyClickOrderGivesTopLeftTopRightBottomRightBottomLeft) {
    const ImageArea expected{{Point{10, 20}, Point{90, 22}, Point{88, 70}, Point{12, 68}}};
    const std::array<Point, 4> corners = expected.corners;
    std::array<int, 4> order{0, 1, 2, 3};
    do {
        std::array<Point, 4> clicked;
        for (std::size_t i = 0; i < 4; ++i) clicked[i] = corners[std::size_t(order[i])];
        EXPECT_EQ(sortedArea(clicked), expected) << order[0] << order[1] << order[2] << order[3];
    } while (std::next_permutation(order.begin(), order.end()));

    // A turned area: the crossing count sees its slanted edges.
    const ImageArea diamond{{Point{50, 0}, Point{100, 50}, Point{50, 100}, Point{0, 50}}};
    EXPECT_TRUE(insideArea({50, 50}, diamond));
    EXPECT_TRUE(insideArea({80, 40}, diamond));
    EXPECT_FALSE(insideArea({90, 10}, diamond));
    EXPECT_FALSE(insideArea({10, 90}, diamond));
    EXPECT_FALSE(insideArea({150, 50}, diamond));
}

TEST_F(PlacingTest, AClickInsideAnAreaAsksBeforeDeletingIt) {
    startMarking(4);
    state().areas.push_back({{Point{100, 100}, Point{300, 100}, Point{300, 200}, Point{100, 200}}});
    state().areas.push_back({{Point{400, 100}, Point{500, 100}, Point{500, 200}, Point{400, 200}}});
    document.setModified(false);

    host.answers.push_back(Answer::No);
    click(450, 150);
    EXPECT_EQ(state().areas.size(), 2u);
    EXPECT_EQ(state().step, 1);
    EXPECT_FALSE(document.isModified());

    host.answers.push_back(Answer::Yes);
    click(150, 150);
    ASSERT_EQ(state().areas.size(), 1u);
    EXPECT_EQ(state().areas[0].corners[0], (Point{400, 100}));
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(host.questions,
              (std::vector<QuestionId>{QuestionId::DeleteArea, QuestionId::DeleteArea}));
    EXPECT_EQ(state().markCount, 0);
}

TEST_F(PlacingTest, HitTestsFollowTheirOrderAndEdges) {
    EXPECT_TRUE(insideOval({117, 100}, {100, 100}, 36, 66));
    EXPECT_FALSE(insideOval({118, 100}, {100, 100}, 36, 66));  // on the edge: outside
    EXPECT_FALSE(insideOval({100, 100}, {100, 100}, 1, 66));   // no half width, no oval
    EXPECT_TRUE(insideDisc({109, 100}, {100, 100}, 10));
    EXPECT_FALSE(insideDisc({110, 100}, {100, 100}, 10));

    startMarking(2);
    placeQuestion({100, 100}, {140, 100});
    placeQuestion({100, 200}, {140, 200});
    state().marks[2] = {115, 100, 1, 0};
    EXPECT_EQ(markAt(state(), {120, 100}), 2);  // the later record wins
    state().zeroMarks[1] = {118, 100};
    document.placer().leftButtonDown({120, 100}, {});
    EXPECT_EQ(state().drag.kind, Drag::Kind::ZeroMark);  // and a zero mark wins over it
    EXPECT_EQ(state().drag.index, 1);
    document.placer().leftButtonUp({120, 100});
    EXPECT_EQ(state().step, 1);

    // An unset zero mark near the corner is not there to drag.
    state().zeroMarks[2] = Point{};
    document.placer().leftButtonDown({3, 3}, {});
    EXPECT_FALSE(state().drag.active());
    EXPECT_EQ(state().step, 2);
}

TEST_F(PlacingTest, ModesKeysAndZoom) {
    openBlankScan();
    const std::array<Point, 3> placed{Point{500, 700}, Point{60, 700}, Point{60, 40}};
    host.markSettings.push_back(MarkSettings{2, 30, 50});
    // Placing zero marks, the bare radius keys act.
    ASSERT_TRUE(state().zeroMarkMode);
    document.placer().keyDown(ViewKey::LargerZero, {}, {0, 0});
    EXPECT_EQ(state().zeroRadius, kDefaultZeroRadius + 1);
    document.placer().keyDown(ViewKey::SmallerZero, {}, {0, 0});
    for (const Point& p : placed) click(p.x, p.y);
    EXPECT_EQ(state().zeroMarks, placed);

    // Cancelling the zero-mark dialog keeps the marks in place.
    host.zeroRadii.push_back(std::nullopt);
    document.placer().enterZeroMarkMode();
    EXPECT_EQ(state().zeroMarks, placed);
    EXPECT_FALSE(state().zeroMarkMode);

    for (int i = 0; i < 10; ++i) document.placer().zoomOut();
    EXPECT_EQ(state().divisor, 400);
    for (int i = 0; i < 10; ++i) document.placer().zoomIn();
    EXPECT_EQ(state().divisor, kMinZoomDivisor);

    // Between questions a bare size key changes nothing; with Shift it does.
    Placer& placer = document.placer();
    const Modifiers shift{.shift = true};
    ASSERT_EQ(state().step, 1);
    const int width = state().ovalWidth;
    const bool wasModified = document.isModified();
    for (ViewKey key : {ViewKey::NarrowerOval, ViewKey::WiderOval, ViewKey::TallerOval,
                        ViewKey::ShorterOval, ViewKey::LargerZero, ViewKey::SmallerZero}) {
        placer.keyDown(key, {}, {0, 0});
    }
    EXPECT_EQ(state().ovalWidth, width);
    EXPECT_EQ(state().ovalHeight, 50);
    EXPECT_EQ(state().zeroRadius, kDefaultZeroRadius);
    EXPECT_EQ(document.isModified(), wasModified);
    for (int i = 0; i < 20; ++i) placer.keyDown(ViewKey::NarrowerOval, shift, {0, 0});
    EXPECT_EQ(state().ovalWidth, 5);
    placer.keyDown(ViewKey::WiderOval, shift, {0, 0});
    EXPECT_EQ(state().ovalWidth, 7);
    for (int i = 0; i < 20; ++i) placer.keyDown(ViewKey::SmallerZero, shift, {0, 0});
    EXPECT_EQ(state().zeroRadius, 5);
    EXPECT_TRUE(document.isModified());

    // While a question's ovals follow the pointer the bare oval keys act,
    // the zero-mark keys do not.
    click(100, 400);
    ASSERT_EQ(state().step, 2);
    placer.keyDown(ViewKey::TallerOval, {}, {0, 0});
    placer.keyDown(ViewKey::LargerZero, {}, {0, 0});
    EXPECT_EQ(state().ovalHeight, 52);
    EXPECT_EQ(state().zeroRadius, 5);
    placer.undo();
    ASSERT_EQ(state().step, 1);
    const PointerStep page = placer.keyDown(ViewKey::PageDown, {}, {0, 0});
    EXPECT_EQ(page.dy, 100);

    // Shift+arrow moves every record, those kept for redo too.
    placeQuestion({100, 100}, {200, 100});
    placeQuestion({100, 200}, {200, 200});
    document.undo({0, 0});
    const PointerStep step = placer.keyDown(ViewKey::Left, {.shift = true}, {0, 0});
    EXPECT_EQ(step.dx, -1);
    document.redo({0, 0});
    EXPECT_EQ(state().marks[0], (MarkRecord{99, 100, 0, 0}));
    EXPECT_EQ(state().marks[3], (MarkRecord{199, 200, 1, 1}));

    placer.enterToggleMode();
    placer.keyDown(ViewKey::Escape, {}, {0, 0});
    EXPECT_FALSE(state().toggleMode);
    EXPECT_EQ(state().questionCount, 2);  // Esc in toggle mode only leaves it
    placer.keyDown(ViewKey::Escape, {}, {0, 0});
    EXPECT_EQ(state().questionCount, 1);
}

// The prompts name the usual place of each zero mark as the engine means it:
// marks 1 and 2 at their default positions on an A4 sheet at 300 dpi (the
// baseline), mark 3 above mark 1.
TEST(ZeroMarkPrompts, NameThePlacesTheEngineExpects) {
    const int width = 2480;
    const int height = 3508;
    auto place = [&](strovik::DefinitionPoint p) {
        return QString(p.x < width / 2 ? u'左' : u'右') + QString(p.y > height / 2 ? u'下' : u'上');
    };
    const strovik::DefinitionContent defaults;
    const std::array<QString, 3> expected{place(defaults.zeroMarks[0]),
                                          place(defaults.zeroMarks[1]),
                                          place({defaults.zeroMarks[0].x, height / 4})};
    EditorState s;
    s.zeroMarkMode = true;
    for (int step = 1; step <= 3; ++step) {
        s.step = step;
        EXPECT_TRUE(
            movePrompt(s).contains(QStringLiteral(u"（通常") + expected[std::size_t(step - 1)]))
            << step << " " << movePrompt(s).toStdString();
    }
}

TEST_F(PlacingTest, StatusLineAndPrompts) {
    EditorState s;
    EXPECT_EQ(statusText(s, {12, 34}),
              QStringLiteral(u"(12,34)  始点=未設定  終点=未設定  傾斜=未設定"));
    s.points[0] = {1, 2};
    s.points[1] = {-1, 5};
    s.angle = 0.25;
    EXPECT_EQ(statusText(s, {0, 0}),
              QStringLiteral(u"(0,0)  始点=(1,2)  終点=未設定  傾斜=0.250000 rad"));

    startMarking(5);
    click(100, 100);
    EXPECT_EQ(movePrompt(state()), QStringLiteral(u"1問目の最後の選択肢をｸﾘｯｸしてください。"));
    click(400, 110);
    EXPECT_EQ(host.statuses.back().left(9), QStringLiteral("(400,110)"));
    EXPECT_TRUE(host.statuses.back().contains(QStringLiteral(u"傾斜=0.033321 rad")));
    document.pointerMoved({5, 5});
    EXPECT_EQ(host.statuses.back(), QStringLiteral(u"2問目の1番目の選択肢をｸﾘｯｸしてください。"));
    document.placer().enterAreaMode();
    click(1, 1);
    EXPECT_EQ(movePrompt(state()), QStringLiteral(u"画像出力範囲の右下をｸﾘｯｸしてください。"));
}

}  // namespace
}  // namespace dravel::testing
