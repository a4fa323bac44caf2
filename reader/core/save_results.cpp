#include "reader/core/save_results.h"

#include <QFileInfo>

#include "reader/core/csv_text.h"
#include "reader/core/result_files.h"

namespace tarrow {

namespace {

const QString kCsvFilter = QStringLiteral("csvファイル(*.csv)|*.csv");
const QString kCsvSuffix = QStringLiteral("csv");
const QString kExistsQuestion = QStringLiteral("は既に存在します。上書きしますか？");
const QString kUnsavedQuestion =
    QStringLiteral("読取値が保存されていません。本当に閉じてもよろしいですか？");
const QString kMaxChoicesTitle = QStringLiteral("最大選択肢数入力");
const QString kMaxChoicesPrompt =
    QStringLiteral("１問あたりの最大選択肢数を半角数字で入力してください。");
const QString kMaxChoicesDefault = QStringLiteral("10");

SaveOutcome failed(const QString& path, const QString& reason) {
    SaveOutcome outcome;
    outcome.status = SaveStatus::Failed;
    outcome.error = path + QStringLiteral(": ") + reason;
    return outcome;
}

}  // namespace

bool confirmOverwrite(Prompter& prompter, const QString& path) {
    if (!QFileInfo::exists(path)) return true;
    return prompter.question(QuestionId::ReplaceOutputFile,
                             path + QStringLiteral("\r\n") + kExistsQuestion) ==
           Prompter::Answer::Yes;
}

std::optional<SaveTarget> chooseSaveTarget(ResultTable& table, Prompter& prompter) {
    const QString chosen = prompter.chooseSaveFile(kCsvFilter, kCsvSuffix);
    if (chosen.isEmpty()) return std::nullopt;
    const QFileInfo info(chosen);
    SaveTarget target{info.absolutePath(), info.completeBaseName()};
    table.setDestinationBase(target.base);
    return target;
}

bool confirmOverwriteAll(Prompter& prompter, const QStringList& paths) {
    QStringList existing;
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) existing << path;
    }
    if (existing.isEmpty()) return true;
    return prompter.question(QuestionId::ReplaceOutputFile,
                             existing.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") +
                                 kExistsQuestion) == Prompter::Answer::Yes;
}

std::optional<SaveTarget> saveProc(ResultTable& table, Prompter& prompter) {
    auto target = chooseSaveTarget(table, prompter);
    if (!target) return std::nullopt;
    // The read-values and score files are one result: one question names
    // every one that exists, so a "No" can never be followed by a question
    // about the other file alone.
    const QStringList pair{readValuesPath(target->folder, target->base),
                           scorePath(target->folder, target->base)};
    if (!confirmOverwriteAll(prompter, pair)) return std::nullopt;
    return target;
}

std::optional<SaveTarget> saveProcEachItem(ResultTable& table, Prompter& prompter) {
    auto target = chooseSaveTarget(table, prompter);
    if (!target) return std::nullopt;
    if (!confirmOverwrite(prompter, answersByChoicePath(target->folder, target->base))) {
        return std::nullopt;
    }
    return target;
}

SaveOutcome writeResultFiles(ResultTable& table, const SaveTarget& target, bool transpose) {
    // The two files are one result: both are written before either replaces
    // its old file, so a failure never leaves new values beside old scores.
    std::vector<LineFile> files{
        {readValuesPath(target.folder, target.base), readValuesLines(table, transpose)}};
    if (anyQuestionScored(table)) {
        files.push_back({scorePath(target.folder, target.base), scoreFileLines(table, transpose)});
    }
    QString reason;
    QString failedFile;
    if (!writeLineFilesAtomically(files, &reason, &failedFile)) return failed(failedFile, reason);
    table.setSaved(true);
    SaveOutcome outcome;
    outcome.status = SaveStatus::Saved;
    outcome.readValuesFile = files.front().path;
    if (files.size() > 1) outcome.scoreFile = files.back().path;
    return outcome;
}

SaveOutcome saveResults(ResultTable& table, Prompter& prompter, bool transpose) {
    const auto target = saveProc(table, prompter);
    if (!target) return SaveOutcome{};
    return writeResultFiles(table, *target, transpose);
}

SaveOutcome saveAnswersByChoice(ResultTable& table, Prompter& prompter, bool tenToZero) {
    const auto answer = prompter.inputText(InputId::MaxChoices, kMaxChoicesTitle, kMaxChoicesPrompt,
                                           kMaxChoicesDefault);
    if (!answer || answer->isEmpty()) return SaveOutcome{};
    bool ok = false;
    const int maxChoices = answer->trimmed().toInt(&ok);
    if (!ok) return SaveOutcome{};
    const auto target = saveProcEachItem(table, prompter);
    if (!target) return SaveOutcome{};
    const QString file = answersByChoicePath(target->folder, target->base);
    QString reason;
    if (!writeAnswersByChoice(table, file, maxChoices, tenToZero, &reason)) {
        return failed(file, reason);
    }
    SaveOutcome outcome;
    outcome.status = SaveStatus::Saved;
    outcome.answersFile = file;
    return outcome;
}

bool mayDiscard(const ResultTable& table, Prompter& prompter) {
    if (table.saved()) return true;
    return prompter.question(QuestionId::DiscardUnsaved, kUnsavedQuestion) == Prompter::Answer::Yes;
}

}  // namespace tarrow
