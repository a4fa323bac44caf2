// The editor's real windows driven by object name on the offscreen
// platform through one whole session over a generated sheet: open by the
// File menu's keys, the zero-mark and mark dialogs, clicks on the canvas,
// toggling, an image area, the test read, saving with Ctrl+S, the recent
// files, a dropped definition, zoom, printing to a file, the version dialog
// and the save question on close. Keeps a picture of the window in
// build/artifacts/dravel-main.png.
#include "editor/ui/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <functional>

#include "editor/core/definition_file.h"
#include "editor/core/recent_files.h"
#include "editor/core/zoom.h"
#include "editor/ui/dravel_doc.h"
#include "editor/ui/dravel_view.h"
#include "editor/ui/qt_editor_prompter.h"
#include "editor/ui/sheet_painter.h"
#include "editor/ui/sheet_printing.h"
#include "tools/sheetgen/sheet_generator.h"

namespace dravel {
namespace {

/// Boxes and file dialogs answered from queues; the settings dialogs stay
/// the real ones.
class ScriptedPrompter final : public QtEditorPrompter {
public:
    std::deque<Answer> answers;
    std::deque<QString> savePaths;
    std::deque<QString> openPaths;
    std::vector<MessageId> messages;
    std::vector<QuestionId> questions;
    std::vector<OpenDialog> openDialogs;

    void showMessage(const Message& m) override { messages.push_back(m.id); }
    Answer ask(const Question& q) override {
        questions.push_back(q.id);
        return take(answers, Answer::Cancel);
    }
    QString chooseSavePath(const QString&) override {
        ++saveDialogs;
        return take(savePaths, QString());
    }
    int saveDialogs = 0;
    QString chooseOpenFile(OpenDialog kind) override {
        openDialogs.push_back(kind);
        return take(openPaths, QString());
    }
    std::deque<QStringList> trialImages;
    QStringList chooseTrialImages() override { return take(trialImages, QStringList()); }

private:
    template <typename T>
    static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

/// Runs `act` on the first visible top-level widget named `name` once it
/// shows (a modal dialog opened by the next call); true when it ran.
class WhenShown {
public:
    WhenShown(const char* name, std::function<void(QWidget*)> act) {
        QObject::connect(&timer_, &QTimer::timeout, [this, name, act] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->objectName() == QLatin1String(name)) {
                    timer_.stop();
                    ran = true;
                    act(w);
                    return;
                }
            }
        });
        timer_.start(10);
    }
    bool ran = false;

private:
    QTimer timer_;
};

void setSpin(QWidget* dialog, const char* name, int value) {
    auto* spin = dialog->findChild<QSpinBox*>(QLatin1String(name));
    ASSERT_NE(spin, nullptr) << name;
    spin->setValue(value);
}

