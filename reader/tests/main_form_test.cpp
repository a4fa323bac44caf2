// The main window driven through its control names on the offscreen
// platform: controls and menus, drops onto the input list and the
// definition box, the browse, clear and PDF buttons, start-up, a run over
// the sample sheets with the real engine, stopping a run between images,
// the close guard, the resize rules, the version dialog and the support page.
#include "reader/ui/main_form.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "common/desktop/testing/dialog_listing.h"
#include "engine/com/com_types.h"
#include "reader/core/app_settings.h"
#include "reader/core/main_window_layout.h"
#include "reader/core/pdf_conversion.h"
#include "reader/core/tests/scripted_engine.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/ui/image_viewer.h"
#include "reader/ui/qt_prompter.h"
#include "reader/ui/result_window.h"
#include "reader/ui/support_page.h"
#include "reader/ui/version_dialog.h"

namespace tarrow {
namespace {

using testing::ScriptedEngine;
using testing::ScriptedPrompter;

const QString kSamples = QStringLiteral(VELMORA_SOURCE_DIR "/samples");
const char* const kLibraryPath = VELMORA_BINARY_DIR "/bin/libstrovik.so";

/// Settings kept in a map the test can read after the window took the
/// backend.
class MapBackend final : public SettingsBackend {
public:
    explicit MapBackend(std::map<QString, QString>* values) : values_(values) {}
    std::optional<QString> read(const QString& name) const override {
        const auto it = values_->find(name);
        if (it == values_->end()) return std::nullopt;
        return it->second;
    }
    bool write(const QString& name, const QString& text) override {
        (*values_)[name] = text;
        return true;
    }

private:
    std::map<QString, QString>* values_;
};

bool touch(const QString& path, const QByteArray& bytes = QByteArray()) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// Drags `mime` onto `target` and drops it; true when both were accepted.
/// Takes the mime data.
bool dropOn(QWidget* target, QMimeData* mime) {
    const std::unique_ptr<QMimeData> owned(mime);
    const QPoint point(5, 5);
    QDragEnterEvent enter(point, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(point), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

QMimeData* filesMime(const QStringList& paths) {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    return mime;
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }

    /// A window over the scripted prompter, a map of settings and, unless
    /// told otherwise, a scripted engine.
    std::unique_ptr<MainForm> makeForm(
        std::function<std::unique_ptr<StrovaEngine>(QString*)> engine = {}) {
        MainForm::StartUp startUp;
        startUp.prompter = &prompter_;
        startUp.feedback = &prompter_;
        startUp.settingsBackend = std::make_unique<MapBackend>(&stored_);
        startUp.documentsFolder = path(QStringLiteral("documents"));
        startUp.applicationFolder = path(QStringLiteral("app"));
        startUp.createEngine = engine ? std::move(engine) : [](QString*) {
            return std::unique_ptr<StrovaEngine>(std::make_unique<ScriptedEngine>());
        };
        auto form = std::make_unique<MainForm>(std::move(startUp));
        form->setFilesChooser([this](const QString& title, const QString& filter) {
            chooserCalls_ << title + u'|' + filter;
            return chosenFiles_;
        });
        return form;
    }

    template <typename T>
    static T* child(MainForm& form, const char* name) {
        T* widget = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QString sourceText(MainForm& form) {
        return child<QPlainTextEdit>(form, "txtSource")->toPlainText();
    }

    QTemporaryDir dir_;
    ScriptedPrompter prompter_;
    std::map<QString, QString> stored_;
    QStringList chosenFiles_;
    QStringList chooserCalls_;
};

TEST_F(MainFormTest, ControlsMenusAndStartUpState) {
    stored_[QStringLiteral("IniFile")] = QStringLiteral("/defs/exam.ini");
    stored_[QStringLiteral("Version")] = QStringLiteral("1_0_0");
    auto form = makeForm();

    EXPECT_EQ(form->objectName(), QStringLiteral("MainForm"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora3　読取り・採点"));
    struct Expected {
        const char* name;
        QString caption;
        QString tip;
    };
    const Expected buttons[] = {
        {"cmdOpen", QStringLiteral("参照..."), QStringLiteral("ファイルダイアログ")},
        {"btnClear", QStringLiteral("クリア"), QStringLiteral("クリア")},
        {"btnPDF", QStringLiteral("PDF→JPG"), QStringLiteral("PDFをJPEG画像に変換して入力する")},
        {"cmdOpenIni", QStringLiteral("参照..."), QStringLiteral("ファイルダイアログ")},
        {"cmdConvert", QStringLiteral("処理開始"), QString()},
        {"cmdStop", QStringLiteral("処理中止"), QString()},
    };
    for (const Expected& e : buttons) {
        QPushButton* button = child<QPushButton>(*form, e.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), e.caption) << e.name;
        EXPECT_EQ(button->toolTip(), e.tip) << e.name;
    }
    EXPECT_EQ(child<QPlainTextEdit>(*form, "txtSource")->toolTip(),
              QStringLiteral("スキャン画像ファイル (複数ファイルまたはフォルダーを指定可能)"));
    QCheckBox* debug = child<QCheckBox>(*form, "chkDebug");
    EXPECT_EQ(debug->text(), QStringLiteral("ﾃﾞﾊﾞｯｸﾞ画像出力"));
    EXPECT_EQ(debug->toolTip(), QStringLiteral("デバッグ画像ファイルを出力"));
    EXPECT_NE(child<QGroupBox>(*form, "frameSrc"), nullptr);
    EXPECT_NE(child<QGroupBox>(*form, "frameControl"), nullptr);
    EXPECT_FALSE(child<QLineEdit>(*form, "txtIniFile")->toolTip().isEmpty());

    const std::pair<const char*, QString> actions[] = {
        {"mnuCSV", QStringLiteral("読取値CSVを開く(&O)")},
        {"mnuSettings", QStringLiteral("各種設定(&S)")},
        {"mnuQuit", QStringLiteral("終了(&Q)")},
        {"mnuSupport", QStringLiteral("サポート(&S)")},
        {"mnuAbout", QStringLiteral("バージョン(&A)")},
    };
    for (const auto& [name, text] : actions) {
        QAction* action = child<QAction>(*form, name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), text);
    }

    // Idle buttons, empty labels, the stored definition, the data folder and
    // the version record.
    EXPECT_TRUE(child<QPushButton>(*form, "cmdConvert")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*form, "cmdStop")->isEnabled());
    EXPECT_TRUE(child<QLabel>(*form, "MsgLabel")->text().isEmpty());
    EXPECT_TRUE(child<QLabel>(*form, "lblDPI")->text().isEmpty());
    EXPECT_EQ(child<QLineEdit>(*form, "txtIniFile")->text(), QStringLiteral("/defs/exam.ini"));
    EXPECT_EQ(form->context().dataFolder, path(QStringLiteral("documents/velmora")));
    EXPECT_TRUE(QFileInfo(form->context().dataFolder).isDir());
    EXPECT_EQ(stored_[QStringLiteral("Version")], AppVersion{}.text());
    EXPECT_TRUE(form->context().table.saved());
    EXPECT_FALSE(form->resultWindow()->isVisible());
}

TEST_F(MainFormTest, DropsOntoTheInputListAndTheDefinitionBox) {
    auto form = makeForm();
    const QString scans = path(QStringLiteral("scans"));
    ASSERT_TRUE(QDir().mkpath(scans + QStringLiteral("/sub")));
    for (const char* name : {"b.jpg", "a.jpg", "note.txt", "sub/deep.jpg"}) {
        ASSERT_TRUE(touch(scans + u'/' + QString::fromLatin1(name)));
    }
    const QString z = path(QStringLiteral("z 'q' $x.jpg"));
    const QString m = path(QStringLiteral("m.jpg"));
    QWidget* viewport = child<QPlainTextEdit>(*form, "txtSource")->viewport();

    // Files in the focused-first order: z > m, so z goes last.
    ASSERT_TRUE(dropOn(viewport, filesMime({z, m})));
    EXPECT_EQ(sourceText(*form), m + u'\n' + z + u'\n');
    // A folder gives the files directly inside, whatever the extension.
    QPlainTextEdit* source = child<QPlainTextEdit>(*form, "txtSource");
    source->clear();
    ASSERT_TRUE(dropOn(viewport, filesMime({scans})));
    EXPECT_EQ(sourceText(*form), scans + QStringLiteral("/a.jpg\n") + scans +
                                     QStringLiteral("/b.jpg\n") + scans +
                                     QStringLiteral("/note.txt\n"));

    // Text goes in at the caret and replaces a selection.
    source->setPlainText(QStringLiteral("first\nsecond\n"));
    QTextCursor cursor = source->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);  // "first"
    source->setTextCursor(cursor);
    auto* text = new QMimeData;
    text->setText(QStringLiteral("/typed/x.jpg"));
    ASSERT_TRUE(dropOn(viewport, text));
    EXPECT_EQ(sourceText(*form), QStringLiteral("/typed/x.jpg\n\nsecond\n"));

    // The definition box: the first dropped file, or the dropped text.
    QLineEdit* ini = child<QLineEdit>(*form, "txtIniFile");
    ASSERT_TRUE(
        dropOn(ini, filesMime({path(QStringLiteral("one.ini")), path(QStringLiteral("two.ini"))})));
    EXPECT_EQ(ini->text(), path(QStringLiteral("one.ini")));
    auto* iniText = new QMimeData;
    iniText->setText(QStringLiteral("/typed/def.ini"));
    ASSERT_TRUE(dropOn(ini, iniText));
    EXPECT_EQ(ini->text(), QStringLiteral("/typed/def.ini"));
    EXPECT_EQ(form->context().settings.iniFile, QStringLiteral("/typed/def.ini"));
}

TEST(MainFormFilters, EveryFileDialogListsItsFilesInAnyCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"a.jpg", "b.JPEG", "c.bmp", "d.Gif", "e.PNG", "f.tif", "g.TIFF",
                             "h.ini", "i.csv", "j.PDF", "k.txt"})
        ASSERT_TRUE(touch(dir.filePath(QString::fromLatin1(name))));
    const auto listed = [&](const QString& filter) {
        return velmora::testing::filesListedByDialog(dir.path(), QtPrompter::qtFilter(filter));
    };
    EXPECT_EQ(listed(MainForm::kSourceFilter),
              (QStringList{"a.jpg", "b.JPEG", "c.bmp", "d.Gif", "e.PNG", "f.tif", "g.TIFF"}));
    EXPECT_EQ(listed(MainForm::kIniFilter), QStringList{"h.ini"});
    EXPECT_EQ(listed(MainForm::kPdfFilter), (QStringList{"f.tif", "g.TIFF", "j.PDF"}));
    // The read-values dialogs of the core.
    EXPECT_EQ(listed(QStringLiteral("読取値CSVファイル (*.csv)|*.csv")), QStringList{"i.csv"});
    EXPECT_EQ(listed(QStringLiteral("csvファイル(*.csv)|*.csv")), QStringList{"i.csv"});
}

