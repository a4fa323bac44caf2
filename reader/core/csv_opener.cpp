#include "reader/core/csv_opener.h"

#include "reader/core/result_files.h"
#include "reader/core/save_results.h"

namespace tarrow {

namespace {

const QString kOpenTitle = QStringLiteral("読取値CSVファイルを選択してください");
const QString kOpenFilter = QStringLiteral("読取値CSVファイル (*.csv)|*.csv");
const QString kScoreFileRefused = QStringLiteral(
    "このファイルは採点値CSVファイル（-採点値.csv）のため、読取値として開けません。"
    "「-読取値.csv」のファイルを選択してください：");
const QString kImageFolderTitle =
    QStringLiteral("スキャン画像ファイル(.jpg等)が存在するフォルダを選択してください。");

bool blankText(const QString& text) {
    for (const QChar c : text) {
        if (c != u' ') return false;
    }
    return true;
}

QString folderWithSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

/// Points the sheet list at the chosen image folder, one path per sheet
/// row's label.
void rebuildSheetList(ResultTable& table, int sheetLines, const QString& folder) {
    const QString prefix = folderWithSeparator(folder);
    QStringList sheets;
    for (int s = 1; s <= sheetLines; ++s) sheets << prefix + table.label(s);
    table.setSheetPaths(std::move(sheets));
}

void showLoaded(Prompter& prompter, RunFeedback& feedback, ResultTable& table,
                const AppSettings& settings, int sheetLines) {
    const QString folder = prompter.chooseFolder(FolderId::ImageFolder, kImageFolderTitle);
    rebuildSheetList(table, sheetLines, folder);
    // As after a run, an invalid threshold's status gives way at once.
    if (paintWithSettings(table, settings).stoppedOnInvalid) {
        feedback.setStatus(kInvalidThresholdStatus);
    }
    feedback.setRunning(false);
    feedback.setStatus(QStringLiteral("処理完了: %1件").arg(sheetLines));
    feedback.beep();
}

/// Asks before an unsaved table is replaced and loads the file: Loaded, or
/// why not.
CsvOpenResult loadFile(Prompter& prompter, ResultTable& table, const AppSettings& settings,
                       const QString& definitionPath, const QString& path) {
    CsvOpenResult result;
    result.path = path;
    // A score file starts like read values but its sheet lines hold points
    // and a total: loaded, the points would pass for answers.
    if (isScoreFile(path)) {
        prompter.message(kScoreFileRefused + path, Prompter::Icon::Warning);
        result.outcome = CsvOpenOutcome::NotLoaded;
        return result;
    }
    if (!mayDiscard(table, prompter)) {
        result.outcome = CsvOpenOutcome::Cancelled;
        return result;
    }
    const LoadOutcome loaded =
        loadReadValues(table, path, definitionPath, settings.tenToZero, &result.sheetLines);
    result.outcome =
        loaded == LoadOutcome::Loaded ? CsvOpenOutcome::Loaded : CsvOpenOutcome::NotLoaded;
    return result;
}

}  // namespace

CsvOpenResult openReadValues(const CsvOpenContext& context, const BatchInputs& inputs) {
    CsvOpenResult result;
    if (const auto problem = definitionProblem(inputs.definitionPath)) {
        context.prompter.message(*problem, Prompter::Icon::Warning);
        return result;
    }
    const QString path = context.prompter.chooseOpenFile(kOpenTitle, kOpenFilter);
    if (path.isEmpty()) {
        result.outcome = CsvOpenOutcome::Cancelled;
        return result;
    }
    return openReadValuesFile(context, inputs, path);
}

CsvOpenResult openReadValuesFile(const CsvOpenContext& context, const BatchInputs& inputs,
                                 const QString& path) {
    if (blankText(inputs.inputList)) {
        return reviewReadValuesFile(context.prompter, context.feedback, context.table,
                                    context.settings, inputs.definitionPath, path);
    }
    CsvOpenResult result =
        loadFile(context.prompter, context.table, context.settings, inputs.definitionPath, path);
    if (result.outcome != CsvOpenOutcome::Loaded) return result;
    result.run = context.run.run(inputs, true);
    result.outcome = CsvOpenOutcome::Reread;
    return result;
}

CsvOpenResult reviewReadValuesFile(Prompter& prompter, RunFeedback& feedback, ResultTable& table,
                                   const AppSettings& settings, const QString& definitionPath,
                                   const QString& path) {
    CsvOpenResult result = loadFile(prompter, table, settings, definitionPath, path);
    if (result.outcome != CsvOpenOutcome::Loaded) return result;
    // The table now is what the file holds.
    table.setSaved(true);
    showLoaded(prompter, feedback, table, settings, result.sheetLines);
    return result;
}

}  // namespace tarrow