void clickButton(QWidget* dialog, const char* name) {
    auto* button = dialog->findChild<QPushButton*>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

class MainFrameSession : public ::testing::Test {
protected:
    MainFrameSession() {
        sheetgen::LayoutParams p;
        p.questions = 6;
        p.choices = 4;
        p.columns = 1;
        p.imageAreas = 1;
        p.multiQuestions = {5};
        layout = sheetgen::makeLayout(p);
        sheetgen::Answers answers(6, std::vector<sheetgen::Mark>(4, sheetgen::Mark::Blank));
        for (int q = 0; q < 5; ++q) {
            if (q != 3) answers[std::size_t(q)][std::size_t(q % 4)] = sheetgen::Mark::Filled;
        }
        answers[5][0] = answers[5][3] = sheetgen::Mark::Filled;
        const sheetgen::Image image = sheetgen::renderSheet(layout, answers, {}, 3);
        sheetPath = folder.filePath(QStringLiteral("sheet.jpg"));
        EXPECT_TRUE(sheetgen::saveImage(QFile::encodeName(sheetPath).toStdString(), image,
                                        sheetgen::Format::Jpeg, layout.dpi));
        CMainFrame::StartUp startUp;
        startUp.prompter = &prompter;
        startUp.names = {[] { return QDate(2024, 4, 1); }, [] { return 0; }};
        startUp.settings =
            velmora::SettingsStore(QFile::encodeName(folder.filePath("cfg")).toStdString());
        frame = std::make_unique<CMainFrame>(std::move(startUp));
        frame->show();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    /// Scrolls the image point to the middle of the view; its client point.
    QPoint scrollTo(int x, int y) {
        CDravelView& view = frame->view();
        const EditorState& s = frame->doc().state();
        const QSize page = view.viewport()->size();
        view.horizontalScrollBar()->setValue(x * 100 / s.divisor - page.width() / 2);
        view.verticalScrollBar()->setValue(y * 100 / s.divisor - page.height() / 2);
        return toClient(s, {x, y}, view.scrollPosition());
    }

    void clickImage(int x, int y) {
        QTest::mouseClick(frame->view().viewport(), Qt::LeftButton, {}, scrollTo(x, y));
    }

    /// The window back in front after a dialog (a window manager's job).
    void activate() {
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == frame.get(); }));
    }

    QString status() const {
        return frame->findChild<QLabel*>(QStringLiteral("messagePane"))->text();
    }

    QTemporaryDir folder;
    sheetgen::Layout layout;
    QString sheetPath;
    ScriptedPrompter prompter;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameSession, DrawTryAndSaveADefinition) {
    EditorState& s = frame->doc().state();
    EXPECT_FALSE(frame->action(Command::Import)->isEnabled());
    EXPECT_EQ(frame->windowTitle(),
              QStringLiteral(u"マーク情報ファイル-240401-0000.ini - Velmora3"));

    // Alt+F, O: the open dialog, then the zero-mark dialog over the sheet.
    prompter.openPaths.push_back(sheetPath);
    WhenShown zeroDialog("ZeroMarkDialog", [](QWidget* d) {
        setSpin(d, "edit1006", 15);
        clickButton(d, "IDOK");
    });
    QTest::keyClick(frame.get(), Qt::Key_F, Qt::AltModifier);
    QMenu* fileMenu = frame->findChild<QMenu*>(QStringLiteral("menuFile"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileMenu->isVisible(); }));
    QTest::keyClick(fileMenu, Qt::Key_O);
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.imageLoaded; }));
    EXPECT_TRUE(zeroDialog.ran);
    EXPECT_EQ(s.zeroRadius, 15);
    EXPECT_EQ(s.divisor, 200);
    EXPECT_TRUE(frame->action(Command::Import)->isEnabled());
    // The radius chosen in the dialog is an unsaved change.
    EXPECT_EQ(frame->windowTitle(),
              QStringLiteral(u"マーク情報ファイル-240401-0000-sheet.jpg.ini* - Velmora3"));

    // Three zero marks at full size, then the mark dialog.
    WhenShown markDialog("MarkSettingsDialog", [](QWidget* d) {
        setSpin(d, "edit1004", 4);
        clickButton(d, "IDOK");
    });
    QTest::keyClick(&frame->view(), Qt::Key_F);  // radius 14 again
    frame->action(Command::ZoomIn)->trigger();
    frame->action(Command::ZoomIn)->trigger();
    EXPECT_EQ(s.divisor, 100);
    for (const sheetgen::Pt& z : layout.zero) clickImage(z.x, z.y);
    ASSERT_TRUE(markDialog.ran);
    EXPECT_EQ(s.divisor, 100);
    EXPECT_EQ(s.zeroRadius, 14);
    for (const auto& ovals : layout.ovals) {
        clickImage(ovals.front().x, ovals.front().y);
        clickImage(ovals.back().x, ovals.back().y);
    }
    EXPECT_EQ(s.questionCount, 6);
    frame->action(Command::ToggleMode)->trigger();
    clickImage(layout.ovals[5][2].x, layout.ovals[5][2].y);
    const sheetgen::AreaRect a = layout.areas[0];
    frame->action(Command::AreaMode)->trigger();
    clickImage(a.x, a.y);
    clickImage(a.x + a.width - 1, a.y + a.height - 1);
    clickImage(a.x, a.y + a.height - 1);
    clickImage(a.x + a.width - 1, a.y);
    ASSERT_EQ(s.areas.size(), 1u);

    // The test read, then the reading of a hovered mark.
    frame->action(Command::TrialRead)->trigger();
    ASSERT_TRUE(frame->doc().document().trial());
    EXPECT_EQ(status(), QStringLiteral(u"試し読み: 6問  ﾏｰｸ無し 1問  要確認 0問"));
    const sheetgen::Pt hover = layout.ovals[2][1];
    QTest::mouseMove(frame->view().viewport(), scrollTo(hover.x, hover.y));
    ASSERT_TRUE(QTest::qWaitFor([&] { return status().contains(QStringLiteral(u"3問目")); }));
    EXPECT_TRUE(status().startsWith(QStringLiteral(u"試し読み 3問目: 読取値=3  信頼度=")));

    // The results window: one line for the loaded scan; added scans are read
    // at once, each with its own line (one that cannot be read says so).
    auto* results = frame->findChild<QDialog*>(QStringLiteral("TrialReadDialog"));
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(results->isVisible());
    auto* summary = results->findChild<QListWidget*>(QStringLiteral("lstSummary"));
    ASSERT_NE(summary, nullptr);
    ASSERT_EQ(summary->count(), 1);
    EXPECT_TRUE(summary->item(0)->text().startsWith(QStringLiteral("sheet.jpg: 6")));
    // The reader has stored nothing in this session's settings folder.
    auto* basis = results->findChild<QLabel*>(QStringLiteral("lblReviewBasis"));
    ASSERT_NE(basis, nullptr);
    EXPECT_TRUE(basis->text().startsWith(QStringLiteral(u"判定基準: Tarrowの既定値 (ﾏｰｸ無し 2.0")));
    prompter.trialImages.push_back({sheetPath, folder.filePath(QStringLiteral("gone.jpg"))});
    clickButton(results, "cmdAddImages");
    ASSERT_EQ(summary->count(), 3);
    EXPECT_EQ(summary->item(1)->text(), summary->item(0)->text());
    EXPECT_TRUE(summary->item(2)->text().startsWith(QStringLiteral("gone.jpg: ")));
    EXPECT_EQ(frame->doc().document().otherTrials().size(), 2u);
    QDir().mkpath(QStringLiteral(VELMORA_BINARY_DIR "/artifacts"));
    EXPECT_TRUE(
        results->grab().save(QStringLiteral(VELMORA_BINARY_DIR "/artifacts/dravel-trial.png")));
    results->hide();
    frame->resize(1000, 860);
    QTest::qWait(10);
    frame->view().horizontalScrollBar()->setValue(layout.ovals[0][0].x - 250);
    frame->view().verticalScrollBar()->setValue(layout.areas[0].y + layout.areas[0].height / 2);
    QDir().mkpath(QStringLiteral(VELMORA_BINARY_DIR "/artifacts"));
    EXPECT_TRUE(
        frame->grab().save(QStringLiteral(VELMORA_BINARY_DIR "/artifacts/dravel-main.png")));

    // Ctrl+S on a name never saved asks for one.
    const QString saved = folder.filePath(QStringLiteral("sheet.ini"));
    prompter.savePaths.push_back(saved);
    activate();
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), sheetgen::definitionText(layout));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("sheet.ini - Velmora3"));
    EXPECT_EQ(frame->recentFiles().entries(), (QStringList{saved, sheetPath}));
    EXPECT_NE(frame->findChild<QAction*>(QStringLiteral("ID_FILE_MRU_FILE2")), nullptr);

    // A bare size key between questions changes nothing; Shift+A widens
    // the ovals, the size pane shows it and the title marks the change.
    QLabel* sizes = frame->findChild<QLabel*>(QStringLiteral("sizePane"));
    ASSERT_NE(sizes, nullptr);
    EXPECT_TRUE(sizes->text().contains(QStringLiteral(u"ﾏｰｸ横幅=%1").arg(layout.ovalWidth)));
    QTest::keyClick(&frame->view(), Qt::Key_A);
    EXPECT_EQ(s.ovalWidth, layout.ovalWidth);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("sheet.ini - Velmora3"));
    QTest::keyClick(&frame->view(), Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(s.ovalWidth, layout.ovalWidth + 2);
    EXPECT_TRUE(sizes->text().contains(QStringLiteral(u"ﾏｰｸ横幅=%1").arg(layout.ovalWidth + 2)));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("sheet.ini* - Velmora3"));

    // Ctrl+S writes the same file without a dialog; Ctrl+Shift+S asks for
    // another name.
    activate();
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("sheet.ini - Velmora3"));
    QFile rewritten(saved);
    ASSERT_TRUE(rewritten.open(QIODevice::ReadOnly));
    const QByteArray widthLine = "OVALMARK_WIDTH=" + QByteArray::number(layout.ovalWidth + 2);
    EXPECT_TRUE(rewritten.readAll().contains(widthLine));
    const QString other = folder.filePath(QStringLiteral("other.ini"));
    prompter.savePaths.push_back(other);
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("other.ini - Velmora3"));

    // Dropping the saved definition while modified asks first (No: not
    // saved); it brings the saved width back.
    QTest::keyClick(&frame->view(), Qt::Key_A, Qt::ShiftModifier);
    prompter.answers = {Answer::No};
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(saved)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame->view().viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame->view().viewport(), &drop);
    EXPECT_TRUE(enter.isAccepted() && drop.isAccepted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.ovalWidth == layout.ovalWidth + 2; }));

    // Zoom, printing to a file, the version dialog.
    frame->action(Command::ZoomOut)->trigger();
    EXPECT_EQ(s.divisor, 150);
    frame->action(Command::ZoomIn)->trigger();
    frame->action(Command::ZoomIn)->trigger();
    EXPECT_EQ(s.divisor, 67);  // past 100 % the view enlarges further
    // Fit to window: the whole sheet in the viewport, and no smaller zoom
    // step would do.
    CDravelView& view = frame->view();
    frame->action(Command::ZoomFit)->trigger();
    const QSize page = view.viewport()->size();
    const QImage& picture = frame->doc().picture();
    auto fitsAt = [&](int divisor) {
        return picture.width() * 100 / divisor <= page.width() &&
               picture.height() * 100 / divisor <= page.height();
    };
    // At most 25 %: a sheet too large for that stays at 25 %.
    EXPECT_TRUE(fitsAt(s.divisor) || s.divisor == kMaxZoomDivisor) << s.divisor;
    if (s.divisor > kMinZoomDivisor) {
        EXPECT_FALSE(fitsAt(s.divisor - 1)) << s.divisor;
    }
    // Ctrl+wheel zooms in around the pointer: the image point under it stays
    // (at 100 % and more the sheet overflows the view both ways).
    while (s.divisor > 100) frame->action(Command::ZoomIn)->trigger();
    const QPoint at(page.width() / 3, page.height() / 2);
    view.horizontalScrollBar()->setValue(400);
    view.verticalScrollBar()->setValue(900);
    const Point before = view.imageAt(at);
    const int fitted = s.divisor;
    QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_LT(s.divisor, fitted);
    const Point after = view.imageAt(at);
    EXPECT_NEAR(after.x, before.x, 1 + fitted / 100);
    EXPECT_NEAR(after.y, before.y, 1 + fitted / 100);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath(QStringLiteral("sheet.pdf")));
    SheetPrinting::render(frame->doc().picture(), printer);
    EXPECT_GT(QFileInfo(folder.filePath(QStringLiteral("sheet.pdf"))).size(), 10000);
    WhenShown about("AboutDialog", [](QWidget* d) { clickButton(d, "IDOK"); });
    frame->action(Command::Version)->trigger();
    EXPECT_TRUE(about.ran);

    // Closing while modified asks; Cancel keeps the window, No closes it.
    QTest::keyClick(&frame->view(), Qt::Key_W, Qt::ShiftModifier);
    prompter.answers = {Answer::Cancel, Answer::No};
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(prompter.questions,
              (std::vector<QuestionId>{QuestionId::SaveChanges, QuestionId::SaveChanges,
                                       QuestionId::SaveChanges}));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(prompter.openDialogs, std::vector<OpenDialog>{OpenDialog::Image});
}

