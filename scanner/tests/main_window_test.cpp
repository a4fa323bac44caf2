// The scanner's main window driven through its control names on the
// offscreen platform: first start, the form's rules (format, counter,
// reset, validation, drop, browse), whole batches through SANE's test
// device and the fake TWAIN manager with the window answering throughout,
// cancel, a jam, the preview window and its stored rectangle, the clipboard,
// the scanner dialog, the file manager and the exit procedure.
#include "scanner/ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <fstream>

#include "engine/image/image_loader.h"
#include "scanner/core/tests/scanner_test_support.h"
#include "scanner/core/twain_session.h"
#include "scanner/ui/preview_window.h"
#include "scanner/ui/prompter.h"
#include "scanner/ui/scan_form.h"

namespace fenwary {
namespace {

using testing::TempFolder;

class ScriptedPrompter final : public Prompter {
public:
    void warn(const QString& text, const QString& caption) override {
        warnings.push_back({caption, text});
    }
    bool askYesNo(const QString& text, const QString&) override {
        questions << text;
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString chooseFolder(const QString& title, const QString&) override {
        folderTitles << title;
        return folder;
    }
    std::optional<QString> chooseItem(const QString&, const QString&, const QStringList& items,
                                      int) override {
        offered = items;
        return item;
    }

    std::vector<std::pair<QString, QString>> warnings;  // caption, text
    QStringList questions;
    std::deque<bool> answers;  ///< empty: No
    QStringList folderTitles;
    QString folder;
    QStringList offered;
    std::optional<QString> item;
};

template <typename T>
T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

/// Drags local paths onto `target` and drops them; true when accepted.
bool dropOn(QWidget* target, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    const QPoint point(5, 5);
    QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

class FenwaryWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::usePrivateSaneConfig(); }

    void SetUp() override {
        ::setenv(TwainLibrary::kOverrideVariable, FAKE_TWAIN_DSM_PATH, 1);
        for (const char* name : {"FAKE_TWAIN_FAULT", "FAKE_TWAIN_FAULT_PAGE", "FAKE_TWAIN_PAGES",
                                 "FAKE_TWAIN_SOURCES", "FAKE_TWAIN_LOG"}) {
            ::unsetenv(name);
        }
        documents_ = QString::fromStdString(home_.str()) + QStringLiteral("/Documents");
        output_ = QString::fromStdString(out_.str()) + QStringLiteral("/");
    }
    void TearDown() override {
        window_.reset();
        ::unsetenv(TwainLibrary::kOverrideVariable);
    }

    void store(const char* name, const std::string& value) {
        velmora::SettingsStore(config_.path()).setValue(kSettingsRoot, kSettingsKey, name, value);
    }
    std::optional<std::string> stored(const char* name) {
        return velmora::SettingsStore(config_.path()).getValue(kSettingsRoot, kSettingsKey, name);
    }
    MainWindow& open() {
        MainWindow::StartUp startUp;
        startUp.settingsRoot = config_.path();
        startUp.documentsFolder = documents_;
        startUp.prompter = &prompter_;
        startUp.pageEncoder = encoder_;
        startUp.reveal = [this](const QString& path, bool select) {
            revealed_ << (select ? QStringLiteral("select:") : QStringLiteral("open:")) + path;
            return true;
        };
        window_ = std::make_unique<MainWindow>(std::move(startUp));
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }
    QString text(const char* name) { return child<QLineEdit>(window_.get(), name)->text(); }
    void setText(const char* name, const QString& value) {
        child<QLineEdit>(window_.get(), name)->setText(value);
    }
    void click(const char* name) {
        QTest::mouseClick(child<QPushButton>(window_.get(), name), Qt::LeftButton);
    }
    /// Starts a scan and waits for its end, counting timer ticks meanwhile.
    int scanToTheEnd() {
        int ticks = 0;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
        heartbeat.start(5);
        click("btnStartScan");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window_->scanning(); }, 30000));
        return ticks;
    }
    QString batchRoot() const { return documents_ + QStringLiteral(u"/tarrow/スキャン/"); }
    QStringList outputFiles() const {
        return QDir(output_).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    TempFolder config_, home_, out_;
    QString documents_, output_;
    ScriptedPrompter prompter_;
    PageEncoder encoder_;
    QStringList revealed_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(FenwaryWindowTest, FirstStartShowsTheDefaults) {
    MainWindow& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral(u"Velmora3  スキャンツール"));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(text("edtFolder"), batchRoot());
    EXPECT_TRUE(QDir(batchRoot()).exists());
    EXPECT_EQ(text("edtCounter"), "1");
    EXPECT_EQ(text("edtStep"), "1");
    EXPECT_EQ(text("edtDigits"), "4");
    EXPECT_EQ(text("edtQuality"), "75");
    EXPECT_EQ(child<QComboBox>(&w, "cmbFormat")->currentText(), "JPEG");
    EXPECT_TRUE(child<QCheckBox>(&w, "chkUseCounter")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(&w, "chkPreview")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(&w, "chkClipboard")->isVisible());
    const QString artifacts = QStringLiteral(VELMORA_BINARY_DIR "/artifacts");
    QDir().mkpath(artifacts);
    EXPECT_TRUE(w.grab().save(artifacts + "/fenwary-main.png"));
}

