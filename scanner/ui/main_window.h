// The scanner front-end's main window: the form of output settings in a
// frame with menus, toolbar and status bar; choosing the scanner, scanning
// a batch (pages counted on a progress line, cancel at any time), the
// preview window, the file manager, the version dialog and the exit
// procedure that stores the settings.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>

#include "common/settings_store.h"
#include "scanner/core/batch_runner.h"
#include "scanner/core/event_driver.h"
#include "scanner/core/scan_settings.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace fenwary {

class Prompter;
class PreviewWindow;
class QtEventDriver;
class ScanForm;
class TwainSession;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    /// What start-up uses; every member has a default for the real program.
    struct StartUp {
        /// Root of the settings store; empty: $XDG_CONFIG_HOME/velmora.
        std::filesystem::path settingsRoot;
        /// The documents folder; empty: the desktop's documents folder.
        QString documentsFolder;
        /// Message boxes and dialogs; null: the desktop's (QtPrompter).
        Prompter* prompter = nullptr;
        /// The backends; null: SANE through libsane, TWAIN through the
        /// manager found at run time.
        std::function<std::unique_ptr<Acquisition>(EventDriver&)> createSane;
        std::function<std::unique_ptr<TwainSession>(EventDriver&)> createTwain;
        /// Shows `path` in the file manager (`select`: the file selected)
        /// or opens the folder; false when nothing took it. null: desktop.
        std::function<bool(const QString& path, bool select)> reveal;
        /// Writes a page's file; null: the real writers.
        PageEncoder pageEncoder;
    };

    /// The real program's start-up.
    explicit MainWindow(QWidget* parent = nullptr);
    explicit MainWindow(StartUp startUp, QWidget* parent = nullptr);
    ~MainWindow() override;

    const ScanSettings& settings() const { return settings_; }
    ScanForm* form() const { return form_; }
    /// Null until the preview is first shown.
    PreviewWindow* previewWindow() const { return preview_; }
    bool scanning() const { return runner_->running(); }

    void selectSource();
    void startScan();
    void cancelScan();
    /// The exit procedure: stores the settings and closes the window.
    void exitProgram();
    /// The exit procedure for SIGTERM / SIGHUP (a logout): no questions;
    /// the page in hand is saved, pages that could not be written go to a
    /// new folder under the batch root.
    void exitOnSignal();
    void showVersion();
    void revealOutput();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void connectForm();
    void initialUpdate();
    bool validateForm();
    void readFormQuietly(ScanSettings& settings) const;
    bool ensureOutputFolder();
    bool chooseSource();
    void browseFolder();
    void resetSettings();
    void showPreview(bool show);
    void updatePreview();
    void previewClosed(const PreviewRect& client);
    void pageWriting(const std::string& path);
    void pageSaved(const SaveOutcome& outcome, const ScanSettings& settings, ScannedPage& page);
    void batchFinished(const BatchSummary& summary);
    /// Offers to save the pages kept in memory elsewhere until they are
    /// saved or the user declines; true when none is left.
    bool offerUnsavedPages();
    void rescueUnsavedPagesQuietly();
    bool confirmReplace(const std::string& path);
    void setScanning(bool scanning);
    void setStatus(const QString& text);
    void updateEditActions();

    velmora::SettingsStore store_;
    ScanSettings settings_;
    QString documentsFolder_;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_ = nullptr;
    std::function<bool(const QString&, bool)> reveal_;
    QtEventDriver* driver_ = nullptr;
    std::unique_ptr<Acquisition> sane_;
    std::unique_ptr<TwainSession> twain_;
    std::unique_ptr<BatchRunner> runner_;
    std::shared_ptr<strovik::Raster> lastPage_;
    bool previewStale_ = false;
    int batchPages_ = 0;
    bool exiting_ = false;
    bool quietExit_ = false;
    /// The folder of the running batch when it got one of its own.
    std::string batchFolder_;
    bool destroying_ = false;

    ScanForm* form_ = nullptr;
    PreviewWindow* preview_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* lblProgress_ = nullptr;
    QPushButton* btnCancelScan_ = nullptr;
    QAction* actSelectSource_ = nullptr;
    QAction* actStartScan_ = nullptr;
    QAction* actCancelScan_ = nullptr;
    QAction* actCut_ = nullptr;
    QAction* actCopy_ = nullptr;
    QAction* actPaste_ = nullptr;
    QLineEdit* editTarget_ = nullptr;
};

}  // namespace fenwary
