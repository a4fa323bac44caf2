// CMainFrame: the editor's main window. Menus, toolbar and accelerators
// built from the command table, the canvas (CDravelView) over the document
// (CDravelDoc), the status bar, the recent files, printing, the version
// dialog, and the save question when the window closes. The command
// handlers are in frame_actions.cpp.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <optional>

#include "common/settings_store.h"
#include "editor/core/proposed_name.h"
#include "editor/ui/frame_commands.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace dravel {

class TrialReadDialog;

class CDravelDoc;
class CDravelView;
class QtEditorPrompter;
class RecentFiles;
class SheetPrinting;

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    /// What start-up uses; every member has a default for the real program.
    struct StartUp {
        /// Boxes and dialogs; null: the desktop's (owned by the frame).
        QtEditorPrompter* prompter = nullptr;
        /// Date and numbers of proposed names; empty: the clock.
        NameSources names;
        /// Where the recent files live and the reading application's
        /// settings are read; nullopt: the registry stand-in.
        std::optional<velmora::SettingsStore> settings;
    };

    explicit CMainFrame(QWidget* parent = nullptr);
    explicit CMainFrame(StartUp startUp, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CDravelDoc& doc() { return *doc_; }
    CDravelView& view() { return *view_; }
    QAction* action(Command command) const;
    const RecentFiles& recentFiles() const { return *recent_; }

    /// Runs a command as its menu item does.
    void run(Command command);
    /// Opens a file given on the command line.
    void openFromCommandLine(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildAccelerators();
    void buildStatusBar();
    void rebuildRecentFiles();
    void updateTitle();
    void updateSizes();
    void updateCommands();
    void showStatus(const QString& text);

    // frame_actions.cpp
    void openImage();
    void importDefinition();
    void openPath(const QString& path);
    void openRecent(int index);
    void trialRead();
    void autoDetect();
    void showVersion();

    std::unique_ptr<QtEditorPrompter> ownPrompter_;
    QtEditorPrompter* prompter_;
    std::unique_ptr<RecentFiles> recent_;
    std::unique_ptr<SheetPrinting> printing_;
    CDravelDoc* doc_;
    CDravelView* view_;
    QToolBar* toolBar_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* sizes_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentAnchor_ = nullptr;
    QList<QAction*> recentActions_;
    std::map<Command, QAction*> actions_;
    TrialReadDialog* trialDialog_ = nullptr;  ///< made at the first test read
};

}  // namespace dravel