TEST_F(FenwaryWindowTest, FormRulesFormatCounterResetDropAndBrowse) {
    MainWindow& w = open();
    auto* format = child<QComboBox>(&w, "cmbFormat");
    format->setCurrentIndex(1);  // BMP
    EXPECT_FALSE(child<QLineEdit>(&w, "edtQuality")->isVisible());
    EXPECT_FALSE(child<QLabel>(&w, "lblQuality")->isVisible());
    format->setCurrentIndex(0);
    EXPECT_TRUE(child<QLineEdit>(&w, "edtQuality")->isVisible());

    QTest::mouseClick(child<QCheckBox>(&w, "chkUseCounter"), Qt::LeftButton);
    EXPECT_FALSE(child<QLineEdit>(&w, "edtCounter")->isEnabled());

    setText("edtCounter", "77");
    setText("edtPrefix", "x");
    setText("edtFolder", "/kept/");
    format->setCurrentIndex(2);
    click("btnReset");
    EXPECT_EQ(text("edtCounter"), "1");
    EXPECT_EQ(text("edtPrefix"), "");
    EXPECT_EQ(format->currentIndex(), 0);
    EXPECT_TRUE(child<QLineEdit>(&w, "edtCounter")->isEnabled());
    EXPECT_EQ(text("edtFolder"), "/kept/");

    EXPECT_TRUE(dropOn(w.form(), {"/data/scans/x.jpg", "/other"}));
    EXPECT_EQ(text("edtFolder"), "/data/scans/");
    EXPECT_TRUE(dropOn(w.form(), {QString::fromStdString(home_.str())}));
    EXPECT_EQ(text("edtFolder"), QString::fromStdString(home_.str()) + "/");

    prompter_.folder = QString::fromStdString(out_.str());
    click("btnBrowse");
    EXPECT_EQ(prompter_.folderTitles, QStringList{QStringLiteral(u"フォルダを選択してください")});
    EXPECT_EQ(text("edtFolder"), output_);
}

TEST_F(FenwaryWindowTest, InvalidValueStopsScanAndSourceSelection) {
    MainWindow& w = open();
    setText("edtDigits", "0");
    click("btnStartScan");
    click("btnSelectScanner");
    ASSERT_EQ(prompter_.warnings.size(), 2u);
    EXPECT_EQ(prompter_.warnings[0].second,
              QStringLiteral(u"1 から 32 までの整数を入力してください。"));
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(&w, "edtDigits"));
    EXPECT_FALSE(w.scanning());
}

TEST_F(FenwaryWindowTest, FeederOfTheSaneTestDeviceIsSavedWhileTheWindowAnswers) {
    store("folder", output_.toStdString());
    store("source", "sane:test:0");
    store("sane_resolution", "75");
    store("prefix", "sheet");
    MainWindow& w = open();
    const int ticks = scanToTheEnd();
    EXPECT_GT(ticks, 0) << "the event loop ran during the batch";
    const QStringList files = outputFiles();
    ASSERT_EQ(files.size(), 10);
    EXPECT_EQ(files.first(), "sheet0001.jpg");
    EXPECT_EQ(files.last(), "sheet0010.jpg");
    for (const QString& name : files) {
        EXPECT_TRUE(strovik::loadImageFile((output_ + name).toStdString())) << name.toStdString();
    }
    EXPECT_EQ(text("edtCounter"), "11");
    EXPECT_EQ(text("edtOutputFile"), output_ + "sheet0010.jpg");
    EXPECT_EQ(child<QLabel>(&w, "lblResolution")->text(), "75dpi");
    EXPECT_EQ(child<QLabel>(&w, "lblStatus")->text(), QStringLiteral(u"ファイル出力完了"));
    EXPECT_EQ(child<QLabel>(&w, "lblProgress")->text(), QStringLiteral(u"10 ページ保存しました"));
    EXPECT_TRUE(prompter_.warnings.empty());

    click("btnOpenFolder");
    EXPECT_EQ(revealed_, QStringList{"select:" + output_ + "sheet0010.jpg"});
}

