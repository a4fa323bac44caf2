// The editor's commands declared once: menu texts, object names, menus,
// toolbar order, whether they need a loaded image, and the accelerators.
// CMainFrame builds its menus, toolbar and shortcuts from these tables.
#pragma once

#include <QKeySequence>
#include <span>

namespace dravel {

enum class Command {
    NewDocument,
    OpenImage,
    Import,
    SaveAs,
    Save,
    Print,
    PrintPreview,
    PrintSetup,
    Exit,
    Undo,
    Redo,
    MarkMode,
    ZeroMarkMode,
    ToggleMode,
    AreaMode,
    BlockMode,
    BlockCopy,
    BlockRenumber,
    TrialRead,
    AutoDetect,
    ToolBar,
    StatusBar,
    ZoomIn,
    ZoomOut,
    ZoomFit,
    Version,
};

enum class Menu { None, File, Edit, View, Help };

/// Where the recent files go in the File menu: before this command.
inline constexpr Command kRecentFilesBefore = Command::Exit;

struct CommandEntry {
    Command id;
    const char16_t* text;  ///< menu text (a tab starts the shown shortcut)
    const char* objectName;
    Menu menu;
    bool separatorBefore;
    bool needsImage;
    bool checkable;
};

struct ToolbarSlot {
    Command command;
    bool separatorBefore;
};

struct Accelerator {
    QKeyCombination keys;
    Command command;
};

/// Menu titles in menu-bar order.
struct MenuSpec {
    Menu id;
    const char16_t* title;
    const char* objectName;
};

std::span<const MenuSpec> menuTable();
/// Every command, in menu order within each menu.
std::span<const CommandEntry> commandTable();
/// The toolbar, left to right.
std::span<const ToolbarSlot> toolbarTable();
std::span<const Accelerator> acceleratorTable();
const CommandEntry& commandSpec(Command command);

}  // namespace dravel
