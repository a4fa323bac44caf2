// The main window "MainForm" of the reading application: the input list of
// scanned images and the definition file (typed, browsed or dropped), the
// start and stop buttons of a batch run, the status line, the PDF
// conversion, and the menus for a saved read-values file, the settings, the
// support page and the version dialog. It owns the application's shared
// state (settings, result table, engine, data folder) and the other windows.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "reader/core/batch_run.h"
#include "reader/core/prompter.h"
#include "reader/core/run_feedback.h"
#include "reader/core/worker_source.h"
#include "reader/ui/app_context.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tarrow {

class QtPrompter;
class WindowFeedback;
class ResultWindow;
class SettingsBackend;
class SettingsDialog;

class MainForm final : public QMainWindow {
    Q_OBJECT
public:
    /// What start-up uses; every member has a default for the real program.
    struct StartUp {
        /// Message boxes and dialogs; null: the desktop's (QtPrompter).
        Prompter* prompter = nullptr;
        /// Hears the run feedback as well (the window's status line,
        /// buttons and progress follow it either way), and pauses and
        /// beeps in the window's stead; null: none.
        RunFeedback* feedback = nullptr;
        /// Where settings live; null: the registry stand-in.
        std::unique_ptr<SettingsBackend> settingsBackend;
        /// The documents folder; empty: the desktop's documents folder.
        QString documentsFolder;
        /// Creates the engine; null: the component by its CLSID.
        std::function<std::unique_ptr<StrovaEngine>(QString* error)> createEngine;
        /// Makes the engine of each parallel reading worker of a batch run;
        /// null: a private engine core each, unless createEngine was given
        /// (then the batch reads on that one engine).
        EngineFactory workerEngine;
        /// Parallel workers of a batch run; 0: one per processor.
        int workers = 0;
        /// Where the PDF tools are looked for first; empty: the program's
        /// folder.
        QString applicationFolder;
    };

    /// Several files chosen at once (cmdOpen, btnPDF): title and filter in
    /// the form "説明 (*.x)|*.x"; an empty list means cancelled.
    using FilesChooser = std::function<QStringList(const QString& title, const QString& filter)>;

    static const QString kSourceFilter;
    static const QString kSourceTitle;
    static const QString kIniFilter;
    static const QString kIniTitle;
    static const QString kPdfFilter;
    static const QString kPdfTitle;
    static const QString kPdfFolderTitle;

    /// The real program's start-up.
    explicit MainForm(QWidget* parent = nullptr);
    explicit MainForm(StartUp startUp, QWidget* parent = nullptr);
    ~MainForm() override;

    AppContext& context() { return context_; }
    ResultWindow* resultWindow() const { return resultWindow_; }
    /// Replaces the multiple-selection file dialog (tests script it).
    void setFilesChooser(FilesChooser chooser) { chooseFiles_ = std::move(chooser); }
    /// True while a batch run is in progress.
    bool isRunning() const { return run_ != nullptr; }

    /// Adds entries at the end of the input list, one line each.
    void appendToInputList(const QStringList& entries);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildSourceFrame(QWidget* central);
    void buildControlFrame(QWidget* central);
    void buildMenus();
    void connectControls();
    void startUp(StartUp& startUp);
    void createWindows();
    void applyInitialSize();
    void applyLayout();
    void setGeometryTwips(QWidget* widget, int left, int top, int width, int height) const;
    int toPixels(int twips) const;
    int toTwips(int pixels) const;

    // Buttons and menus.
    void openSourceFiles();
    void openIniFile();
    void convertPdfs();
    void startRun();
    void stopRun();
    void openReadValuesCsv();
    void showSettings();
    void showVersion();
    void openSupport();
    void setRunningState(bool running);
    void setProgress(int current, int total);
    BatchInputs currentInputs() const;
    bool ensureEngine();
    /// Where a batch run's readings come from: the parallel workers, or the
    /// one engine when no worker engine is known.
    std::unique_ptr<SheetSource> readingSource();

    // Drops.
    bool sourceDrop(QDropEvent* event);
    bool iniDrop(QDropEvent* event);

    AppContext context_;
    std::unique_ptr<SettingsBackend> settingsBackend_;
    std::unique_ptr<QtPrompter> dialogs_;
    Prompter* prompter_ = nullptr;
    std::unique_ptr<WindowFeedback> feedback_;
    FilesChooser chooseFiles_;
    QString applicationFolder_;
    BatchRun* run_ = nullptr;
    EngineFactory workerEngine_;
    int workers_ = 0;
    bool closeAfterRun_ = false;

    ResultWindow* resultWindow_ = nullptr;
    SettingsDialog* settingsDialog_ = nullptr;

    QGroupBox* frameSrc_ = nullptr;
    QLabel* lblSource_ = nullptr;
    QPlainTextEdit* txtSource_ = nullptr;
    QPushButton* cmdOpen_ = nullptr;
    QPushButton* btnClear_ = nullptr;
    QPushButton* btnPdf_ = nullptr;
    QGroupBox* frameControl_ = nullptr;
    QLabel* lblIniFile_ = nullptr;
    QLineEdit* txtIniFile_ = nullptr;
    QPushButton* cmdOpenIni_ = nullptr;
    QCheckBox* chkDebug_ = nullptr;
    QPushButton* cmdConvert_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QLabel* msgLabel_ = nullptr;
    QLabel* lblDpi_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

}  // namespace tarrow