TEST_F(MainFormTest, BrowseClearAndPdfButtons) {
    auto form = makeForm();
    QPlainTextEdit* source = child<QPlainTextEdit>(*form, "txtSource");
    source->setPlainText(QStringLiteral("/kept.jpg\n"));

    // Five files with e focused arrive e, a, b, c, d and are listed a..e.
    chosenFiles_ = {"/s/e.jpg", "/s/a.jpg", "/s/b.jpg", "/s/c.jpg", "/s/d.jpg"};
    QTest::mouseClick(child<QPushButton>(*form, "cmdOpen"), Qt::LeftButton);
    EXPECT_EQ(sourceText(*form),
              QStringLiteral("/kept.jpg\n/s/a.jpg\n/s/b.jpg\n/s/c.jpg\n/s/d.jpg\n/s/e.jpg\n"));
    EXPECT_EQ(chooserCalls_, QStringList{MainForm::kSourceTitle + u'|' + MainForm::kSourceFilter});
    chosenFiles_.clear();  // cancelled
    QTest::mouseClick(child<QPushButton>(*form, "cmdOpen"), Qt::LeftButton);
    EXPECT_TRUE(sourceText(*form).endsWith(QStringLiteral("/s/e.jpg\n")));

    QTest::mouseClick(child<QPushButton>(*form, "btnClear"), Qt::LeftButton);
    EXPECT_TRUE(sourceText(*form).isEmpty());

    QLineEdit* ini = child<QLineEdit>(*form, "txtIniFile");
    ini->setText(QStringLiteral("/old.ini"));
    prompter_.openFiles = {QString(), QStringLiteral("/new.ini")};
    QTest::mouseClick(child<QPushButton>(*form, "cmdOpenIni"), Qt::LeftButton);
    EXPECT_EQ(ini->text(), QStringLiteral("/old.ini"));
    QTest::mouseClick(child<QPushButton>(*form, "cmdOpenIni"), Qt::LeftButton);
    EXPECT_EQ(ini->text(), QStringLiteral("/new.ini"));
    EXPECT_EQ(prompter_.openFileTitles.constFirst(),
              QStringLiteral("マーク情報ファイルを選択してください"));
    EXPECT_EQ(prompter_.openFileFilters.constFirst(),
              QStringLiteral("マーク情報ファイル (*.ini)|*.ini"));

    // PDF→JPG with a bundled fake pdfimages in the program's folder.
    const QString tool = path(QStringLiteral("app/pdfimages/pdfimages"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(tool).path()));
    ASSERT_TRUE(touch(tool, "#!/bin/sh\necho x > \"$4-000.jpg\"\necho x > \"$4-001.jpg\"\n"));
    QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    const QString out = path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    chosenFiles_ = {path(QStringLiteral("exam.pdf"))};
    prompter_.folders = {QString(), out};
    QTest::mouseClick(child<QPushButton>(*form, "btnPDF"), Qt::LeftButton);  // folder cancelled
    EXPECT_TRUE(sourceText(*form).isEmpty());
    QTest::mouseClick(child<QPushButton>(*form, "btnPDF"), Qt::LeftButton);
    EXPECT_EQ(sourceText(*form),
              out + QStringLiteral("/exam-000.jpg\n") + out + QStringLiteral("/exam-001.jpg\n"));
    EXPECT_EQ(child<QLabel>(*form, "MsgLabel")->text(), kConvertedStatus);
    EXPECT_EQ(prompter_.folderTitles.constLast(), MainForm::kPdfFolderTitle);
    EXPECT_EQ(chooserCalls_.constLast(), MainForm::kPdfTitle + u'|' + MainForm::kPdfFilter);
}

