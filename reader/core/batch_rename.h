// Batch rename: copies every sheet image into a chosen folder under a name
// built from its read values, and logs each copy in "log.txt" of the data
// folder. The scanned files are never changed.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "reader/core/prompter.h"
#include "reader/core/result_table.h"

namespace tarrow {

struct RenameRequest {
    QString prefix;      ///< text before the expanded pattern
    QString pattern;     ///< column numbers and literal tokens
    QString postfix;     ///< text after the expanded pattern (".jpg" follows)
    QString dataFolder;  ///< where "log.txt" is written
    /// Called with the log path before the closing message when a log was
    /// written (the window opens it with the desktop's viewer). May be empty.
    std::function<void(const QString&)> openLog;
};

struct RenameSummary {
    bool completed = false;  ///< every sheet copied and the closing message shown
    int copied = 0;          ///< images copied (also when the run stopped early)
    QString logPath;         ///< the log written, empty when none
};

/// Splits a pattern (after comma and full-width normalisation) into tokens:
/// at ","; when that gives one token, at tabs; then at blanks.
QStringList renameTokens(const QString& pattern);

/// The output name of the sheet at `row` (".jpg" appended, the ten
/// characters " * > \ ' : < / ? | replaced by "_"). Returns false when a
/// numeric token names no column of the table.
/// A token naming the last column of the student-number run (see
/// student_number.h) gives the sheet's whole number when it has one, so
/// the copies are named by student.
bool renamedFileName(const ResultTable& table, int row, const QStringList& tokens,
                     const QString& prefix, const QString& postfix, QString* name);

/// The whole operation, with its questions and messages through `prompter`.
/// A sheet whose label is not a plain file name (a folder part, "." or
/// "..", empty) is refused before anything is copied from it; a failed copy
/// names its cause (the image missing, the copy not writable, the log not
/// writable) and the run stops there, keeping what was copied.
RenameSummary runBatchRename(const ResultTable& table, Prompter& prompter,
                             const RenameRequest& request);

}  // namespace tarrow