TEST_F(MainFrameSession, KeyboardReachesImportAndSaveAndTheCommandLineNeedsAnImage) {
    // A definition alone on the command line.
    frame->openFromCommandLine(folder.filePath(QStringLiteral("alone.ini")));
    EXPECT_EQ(prompter.messages, std::vector<MessageId>{MessageId::LoadImageFirst});

    WhenShown zeroDialog("ZeroMarkDialog", [](QWidget* d) { clickButton(d, "IDOK"); });
    frame->openFromCommandLine(sheetPath);
    ASSERT_TRUE(zeroDialog.ran);

    // Alt+F then I: import; Alt+F then S: save, which asks for a name the
    // first time.
    QMenu* fileMenu = frame->findChild<QMenu*>(QStringLiteral("menuFile"));
    for (const Qt::Key key : {Qt::Key_I, Qt::Key_S}) {
        activate();
        QTest::keyClick(frame.get(), Qt::Key_F, Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return fileMenu->isVisible(); }));
        QTest::keyClick(fileMenu, key);
        QTest::qWait(20);
    }
    EXPECT_EQ(prompter.openDialogs, std::vector<OpenDialog>{OpenDialog::Definition});
    EXPECT_EQ(prompter.saveDialogs, 1);
    // Save as with zero marks never placed: asked for a name, then refused.
    EXPECT_EQ(prompter.messages.size(), 1u);
    prompter.savePaths.push_back(folder.filePath(QStringLiteral("x.ini")));
    frame->action(Command::SaveAs)->trigger();
    EXPECT_EQ(prompter.messages.back(), MessageId::ZeroMarksUnset);
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("x.ini"))));
}

}  // namespace
}  // namespace dravel