TEST_F(MainFormTest, StartWithoutImagesOrEngineWarns) {
    auto form = makeForm();
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].text, QStringLiteral("スキャン画像ファイルを指定してください"));
    EXPECT_EQ(prompter_.messages[0].icon, Prompter::Icon::Warning);
    EXPECT_TRUE(child<QPushButton>(*form, "cmdConvert")->isEnabled());

    // No engine: said once the window is up, and again at the start button.
    prompter_.messages.clear();
    auto without = makeForm([](QString* error) {
        *error = QStringLiteral("class not registered");
        return std::unique_ptr<StrovaEngine>();
    });
    EXPECT_TRUE(prompter_.messages.empty());
    QApplication::processEvents();
    ASSERT_EQ(prompter_.messages.size(), 1u);
    const QString& said = prompter_.messages[0].text;
    EXPECT_TRUE(said.startsWith(QStringLiteral("読取りエンジンを作成できませんでした。")));
    EXPECT_TRUE(said.contains(QStringLiteral("strovik-regsvr ")));  // what to do, then why
    EXPECT_TRUE(said.endsWith(QStringLiteral("class not registered")));
    QTest::mouseClick(child<QPushButton>(*without, "cmdConvert"), Qt::LeftButton);
    EXPECT_EQ(prompter_.messages.size(), 2u);
}

