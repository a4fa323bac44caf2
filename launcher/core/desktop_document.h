// Opening a document (the manual, a template) with the desktop's handler:
// xdg-open, started with the path as its one argument. The suite's shared
// checks come first (velmora::openWithDesktop); the handler's own answer
// then tells an opened file from one without a program and from a failure.
#pragma once

#include <QString>
#include <functional>

namespace pandle {

enum class HandlerAnswer {
    Opened,     ///< a program took the file (or is still starting)
    NoHandler,  ///< no program for this kind of file, or no xdg-open at all
    Failed,     ///< the handler found a program but opening failed
};

/// Hands an absolute path to the desktop.
using DocumentHandler = std::function<HandlerAnswer(const QString& path)>;

/// The real handler: xdg-open from PATH. Its exit status is awaited for a
/// few seconds (status 3: no program for the file); one still running then
/// is left to run on its own and counts as opened.
DocumentHandler xdgOpenHandler();

/// The handler for a given xdg-open program (tests give a fake one).
DocumentHandler xdgOpenHandler(const QString& xdgOpen, int waitMs);

/// Opens `path` and returns the warning to show, empty when it worked:
/// the shared messages for a missing folder or file and an unreadable
/// file, kNoAssociation without a program, kCannotOpen when it failed.
QString openDocument(const QString& path, const DocumentHandler& handler);

}  // namespace pandle
