#include "editor/ui/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include "editor/core/editor_texts.h"
#include "editor/core/recent_files.h"
#include "editor/ui/command_icons.h"
#include "editor/ui/dravel_doc.h"
#include "editor/ui/dravel_view.h"
#include "editor/ui/qt_editor_prompter.h"
#include "editor/ui/sheet_printing.h"
#include "engine/recognition/reader_review_settings.h"

namespace dravel {
namespace {

constexpr int kInitialWidth = 900;
constexpr int kInitialHeight = 700;

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : CMainFrame(StartUp{}, parent) {}

CMainFrame::CMainFrame(StartUp startUp, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("CMainFrame"));
    if (startUp.prompter == nullptr) {
        ownPrompter_ = std::make_unique<QtEditorPrompter>(this);
        startUp.prompter = ownPrompter_.get();
    }
    prompter_ = startUp.prompter;
    prompter_->setParent(this);
    if (!startUp.names.today || !startUp.names.random) startUp.names = NameSources::system();
    const velmora::SettingsStore settings =
        startUp.settings ? std::move(*startUp.settings) : velmora::SettingsStore();
    recent_ = std::make_unique<RecentFiles>(settings);
    printing_ = std::make_unique<SheetPrinting>();
    doc_ = new CDravelDoc(*prompter_, std::move(startUp.names), recent_.get(), this);
    // Every test read judges with what the reading application has stored.
    doc_->document().setReviewSource([settings] { return strovik::loadReaderReview(settings); });
    view_ = new CDravelView(*doc_, this);
    setCentralWidget(view_);

    buildMenus();
    buildToolBar();
    buildAccelerators();
    buildStatusBar();
    connect(doc_, &CDravelDoc::documentChanged, this, [this] {
        updateTitle();
        updateSizes();
        updateCommands();
        rebuildRecentFiles();
    });
    updateTitle();
    updateCommands();
    rebuildRecentFiles();
    resize(kInitialWidth, kInitialHeight);
    view_->setFocus();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::action(Command command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::buildMenus() {
    std::map<Menu, QMenu*> menus;
    for (const MenuSpec& m : menuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf16(m.title));
        menu->setObjectName(QLatin1String(m.objectName));
        menus[m.id] = menu;
    }
    fileMenu_ = menus[Menu::File];
    for (const CommandEntry& entry : commandTable()) {
        auto* act = new QAction(QString::fromUtf16(entry.text), this);
        act->setObjectName(QLatin1String(entry.objectName));
        act->setCheckable(entry.checkable);
        connect(act, &QAction::triggered, this, [this, id = entry.id] { run(id); });
        actions_[entry.id] = act;
        if (entry.menu == Menu::None) continue;
        QMenu* menu = menus[entry.menu];
        if (entry.id == kRecentFilesBefore) {
            recentAnchor_ = menu->addSeparator();
        } else if (entry.separatorBefore) {
            menu->addSeparator();
        }
        menu->addAction(act);
    }
    action(Command::ToolBar)->setChecked(true);
    action(Command::StatusBar)->setChecked(true);
}

void CMainFrame::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral(u"ﾂｰﾙ ﾊﾞｰ"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(true);
    toolBar_->toggleViewAction()->setVisible(false);
    for (const ToolbarSlot& slot : toolbarTable()) {
        if (slot.separatorBefore) toolBar_->addSeparator();
        QAction* act = action(slot.command);
        act->setIcon(commandIcon(slot.command, *style()));
        toolBar_->addAction(act);
    }
    // Menus show only their texts; the toolbar its pictures.
    for (const auto& [id, act] : actions_) act->setIconVisibleInMenu(false);
}

void CMainFrame::buildAccelerators() {
    for (const Accelerator& a : acceleratorTable()) {
        auto* shortcut = new QShortcut(QKeySequence(a.keys), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = a.command] {
            QAction* act = action(id);
            if (act != nullptr && act->isEnabled()) run(id);
        });
    }
}

void CMainFrame::buildStatusBar() {
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("messagePane"));
    message_->setTextInteractionFlags(Qt::NoTextInteraction);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addWidget(message_, 1);
    // The sizes placing uses, always in view; every size change redraws.
    sizes_ = new QLabel(this);
    sizes_->setObjectName(QStringLiteral("sizePane"));
    statusBar()->addPermanentWidget(sizes_);
    connect(doc_, &CDravelDoc::redrawn, this, [this] { updateSizes(); });
    updateSizes();
    doc_->setStatusHook([this](const QString& text) { showStatus(text); });
}

void CMainFrame::showStatus(const QString& text) {
    message_->setText(text);
}

void CMainFrame::rebuildRecentFiles() {
    for (QAction* act : recentActions_) {
        fileMenu_->removeAction(act);
        act->deleteLater();
    }
    recentActions_.clear();
    const QStringList& entries = recent_->entries();
    for (int i = 0; i < entries.size(); ++i) {
        auto* act = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(entries[i]), this);
        act->setObjectName(QStringLiteral("ID_FILE_MRU_FILE%1").arg(i + 1));
        connect(act, &QAction::triggered, this, [this, i] { openRecent(i); });
        fileMenu_->insertAction(recentAnchor_, act);
        recentActions_.append(act);
    }
}

void CMainFrame::updateTitle() {
    const EditorDocument& document = doc_->document();
    setWindowTitle(frameTitle(document.documentName(), document.isModified()));
}

void CMainFrame::updateSizes() {
    sizes_->setText(sizesText(doc_->state()));
}

void CMainFrame::updateCommands() {
    const bool image = doc_->state().imageLoaded;
    for (const CommandEntry& entry : commandTable()) {
        if (entry.needsImage) actions_[entry.id]->setEnabled(image);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (doc_->document().saveModified()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace dravel