/// Runs with the engine component of this build, registered into a private
/// settings folder.
class MainFormRunTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ASSERT_TRUE(config_.isValid());
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
        setenv("XDG_CONFIG_HOME", config_.path().toUtf8().constData(), 1);
        library_ = dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        const auto entry = reinterpret_cast<strovik::DllRegisterServerFunction>(
            dlsym(library_, "DllRegisterServer"));
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry(), strovik::S_OK);
        // A copy of the sample batch: the engine writes into the definition.
        for (int s = 1; s <= 3; ++s) {
            const QString name = QStringLiteral("sheet%1.jpg").arg(s, 3, 10, QChar(u'0'));
            ASSERT_TRUE(QFile::copy(kSamples + QStringLiteral("/images/") + name, path(name)));
            images_ << path(name);
        }
        ASSERT_TRUE(QFile::copy(kSamples + QStringLiteral("/sheet.ini"), path("sheet.ini")));
    }
    void TearDown() override {
        if (oldConfig_) {
            setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    std::unique_ptr<MainForm> makeRealForm() {
        auto form = makeForm([](QString* error) {
            return std::unique_ptr<StrovaEngine>(EngineClient::create(error));
        });
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_NE(form->context().engine, nullptr) << form->context().engineError.toStdString();
        QWidget* viewport = child<QPlainTextEdit>(*form, "txtSource")->viewport();
        EXPECT_TRUE(dropOn(viewport, filesMime(images_)));
        EXPECT_TRUE(dropOn(child<QLineEdit>(*form, "txtIniFile"), filesMime({path("sheet.ini")})));
        prompter_.folders.push_back(QString());  // no crop folder
        return form;
    }

    QTemporaryDir config_;
    std::optional<std::string> oldConfig_;
    void* library_ = nullptr;
    QStringList images_;
};

TEST_F(MainFormRunTest, RunOverSampleSheetsFillsTheTableAndShowsTheResults) {
    auto form = makeRealForm();
    bool progressShown = false;
    QLabel* status = child<QLabel>(*form, "MsgLabel");
    int imagesSeen = 0;
    prompter_.onProcessEvents = [&](int) {
        // Events run while the list is parsed and at each image; from the
        // first image on the window shows the running state.
        if (!status->text().startsWith(QStringLiteral("処理中("))) return;
        ++imagesSeen;
        progressShown = progressShown || child<QProgressBar>(*form, "progressBar")->isVisible();
        EXPECT_FALSE(child<QPushButton>(*form, "cmdConvert")->isEnabled());
        EXPECT_TRUE(child<QPushButton>(*form, "cmdStop")->isEnabled());
    };
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);

    // The first three samples hold five questions filled twice.
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList{QStringLiteral("複数マークの疑い: 5件 (F3で確認)")});
    EXPECT_EQ(status->text(), QStringLiteral("処理完了: 3件"));
    EXPECT_EQ(child<QLabel>(*form, "lblDPI")->text(), QStringLiteral("200dpi"));
    EXPECT_EQ(imagesSeen, 3);
    EXPECT_TRUE(progressShown);
    EXPECT_FALSE(child<QProgressBar>(*form, "progressBar")->isVisible());
    EXPECT_TRUE(child<QPushButton>(*form, "cmdConvert")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*form, "cmdStop")->isEnabled());
    const ResultTable& table = form->context().table;
    EXPECT_EQ(table.questionCount(), 30);
    EXPECT_EQ(table.grid().text(ResultTable::rowOfSheet(3), 0), QStringLiteral("sheet003.jpg"));
    EXPECT_TRUE(form->resultWindow()->isVisible());
    EXPECT_FALSE(table.saved());

    // A click on a sheet's answer shows its crop in the image viewer.
    auto* grid = form->resultWindow()->findChild<QTableView*>(QStringLiteral("Grid"));
    ASSERT_NE(grid, nullptr);
    const QRect cell = grid->visualRect(grid->model()->index(ResultTable::rowOfSheet(1), 1));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    auto* viewer = form->findChild<ImageViewer*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());

    // Closing with unsaved results asks; No keeps everything, Yes closes and
    // saves the settings.
    prompter_.answers = {Prompter::Answer::No};
    child<QAction>(*form, "mnuQuit")->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(prompter_.questions.back().text,
              QStringLiteral("読取値が保存されていません。本当に閉じてもよろしいですか？"));
    EXPECT_EQ(stored_.count(QStringLiteral("_Dummy")), 0u);
    EXPECT_EQ(table.grid().text(ResultTable::rowOfSheet(3), 0), QStringLiteral("sheet003.jpg"));
    prompter_.answers = {Prompter::Answer::Yes};
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->resultWindow()->isVisible());
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_EQ(stored_[QStringLiteral("_Dummy")], QStringLiteral(" "));
    EXPECT_EQ(stored_[QStringLiteral("IniFile")], path("sheet.ini"));
}

