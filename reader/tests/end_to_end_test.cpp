// The reading application end to end: the real main window with the real
// engine component (this build's libstrovik.so, registered in a private
// settings folder), driven through the controls' object names. Only the
// message boxes and dialogs are scripted.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "engine/com/com_types.h"
#include "reader/core/result_table.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/ui/main_form.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;
using Answer = Prompter::Answer;

const QString kSamples = QStringLiteral(VELMORA_SOURCE_DIR "/samples");
const char* const kEngineLibrary = VELMORA_BINARY_DIR "/bin/libstrovik.so";
constexpr int kSampleSheets = 6;
constexpr int kQuestions = 30;
constexpr int kMultiColumn = 30;  // question 29 (0-based) takes several answers

QString sampleName(int sheet) {
    return QStringLiteral("sheet%1.jpg").arg(sheet, 3, 10, QChar(u'0'));
}

QJsonObject sampleTruth(int sheet) {
    QFile file(kSamples + QStringLiteral("/truth/sheet%1.json").arg(sheet, 3, 10, QChar(u'0')));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

/// A sheet's expected text in single-answer column `q` + 1 (0-based q), or
/// nullopt for a doubled question (the engine keeps its darkest choice).
std::optional<QString> expectedSingleAnswer(const QJsonObject& truth, int q) {
    const int filled = truth["filled"].toArray()[q].toInt();
    if (filled > 1) return std::nullopt;
    if (filled == 0) return QStringLiteral("-1");
    return QString::number(truth["answers"].toArray()[q].toInt());
}

/// Drags `mime` over `target` and drops it there, as a file manager does.
void dragAndDrop(QWidget* target, QMimeData* mime) {
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted()) << target->objectName().toStdString();
    QDropEvent drop(QPointF(pos), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted()) << target->objectName().toStdString();
}

void dropFiles(QWidget* target, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    dragAndDrop(target, &mime);
}

/// Keeps a picture of `window` as a test artefact in the build's
/// artifacts/ folder (for people to look at; the tests check the model).
void keepScreenshot(QWidget* window, const QString& name) {
    const QString folder = QStringLiteral(VELMORA_BINARY_DIR "/artifacts");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(window->grab().save(folder + u'/' + name)) << name.toStdString();
}

/// Waits (processing events) until `done` holds or `ms` have passed.
template <typename Predicate>
bool waitFor(Predicate done, int ms = 30000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(10);
    }
    return true;
}

