#include "reader/ui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>

#include "common/qt/engine_help.h"
#include "common/qt/file_filters.h"
#include "reader/core/app_settings.h"
#include "reader/core/csv_opener.h"
#include "reader/core/input_list.h"
#include "reader/core/main_window_layout.h"
#include "reader/core/pdf_conversion.h"
#include "reader/core/save_results.h"
#include "reader/core/session_engine.h"
#include "reader/ui/qt_prompter.h"
#include "reader/ui/result_window.h"
#include "reader/ui/settings_dialog.h"
#include "reader/ui/support_page.h"
#include "reader/ui/version_dialog.h"
#include "reader/ui/window_feedback.h"

namespace tarrow {
namespace {

const QString kDataFolderName = QStringLiteral("velmora");

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) button->setToolTip(tip);
    return button;
}

QStringList localPaths(const QMimeData* mime) {
    QStringList paths;
    if (!mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    return paths;
}

bool isDragEvent(QEvent::Type type) {
    return type == QEvent::DragEnter || type == QEvent::DragMove;
}

}  // namespace

const QString MainForm::kSourceFilter =
    QStringLiteral("スキャン画像ファイル (*.jpg;*.bmp;*.gif)|") + velmora::kImageFilePatterns;
const QString MainForm::kSourceTitle =
    QStringLiteral("スキャン画像ファイルを選択してください (複数選択可)");
const QString MainForm::kIniFilter = QStringLiteral("マーク情報ファイル (*.ini)|*.ini");
const QString MainForm::kIniTitle = QStringLiteral("マーク情報ファイルを選択してください");
const QString MainForm::kPdfFilter =
    QStringLiteral("PDF・TIFFファイル (*.pdf;*.tif;*.tiff)|*.pdf;*.tif;*.tiff");
const QString MainForm::kPdfTitle = QStringLiteral("PDFファイルを選択してください (複数選択可)");
const QString MainForm::kPdfFolderTitle =
    QStringLiteral("JPEG画像を出力するフォルダを選択してください。");

MainForm::MainForm(QWidget* parent) : MainForm(StartUp{}, parent) {}

MainForm::MainForm(StartUp startUp, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    dialogs_ = std::make_unique<QtPrompter>(this);
    prompter_ = startUp.prompter != nullptr ? startUp.prompter : dialogs_.get();
    chooseFiles_ = [this](const QString& title, const QString& filter) {
        QFileDialog dialog(this, title, QString(), QtPrompter::qtFilter(filter));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() != QDialog::Accepted) return QStringList();
        return dialog.selectedFiles();
    };
    buildControls();
    WindowFeedback::Targets shown{msgLabel_, lblDpi_,
                                  [this](bool running) { setRunningState(running); },
                                  [this](int current, int total) { setProgress(current, total); }};
    feedback_ = std::make_unique<WindowFeedback>(std::move(shown), startUp.feedback);
    buildMenus();
    connectControls();
    this->startUp(startUp);
}

MainForm::~MainForm() {
    // The other windows borrow the context and the prompter, which go before
    // the base class deletes its children: delete those windows first.
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow()) delete child;
    }
}

// ---- Construction ----------------------------------------------------------

void MainForm::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    buildSourceFrame(central);
    buildControlFrame(central);

    msgLabel_ = new QLabel(central);
    msgLabel_->setObjectName(QStringLiteral("MsgLabel"));
    lblDpi_ = new QLabel(central);
    lblDpi_->setObjectName(QStringLiteral("lblDPI"));
    progress_ = new QProgressBar(central);
    progress_->setObjectName(QStringLiteral("progressBar"));
    progress_->setTextVisible(false);
    progress_->hide();
}