TEST_F(MainFormRunTest, DecliningANewRunAfterAnEditKeepsTheResultWindowAsItWas) {
    auto form = makeRealForm();
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);
    ResultWindow* results = form->resultWindow();
    ASSERT_TRUE(results->isVisible());
    auto* grid = results->findChild<QTableView*>(QStringLiteral("Grid"));
    ASSERT_NE(grid, nullptr);
    // A correction typed into sheet 2, question 5, then the cursor is moved.
    const int row = ResultTable::rowOfSheet(2);
    grid->setCurrentIndex(grid->model()->index(row, 5));
    QTest::keyClick(grid, Qt::Key_9);
    auto* editor = results->findChild<QLineEdit*>(QStringLiteral("txtEdit"));
    ASSERT_TRUE(editor->isVisible());
    QTest::keyClick(editor, Qt::Key_Return);
    const ResultTable& table = form->context().table;
    ASSERT_EQ(table.grid().text(row, 5), QStringLiteral("9"));
    ASSERT_FALSE(table.saved());
    const QModelIndex current = grid->currentIndex();

    const size_t asked = prompter_.questions.size();
    prompter_.answers = {Prompter::Answer::No};
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);
    ASSERT_EQ(prompter_.questions.size(), asked + 1);  // asked once, not twice
    EXPECT_EQ(prompter_.questions.back().text, kNewRunQuestion);
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(grid->currentIndex(), current);
    EXPECT_EQ(table.grid().text(row, 5), QStringLiteral("9"));
    EXPECT_EQ(table.sheetCount(), 3);

    // Yes reads the images afresh: the correction is gone.
    prompter_.answers = {Prompter::Answer::Yes};
    prompter_.folders.push_back(QString());
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);
    EXPECT_EQ(prompter_.questions.size(), asked + 2);
    EXPECT_TRUE(results->isVisible());
    EXPECT_NE(table.grid().text(row, 5), QStringLiteral("9"));
    EXPECT_TRUE(prompter_.unanswered.isEmpty()) << prompter_.unanswered.join(u'/').toStdString();
}