/// Each test: a private settings folder with this build's engine
/// registered, a work folder with copies of the sample sheets and
/// definition (the engine writes keys back into the definition), and the
/// main window started over them with a scripted prompter.
class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
        setenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")).constData(), 1);
        registerEngine();
        ASSERT_TRUE(QDir().mkpath(path("images")));
        for (int s = 1; s <= kSampleSheets; ++s) {
            ASSERT_TRUE(
                QFile::copy(kSamples + QStringLiteral("/images/") + sampleName(s), imagePath(s)));
        }
        ASSERT_TRUE(QFile::copy(kSamples + QStringLiteral("/sheet.ini"), definition()));
    }
    void TearDown() override {
        form_.reset();
        if (oldConfig_) {
            setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }

    void registerEngine() {
        void* library = dlopen(kEngineLibrary, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << "build the engine first: " << dlerror();
        const auto entry = reinterpret_cast<strovik::DllRegisterServerFunction>(
            dlsym(library, "DllRegisterServer"));
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry(), strovik::S_OK);
    }

    QString path(const QString& name) const { return work_.path() + u'/' + name; }
    QString imagePath(int sheet) const { return path("images/") + sampleName(sheet); }
    QString definition() const { return path("sheet.ini"); }
    /// A file named like a scan that the engine cannot load.
    QString brokenImage(const QString& name) const {
        const QString file = path(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("this is not a JPEG image\n");
        return file;
    }

    /// Starts the main window with the real engine and settings store.
    MainForm& startForm() {
        MainForm::StartUp startUp;
        startUp.prompter = &prompter_;
        startUp.feedback = &prompter_;
        startUp.documentsFolder = path("Documents");
        form_ = std::make_unique<MainForm>(std::move(startUp));
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        EXPECT_TRUE(form_->context().engine != nullptr)
            << form_->context().engineError.toStdString();
        return *form_;
    }

    template <typename T>
    T* control(const char* name) const {
        T* found = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QPlainTextEdit* txtSource() const { return control<QPlainTextEdit>("txtSource"); }
    QLineEdit* txtIniFile() const { return control<QLineEdit>("txtIniFile"); }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    QString msgLabel() const { return control<QLabel>("MsgLabel")->text(); }
    QWidget* frmDetail() const { return control<QWidget>("frmDetail"); }
    QTableView* grid() const { return control<QTableView>("Grid"); }
    QLineEdit* txtEdit() const { return control<QLineEdit>("txtEdit"); }
    QString lblStatus() const { return control<QLabel>("lblStatus")->text(); }
    const ResultTable& table() const { return form_->context().table; }
    QString cell(int row, int col) const {
        return grid()->model()->index(row, col).data().toString();
    }

    /// Drops the sample images (a folder) and the definition onto the main
    /// window, as a user does from the file manager.
    void dropSamples() {
        dropFiles(txtSource()->viewport(), {path("images")});
        dropFiles(txtIniFile(), {definition()});
    }
    /// Presses the start button; the run answers the crop folder question
    /// with "cancel" (no crops).
    void startRunWithoutCrops() {
        prompter_.folders.push_back(QString());
        QTest::mouseClick(button("cmdConvert"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([this] { return !form_->isRunning(); }));
    }
    /// A completed run over the six samples with the result window shown.
    void readSamples() {
        startForm();
        dropSamples();
        startRunWithoutCrops();
        ASSERT_EQ(msgLabel(), QStringLiteral("処理完了: 6件"));
        ASSERT_TRUE(waitFor([this] { return frmDetail()->isVisible(); }));
    }

    QPoint cellCentre(int row, int col) const {
        QTableView* view = grid();
        const QModelIndex index = view->model()->index(row, col);
        view->scrollTo(index);
        return view->visualRect(index).center();
    }
    void clickCell(int row, int col, Qt::MouseButton button,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(grid()->viewport(), button, modifiers, cellCentre(row, col));
    }
    void selectCell(int row, int col) {
        grid()->setCurrentIndex(grid()->model()->index(row, col));
        grid()->setFocus();
    }

    /// The label and question cells of every row, joined by commas.
    QStringList tableRows() const {
        QStringList rows;
        QAbstractItemModel* model = grid()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int col = 0; col <= kQuestions; ++col) cells << cell(row, col);
            rows << cells.join(u',');
        }
        return rows;
    }
    /// The last input box the scripted prompter was asked, as logged.
    QString lastInput() const {
        for (auto it = prompter_.calls.crbegin(); it != prompter_.calls.crend(); ++it) {
            if (it->startsWith(QStringLiteral("input: "))) return *it;
        }
        return {};
    }

    QTemporaryDir work_;
    std::optional<std::string> oldConfig_;
    ScriptedPrompter prompter_;
    std::unique_ptr<MainForm> form_;
};

// ---------------------------------------------------------------- reading

TEST_F(EndToEndTest, DroppedFolderAndDefinitionAreReadIntoTheResultWindow) {
    startForm();
    dropSamples();
    QStringList expectedList;
    for (int s = 1; s <= kSampleSheets; ++s) expectedList << imagePath(s);
    EXPECT_EQ(txtSource()->toPlainText().split(u'\n', Qt::SkipEmptyParts), expectedList);
    EXPECT_EQ(txtIniFile()->text(), definition());
    EXPECT_TRUE(button("cmdConvert")->isEnabled());
    EXPECT_FALSE(button("cmdStop")->isEnabled());

    // What the window shows at the start of every image: the status line,
    // the progress bar and the buttons of a running batch.
    QStringList shownStatus;
    QList<int> shownProgress;
    bool runningButtons = true;
    prompter_.onProcessEvents = [&](int) {
        const QString status = msgLabel();
        if (!status.startsWith(QStringLiteral("処理中(")) || shownStatus.contains(status)) return;
        shownStatus << status;
        auto* progress = control<QProgressBar>("progressBar");
        shownProgress << (progress->isVisible() ? progress->value() : -1);
        runningButtons =
            runningButtons && !button("cmdConvert")->isEnabled() && button("cmdStop")->isEnabled();
    };
    startRunWithoutCrops();

    QStringList expectedStatus;
    for (int s = 1; s <= kSampleSheets; ++s) {
        expectedStatus << QStringLiteral("処理中(%1/6)... ").arg(s) + sampleName(s);
    }
    EXPECT_EQ(shownStatus, expectedStatus);
    ASSERT_EQ(shownProgress.size(), kSampleSheets);
    for (int s = 1; s < kSampleSheets; ++s) EXPECT_LT(shownProgress[s - 1], shownProgress[s]);
    EXPECT_TRUE(runningButtons);
    EXPECT_EQ(prompter_.folderTitles,
              QStringList{QStringLiteral("切り出し画像を出力するフォルダを選択してください。")});
    // Same resolution, nothing failed; the run ends naming the samples'
    // eight questions that were filled twice.
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList{QStringLiteral("複数マークの疑い: 8件 (F3で確認)")});

    EXPECT_EQ(msgLabel(), QStringLiteral("処理完了: 6件"));
    EXPECT_EQ(control<QLabel>("lblDPI")->text(), QStringLiteral("200dpi"));
    EXPECT_TRUE(button("cmdConvert")->isEnabled());
    EXPECT_FALSE(button("cmdStop")->isEnabled());
    EXPECT_FALSE(control<QProgressBar>("progressBar")->isVisible());

    ASSERT_TRUE(waitFor([this] { return frmDetail()->isVisible(); }));
    EXPECT_EQ(frmDetail()->windowTitle(), QStringLiteral("結果表示"));
    EXPECT_FALSE(table().saved());
    QAbstractItemModel* model = grid()->model();
    ASSERT_EQ(model->rowCount(), 3 + kSampleSheets);
    ASSERT_EQ(model->columnCount(), kQuestions + 3);
    EXPECT_EQ(grid()->currentIndex(), model->index(3, 1));
    EXPECT_EQ(cell(1, 0), QStringLiteral("正答入力"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("配点入力"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("1"));
    EXPECT_EQ(cell(0, kMultiColumn), QStringLiteral("*30"));
    EXPECT_EQ(cell(0, kQuestions + 2), QStringLiteral("歪み"));
    EXPECT_TRUE(grid()->isColumnHidden(kQuestions + 1));      // rotation flags
    EXPECT_EQ(cell(4, kQuestions + 1), QStringLiteral("1"));  // sheet002 was upside down

    // Every single-answer cell as the ground truth has it, blanks in red.
    for (int s = 1; s <= kSampleSheets; ++s) {
        const QJsonObject truth = sampleTruth(s);
        ASSERT_FALSE(truth.isEmpty());
        const int row = ResultTable::rowOfSheet(s);
        EXPECT_EQ(cell(row, 0), sampleName(s));
        for (int q = 0; q < kQuestions - 1; ++q) {
            const std::optional<QString> expected = expectedSingleAnswer(truth, q);
            if (!expected) continue;
            EXPECT_EQ(cell(row, q + 1), *expected) << "sheet " << s << " question " << q;
            if (*expected == QStringLiteral("-1")) {
                const QColor red =
                    model->index(row, q + 1).data(Qt::BackgroundRole).value<QColor>();
                EXPECT_EQ(red, QColor(255, 0, 0)) << "sheet " << s << " question " << q;
            }
        }
    }
    // Question 29 lists the filled choices (sheet 2: 1, 4 and 5).
    EXPECT_EQ(cell(4, kMultiColumn), QStringLiteral("1 4 5"));
    EXPECT_TRUE(control<QLineEdit>("txtMultiValue")->isVisible());
    keepScreenshot(frmDetail(), QStringLiteral("tarrow-result.png"));
}

/// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

TEST_F(EndToEndTest, FortySheetRunRepaintsTheWindowBetweenSheets) {
    constexpr int kSheets = 40;
    ASSERT_TRUE(QDir().mkpath(path("forty")));
    for (int i = 1; i <= kSheets; ++i) {
        const QString copy =
            path("forty/") + QStringLiteral("scan%1.jpg").arg(i, 3, 10, QChar(u'0'));
        ASSERT_TRUE(QFile::copy(imagePath((i - 1) % kSampleSheets + 1), copy));
    }
    startForm();
    dropFiles(txtSource()->viewport(), {path("forty")});
    dropFiles(txtIniFile(), {definition()});

    // The status line is painted again at the start of every sheet, while
    // the engine works through the batch, and the progress bar follows.
    PaintCounter statusPaints(control<QLabel>("MsgLabel"));
    auto* progress = control<QProgressBar>("progressBar");
    QList<int> paintsAt;
    QList<int> progressAt;
    QString lastStatus;
    prompter_.onProcessEvents = [&](int) {
        const QString status = msgLabel();
        if (!status.startsWith(QStringLiteral("処理中(")) || status == lastStatus) return;
        lastStatus = status;
        paintsAt << statusPaints.paints;
        progressAt << (progress->isVisible() ? progress->value() : -1);
    };
    startRunWithoutCrops();

    EXPECT_EQ(msgLabel(), QStringLiteral("処理完了: 40件"));
    ASSERT_EQ(paintsAt.size(), kSheets);
    for (int k = 1; k < kSheets; ++k) {
        EXPECT_GT(paintsAt[k], paintsAt[k - 1])
            << "status line not repainted before sheet " << k + 1;
    }
    for (int k = 0; k < kSheets; ++k) EXPECT_EQ(progressAt[k], k) << "sheet " << k + 1;
    EXPECT_EQ(progress->maximum(), kSheets);
    EXPECT_EQ(table().grid().rows(), 3 + kSheets);
    EXPECT_EQ(table().grid().text(ResultTable::rowOfSheet(kSheets), 0),
              QStringLiteral("scan040.jpg"));
}

TEST_F(EndToEndTest, StopButtonEndsTheRunBetweenImages) {
    startForm();
    dropSamples();
    // The user presses stop while the third image is being read.
    prompter_.onProcessEvents = [this](int) {
        if (msgLabel().startsWith(QStringLiteral("処理中(3/6)"))) {
            QTest::mouseClick(button("cmdStop"), Qt::LeftButton);
        }
    };
    startRunWithoutCrops();

    EXPECT_EQ(msgLabel(), QStringLiteral("処理中断"));
    EXPECT_FALSE(frmDetail()->isVisible());
    EXPECT_TRUE(button("cmdConvert")->isEnabled());
    EXPECT_FALSE(button("cmdStop")->isEnabled());
    // The third sheet is completed, the fourth never started.
    EXPECT_EQ(table().sheetCount(), kSampleSheets);
    EXPECT_EQ(table().grid().rows(), 3 + 3);
    EXPECT_EQ(table().grid().text(ResultTable::rowOfSheet(3), 0), sampleName(3));
    for (const QString& status : prompter_.statuses) {
        EXPECT_FALSE(status.startsWith(QStringLiteral("処理中(4/6)"))) << status.toStdString();
    }

    // The window stays usable: the next run reads everything.
    prompter_.onProcessEvents = nullptr;
    startRunWithoutCrops();
    EXPECT_EQ(msgLabel(), QStringLiteral("処理完了: 6件"));
    EXPECT_EQ(table().grid().rows(), 3 + kSampleSheets);
}

TEST_F(EndToEndTest, ReadErrorQuestionYesSkipsLaterErrorsAndMarksTheRowsRed) {
    startForm();
    const QString broken1 = brokenImage(QStringLiteral("broken1.jpg"));
    const QString broken2 = brokenImage(QStringLiteral("broken2.jpg"));
    dropFiles(txtSource()->viewport(), {imagePath(1)});
    dropFiles(txtSource()->viewport(), {broken1});
    dropFiles(txtSource()->viewport(), {imagePath(2)});
    dropFiles(txtSource()->viewport(), {broken2});
    // The definition path typed by hand.
    QTest::keyClicks(txtIniFile(), definition());
    prompter_.answers.push_back(Answer::Yes);
    startRunWithoutCrops();

    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].text,
              QStringLiteral("読取エラーが発生しました：broken1.jpg\r\n\r\n"
                             "エラーを全てスキップして残りの処理を継続しますか？"));
    EXPECT_EQ(prompter_.questions[0].id, QuestionId::SkipReadErrors);
    EXPECT_EQ(msgLabel(), QStringLiteral("処理完了: 4件"));
    ASSERT_TRUE(waitFor([this] { return frmDetail()->isVisible(); }));

    QAbstractItemModel* model = grid()->model();
    ASSERT_EQ(model->rowCount(), 3 + 4);
    for (int row : {4, 6}) {
        EXPECT_EQ(model->index(row, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
        for (int col = 1; col <= kQuestions; ++col) {
            EXPECT_EQ(cell(row, col), QStringLiteral("-1")) << row << "," << col;
        }
    }
    EXPECT_EQ(cell(5, 0), sampleName(2));
    EXPECT_EQ(cell(5, 1), QStringLiteral("1"));

    // A failed sheet cannot be cleared or corrected.
    clickCell(4, 3, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(lblStatus(), QStringLiteral("クリアできません。"));
    EXPECT_EQ(prompter_.questions.size(), 1u);
    clickCell(4, 3, Qt::RightButton);
    EXPECT_EQ(lblStatus(), QStringLiteral("変更できません。"));
    EXPECT_EQ(cell(4, 3), QStringLiteral("-1"));
    EXPECT_TRUE(prompter_.unanswered.isEmpty()) << prompter_.unanswered.join(u'|').toStdString();
}

TEST_F(EndToEndTest, ReadErrorQuestionNoStopsTheRun) {
    startForm();
    dropFiles(txtSource()->viewport(), {brokenImage(QStringLiteral("broken.jpg")), imagePath(1)});
    dropFiles(txtIniFile(), {definition()});
    prompter_.answers.push_back(Answer::No);
    startRunWithoutCrops();

    EXPECT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(msgLabel(), QStringLiteral("処理中断"));
    EXPECT_FALSE(frmDetail()->isVisible());
    EXPECT_TRUE(button("cmdConvert")->isEnabled());
    EXPECT_FALSE(button("cmdStop")->isEnabled());
    EXPECT_TRUE(table().saved());  // nothing new to lose
}

// ---------------------------------------------------------------- editing

TEST_F(EndToEndTest, CellsAreEditedWithKeysAndTheInputDialog) {
    readSamples();
    // Sheet 1 left question 13 blank: typing 7 opens the editor with 7,
    // Enter stores it, marks it measured by hand and moves right.
    selectCell(3, 13);
    QTest::keyClick(grid(), Qt::Key_7);
    ASSERT_TRUE(txtEdit()->isVisible());
    EXPECT_EQ(txtEdit()->text(), QStringLiteral("7"));
    QTest::keyClick(txtEdit(), Qt::Key_Return);
    EXPECT_FALSE(txtEdit()->isVisible());
    EXPECT_EQ(cell(3, 13), QStringLiteral("7"));
    EXPECT_EQ(table().reli().text(3, 13), QStringLiteral("999"));
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(3, 14));
    EXPECT_FALSE(table().saved());

    // Enter opens the editor over the old text; its own key-up stores
    // nothing, the next Enter stores what was typed.
    selectCell(4, 2);
    const QString before = cell(4, 2);
    QTest::keyPress(grid(), Qt::Key_Return);
    ASSERT_TRUE(txtEdit()->isVisible());
    EXPECT_EQ(txtEdit()->text(), before);
    QTest::keyRelease(txtEdit(), Qt::Key_Return);
    EXPECT_TRUE(txtEdit()->isVisible());
    EXPECT_EQ(cell(4, 2), before);
    QTest::keyClicks(txtEdit(), QStringLiteral("3"));
    QTest::keyClick(txtEdit(), Qt::Key_Return);
    EXPECT_EQ(cell(4, 2), QStringLiteral("3"));

    // Escape in the editor cancels.
    selectCell(5, 1);
    const QString kept = cell(5, 1);
    QTest::keyClick(grid(), Qt::Key_5);
    ASSERT_TRUE(txtEdit()->isVisible());
    QTest::keyClick(txtEdit(), Qt::Key_Escape);
    EXPECT_FALSE(txtEdit()->isVisible());
    EXPECT_EQ(cell(5, 1), kept);

    // Backspace clears after a Yes.
    selectCell(5, 1);
    prompter_.answers.push_back(Answer::Yes);
    QTest::keyClick(grid(), Qt::Key_Backspace);
    ASSERT_FALSE(prompter_.questions.empty());
    EXPECT_EQ(prompter_.questions.back().text,
              QStringLiteral("値をクリアします。よろしいですか？"));
    EXPECT_EQ(prompter_.questions.back().id, QuestionId::ClearCell);
    EXPECT_EQ(cell(5, 1), QString());

    // Right click on a sheet cell: full-width digits and commas fill three
    // columns with half-width values.
    prompter_.inputs.push_back(QStringLiteral("４，２、1"));
    clickCell(6, 3, Qt::RightButton);
    EXPECT_TRUE(lastInput().startsWith(QStringLiteral("input: 修正入力 / ")))
        << lastInput().toStdString();
    EXPECT_EQ(cell(6, 3), QStringLiteral("4"));
    EXPECT_EQ(cell(6, 4), QStringLiteral("2"));
    EXPECT_EQ(cell(6, 5), QStringLiteral("1"));
    EXPECT_EQ(table().reli().text(6, 5), QStringLiteral("999"));
    EXPECT_TRUE(prompter_.unanswered.isEmpty()) << prompter_.unanswered.join(u'|').toStdString();
}

TEST_F(EndToEndTest, SheetCellShowsItsImageCropAndEscapeHidesIt) {
    readSamples();
    clickCell(3, 5, Qt::LeftButton);
    QWidget* viewer = nullptr;
    ASSERT_TRUE(waitFor([&] {
        viewer = frmDetail()->findChild<QWidget*>(QStringLiteral("frmImage"));
        return viewer != nullptr && viewer->isVisible();
    }));
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(3, 5));
    selectCell(3, 5);
    QTest::keyClick(grid(), Qt::Key_Escape);
    EXPECT_FALSE(viewer->isVisible());
    // Space shows it again.
    QTest::keyClick(grid(), Qt::Key_Space);
    EXPECT_TRUE(viewer->isVisible());
}

TEST_F(EndToEndTest, ReviewAidsFindTheBlankQuestionAndShowTheDensities) {
    readSamples();
    // sheet001 left question 13 blank: the first doubtful cell in reading order.
    QApplication::setActiveWindow(frmDetail());  // the user works in it
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmDetail()));
    selectCell(3, 1);
    QTest::keyClick(grid(), Qt::Key_F3);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(3, 13));
    EXPECT_TRUE(lblStatus().startsWith(QStringLiteral("要確認 1/")));
    QWidget* viewer = frmDetail()->findChild<QWidget*>(QStringLiteral("frmImage"));
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    frmDetail()->resize(1100, 420);  // the offscreen screen is small
    keepScreenshot(frmDetail(), QStringLiteral("tarrow-review.png"));
    keepScreenshot(viewer, QStringLiteral("tarrow-review-crop.png"));

    QTest::mouseClick(control<QPushButton>("cmdDensity"), Qt::LeftButton);
    QWidget* density = frmDetail()->findChild<QWidget*>(QStringLiteral("frmDensity"));
    ASSERT_NE(density, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(density));
    keepScreenshot(density, QStringLiteral("tarrow-density.png"));
}

