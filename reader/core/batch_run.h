// The batch reading run: checks the input list and the definition file,
// reads every listed image (sheet_reading.h: the engine's fixed call order),
// fills the result table (values, measurements, error rows), re-evaluates
// and colours it, and writes the image-area index pages when a crop folder
// was chosen. What the user answers goes through the prompter, what the run
// shows while it works through its feedback.
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>

#include "reader/core/app_settings.h"
#include "reader/core/engine_client.h"
#include "reader/core/index_pages.h"  // imageLabel()
#include "reader/core/prompter.h"
#include "reader/core/result_table.h"
#include "reader/core/run_feedback.h"
#include "reader/core/sheet_reading.h"
#include "reader/core/threshold_colouring.h"

namespace tarrow {

/// What the main window hands to a run.
struct BatchInputs {
    /// The input list: one image path per line, lines separated by CR LF
    /// (a lone LF inside a line is part of the name, as in the window's box).
    QString inputList;
    /// The definition file's path as typed.
    QString definitionPath;
    /// The diagnostic-image option: each sheet is read once more first,
    /// writing "debug-<base>.jpg" next to the image.
    bool debugImages = false;
    /// The caller already asked mayStartNewRun() (before hiding anything);
    /// the run does not ask again.
    bool replaceAgreed = false;
};

/// The question before a fresh run replaces a table with unsaved values.
inline const QString kNewRunQuestion =
    QStringLiteral("新しく読み取ると、保存されていない読取値は失われます。");

/// The guard before a fresh run: true when the table is saved or the user
/// answered Yes to kNewRunQuestion (DiscardUnsaved: Enter keeps the table).
bool mayStartNewRun(const ResultTable& table, Prompter& prompter);

enum class BatchOutcome {
    Rejected,   ///< a check failed (the engine's refusal of the definition included;
                ///< one warning shown), or the user kept an unsaved table; nothing
                ///< changed but the labels
    Stopped,    ///< stop request or "No" after a read error: "処理中断", window stays hidden
    Completed,  ///< "処理完了: S件"; the caller shows the result window (row 3, column 1)
    Failed,     ///< an engine call failed or a setting was not a number: ended silently
};

struct BatchResult {
    BatchOutcome outcome = BatchOutcome::Rejected;
    int sheetCount = 0;    ///< S, the entries of the input list (once it was parsed)
    int failedSheets = 0;  ///< sheets the engine could not read
    QString cropFolder;    ///< chosen crop folder, empty when none
    /// Index pages: false when a crop folder was chosen and writing them
    /// failed (`indexError` says why). The run shows nothing for it.
    bool indexPagesWritten = true;
    int indexPages = 0;
    QString indexError;
    /// paintColor stopped at a threshold that is not a number.
    bool invalidThreshold = false;
};

/// The warning for a definition path that is empty (after trimming blanks),
/// names no existing file or names something that is not a regular file (a
/// FIFO, a device); nullopt when it is fine.
std::optional<QString> definitionProblem(const QString& definitionPath);

/// Splits the input list into entries, character by character: line feeds,
/// carriage returns and blanks before an entry's first character are
/// skipped, a carriage return ends an entry (trimmed of blanks), and a last
/// entry without one is kept untrimmed unless it is blank. Each completed
/// entry shows "準備中..." and the next entry number and lets events run.
QStringList parseInputList(const QString& inputList, RunFeedback& feedback);

/// The warning for the first entry that is a folder, a missing file, a PDF
/// (extension in any case), not a regular file, whose image label holds a
/// comma, a line break or a character CP932 cannot express (the read-values
/// file could not hold it), or a TIFF of more than one page (only its first
/// page would be read); nullopt when every entry is a readable candidate.
/// Entries are checked by their bytes (pathBytes()), so a name that is not
/// UTF-8 but valid CP932 passes.
std::optional<QString> inputEntryProblem(const QStringList& entries);

/// What the engine is given for `definitionPath` under `settings`: the
/// numbers typed into the settings boxes, rounded (halves to even); nullopt
/// when one of them is not a number.
std::optional<ReadingSettings> readingSettings(const AppSettings& settings,
                                               const QString& definitionPath);

/// What the engine is asked to read for the input entry `image`: its bytes,
/// and with `debugImages` the diagnostic image "debug-<base>.jpg" beside it.
SheetRequest sheetRequest(const QString& image, bool debugImages);

/// The label of a sheet read from `image`: imageLabel(), with a name that
/// is not UTF-8 but valid CP932 shown decoded (file_name_bytes.h), so the
/// read-values file holds the name's own bytes.
QString sheetLabel(const QString& image);

/// The crop folder proposed for a run whose first image with image areas is
/// `image`: a new folder beside the image's folder, named after it with
/// "_切り出し" appended ("/scans/a.jpg" gives "/scans_切り出し").
QString proposedCropFolder(const QString& image);

/// True when both name the same folder (links resolved when both exist).
bool sameFolder(const QString& a, const QString& b);

/// Where the crops of `image` go in the crop folder `folder`: the folder, a
/// "/" unless present, and the image's base name (without its last
/// extension).
QString cropBaseFor(const QString& folder, const QString& image);

/// paintColor with the thresholds and options of the settings.
PaintOutcome paintWithSettings(ResultTable& table, const AppSettings& settings);

/// Stores a sheet the engine read as row s of the table, as the run stores
/// it: values, measurements, marked counts, the multi-answer dot strings
/// and the zero-mark offsets.
void storeSheetReading(ResultTable& table, int s, const QString& label, const SheetReading& reading,
                       bool tenToZero);

/// What the table shows for one reading under `settings`, question by
/// question: the value text ("-1", "3", "1 3") and the review kind's name
/// ("" when none). Empty for a reading that failed or holds no question.
struct ReviewedSheet {
    QStringList values;
    QStringList review;
};
ReviewedSheet reviewedSheet(const SheetReading& reading, const AppSettings& settings);

class BatchRun {
public:
    /// The engine, prompter, feedback, table and settings are borrowed for
    /// the run's lifetime; the settings are read as they are when run() is
    /// called.
    BatchRun(StrovaEngine& engine, Prompter& prompter, RunFeedback& feedback, ResultTable& table,
             const AppSettings& settings)
        : ownSource_(std::in_place, engine),
          source_(*ownSource_),
          prompter_(prompter),
          feedback_(feedback),
          table_(table),
          settings_(settings) {}
    /// A run over readings from `source` (made ahead by parallel workers).
    BatchRun(SheetSource& source, Prompter& prompter, RunFeedback& feedback, ResultTable& table,
             const AppSettings& settings)
        : source_(source),
          prompter_(prompter),
          feedback_(feedback),
          table_(table),
          settings_(settings) {}