TEST_F(MainFormRunTest, ARunRefusedByItsInputCheckShowsTheTableAgain) {
    auto form = makeRealForm();
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);
    ASSERT_TRUE(form->resultWindow()->isVisible());
    prompter_.messages.clear();  // the first run's summary of doubled marks
    prompter_.answers = {Prompter::Answer::Yes};
    child<QLineEdit>(*form, "txtIniFile")->setText(path("missing.ini"));
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);
    ASSERT_EQ(prompter_.messages.size(), 1u);  // the missing definition
    EXPECT_TRUE(form->resultWindow()->isVisible());
    EXPECT_EQ(form->context().table.sheetCount(), 3);
}

TEST_F(MainFormRunTest, StopEndsTheRunBetweenImages) {
    auto form = makeRealForm();
    QLabel* status = child<QLabel>(*form, "MsgLabel");
    prompter_.onProcessEvents = [&](int) {
        if (status->text().startsWith(QStringLiteral("処理中(2/3)"))) {
            QTest::mouseClick(child<QPushButton>(*form, "cmdStop"), Qt::LeftButton);
        }
    };
    QTest::mouseClick(child<QPushButton>(*form, "cmdConvert"), Qt::LeftButton);

    EXPECT_EQ(status->text(), QStringLiteral("処理中断"));
    EXPECT_FALSE(form->resultWindow()->isVisible());
    EXPECT_TRUE(child<QPushButton>(*form, "cmdConvert")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*form, "cmdStop")->isEnabled());
    const ResultTable& table = form->context().table;
    // The second image, under way at the click, was read; the third not.
    EXPECT_EQ(table.grid().text(ResultTable::rowOfSheet(2), 0), QStringLiteral("sheet002.jpg"));
    EXPECT_TRUE(table.grid().text(ResultTable::rowOfSheet(3), 0).isEmpty());
    EXPECT_TRUE(prompter_.unanswered.isEmpty()) << prompter_.unanswered.join(u'/').toStdString();
}

