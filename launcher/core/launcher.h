// What the launcher's picture buttons do, apart from the window: the menu
// table (index -> action), starting the suite's programs, opening the
// manual and a chosen template, the first-start copy of the templates and
// the guard that keeps a double click from starting anything twice.
#pragma once

#include <QString>
#include <array>
#include <functional>

#include "launcher/core/desktop_document.h"
#include "launcher/core/program_starter.h"
#include "launcher/core/suite_folders.h"
#include "launcher/core/template_setup.h"

namespace pandle {

enum class MenuAction { OpenTemplate, StartScanner, StartEditor, StartReader, OpenManual, Quit };

struct MenuEntry {
    MenuAction action;
    const char16_t* caption;  ///< shown under the picture
    const char* picture;      ///< name of the picture in the window's artwork
    const char16_t* program;  ///< the program started, or null
};

inline constexpr int kMenuSize = 6;

/// The picture buttons in index order (the window's ImgMenu_0 ... ImgMenu_5).
const std::array<MenuEntry, kMenuSize>& menuEntries();

class Launcher {
public:
    struct Services {
        DetachedStart start;
        DocumentHandler open;
        /// Milliseconds of a monotonic clock.
        std::function<qint64()> nowMs;
    };
    /// The real services: detached processes, xdg-open, a steady clock.
    static Services systemServices();

    /// A second press of the same button within this time is the rest of a
    /// double click, not a new request.
    static constexpr qint64 kRepeatMs = 1000;

    Launcher(SuitePaths suite, UserFolders user, Services services);

    enum class Step {
        Done,            ///< handled; show `warning` when it is not empty
        ChooseTemplate,  ///< show the template dialog, then call openTemplate()
        Quit,            ///< end the launcher
    };
    struct Reply {
        Step step = Step::Done;
        QString warning;
    };

    /// The picture button `index` was pressed. Unknown indices do nothing.
    Reply press(int index);

    /// Opens the template the dialog gave; an empty path (cancelled) opens
    /// and shows nothing.
    QString openTemplate(const QString& path);

    /// Where the template dialog starts: the user's templates folder, or the
    /// shipped templates while it does not exist, or the documents folder.
    QString templateDialogFolder() const;

    /// Copies the shipped templates at the first start (see template_setup.h).
    TemplateCopy prepareTemplates(QString* error = nullptr) const;

    const SuitePaths& suite() const { return suite_; }
    const UserFolders& user() const { return user_; }

private:
    bool isRepeat(int index);

    SuitePaths suite_;
    UserFolders user_;
    Services services_;
    int lastIndex_ = -1;
    qint64 lastPressMs_ = 0;
};

}  // namespace pandle