namespace dravel {
namespace {

// The draft from the toolbar: the whole sheet placed, the status line says
// what was found, the test read agrees with the print, and one Ctrl+Z takes
// the draft back.
TEST_F(MainFrameSession, DraftFromTheToolbarThenOneUndo) {
    EditorState& s = frame->doc().state();
    WhenShown zeroDialog("ZeroMarkDialog", [](QWidget* d) { clickButton(d, "IDOK"); });
    frame->openFromCommandLine(sheetPath);
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.imageLoaded; }));
    activate();
    EXPECT_EQ(s.ovalWidth, layout.ovalWidth);
    EXPECT_EQ(s.zeroRadius, layout.zeroRadius);
    QAction* detect = frame->action(Command::AutoDetect);
    ASSERT_TRUE(detect->isEnabled());
    detect->trigger();
    EXPECT_EQ(status(), QStringLiteral(u"ゼロマーク 3, 設問 6 × 4"));
    ASSERT_EQ(s.questionCount, 6);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(s.zeroMarks[std::size_t(i)].x, layout.zero[i].x, 1);
        EXPECT_NEAR(s.zeroMarks[std::size_t(i)].y, layout.zero[i].y, 1);
    }
    EXPECT_NEAR(s.marks[23].x, layout.ovals[5][3].x, 1);
    EXPECT_TRUE(frame->doc().document().isModified());
    ASSERT_TRUE(frame->doc().document().trialRead());
    QTest::keyClick(&frame->view(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.questionCount, 0);
    EXPECT_EQ(s.markCount, 0);
}

}  // namespace
}  // namespace dravel

