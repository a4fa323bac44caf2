#include "reader/core/table_edits.h"

#include <QStringList>
#include <algorithm>

#include "reader/core/text_normalise.h"

namespace tarrow {

namespace {

using namespace Qt::StringLiterals;

const QString kCrLf2 = u"\r\n\r\n"_s;
const QString kSeveralColumnsHint = u"カンマ/タブ区切りで複数列に連続入力できます。"_s;
const QString kCannotChange = u"変更できません。"_s;
const QString kCannotClear = u"クリアできません。"_s;
const QString kClearQuestion = u"値をクリアします。よろしいですか？"_s;
const QString kResetQuestion =
    u"ﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値を初期化します。よろしいですか？"_s;
const QString kDensityLabel = u"ﾏｰｸ濃度="_s;
const QString kDotsLabel = u"ﾄﾞｯﾄ数(●=ﾏｰｸ有、▲=薄いﾏｰｸ)="_s;

/// Splits on ",", or when that gives one part on ";", then ":", then tab.
QStringList splitParts(const QString& text) {
    for (const QChar separator : {u',', u';', u':', u'\t'}) {
        QStringList parts = text.split(separator);
        if (parts.size() > 1) return parts;
    }
    return {text};
}

ClearResult askToClear(Prompter& prompter) {
    const Prompter::Answer answer = prompter.question(QuestionId::ClearCell, kClearQuestion);
    return answer == Prompter::Answer::Yes ? ClearResult::Confirmed : ClearResult::Declined;
}

/// Carries out a confirmed clear; any other outcome passes unchanged.
ClearResult clearWhenConfirmed(ResultTable& table, int row, int col, ClearResult asked) {
    if (asked != ClearResult::Confirmed) return asked;
    clearCell(table, row, col);
    return ClearResult::Cleared;
}

std::optional<int> parseCount(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

/// " ●" for a marked choice, "▲" inside the attention band, then the count.
std::optional<QString> annotatedDots(const QString& dots, const ThresholdTexts& thresholds) {
    const QList<QStringView> counts = QStringView(dots).split(u',');
    if (counts.size() <= 1) return QString();
    const std::optional<int> value = parseCount(thresholds.multiValue);
    const std::optional<int> range = parseCount(thresholds.multiRange);
    if (!value || !range) return std::nullopt;
    QString out;
    for (const QStringView part : counts) {
        const std::optional<int> count = parseCount(part);
        if (!count) return std::nullopt;
        out += *count > *value ? u" ●"_s : u" "_s;
        const qint64 low = qint64(*value) - *range;
        const qint64 high = qint64(*value) + *range;
        if (low < *count && *count < high) out += u'▲';
        out += QString::number(*count);
    }
    return out.trimmed();
}

}  // namespace

bool canEditInPlace(const ResultTable& table, int row, int col) {
    return row > ResultTable::kHeaderRow && row < table.rows() && table.isQuestionColumn(col);
}

std::optional<QString> openInPlaceEditor(ResultTable& table, int row, int col,
                                         const std::optional<QString>& typed) {
    if (!canEditInPlace(table, row, col)) return std::nullopt;
    table.setSaved(false);
    return typed ? *typed : table.text(row, col);
}

int commitInPlaceEdit(ResultTable& table, int row, int col, const QString& text) {
    if (!canEditInPlace(table, row, col)) return col;
    table.setTypedValue(row, col, text);
    table.setSaved(false);
    return columnAfterEdit(table, col);
}

int columnAfterEdit(const ResultTable& table, int col) {
    return std::min(col + 1, table.cols() - 1);
}

InputDialogRequest inputDialogRequest(const ResultTable& table, int row, int col) {
    InputDialogRequest request;
    if (row <= ResultTable::kHeaderRow || row >= table.rows() || col < 0 ||
        col > table.questionCount()) {
        return request;
    }
    request.firstColumn = std::max(col, 1);
    if (row == ResultTable::kKeyRow) {
        request.title = u"正答入力"_s;
        request.prompt = u"半角数字で正答を入力してください。"_s + kCrLf2 + kSeveralColumnsHint;
    } else if (row == ResultTable::kPointsRow) {
        request.title = u"配点入力"_s;
        request.prompt =
            u"半角数字で配点を入力してください(省略時は1点)。"_s + kCrLf2 + kSeveralColumnsHint;
    } else if (table.isFailedRow(row)) {
        request.kind = InputDialogRequest::Kind::Refused;
        request.status = kCannotChange;
        return request;
    } else {
        request.title = u"修正入力"_s;
        request.prompt = u"半角数字で正しい値を入力してください。"_s + kCrLf2 + kSeveralColumnsHint;
    }
    request.kind = InputDialogRequest::Kind::Ask;
    return request;
}

std::vector<InputDialogCell> inputDialogCells(const ResultTable& table, int firstColumn,
                                              const QString& answer) {
    std::vector<InputDialogCell> cells;
    if (answer.isEmpty()) return cells;
    const QStringList parts = splitParts(toHalfWidth(normaliseCommas(answer)));
    const int lastQuestion = table.questionCount();
    for (qsizetype k = 0; k < parts.size(); ++k) {
        const int col = firstColumn + int(k);
        if (col > lastQuestion) break;
        cells.push_back({col, parts[k]});
    }
    return cells;
}

bool writeInputDialogPart(ResultTable& table, int row, int col, const QString& text) {
    if (!canEditInPlace(table, row, col)) return false;
    // "+" and "-" join key columns; they are no values of their own.
    if (text != u"-"_s && text != u"+"_s) {
        table.setTypedValue(row, col, text);
    } else {
        table.setText(row, col, text);
    }
    table.setSaved(false);
    return true;
}

int applyInputDialogAnswer(ResultTable& table, int row, int firstColumn, const QString& answer) {
    if (answer.isEmpty()) return 0;
    int written = 0;
    for (const InputDialogCell& cell : inputDialogCells(table, firstColumn, answer)) {
        if (writeInputDialogPart(table, row, cell.col, cell.text)) ++written;
    }
    table.setSaved(false);
    return written;
}

std::optional<InputDialogAnswer> askInputDialog(ResultTable& table, int row, int col,
                                                Prompter& prompter, RunFeedback& status) {
    const InputDialogRequest request = inputDialogRequest(table, row, col);
    if (request.kind == InputDialogRequest::Kind::Refused) status.setStatus(request.status);
    if (request.kind != InputDialogRequest::Kind::Ask) return std::nullopt;
    const std::optional<QString> answer =
        prompter.inputText(InputId::CellValues, request.title, request.prompt, QString());
    if (!answer || answer->isEmpty()) return std::nullopt;
    table.setSaved(false);
    return InputDialogAnswer{row, inputDialogCells(table, request.firstColumn, *answer)};
}

bool runInputDialog(ResultTable& table, int row, int col, Prompter& prompter, RunFeedback& status) {
    const std::optional<InputDialogAnswer> answer =
        askInputDialog(table, row, col, prompter, status);
    if (!answer) return false;
    for (const InputDialogCell& cell : answer->cells) {
        writeInputDialogPart(table, answer->row, cell.col, cell.text);
    }
    return true;
}

bool canClearCell(const ResultTable& table, int row, int col) {
    return row > ResultTable::kHeaderRow && row < table.rows() && col >= 1 && col < table.cols();
}

bool clearCell(ResultTable& table, int row, int col) {
    if (!canClearCell(table, row, col)) return false;
    table.setText(row, col, QString());
    table.setSaved(false);
    return true;
}

ClearResult confirmClearOnShiftClick(const ResultTable& table, int row, int col, Prompter& prompter,
                                     RunFeedback& status) {
    if (!table.isSheetRow(row) || !table.isQuestionColumn(col)) return ClearResult::NotApplicable;
    if (table.isFailedRow(row)) {
        status.setStatus(kCannotClear);
        return ClearResult::Refused;
    }
    return askToClear(prompter);
}

ClearResult confirmClearOnBackspace(const ResultTable& table, int row, int col,
                                    Prompter& prompter) {
    if (!canClearCell(table, row, col)) return ClearResult::NotApplicable;
    return askToClear(prompter);
}

ClearResult clearCellOnShiftClick(ResultTable& table, int row, int col, Prompter& prompter,
                                  RunFeedback& status) {
    return clearWhenConfirmed(table, row, col,
                              confirmClearOnShiftClick(table, row, col, prompter, status));
}

ClearResult clearCellOnBackspace(ResultTable& table, int row, int col, Prompter& prompter) {
    return clearWhenConfirmed(table, row, col, confirmClearOnBackspace(table, row, col, prompter));
}

std::optional<QString> cellStatusText(const ResultTable& table, int row, int col,
                                      const ThresholdTexts& thresholds) {
    if (row <= ResultTable::kHeaderRow || row >= table.rows() || col < 1 || col >= table.cols()) {
        return std::nullopt;
    }
    if (!table.isSheetRow(row) || col >= table.skewColumn()) return QString();
    const QString& measurement = table.measurement(row, col);
    if (!table.isMultiAnswerColumn(col)) return kDensityLabel + measurement;
    const std::optional<QString> dots = annotatedDots(measurement, thresholds);
    if (!dots) return std::nullopt;
    return kDotsLabel + *dots;
}

bool resetThresholds(ThresholdTexts& thresholds, Prompter& prompter) {
    const Prompter::Answer answer = prompter.question(QuestionId::ResetThresholds, kResetQuestion);
    if (answer != Prompter::Answer::Yes) return false;
    thresholds = ThresholdTexts::defaults();
    return true;
}

}  // namespace tarrow
