// CMainFrame's command handlers: the framework's file commands over the
// document, printing, the view commands, the test read and the version
// dialog.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStatusBar>
#include <QToolBar>

#include "editor/core/recent_files.h"
#include "editor/ui/dravel_doc.h"
#include "editor/ui/dravel_view.h"
#include "editor/ui/main_frame.h"
#include "editor/ui/qt_editor_prompter.h"
#include "editor/ui/sheet_printing.h"
#include "editor/ui/trial_read_dialog.h"
#include "editor/ui/version_dialog.h"

namespace dravel {

void CMainFrame::run(Command command) {
    EditorDocument& document = doc_->document();
    Placer& placer = document.placer();
    switch (command) {
        case Command::NewDocument:
            document.newDocument();
            break;
        case Command::OpenImage:
            openImage();
            break;
        case Command::Import:
            importDefinition();
            break;
        case Command::SaveAs:
            document.saveAs();
            break;
        case Command::Save:
            document.save();
            break;
        case Command::Print:
            printing_->print(doc_->picture(), this);
            break;
        case Command::PrintPreview:
            printing_->preview(doc_->picture(), this);
            break;
        case Command::PrintSetup:
            printing_->setup(this);
            break;
        case Command::Exit:
            close();
            break;
        case Command::Undo:
            document.undo(view_->pointerInImage());
            break;
        case Command::Redo:
            document.redo(view_->pointerInImage());
            break;
        case Command::MarkMode:
            placer.enterMarkMode();
            break;
        case Command::ZeroMarkMode:
            placer.enterZeroMarkMode();
            break;
        case Command::ToggleMode:
            placer.enterToggleMode();
            break;
        case Command::AreaMode:
            placer.enterAreaMode();
            break;
        case Command::BlockMode:
            placer.enterBlockMode();
            break;
        case Command::BlockCopy:
            placer.copySelectedBlock();
            break;
        case Command::BlockRenumber:
            placer.renumberSelectedBlock();
            break;
        case Command::TrialRead:
            trialRead();
            break;
        case Command::AutoDetect:
            autoDetect();
            break;
        case Command::ToolBar:
            toolBar_->setVisible(action(command)->isChecked());
            break;
        case Command::StatusBar:
            statusBar()->setVisible(action(command)->isChecked());
            break;
        case Command::ZoomIn:
            placer.zoomIn();
            break;
        case Command::ZoomOut:
            placer.zoomOut();
            break;
        case Command::ZoomFit:
            view_->zoomToFit();
            break;
        case Command::Version:
            showVersion();
            break;
    }
}

void CMainFrame::openImage() {
    const QString path = prompter_->chooseOpenFile(OpenDialog::Image);
    if (!path.isEmpty()) openPath(path);
}

void CMainFrame::importDefinition() {
    const QString path = prompter_->chooseOpenFile(OpenDialog::Definition);
    if (!path.isEmpty()) openPath(path);
}

void CMainFrame::openPath(const QString& path) {
    doc_->document().openDocument(path);
    view_->setFocus();
}

void CMainFrame::openFromCommandLine(const QString& path) {
    openPath(path);
}

void CMainFrame::openRecent(int index) {
    const QStringList& entries = recent_->entries();
    if (index < 0 || index >= entries.size()) return;
    const QString path = entries[index];
    if (!QFileInfo::exists(path)) {
        // A file that is gone leaves the list, as it could never open.
        recent_->remove(path);
        rebuildRecentFiles();
    }
    openPath(path);
}

void CMainFrame::trialRead() {
    // The canvas shows the wait; a message the read may bring keeps the
    // ordinary pointer.
    showStatus(QStringLiteral(u"試し読み中..."));
    view_->viewport()->setCursor(Qt::WaitCursor);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const auto restore = qScopeGuard([this] { view_->viewport()->setCursor(Qt::ArrowCursor); });
    if (!doc_->document().trialRead()) return;
    if (trialDialog_ == nullptr) {
        trialDialog_ = new TrialReadDialog(
            doc_->document(), [this] { return prompter_->chooseTrialImages(); },
            [this] { doc_->document().trialRead(); }, this);
        // An edit drops the test read, and with it what the window lists.
        connect(doc_, &CDravelDoc::documentChanged, trialDialog_, [this] {
            if (!doc_->document().trial()) trialDialog_->hide();
        });
    }
    trialDialog_->refresh();
    trialDialog_->show();
}

void CMainFrame::autoDetect() {
    view_->viewport()->setCursor(Qt::WaitCursor);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const auto restore = qScopeGuard([this] { view_->viewport()->setCursor(Qt::CrossCursor); });
    doc_->document().proposeFromPrint();
}

void CMainFrame::showVersion() {
    VersionDialog dialog(this);
    dialog.exec();
}

}  // namespace dravel
