// Saving the result table as the result window does: choosing the output
// name, the overwrite questions, writing the read-values file and the score
// file (or the answers-by-choice file), and the close guard's decision.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "reader/core/prompter.h"
#include "reader/core/result_table.h"

namespace tarrow {

/// Where the output files go: the chosen file's folder and its base name
/// (no folder, no extension).
struct SaveTarget {
    QString folder;
    QString base;
};

/// Asks "<path>\r\nは既に存在します。上書きしますか？" (warning, Yes/No) when
/// `path` exists. True when the file is missing or the answer is Yes.
bool confirmOverwrite(Prompter& prompter, const QString& path);

/// The save dialog ("csvファイル(*.csv)|*.csv", suffix "csv"); the base goes
/// into the table's destination base. nullopt when cancelled.
std::optional<SaveTarget> chooseSaveTarget(ResultTable& table, Prompter& prompter);

/// One question for files that are replaced together: asked only when some
/// exist, naming each existing one on its own line followed by CR LF and
/// "は既に存在します。上書きしますか？" (one file: as confirmOverwrite). True when
/// none exists or the answer is Yes.
bool confirmOverwriteAll(Prompter& prompter, const QStringList& paths);

/// SaveProc: the dialog, then one overwrite question for the read-values
/// and score files together. nullopt when it is declined.
std::optional<SaveTarget> saveProc(ResultTable& table, Prompter& prompter);

/// SaveProcEachItem: the dialog and one question for the answers-by-choice
/// file.
std::optional<SaveTarget> saveProcEachItem(ResultTable& table, Prompter& prompter);

enum class SaveStatus {
    Cancelled,  ///< dialog cancelled or an overwrite declined; nothing written
    Saved,      ///< every file due was written
    Failed,     ///< a file could not be written; `error` says why
};

struct SaveOutcome {
    SaveStatus status = SaveStatus::Cancelled;
    QString readValuesFile;  ///< written read-values path (empty if none)
    QString scoreFile;       ///< written score path (empty when nothing is scored)
    QString answersFile;     ///< written answers-by-choice path
    QString error;
};

/// Writes the read-values file and, when some question is scored, the score
/// file, without asking anything: both to temporary files first, then both
/// renamed, so a failure leaves every existing file intact and the table
/// unsaved.
SaveOutcome writeResultFiles(ResultTable& table, const SaveTarget& target, bool transpose);

/// The save button: SaveProc, then writeResultFiles. A failed write shows
/// nothing (the outcome carries the reason for callers that report it).
SaveOutcome saveResults(ResultTable& table, Prompter& prompter, bool transpose);

/// The answers-by-choice button: the input box for the largest choice number
/// (default "10"), SaveProcEachItem, then the file. Cancel or a non-numeric
/// answer gives Cancelled.
SaveOutcome saveAnswersByChoice(ResultTable& table, Prompter& prompter, bool tenToZero);

/// The guard before the table is closed or replaced: true when it is saved
/// or the user answered Yes to
/// "読取値が保存されていません。本当に閉じてもよろしいですか？".
bool mayDiscard(const ResultTable& table, Prompter& prompter);

}  // namespace tarrow