TEST_F(MainFormTest, ResizeHoldsWidthAndRaisesHeight) {
    auto form = makeForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const double dpi = form->logicalDpiY();
    const int width = form->width();
    EXPECT_NEAR(width, twipsToPixels(MainWindowLayout::kWidthTwips, dpi), 10);

    form->resize(width + 300, 500);
    QApplication::processEvents();
    EXPECT_EQ(form->width(), width);
    EXPECT_EQ(form->height(), 500);
    QGroupBox* frameControl = child<QGroupBox>(*form, "frameControl");
    QPlainTextEdit* source = child<QPlainTextEdit>(*form, "txtSource");
    QLabel* status = child<QLabel>(*form, "MsgLabel");
    const int controlTop = frameControl->y();
    const int sourceHeight = source->height();

    form->resize(width, 600);
    QApplication::processEvents();
    EXPECT_EQ(frameControl->y(), controlTop + 100);
    EXPECT_EQ(source->height(), sourceHeight + 100);
    EXPECT_GT(status->y(), frameControl->geometry().bottom());
    EXPECT_EQ(child<QLabel>(*form, "lblDPI")->y(), status->y());

    form->resize(width, 50);
    QApplication::processEvents();
    EXPECT_NEAR(form->height(),
                twipsToPixels(MainWindowLayout::kMinHeightTwips, dpi) - twipsToPixels(450, dpi), 1);
    EXPECT_GT(child<QGroupBox>(*form, "frameSrc")->height(), 0);
}

TEST_F(MainFormTest, VersionDialogAndSupportPage) {
    auto form = makeForm();
    form->show();
    child<QAction>(*form, "mnuAbout")->trigger();
    auto* about = form->findChild<VersionDialog*>(QStringLiteral("AboutDialog"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->windowTitle(), form->windowTitle());
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Velmora3   Ver.3.0.6"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("lblDescription"))->text(),
              QStringLiteral("読取・採点ツール"));
    QPointer<VersionDialog> guard(about);
    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());

    const AppVersion version{3, 1, 4};
    EXPECT_EQ(supportPageUrl(QStringLiteral("https://help.example/"), version).toString(),
              QStringLiteral("https://help.example/faq/product.htm?k=tarrow3&app=tarrow3"
                             "&ver=3_1_4&lang=japanese"));
    QUrl opened;
    EXPECT_TRUE(
        openSupportPage(prompter_, QUrl(QStringLiteral("https://x/")), [&](const QUrl& url) {
            opened = url;
            return true;
        }));
    EXPECT_EQ(opened, QUrl(QStringLiteral("https://x/")));
    EXPECT_TRUE(prompter_.messages.empty());
    EXPECT_FALSE(openSupportPage(prompter_, QUrl(QStringLiteral("https://x/")),
                                 [](const QUrl&) { return false; }));
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].text, kSupportPageFailure);
}

}  // namespace
}  // namespace tarrow