namespace dravel {
namespace {

/// A 40 x 4 sheet in two blocks of 20, shifted and turned a little, with
/// random answers.
class FortyByFour : public MainFrameSession {
protected:
    FortyByFour() {
        sheetgen::LayoutParams p;
        p.questions = 40;
        p.choices = 4;
        big = sheetgen::makeLayout(p);
        answers = sheetgen::randomAnswers(big, 7);
        image = sheetgen::renderSheet(big, answers, {3, -2, kTurn}, 7);
        bigPath = folder.filePath(QStringLiteral("forty.jpg"));
        EXPECT_TRUE(sheetgen::saveImage(QFile::encodeName(bigPath).toStdString(), image,
                                        sheetgen::Format::Jpeg, big.dpi));
    }

    /// Where the generator drew the oval of question q, choice c.
    QPointF printed(int q, int c) const {
        const sheetgen::Pt p = big.ovals[std::size_t(q)][std::size_t(c)];
        const double cx = (image.width - 1) / 2.0, cy = (image.height - 1) / 2.0;
        return {cx + (p.x - cx) * std::cos(kTurn) - (p.y - cy) * std::sin(kTurn) + 3,
                cy + (p.x - cx) * std::sin(kTurn) + (p.y - cy) * std::cos(kTurn) - 2};
    }