void MainForm::buildSourceFrame(QWidget* central) {
    frameSrc_ = new QGroupBox(central);
    frameSrc_->setObjectName(QStringLiteral("frameSrc"));
    lblSource_ = new QLabel(
        QStringLiteral("スキャン画像ファイル ( .jpg 他 ) 　ﾄﾞﾗｯｸﾞ＆ﾄﾞﾛｯﾌﾟまたは右の「参照」で"
                       "指定して下さい（複数指定可）"),
        frameSrc_);
    lblSource_->setObjectName(QStringLiteral("lblSource"));
    lblSource_->setWordWrap(true);
    txtSource_ = new QPlainTextEdit(frameSrc_);
    txtSource_->setObjectName(QStringLiteral("txtSource"));
    txtSource_->setToolTip(
        QStringLiteral("スキャン画像ファイル (複数ファイルまたはフォルダーを指定可能)"));
    txtSource_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSource_->viewport()->installEventFilter(this);
    cmdOpen_ = makeButton(frameSrc_, "cmdOpen", QStringLiteral("参照..."),
                          QStringLiteral("ファイルダイアログ"));
    btnClear_ =
        makeButton(frameSrc_, "btnClear", QStringLiteral("クリア"), QStringLiteral("クリア"));
    btnPdf_ = makeButton(frameSrc_, "btnPDF", QStringLiteral("PDF→JPG"),
                         QStringLiteral("PDFをJPEG画像に変換して入力する"));
}

void MainForm::buildControlFrame(QWidget* central) {
    frameControl_ = new QGroupBox(central);
    frameControl_->setObjectName(QStringLiteral("frameControl"));
    lblIniFile_ = new QLabel(QStringLiteral("マーク情報ファイル ( .ini )"), frameControl_);
    lblIniFile_->setObjectName(QStringLiteral("lblIniFile"));
    txtIniFile_ = new QLineEdit(frameControl_);
    txtIniFile_->setObjectName(QStringLiteral("txtIniFile"));
    txtIniFile_->setToolTip(QStringLiteral("Dravelで作成したマーク情報ファイル"));
    txtIniFile_->installEventFilter(this);
    cmdOpenIni_ = makeButton(frameControl_, "cmdOpenIni", QStringLiteral("参照..."),
                             QStringLiteral("ファイルダイアログ"));
    chkDebug_ = new QCheckBox(QStringLiteral("ﾃﾞﾊﾞｯｸﾞ画像出力"), frameControl_);
    chkDebug_->setObjectName(QStringLiteral("chkDebug"));
    chkDebug_->setToolTip(QStringLiteral("デバッグ画像ファイルを出力"));
    cmdConvert_ = makeButton(frameControl_, "cmdConvert", QStringLiteral("処理開始"), QString());
    cmdStop_ = makeButton(frameControl_, "cmdStop", QStringLiteral("処理中止"), QString());
}

void MainForm::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    auto add = [this](QMenu* menu, const char* name, const QString& text, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
    };
    add(file, "mnuCSV", QStringLiteral("読取値CSVを開く(&O)"), &MainForm::openReadValuesCsv);
    add(file, "mnuAnalysis", QStringLiteral("分析(&A)..."), [this] {
        if (resultWindow_) resultWindow_->showAnalysis();
    });
    file->addSeparator();
    add(file, "mnuSettings", QStringLiteral("各種設定(&S)"), &MainForm::showSettings);
    file->addSeparator();
    add(file, "mnuQuit", QStringLiteral("終了(&Q)"), &MainForm::close);
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    add(help, "mnuSupport", QStringLiteral("サポート(&S)"), &MainForm::openSupport);
    help->addSeparator();
    add(help, "mnuAbout", QStringLiteral("バージョン(&A)"), &MainForm::showVersion);
}

void MainForm::connectControls() {
    connect(cmdOpen_, &QPushButton::clicked, this, &MainForm::openSourceFiles);
    connect(btnClear_, &QPushButton::clicked, txtSource_, &QPlainTextEdit::clear);
    connect(btnPdf_, &QPushButton::clicked, this, &MainForm::convertPdfs);
    connect(cmdOpenIni_, &QPushButton::clicked, this, &MainForm::openIniFile);
    connect(cmdConvert_, &QPushButton::clicked, this, &MainForm::startRun);
    connect(cmdStop_, &QPushButton::clicked, this, &MainForm::stopRun);
    connect(txtIniFile_, &QLineEdit::textChanged, this,
            [this](const QString& text) { context_.settings.iniFile = text; });
}

