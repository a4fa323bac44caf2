// Starting a program of the suite as an independent process. The path goes
// to the system as one argument (no shell ever sees it); what can be checked
// before starting is checked first, so a failure names its cause.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace pandle {

/// Starts `program` with `arguments` in `workingFolder`, detached from the
/// caller; true when the process started.
using DetachedStart = std::function<bool(const QString& program, const QStringList& arguments,
                                         const QString& workingFolder)>;

/// The real start: QProcess::startDetached with an argument list.
DetachedStart systemStart();

/// Why `program` cannot be started, or empty when it can: a missing folder
/// gives kPathNotFound, a missing file or a folder kFileNotFound, a file
/// without execute permission kAccessDenied, a file that is neither a binary
/// nor a script kBadExecutable.
QString startProblem(const QString& program);

/// The first of `candidates` that is an existing folder other users cannot
/// write to, else "/". A program started in a folder anyone may write to
/// (the temporary folder) could be handed files planted there: libraries
/// found through an empty run-path entry, configuration read from ".".
QString privateFolder(const QStringList& candidates);

/// Where programs and documents are started: the user's documents folder,
/// else the home folder (see privateFolder).
QString defaultStartFolder();

/// Starts `program` (no arguments) in `workingFolder` and returns the
/// warning to show, empty when it started; a start that fails after the
/// checks gives kCannotOpen.
QString startProgram(const QString& program, const DetachedStart& start,
                     const QString& workingFolder = defaultStartFolder());

}  // namespace pandle