TEST_F(FenwaryWindowTest, CancelStopsTheBatchAndKeepsItsPages) {
    store("folder", output_.toStdString());
    store("source", "sane:test:0");
    store("sane_resolution", "300");
    MainWindow& w = open();
    click("btnStartScan");
    ASSERT_TRUE(w.scanning());
    auto* cancel = child<QPushButton>(&w, "btnCancelScan");
    EXPECT_TRUE(cancel->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !outputFiles().isEmpty(); }, 30000));
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.scanning(); }, 30000));
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_GE(outputFiles().size(), 1);
    EXPECT_LT(outputFiles().size(), 10);
    EXPECT_EQ(text("edtCounter"), QString::number(outputFiles().size() + 1));
}

TEST_F(FenwaryWindowTest, MissingOutputFolderIsCreatedOnlyWhenTheUserSaysSo) {
    const QString missing = output_ + "new";
    store("folder", missing.toStdString());
    store("source", "sane:test:0");
    store("sane_feeder", "0");
    MainWindow& w = open();
    click("btnStartScan");  // the scripted answer is No
    EXPECT_EQ(prompter_.questions.size(), 1);
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_FALSE(w.scanning());
    prompter_.answers = {true};
    scanToTheEnd();
    EXPECT_TRUE(QDir(missing).exists());
    EXPECT_EQ(QDir(missing).entryList(QDir::Files), QStringList{"0001.jpg"});
}

TEST_F(FenwaryWindowTest, TwainSourceChosenInTheDialogScansAndReportsAJam) {
    ::setenv("FAKE_TWAIN_SOURCES", "Alpha,Beta", 1);
    ::setenv("FAKE_TWAIN_PAGES", "4", 1);
    ::setenv("FAKE_TWAIN_FAULT", "jam", 1);
    ::setenv("FAKE_TWAIN_FAULT_PAGE", "3", 1);
    store("folder", output_.toStdString());
    MainWindow& w = open();
    prompter_.item = QStringLiteral("Beta");
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(child<QPushButton>(dialog, "btnTwain"), Qt::LeftButton);
    });
    click("btnSelectScanner");
    EXPECT_EQ(prompter_.offered, (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(w.settings().source, "twain:Beta");

    scanToTheEnd();
    EXPECT_EQ(outputFiles(), (QStringList{"0001.jpg", "0002.jpg"}));
    ASSERT_EQ(prompter_.warnings.size(), 1u);
    EXPECT_EQ(prompter_.warnings[0].second, QStringLiteral(u"紙詰まりが発生しました。"));
}

TEST_F(FenwaryWindowTest, ScannerDialogListsTheSaneDevicesAndKeepsTheChoice) {
    MainWindow& w = open();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* list = child<QListWidget>(dialog, "lstDevices");
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->count() == 2; }, 10000));
        list->setCurrentRow(1);
        child<QSpinBox>(dialog, "spnResolution")->setValue(150);
        child<QComboBox>(dialog, "cmbMode")->setCurrentIndex(1);
        child<QCheckBox>(dialog, "chkFeeder")->setChecked(false);
        QTest::mouseClick(child<QPushButton>(dialog, "btnOk"), Qt::LeftButton);
    });
    click("btnSelectScanner");
    EXPECT_EQ(w.settings().source, "sane:test:1");
    EXPECT_EQ(w.settings().saneResolution, 150);
    EXPECT_EQ(w.settings().saneMode, "Gray");
    EXPECT_FALSE(w.settings().saneFeeder);
}

TEST_F(FenwaryWindowTest, PreviewAndClipboardGetThePageAndThePreviewSizeIsStored) {
    store("folder", output_.toStdString());
    store("source", "sane:test:0");
    store("sane_feeder", "0");
    store("preview_rect", "30,40,300,200");
    store("clipboard", "1");
    MainWindow& w = open();
    QApplication::clipboard()->clear();
    QTest::mouseClick(child<QCheckBox>(&w, "chkPreview"), Qt::LeftButton);
    PreviewWindow* preview = w.previewWindow();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    EXPECT_EQ(preview->size(), QSize(300, 200));
    scanToTheEnd();
    ASSERT_FALSE(preview->page().isNull());
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(944, 1181));
    EXPECT_TRUE(QTest::qWaitFor([&] { return preview->windowTitle().startsWith(u"画像"); }, 2000));
    // 80 x 100 mm at 300 dpi, scaled into 300 x 200.
    EXPECT_EQ(preview->windowTitle(), QStringLiteral(u"画像ｻｲｽﾞ=944x1181  ﾌﾟﾚﾋﾞｭｰｻｲｽﾞ=159x200"));

    preview->resize(380, 560);
    preview->close();
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(child<QCheckBox>(&w, "chkPreview")->isChecked());
    click("btnExit");
    EXPECT_EQ(stored("preview_rect"), std::optional<std::string>("0,0,380,560"));
    EXPECT_EQ(stored("preview"), std::optional<std::string>("0"));
}

