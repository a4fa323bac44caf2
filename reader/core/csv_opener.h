// Opening a read-values CSV from the main window: the definition checks, the
// open dialog, rebuilding the table from the file, and then either pointing
// the sheet list at a chosen image folder (empty input list) or reading the
// listed images again with the file's header, answer key and points kept.
#pragma once

#include <QString>
#include <optional>

#include "reader/core/app_settings.h"
#include "reader/core/batch_run.h"
#include "reader/core/prompter.h"
#include "reader/core/result_table.h"

namespace tarrow {

enum class CsvOpenOutcome {
    Rejected,   ///< no or missing definition file (one warning shown)
    Cancelled,  ///< the open dialog was cancelled, or the user kept an unsaved table
    NotLoaded,  ///< not a read-values file, or unreadable: table untouched, no message
                ///< (a score file is refused with a warning naming what it is)
    Loaded,     ///< table rebuilt from the file; the caller shows the result window
    Reread,     ///< the listed images were read again; see `run`
};

struct CsvOpenResult {
    CsvOpenOutcome outcome = CsvOpenOutcome::Rejected;
    QString path;        ///< the chosen file
    int sheetLines = 0;  ///< sheet lines in the file (when it was loaded)
    /// The batch run's outcome for Reread.
    std::optional<BatchResult> run;
};

/// What the open operation works on. `run` is the batch run of the main
/// window (so its stop button reaches a re-read); it uses the same prompter,
/// feedback, table and settings.
struct CsvOpenContext {
    BatchRun& run;
    Prompter& prompter;
    RunFeedback& feedback;
    ResultTable& table;
    const AppSettings& settings;
};

/// The menu command: checks the definition file, asks for the file with the
/// title "読取値CSVファイルを選択してください" and the filter
/// "読取値CSVファイル (*.csv)|*.csv", then openReadValuesFile().
CsvOpenResult openReadValues(const CsvOpenContext& context, const BatchInputs& inputs);

/// Everything after the file was chosen: asks before an unsaved table is
/// replaced, loads the file (initMarks with the definition, placeholder
/// measurements, the 10→0 setting of now) and
///  - with an empty input list (after trimming blanks): as
///    reviewReadValuesFile();
///  - otherwise: a batch run over the listed images with the answer key kept.
CsvOpenResult openReadValuesFile(const CsvOpenContext& context, const BatchInputs& inputs,
                                 const QString& path);

/// Opening a read-values file for review, without reading images: asks
/// before an unsaved table is replaced, loads the file, asks for the image
/// folder, points the sheet list at it (a cancelled folder leaves
/// "/" + label), re-evaluates and colours the table, status "処理完了: S件"
/// and a beep; the table counts as saved.
CsvOpenResult reviewReadValuesFile(Prompter& prompter, RunFeedback& feedback, ResultTable& table,
                                   const AppSettings& settings, const QString& definitionPath,
                                   const QString& path);

}  // namespace tarrow