void MainForm::startUp(StartUp& startUp) {
    setRunningState(false);
    msgLabel_->clear();
    lblDpi_->clear();
    setWindowTitle(kApplicationTitle);
    context_.table.setSaved(true);

    const QString documents =
        startUp.documentsFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : startUp.documentsFolder;
    context_.dataFolder = QDir(documents).filePath(kDataFolderName);
    QDir().mkpath(context_.dataFolder);

    settingsBackend_ = startUp.settingsBackend ? std::move(startUp.settingsBackend)
                                               : std::make_unique<RegistrySettingsBackend>();
    context_.settings = loadAllSettings(*settingsBackend_);
    txtIniFile_->setText(context_.settings.iniFile);

    QString error;
    if (startUp.createEngine) {
        context_.engine = startUp.createEngine(&error);
    } else {
        context_.engine = EngineClient::create(&error);
        workerEngine_ = [] { return std::make_unique<SessionEngine>(); };
    }
    if (startUp.workerEngine) workerEngine_ = startUp.workerEngine;
    workers_ = startUp.workers;
    if (!context_.engine) {
        context_.engineError = error;
        // Shown once the window is up; the program goes on without an engine.
        QTimer::singleShot(0, this, [this] { ensureEngine(); });
    }
    recordVersion(*settingsBackend_);

    applicationFolder_ = startUp.applicationFolder.isEmpty()
                             ? QCoreApplication::applicationDirPath()
                             : startUp.applicationFolder;
    createWindows();

    applyInitialSize();
}

void MainForm::createWindows() {
    // The result window brings its own image viewer and rename window.
    resultWindow_ = new ResultWindow(context_, *prompter_, *feedback_, this);
    resultWindow_->setSettingsBackend(settingsBackend_.get());
}

// ---- Input list and definition ------------------------------------------------

void MainForm::appendToInputList(const QStringList& entries) {
    if (entries.isEmpty()) return;
    QTextCursor cursor = txtSource_->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(inputListLines(entries));
    txtSource_->setTextCursor(cursor);
}

void MainForm::openSourceFiles() {
    const QStringList chosen = chooseFiles_(kSourceTitle, kSourceFilter);
    appendToInputList(focusedFirstToEnd(chosen));
}