TEST_F(FenwaryWindowTest, ExitStoresEveryValueWithThePreviewStateOfTheMoment) {
    MainWindow& w = open();
    QTest::mouseClick(child<QCheckBox>(&w, "chkPreview"), Qt::LeftButton);
    setText("edtCounter", "42");
    setText("edtPrefix", QStringLiteral(u"答案"));
    child<QComboBox>(&w, "cmbFormat")->setCurrentIndex(2);
    click("btnExit");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored("preview"), std::optional<std::string>("1"));
    EXPECT_EQ(stored("preview_rect"), std::optional<std::string>("0,0,400,620"));
    EXPECT_EQ(stored("counter"), std::optional<std::string>("42"));
    EXPECT_EQ(stored("prefix"), std::optional<std::string>("答案"));
    EXPECT_EQ(stored("format"), std::optional<std::string>("2"));
    EXPECT_EQ(stored("folder"), std::optional<std::string>(batchRoot().toStdString()));
    EXPECT_EQ(stored("usecounter"), std::optional<std::string>("1"));
}

TEST_F(FenwaryWindowTest, EveryBatchGetsItsOwnFolderUnlessOneWasChosen) {
    ::setenv("FAKE_TWAIN_PAGES", "2", 1);
    store("source", "twain:Fake Feeder");
    MainWindow& w = open();
    ASSERT_TRUE(QDir(documents_ + "/tarrow").removeRecursively());  // made again unasked
    scanToTheEnd();
    scanToTheEnd();
    EXPECT_TRUE(prompter_.questions.isEmpty());
    const QStringList batches = QDir(batchRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(batches.size(), 2) << batches.join(",").toStdString();
    EXPECT_EQ(QDir(batchRoot() + batches[0]).entryList(QDir::Files),
              (QStringList{"0001.jpg", "0002.jpg"}));
    EXPECT_EQ(QDir(batchRoot() + batches[1]).entryList(QDir::Files),
              (QStringList{"0003.jpg", "0004.jpg"}));
    EXPECT_EQ(text("edtFolder"), batchRoot()) << "the next batch gets a new folder too";
    EXPECT_TRUE(text("edtOutputFile").startsWith(batchRoot() + batches.last()));

    setText("edtFolder", output_);
    scanToTheEnd();
    EXPECT_EQ(outputFiles(), (QStringList{"0005.jpg", "0006.jpg"}));
    EXPECT_EQ(QDir(batchRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
    EXPECT_FALSE(w.scanning());
}

TEST_F(FenwaryWindowTest, PageThatCannotBeWrittenIsOfferedForAnotherFolder) {
    ::setenv("FAKE_TWAIN_PAGES", "4", 1);
    store("source", "twain:Fake Feeder");
    store("folder", output_.toStdString());
    int encodes = 0;
    encoder_ = [&encodes](const std::string& path, const strovik::Raster& pixels,
                          const PageWriteOptions& options, WriteFailure& failure) {
        if (++encodes == 2) {
            failure.errorNumber = ENOSPC;
            return false;
        }
        return encodePage(path, pixels, options, failure);
    };
    MainWindow& w = open();
    TempFolder elsewhere;
    prompter_.answers = {true};
    prompter_.folder = QString::fromStdString(elsewhere.str());
    scanToTheEnd();
    EXPECT_EQ(outputFiles(), QStringList{"0001.jpg"});
    EXPECT_EQ(elsewhere.fileNames(), std::vector<std::string>{"0002.jpg"});
    ASSERT_EQ(prompter_.warnings.size(), 1u);
    EXPECT_TRUE(prompter_.warnings[0].second.contains(
        output_ + "0002.jpg\n" + QStringLiteral(u"ディスクの空き容量が不足しています")))
        << prompter_.warnings[0].second.toStdString();
    EXPECT_EQ(prompter_.questions.size(), 1) << "offered once, then saved";
    EXPECT_EQ(text("edtCounter"), "2") << "the next page takes the name that failed";
    EXPECT_FALSE(w.scanning());
}

TEST_F(FenwaryWindowTest, TerminationSignalEndsTheBatchAndStoresTheCounter) {
    ::setenv("FAKE_TWAIN_PAGES", "8", 1);
    store("source", "twain:Fake Feeder");
    store("folder", output_.toStdString());
    MainWindow& w = open();
    int pages = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        pages = int(outputFiles().size());
        if (pages >= 3) {
            watch.stop();
            w.exitOnSignal();
        }
    });
    watch.start(0);
    click("btnStartScan");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 30000));
    const int saved = int(outputFiles().size());
    EXPECT_GE(saved, 3);
    EXPECT_LT(saved, 8) << "the feeder stopped";
    EXPECT_EQ(stored("counter"), std::optional<std::string>(std::to_string(saved + 1)));
    EXPECT_TRUE(prompter_.questions.isEmpty()) << "nobody is asked during a logout";
}

}  // namespace
}  // namespace fenwary