// ------------------------------------------------- scoring, saving, reopening

TEST_F(EndToEndTest, KeyScoreSaveAndReopenTheReadValues) {
    readSamples();
    // The answer key of the first four questions, typed on the key row.
    const QJsonObject truth1 = sampleTruth(1);
    QStringList key;
    for (int q = 0; q < 4; ++q) key << QString::number(truth1["answers"].toArray()[q].toInt());
    prompter_.inputs.push_back(key.join(u','));
    clickCell(1, 1, Qt::RightButton);
    EXPECT_TRUE(lastInput().startsWith(QStringLiteral("input: 正答入力 / ")))
        << lastInput().toStdString();
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(cell(1, c), key[c - 1]);
    prompter_.inputs.push_back(QStringLiteral("2"));
    clickCell(2, 1, Qt::RightButton);
    EXPECT_EQ(cell(2, 1), QStringLiteral("2"));

    QTest::mouseClick(frmDetail()->findChild<QPushButton*>(QStringLiteral("cmdColorScore")),
                      Qt::LeftButton);
    QAbstractItemModel* model = grid()->model();
    const auto background = [&](int row, int col) {
        return model->index(row, col).data(Qt::BackgroundRole).value<QColor>();
    };
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(background(3, c), QColor(255, 255, 0)) << c;
    EXPECT_EQ(background(3, 5), QColor(255, 255, 255));  // not scored
    // Sheet 3 left question 2 (0-based) blank: unanswered is red; any other
    // value that differs from the key is magenta.
    EXPECT_EQ(background(5, 3), QColor(255, 0, 0));
    for (int s = 2; s <= kSampleSheets; ++s) {
        const int row = ResultTable::rowOfSheet(s);
        for (int c = 1; c <= 4; ++c) {
            const QString value = cell(row, c);
            const QColor expected = value == key[c - 1]             ? QColor(255, 255, 0)
                                    : value == QStringLiteral("-1") ? QColor(255, 0, 0)
                                                                    : QColor(255, 0, 255);
            EXPECT_EQ(background(row, c), expected) << "sheet " << s << " column " << c;
        }
    }

    keepScreenshot(frmDetail(), QStringLiteral("tarrow-scored.png"));

    // Closing unsaved asks; No keeps everything.
    prompter_.answers.push_back(Answer::No);
    form_->close();
    ASSERT_FALSE(prompter_.questions.empty());
    EXPECT_EQ(prompter_.questions.back().text,
              QStringLiteral("読取値が保存されていません。本当に閉じてもよろしいですか？"));
    EXPECT_TRUE(form_->isVisible());

    // Save as class1.csv: the read values and the scores beside it. The
    // read-values file holds the table as it stands before the score file
    // fills in the default points.
    const QStringList savedRows = tableRows();
    ASSERT_TRUE(QDir().mkpath(path("out")));
    prompter_.saveFiles.push_back(path("out/class1.csv"));
    QTest::mouseClick(frmDetail()->findChild<QPushButton*>(QStringLiteral("cmdSave")),
                      Qt::LeftButton);
    const QString readValues = path("out/class1-読取値.csv");
    ASSERT_TRUE(QFile::exists(readValues));
    ASSERT_TRUE(QFile::exists(path("out/class1-採点値.csv")));
    EXPECT_TRUE(table().saved());

    QFile file(readValues);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 3 + kSampleSheets);
    file.close();

    // Reopen it with an empty input list: the table comes back from the
    // file, the images are looked for in the chosen folder.
    QTest::mouseClick(button("btnClear"), Qt::LeftButton);
    EXPECT_TRUE(txtSource()->toPlainText().isEmpty());
    prompter_.openFiles.push_back(readValues);
    prompter_.folders.push_back(path("images"));
    form_->findChild<QAction*>(QStringLiteral("mnuCSV"))->trigger();
    EXPECT_EQ(prompter_.openFileTitles.last(),
              QStringLiteral("読取値CSVファイルを選択してください"));
    EXPECT_EQ(prompter_.folderTitles.last(),
              QStringLiteral("スキャン画像ファイル(.jpg等)が存在するフォルダを選択してください。"));
    EXPECT_EQ(msgLabel(), QStringLiteral("処理完了: 6件"));
    ASSERT_TRUE(waitFor([this] { return frmDetail()->isVisible(); }));
    model = grid()->model();
    ASSERT_EQ(model->rowCount(), 3 + kSampleSheets);
    EXPECT_EQ(tableRows().join(u'\n').toStdString(), savedRows.join(u'\n').toStdString());
    EXPECT_EQ(table().reli().text(3, 1), QStringLiteral("999"));
    EXPECT_EQ(table().sheetPaths().value(0), path("images/") + sampleName(1));
    EXPECT_EQ(grid()->currentIndex(), model->index(3, 1));

    // Saved and reloaded: closing asks nothing more.
    const std::size_t asked = prompter_.questions.size();
    form_->close();
    EXPECT_EQ(prompter_.questions.size(), asked);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(prompter_.unanswered.isEmpty()) << prompter_.unanswered.join(u'|').toStdString();
}

}  // namespace
}  // namespace tarrow