    static constexpr double kTurn = 0.002;
    sheetgen::Layout big;
    sheetgen::Answers answers;
    sheetgen::Image image;
    QString bigPath;
};

// The block tool as a teacher uses it on a 40 x 4 sheet whose draft has a
// block to redo: Ctrl+B, the block selected and deleted, three clicks a
// little off the bubbles and the count dialog (opened with what the print
// shows) place it again on the print; the saved definition reads the sheet
// as generated. Every GUI action is counted (a file chosen in a dialog is
// one). Then an arrow key nudges the block and Ctrl+Z takes back the nudge,
// the block and the deletion. Keeps the scan, the definition and a picture
// in build/artifacts/block-40x4/.
TEST_F(FortyByFour, DraftWithOneBlockRedoneReadsTheSheet) {
    EditorState& s = frame->doc().state();
    int actions = 0;
    // Ctrl+O, the file chosen, OK in the zero-mark dialog.
    prompter.openPaths.push_back(bigPath);
    WhenShown zeroDialog("ZeroMarkDialog", [](QWidget* d) { clickButton(d, "IDOK"); });
    QTest::keyClick(frame.get(), Qt::Key_O, Qt::ControlModifier);
    actions += 3;
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.imageLoaded; }));
    ASSERT_TRUE(zeroDialog.ran);
    activate();
    // The draft.
    frame->action(Command::AutoDetect)->trigger();
    ++actions;
    EXPECT_EQ(status(), QStringLiteral(u"ゼロマーク 3, 設問 40 × 4"));
    ASSERT_EQ(s.questionCount, 40);
    const std::string drafted = definitionBytes(s);

    // Ctrl+B (the toolbar has it too).
    QTest::keyClick(frame.get(), Qt::Key_B, Qt::ControlModifier);
    ++actions;
    ASSERT_TRUE(s.blockMode);
    EXPECT_TRUE(frame->findChild<QToolBar*>(QStringLiteral("toolBar"))
                    ->actions()
                    .contains(frame->action(Command::BlockMode)));
    const auto& o = big.ovals;

    // The second block redone over the draft's: three clicks a few pixels
    // off the centres and the dialog's OK; the questions under it give way.
    BlockCounts shown;
    WhenShown blockDialog("BlockDialog", [&](QWidget* d) {
        shown = {d->findChild<QSpinBox*>(QStringLiteral("editQuestions"))->value(),
                 d->findChild<QSpinBox*>(QStringLiteral("editChoices"))->value()};
        clickButton(d, "IDOK");
    });
    clickImage(o[20][0].x + 4, o[20][0].y + 3);
    // The click landed on the draft's oval: its question is selected too.
    EXPECT_EQ(s.step, 2);
    EXPECT_EQ(s.selectedFirst, 20);
    clickImage(o[20][3].x - 3, o[20][3].y + 4);
    EXPECT_EQ(s.step, 3);
    clickImage(o[39][0].x + 3, o[39][0].y - 4);
    actions += 4;
    ASSERT_TRUE(blockDialog.ran);
    EXPECT_EQ(shown, (BlockCounts{20, 4}));
    EXPECT_EQ(status(), QStringLiteral(u"ブロック 20 × 4 を配置しました（設問 21–40 を置き換え）"));
    ASSERT_EQ(s.questionCount, 40);
    ASSERT_EQ(s.markCount, 160);
    for (int i = 80; i < 160; ++i) {
        const MarkRecord& m = s.marks[std::size_t(i)];
        EXPECT_EQ(m.question, i / 4);
        EXPECT_EQ(m.choice, i % 4);
        EXPECT_NEAR(m.x, printed(i / 4, i % 4).x(), 1.5) << i;
        EXPECT_NEAR(m.y, printed(i / 4, i % 4).y(), 1.5) << i;
    }
    // The new block is selected, ready to be moved; the title shows the change.
    EXPECT_EQ(s.selectedFirst, 20);
    EXPECT_EQ(s.selectedCount, 20);
    EXPECT_TRUE(frame->windowTitle().contains(QStringLiteral("*")));

    // Ctrl+S and the name.
    const QString out = folder.filePath(QStringLiteral("forty.ini"));
    prompter.savePaths.push_back(out);
    activate();
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    actions += 2;
    ASSERT_TRUE(QFileInfo::exists(out));
    std::printf("40 x 4 with the draft and one block redone: %d GUI actions\n", actions);

    // It reads the sheet as generated; a doubled question is flagged for
    // review, as the reader flags it.
    const TrialResult read = runTrialRead(s, QFile::encodeName(bigPath).toStdString());
    ASSERT_EQ(read.status, 0);
    const sheetgen::GroundTruth truth = sheetgen::groundTruth(big, answers);
    ASSERT_EQ(read.questions.size(), 40u);
    int right = 0, doubled = 0;
    for (int q = 0; q < 40; ++q) {
        const QuestionReading& r = read.questions[std::size_t(q)];
        if (truth.filledCount[std::size_t(q)] == 2) {
            doubled += r.doubt == strovik::ReviewKind::Doubled ? 1 : 0;
            continue;
        }
        const int answer = r.chosen.size() == 1 && !r.flagged() ? r.chosen[0] + 1 : -1;
        right += answer == truth.answers[std::size_t(q)] ? 1 : 0;
    }
    const int doubledInTruth =
        int(std::count(truth.filledCount.begin(), truth.filledCount.end(), 2));
    EXPECT_GT(doubledInTruth, 0);
    EXPECT_EQ(doubled, doubledInTruth);
    EXPECT_EQ(right, 40 - doubledInTruth);
    const QString keep = QStringLiteral(VELMORA_BINARY_DIR "/artifacts/block-40x4");
    QDir().mkpath(keep);
    for (const char* name : {"/forty.jpg", "/forty.ini"}) QFile::remove(keep + QLatin1String(name));
    QFile::copy(bigPath, keep + QStringLiteral("/forty.jpg"));
    QFile::copy(out, keep + QStringLiteral("/forty.ini"));
    EXPECT_TRUE(frame->grab().save(keep + QStringLiteral("/dravel-block.png")));

    // A nudge, then Ctrl+Z twice: the nudge, then the replacement whole,
    // back to the draft's exact definition.
    const int x0 = s.marks[80].x;
    QTest::keyClick(&frame->view(), Qt::Key_Right);
    EXPECT_EQ(s.marks[80].x, x0 + 1);
    activate();
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.marks[80].x, x0);
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.questionCount, 40);
    EXPECT_EQ(definitionBytes(s), drafted);
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace dravel
