#include "reader/core/csv_opener.h"

#include "reader/core/result_files.h"
#include "reader/core/save_results.h"

namespace tarrow {

namespace {

const QString kOpenTitle = QStringLiteral("読取値CSVファイルを選択してください");
const QString kOpenFilter = QStringLiteral("読取値CSVファイル (*.csv)|*.csv");
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
    QStringList& sheets = table.sheetPaths();
    sheets.clear();
    for (int s = 1; s <= sheetLines; ++s) {
        sheets << prefix + table.grid().text(ResultTable::rowOfSheet(s), 0);
    }
}

void showLoaded(const CsvOpenContext& context, int sheetLines) {
    const QString folder = context.prompter.chooseFolder(kImageFolderTitle);
    rebuildSheetList(context.table, sheetLines, folder);
    // As after a run, an invalid threshold's status gives way at once.
    if (paintWithSettings(context.table, context.settings).stoppedOnInvalid) {
        context.prompter.setStatus(kInvalidThresholdStatus);
    }
    context.prompter.setRunning(false);
    context.prompter.setStatus(QStringLiteral("処理完了: %1件").arg(sheetLines));
    context.prompter.beep();
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
    CsvOpenResult result;
    result.path = path;
    if (!mayDiscard(context.table, context.prompter)) {
        result.outcome = CsvOpenOutcome::Cancelled;
        return result;
    }
    const LoadOutcome loaded = loadReadValues(context.table, path, inputs.definitionPath,
                                              context.settings.tenToZero, &result.sheetLines);
    if (loaded != LoadOutcome::Loaded) {
        result.outcome = CsvOpenOutcome::NotLoaded;
        return result;
    }
    if (blankText(inputs.inputList)) {
        // The table now is what the file holds.
        context.table.setSaved(true);
        showLoaded(context, result.sheetLines);
        result.outcome = CsvOpenOutcome::Loaded;
        return result;
    }
    result.run = context.run.run(inputs, true);
    result.outcome = CsvOpenOutcome::Reread;
    return result;
}

}  // namespace tarrow