void MainForm::openIniFile() {
    const QString path = prompter_->chooseOpenFile(kIniTitle, kIniFilter);
    if (!path.isEmpty()) txtIniFile_->setText(path);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    const bool onSource = watched == txtSource_->viewport();
    const bool onIni = watched == txtIniFile_;
    if (!onSource && !onIni) return QMainWindow::eventFilter(watched, event);
    if (isDragEvent(event->type())) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QMimeData* mime = drag->mimeData();
        if (mime->hasUrls() || mime->hasText()) {
            drag->acceptProposedAction();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        return onSource ? sourceDrop(drop) : iniDrop(drop);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainForm::sourceDrop(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    const QStringList paths = localPaths(mime);
    QString text;
    if (!paths.isEmpty()) {
        text = inputListLines(expandDroppedPaths(paths));
    } else if (mime->hasText()) {
        text = mime->text() + u'\n';
    } else {
        return false;
    }
    QTextCursor cursor = txtSource_->textCursor();
    cursor.insertText(text);
    txtSource_->setTextCursor(cursor);
    event->acceptProposedAction();
    return true;
}

bool MainForm::iniDrop(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    txtIniFile_->setText(
        droppedDefinition(txtIniFile_->text(), localPaths(mime), mime->text(), mime->hasText()));
    event->acceptProposedAction();
    return true;
}

void MainForm::convertPdfs() {
    const QStringList pdfs = chooseFiles_(kPdfTitle, kPdfFilter);
    if (pdfs.isEmpty()) return;
    const QString folder = prompter_->chooseFolder(FolderId::PdfOutput, kPdfFolderTitle);
    if (folder.isEmpty()) return;
    PdfConversion conversion(findPdfTools(applicationFolder_), *feedback_);
    appendToInputList(conversion.convert(pdfs, folder).images);
}

// ---- Batch run -------------------------------------------------------------

BatchInputs MainForm::currentInputs() const {
    BatchInputs inputs;
    inputs.inputList = inputListWithCrLf(txtSource_->toPlainText());
    inputs.definitionPath = txtIniFile_->text();
    inputs.debugImages = chkDebug_->isChecked();
    return inputs;
}

bool MainForm::ensureEngine() {
    if (context_.engine) return true;
    prompter_->message(velmora::engineUnavailableMessage(applicationFolder_, context_.engineError),
                       Prompter::Icon::Warning);
    return false;
}

std::unique_ptr<SheetSource> MainForm::readingSource() {
    if (!workerEngine_) return std::make_unique<EngineSource>(*context_.engine);
    // While the run waits for a worker, the window stays live (stop button).
    return std::make_unique<WorkerSource>(workerEngine_, workers_,
                                          [this] { feedback_->processEvents(); });
}

void MainForm::startRun() {
    if (run_ != nullptr || !ensureEngine()) return;
    // Asked while the result window is still up: "No" leaves it as it was.
    if (!mayStartNewRun(context_.table, *prompter_)) return;
    const bool wasShown = resultWindow_->isVisible();
    resultWindow_->prepareForRun();
    const std::unique_ptr<SheetSource> source = readingSource();
    BatchRun run(*source, *prompter_, *feedback_, context_.table, context_.settings);
    run_ = &run;
    BatchInputs inputs = currentInputs();
    inputs.replaceAgreed = true;
    const BatchResult result = run.run(inputs, false);
    run_ = nullptr;
    progress_->hide();
    if (result.outcome == BatchOutcome::Completed) {
        resultWindow_->showResults();
        resultWindow_->showRunSummary();
    } else if (result.outcome == BatchOutcome::Rejected && wasShown) {
        // A refused run changed nothing: the table comes back as it was.
        resultWindow_->showAgain();
    }
    if (closeAfterRun_) QTimer::singleShot(0, this, &MainForm::close);
}

void MainForm::stopRun() {
    if (run_ != nullptr) run_->requestStop();
}

void MainForm::setRunningState(bool running) {
    cmdConvert_->setEnabled(!running);
    cmdStop_->setEnabled(running);
    if (running) {
        progress_->setValue(0);
        progress_->show();
    } else {
        progress_->hide();
    }
}

void MainForm::setProgress(int current, int total) {
    progress_->setRange(0, std::max(total, 1));
    progress_->setValue(std::clamp(current, 0, std::max(total, 1)));
    if (run_ != nullptr) progress_->show();
}

void MainForm::openReadValuesCsv() {
    if (run_ != nullptr || !ensureEngine()) return;
    const bool wasShown = resultWindow_->isVisible();
    resultWindow_->prepareForRun();
    const std::unique_ptr<SheetSource> source = readingSource();
    BatchRun run(*source, *prompter_, *feedback_, context_.table, context_.settings);
    run_ = &run;
    const CsvOpenResult result = openReadValues(
        {run, *prompter_, *feedback_, context_.table, context_.settings}, currentInputs());
    run_ = nullptr;
    progress_->hide();
    const bool reread = result.outcome == CsvOpenOutcome::Reread && result.run &&
                        result.run->outcome == BatchOutcome::Completed;
    const bool untouched = result.outcome == CsvOpenOutcome::Rejected ||
                           result.outcome == CsvOpenOutcome::Cancelled ||
                           result.outcome == CsvOpenOutcome::NotLoaded;
    if (result.outcome == CsvOpenOutcome::Loaded || reread || (untouched && wasShown)) {
        resultWindow_->showResults();
    }
    if (closeAfterRun_) QTimer::singleShot(0, this, &MainForm::close);
}

// ---- Menus -----------------------------------------------------------------

void MainForm::showSettings() {
    if (settingsDialog_ == nullptr) {
        settingsDialog_ = new SettingsDialog(context_.settings, this);
        settingsDialog_->setReviewOptionsChanged([this] { resultWindow_->reviewOptionsChanged(); });
    }
    settingsDialog_->refreshControls();
    settingsDialog_->show();
    settingsDialog_->raise();
    settingsDialog_->activateWindow();
}

void MainForm::showVersion() {
    (new VersionDialog(this))->show();
}

void MainForm::openSupport() {
    openSupportPage(*prompter_);
}

// ---- Shut-down -------------------------------------------------------------

void MainForm::closeEvent(QCloseEvent* event) {
    if (run_ != nullptr) {
        // The run ends at the next image; the window closes after it.
        closeAfterRun_ = true;
        run_->requestStop();
        event->ignore();
        return;
    }
    closeAfterRun_ = false;
    if (!mayDiscard(context_.table, *prompter_)) {
        event->ignore();
        return;
    }
    saveApplicationSettings(*settingsBackend_, context_.settings);
    resultWindow_->hideImageViewer();
    resultWindow_->hide();
    for (QWidget* window : findChildren<QWidget*>()) {
        if (window->isWindow()) window->hide();
    }
    event->accept();
}

}  // namespace tarrow
