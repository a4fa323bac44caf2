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

/// Starts `program` (no arguments, working folder = the temporary folder)
/// and returns the warning to show, empty when it started; a start that
/// fails after the checks gives kCannotOpen.
QString startProgram(const QString& program, const DetachedStart& start);

}  // namespace pandle
