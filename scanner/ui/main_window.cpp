#include "scanner/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "common/qt/desktop_open.h"
#include "scanner/core/batch_folder.h"
#include "scanner/core/qt_event_driver.h"
#include "scanner/core/sane_scanner.h"
#include "scanner/core/twain_session.h"
#include "scanner/ui/file_manager.h"
#include "scanner/ui/preview_window.h"
#include "scanner/ui/prompter.h"
#include "scanner/ui/scan_form.h"
#include "scanner/ui/source_dialog.h"
#include "scanner/ui/version_dialog.h"

namespace fenwary {

namespace {

const QString kCreateFolderQuestion =
    QStringLiteral(u"指定された出力フォルダが存在しません。フォルダを作成して処理を継続しますか？");
const QString kCannotCreateFolder = QStringLiteral(u"出力フォルダを作成できません。");
const QString kClipboardFailed = QStringLiteral(
    u"クリップボードにコピーできません。より小さな出力画像サイズを選択してください。");
const QString kFolderTitle = QStringLiteral(u"フォルダを選択してください");
const QString kUnsavedPages =
    QStringLiteral(u"%1 ページが保存されていません。別のフォルダに保存しますか？");
const QString kReplaceQuestion = QStringLiteral(
    u"同じ名前のファイルがあります。\n%"
    u"1\nこのスキャンでは前置ファイル名のファイルを置き換えますか？");
const QString kBatchFolderStatus = QStringLiteral(u"保存先: %1");
constexpr int kExitWaitMilliseconds = 30000;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

bool revealOnDesktop(const QString& path, bool select) {
    if (select) return showFileSelected(path);
    return QFileInfo(path).isDir() && openFolder(path);
}

QAction* action(QObject* parent, const QString& label, const char* name) {
    auto* a = new QAction(label, parent);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(StartUp{}, parent) {}

MainWindow::MainWindow(StartUp startUp, QWidget* parent)
    : QMainWindow(parent),
      store_(startUp.settingsRoot.empty() ? velmora::SettingsStore()
                                          : velmora::SettingsStore(startUp.settingsRoot)),
      documentsFolder_(startUp.documentsFolder),
      prompter_(startUp.prompter),
      reveal_(startUp.reveal ? startUp.reveal : revealOnDesktop) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(kProgramTitle);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    if (prompter_ == nullptr) {
        ownPrompter_ = std::make_unique<QtPrompter>(this);
        prompter_ = ownPrompter_.get();
    }
    driver_ = new QtEventDriver(this);
    sane_ =
        startUp.createSane ? startUp.createSane(*driver_) : std::make_unique<SaneScanner>(*driver_);
    twain_ = startUp.createTwain ? startUp.createTwain(*driver_)
                                 : std::make_unique<TwainSession>(*driver_);
    runner_ = std::make_unique<BatchRunner>(
        *sane_, twain_.get(),
        PageSaver(localTimeNow, startUp.pageEncoder ? startUp.pageEncoder : encodePage));

    form_ = new ScanForm(this);
    setCentralWidget(form_);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    connectForm();
    layout()->setSizeConstraint(QLayout::SetFixedSize);  // no sizing border
    initialUpdate();
}

MainWindow::~MainWindow() {
    // A batch still running ends here without a word to the user.
    destroying_ = true;
    if (twain_) twain_->shutdown();
    if (sane_) sane_->shutdown();
    runner_.reset();
    if (sane_ && sane_->workerAbandoned()) {
        // A driver call never returned: its worker may still use the
        // backend until the program ends, so the backend is never destroyed.
        static std::vector<std::unique_ptr<Acquisition>> leftBehind;
        leftBehind.push_back(std::move(sane_));
    }
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral(u"ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    actSelectSource_ = action(this, QStringLiteral(u"スキャナ選択... (&S)"), "actSelectSource");
    actStartScan_ = action(this, QStringLiteral(u"スキャン開始... (&T)"), "actStartScan");
    QAction* exit = action(this, QStringLiteral(u"終了(&X)"), "actExit");
    file->addAction(actSelectSource_);
    file->addAction(actStartScan_);
    file->addSeparator();
    file->addAction(exit);
    connect(actSelectSource_, &QAction::triggered, this, &MainWindow::selectSource);
    connect(actStartScan_, &QAction::triggered, this, &MainWindow::startScan);
    connect(exit, &QAction::triggered, this, &MainWindow::exitProgram);

    QMenu* edit = menuBar()->addMenu(QStringLiteral(u"編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undo = edit->addAction(QStringLiteral(u"元に戻す(&U)\tCtrl+Z"));
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setEnabled(false);
    edit->addSeparator();
    actCut_ = action(this, QStringLiteral(u"切り取り(&T)\tCtrl+X"), "actCut");
    actCopy_ = action(this, QStringLiteral(u"ｺﾋﾟｰ(&C)\tCtrl+C"), "actCopy");
    actPaste_ = action(this, QStringLiteral(u"貼り付け(&P)\tCtrl+V"), "actPaste");
    edit->addActions({actCut_, actCopy_, actPaste_});
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::updateEditActions);
    connect(actCut_, &QAction::triggered, this, [this] {
        if (editTarget_) editTarget_->cut();
    });
    connect(actCopy_, &QAction::triggered, this, [this] {
        if (editTarget_) editTarget_->copy();
    });
    connect(actPaste_, &QAction::triggered, this, [this] {
        if (editTarget_) editTarget_->paste();
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral(u"表示(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    QAction* toolBarToggle = view->addAction(QStringLiteral(u"ツール バー(&T)"));
    toolBarToggle->setObjectName(QStringLiteral("actToolBar"));
    QAction* statusToggle = view->addAction(QStringLiteral(u"ステータス バー(&S)"));
    statusToggle->setObjectName(QStringLiteral("actStatusBar"));
    for (QAction* toggle : {toolBarToggle, statusToggle}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    connect(toolBarToggle, &QAction::toggled, this, [this](bool on) { toolBar_->setVisible(on); });
    connect(statusToggle, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });

    QMenu* help = menuBar()->addMenu(QStringLiteral(u"ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* version = action(this, QStringLiteral(u"バージョン(&A)"), "actVersion");
    help->addAction(version);
    connect(version, &QAction::triggered, this, &MainWindow::showVersion);

    actCancelScan_ = action(this, QStringLiteral(u"中止"), "actCancelScan");
    actCancelScan_->setShortcut(Qt::Key_Escape);
    actCancelScan_->setEnabled(false);
    addAction(actCancelScan_);
    connect(actCancelScan_, &QAction::triggered, this, &MainWindow::cancelScan);
}

void MainWindow::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral(u"ツール バー"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    actSelectSource_->setIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    actStartScan_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    toolBar_->addAction(actSelectSource_);
    toolBar_->addAction(actStartScan_);
}

void MainWindow::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblProgress_ = new QLabel(this);
    lblProgress_->setObjectName(QStringLiteral("lblProgress"));
    btnCancelScan_ = new QPushButton(QStringLiteral(u"中止"), this);
    btnCancelScan_->setObjectName(QStringLiteral("btnCancelScan"));
    btnCancelScan_->setToolTip(QStringLiteral(u"スキャンを中止する (Esc)"));
    btnCancelScan_->setVisible(false);
    statusBar()->addWidget(lblStatus_, 1);
    statusBar()->addPermanentWidget(lblProgress_);
    statusBar()->addPermanentWidget(btnCancelScan_);
    connect(btnCancelScan_, &QPushButton::clicked, this, &MainWindow::cancelScan);
}

void MainWindow::connectForm() {
    connect(form_, &ScanForm::browseClicked, this, &MainWindow::browseFolder);
    connect(form_, &ScanForm::resetClicked, this, &MainWindow::resetSettings);
    connect(form_, &ScanForm::openFolderClicked, this, &MainWindow::revealOutput);
    connect(form_, &ScanForm::selectSourceClicked, this, &MainWindow::selectSource);
    connect(form_, &ScanForm::startScanClicked, this, &MainWindow::startScan);
    connect(form_, &ScanForm::exitClicked, this, &MainWindow::exitProgram);
    connect(form_, &ScanForm::previewToggled, this, &MainWindow::showPreview);
    connect(form_, &ScanForm::folderDropped, this,
            [this](const QString& folder) { form_->setFolder(folder); });
}

void MainWindow::initialUpdate() {
    if (documentsFolder_.isEmpty()) {
        documentsFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    settings_ = loadSettings(store_, documentsFolder_.toStdString());
    form_->showSettings(settings_);
    form_->setResolutionText(QString());
    if (settings_.preview) showPreview(true);
}

// ---- Form values ----

bool MainWindow::validateForm() {
    const auto problem = readForm(form_->texts(), settings_);
    if (!problem) return true;
    prompter_->warn(text(problem->message), kProgramTitle);
    form_->focusField(problem->field);
    return false;
}

void MainWindow::readFormQuietly(ScanSettings& settings) const {
    readForm(form_->texts(), settings);
}

void MainWindow::browseFolder() {
    const QString chosen = prompter_->chooseFolder(kFolderTitle, text(settings_.folder));
    if (!chosen.isEmpty()) form_->setFolder(velmora::folderWithSeparator(chosen));
}

void MainWindow::resetSettings() {
    readFormQuietly(settings_);
    settings_.resetOutputOptions();
    form_->showSettings(settings_);
}

// ---- Scanning ----

bool MainWindow::ensureOutputFolder() {
    const QString folder = text(settings_.folder);
    if (QFileInfo(folder).isDir()) return true;
    // The batch root is the program's own: made with the batch's folder.
    if (isBatchRootFolder(settings_.folder, documentsFolder_.toStdString())) return true;
    if (!prompter_->askYesNo(kCreateFolderQuestion, kErrorCaption)) return false;
    if (QDir().mkdir(folder)) return true;
    prompter_->warn(kCannotCreateFolder + QStringLiteral("\n") + folder, kErrorCaption);
    return false;
}

bool MainWindow::chooseSource() {
    SourceDialog dialog(*sane_, twain_.get(), *prompter_, settings_, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.applyTo(settings_);
    return settings_.sourceChoice().kind != SourceKind::None;
}

void MainWindow::selectSource() {
    if (scanning() || !validateForm()) return;
    chooseSource();
}

void MainWindow::startScan() {
    if (scanning() || !validateForm() || !ensureOutputFolder()) return;
    if (settings_.sourceChoice().kind == SourceKind::None && !chooseSource()) return;
    ScanSettings batch = settings_;
    batchFolder_.clear();
    if (isBatchRootFolder(settings_.folder, documentsFolder_.toStdString())) {
        // No folder chosen: this batch gets one of its own.
        std::string error;
        batchFolder_ = createBatchFolder(settings_.folder, localTimeNow(), &error);
        if (batchFolder_.empty()) {
            prompter_->warn(kCannotCreateFolder + QStringLiteral("\n") + text(error),
                            kErrorCaption);
            return;
        }
        batch.folder = batchFolder_;
        setStatus(kBatchFolderStatus.arg(text(batchFolder_)));
    }
    BatchRunner::Host host;
    host.readForm = [this](ScanSettings& s) {
        readFormQuietly(s);
        if (!batchFolder_.empty() && isBatchRootFolder(s.folder, documentsFolder_.toStdString())) {
            s.folder = batchFolder_;
        }
    };
    host.writing = [this](const std::string& path) { pageWriting(path); };
    host.saved = [this](const SaveOutcome& outcome, const ScanSettings& s, ScannedPage& page) {
        pageSaved(outcome, s, page);
    };
    host.finished = [this](const BatchSummary& summary) { batchFinished(summary); };
    host.confirmReplace = [this](const std::string& path) { return confirmReplace(path); };
    host.store = &store_;
    batchPages_ = 0;
    if (runner_->start(batch, std::move(host))) setScanning(true);
}

bool MainWindow::confirmReplace(const std::string& path) {
    if (quietExit_) return false;
    return prompter_->askYesNo(kReplaceQuestion.arg(text(path)), kProgramTitle);
}

void MainWindow::cancelScan() {
    if (!scanning()) return;
    runner_->cancel();
    lblProgress_->setText(QStringLiteral(u"中止しています..."));
}

void MainWindow::pageWriting(const std::string& path) {
    form_->setLastOutputFile(text(path));
    setStatus(text(kStatusWriting));
    lblStatus_->repaint();
}

void MainWindow::pageSaved(const SaveOutcome& outcome, const ScanSettings& s, ScannedPage& page) {
    settings_.counter = s.counter;
    form_->setCounter(s.counter);
    form_->setLastOutputFile(text(outcome.path));
    if (outcome.written()) form_->setResolutionText(text(outcome.resolutionText));
    setStatus(text(outcome.status));
    if (outcome.written()) {
        lblProgress_->setText(QStringLiteral(u"スキャン中: %1 ページ").arg(++batchPages_));
    }
    lastPage_ = std::make_shared<strovik::Raster>(std::move(page.pixels));
    previewStale_ = true;
    if (preview_ != nullptr && preview_->isVisible()) updatePreview();
    if (s.clipboard) {
        const QImage image = imageOfPage(*lastPage_);
        if (image.isNull()) {
            prompter_->warn(kClipboardFailed, kErrorCaption);
        } else {
            QApplication::clipboard()->setImage(image);
        }
    }
}

void MainWindow::batchFinished(const BatchSummary& summary) {
    if (destroying_) return;
    setScanning(false);
    lblProgress_->setText(QStringLiteral(u"%1 ページ保存しました").arg(summary.pagesSaved));
    if (!summary.problems.empty() && !quietExit_) {
        QStringList messages;
        for (const std::string& problem : summary.problems) messages << text(problem);
        prompter_->warn(messages.join(QStringLiteral("\n\n")), kProgramTitle);
    }
    if (!exiting_) offerUnsavedPages();
}

bool MainWindow::offerUnsavedPages() {
    while (!runner_->unsavedPages().empty()) {
        const auto count = qsizetype(runner_->unsavedPages().size());
        if (!prompter_->offerSaveElsewhere(kUnsavedPages.arg(count), kProgramTitle)) return false;
        const QString folder = prompter_->chooseFolder(kFolderTitle, documentsFolder_);
        if (folder.isEmpty()) return false;
        const RescueResult rescue = runner_->saveUnsavedTo(folder.toStdString());
        if (!rescue.savedPaths.empty()) form_->setLastOutputFile(text(rescue.savedPaths.back()));
        if (!rescue.problem.empty()) prompter_->warn(text(rescue.problem), kProgramTitle);
    }
    return true;
}

void MainWindow::rescueUnsavedPagesQuietly() {
    if (runner_->unsavedPages().empty()) return;
    const std::string folder =
        createBatchFolder(batchRootFolder(documentsFolder_.toStdString()), localTimeNow());
    if (!folder.empty()) runner_->saveUnsavedTo(folder);
}

void MainWindow::setScanning(bool scanning) {
    form_->setScanning(scanning);
    actSelectSource_->setEnabled(!scanning);
    actStartScan_->setEnabled(!scanning);
    actCancelScan_->setEnabled(scanning);
    btnCancelScan_->setVisible(scanning);
    if (scanning) lblProgress_->setText(QStringLiteral(u"スキャン中: 0 ページ"));
}

void MainWindow::setStatus(const QString& status) {
    lblStatus_->setText(status);
}

// ---- Preview, file manager, version ----

void MainWindow::showPreview(bool show) {
    if (!show) {
        if (preview_ != nullptr) preview_->hide();
        return;
    }
    if (preview_ == nullptr) {
        preview_ = new PreviewWindow(this);
        preview_->placeAt(settings_.previewRectangle());
        connect(preview_, &PreviewWindow::closedByUser, this, &MainWindow::previewClosed);
    }
    updatePreview();
    preview_->show();
    raise();
    activateWindow();
}

void MainWindow::updatePreview() {
    if (!previewStale_ || !lastPage_) return;
    preview_->setPage(imageOfPage(*lastPage_));
    previewStale_ = false;
}

void MainWindow::previewClosed(const PreviewRect& client) {
    settings_.previewRect = client.text();
    form_->setPreviewChecked(false);
}

void MainWindow::revealOutput() {
    const QString file = form_->lastOutputFile();
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        if (reveal_(file, true) || reveal_(QFileInfo(file).absolutePath(), false)) return;
        prompter_->warn(velmora::kNoAssociation, kProgramTitle);
        return;
    }
    const QString folder = text(form_->texts().folder);
    if (!QFileInfo(folder).isDir()) {
        prompter_->warn(velmora::kPathNotFound, kProgramTitle);
    } else if (!reveal_(folder, false)) {
        prompter_->warn(velmora::kNoAssociation, kProgramTitle);
    }
}

void MainWindow::showVersion() {
    VersionDialog dialog(this);
    dialog.exec();
}

void MainWindow::updateEditActions() {
    editTarget_ = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const bool selected = editTarget_ != nullptr && editTarget_->hasSelectedText();
    const bool writable = editTarget_ != nullptr && !editTarget_->isReadOnly();
    actCut_->setEnabled(selected && writable);
    actCopy_->setEnabled(selected);
    actPaste_->setEnabled(writable && !QApplication::clipboard()->text().isEmpty());
}

// ---- Exit ----

void MainWindow::exitProgram() {
    if (exiting_) return;
    exiting_ = true;
    if (scanning()) {
        // Pages already scanned are saved before the program goes.
        runner_->cancel();
        QElapsedTimer waited;
        waited.start();
        while (scanning() && waited.elapsed() < kExitWaitMilliseconds) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
    }
    if (quietExit_) {
        rescueUnsavedPagesQuietly();
    } else {
        offerUnsavedPages();
    }
    ScanSettings previewState = settings_;
    previewState.preview = form_->texts().preview;
    storeSetting(store_, previewState, SettingId::Preview);
    if (preview_ != nullptr) preview_->close();
    twain_->shutdown();
    readFormQuietly(settings_);
    storeSettings(store_, settings_);
    close();
}

void MainWindow::exitOnSignal() {
    quietExit_ = true;
    exitProgram();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    exitProgram();
    event->accept();
}

}  // namespace fenwary