    /// The whole run. keepAnswerKey keeps the header, key and points rows
    /// (a read-values file was just loaded); otherwise the table starts
    /// fresh from the definition, after asking whether to discard it when
    /// it is unsaved. The result window is the caller's: hide
    /// it before, and show it (row 3, column 1 selected) after Completed.
    /// After Failed the start and stop buttons are back to idle.
    BatchResult run(const BatchInputs& inputs, bool keepAnswerKey);

    /// The stop button: honoured at the start of the next image. May be
    /// called from inside the feedback (while events are processed).
    void requestStop() { stop_ = true; }

private:
    enum class Step { Next, Stop, Fail };

    bool checkInputs(const BatchInputs& inputs, QStringList* entries);
    void resetRunState(const QStringList& entries, bool keepAnswerKey,
                       const QString& definitionPath);
    Step readImage(int s, const QString& path, bool debugImages);
    void showResolution(int imageDpi);
    std::string cropBaseOf(const QString& path);
    /// cropBaseOf() for every image of the run once the folder is chosen,
    /// as a value a reading source may call on any thread.
    std::function<std::string(const std::string& image)> cropBaseRule() const;
    /// The crop folder question: the browser opens at proposedCropFolder()
    /// (made for it when missing); a folder holding any of the run's images
    /// is only taken after a Yes to the warning, else the browser opens
    /// again. Empty when cancelled.
    QString chooseCropFolder(const QString& image);
    bool isScansFolder(const QString& folder) const;
    Step handleReadError(int s, const QString& label);
    void storeReading(int s, const QString& label, const SheetReading& reading);
    void finish(const QString& definitionPath);
    BatchResult stopped();
    BatchResult failed();

    std::optional<EngineSource> ownSource_;
    SheetSource& source_;
    Prompter& prompter_;
    RunFeedback& feedback_;
    ResultTable& table_;
    const AppSettings& settings_;
    std::atomic<bool> stop_{false};

    // Per-run state.
    BatchResult result_;
    bool skipAll_ = false;
    bool dpiWarningPending_ = true;
    bool cropFolderAsked_ = false;
    ReadingSettings reading_;
    int editorDpi_ = 0;
};

}  // namespace tarrow
