#include "reader/core/result_files.h"

#include <QFileInfo>
#include <cstdint>

#include "reader/core/csv_text.h"
#include "reader/core/scoring.h"

namespace tarrow {

namespace {

const QString kHeaderLabel = QStringLiteral("列番号");
const QString kKeyLabel = QStringLiteral("正答入力");
const QString kPointsLabel = QStringLiteral("配点入力");
const QString kTotalLabel = QStringLiteral("合計点");
const QString kRateLabel = QStringLiteral("正答率");
const QString kAnswersLabel = QStringLiteral("回答");
const QLatin1StringView kNoAnswer("-1");
const QLatin1StringView kNoMeasurement("999");
const QLatin1StringView kOneMark("1");
constexpr int kLoadedSkew = -1;
constexpr int kMultiHeaderWidth = 33;

QString withSuffix(const QString& folder, const QString& base, const QString& suffix) {
    if (folder.isEmpty()) return base + suffix;
    const QString sep = folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    return folder + sep + base + suffix;
}

/// Removes leading and trailing blanks (spaces only, as the rate compares).
QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' ')) ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' ')) --last;
    return text.mid(first, last - first);
}

/// Fields 1..N of a fixed row, after `label`.
QStringList rowFields(const ResultTable& table, int row, const QString& label) {
    QStringList fields{label};
    for (int c = 1; c <= table.questionCount(); ++c) fields.append(table.grid().text(row, c));
    return fields;
}

/// The key cell after column c; the hidden rotation column's key is always
/// treated as empty, so a run ends at column N at the latest.
QString nextKey(const ResultTable& table, int c) {
    return c < table.questionCount() ? table.grid().text(ResultTable::kKeyRow, c + 1) : QString();
}

QString sheetLine(const ResultTable& table, int row) {
    const TextGrid& grid = table.grid();
    QStringList fields{grid.text(row, 0)};
    JoinCarry carry;
    for (int c = 1; c <= table.questionCount(); ++c) {
        fields.append(
            carry.field(grid.text(ResultTable::kKeyRow, c), nextKey(table, c), grid.text(row, c)));
    }
    return joinFields(fields);
}

bool writeMaybeTransposed(const QString& path, const QStringList& lines, bool transpose,
                          QString* error) {
    return writeLinesAtomically(path, transpose ? transposeLines(lines) : lines, error);
}

/// count * 100 / total with one decimal, halves rounded up ("0.0").
QString ratePercent(std::int64_t count, std::int64_t total) {
    const std::int64_t tenths = (2 * count * 1000 + total) / (2 * total);
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

std::vector<bool> scoredColumns(const ResultTable& table) {
    std::vector<bool> scored(std::size_t(table.questionCount()) + 1, false);
    for (int c = 1; c <= table.questionCount(); ++c) {
        scored[std::size_t(c)] = isScoredKey(table.grid().text(ResultTable::kKeyRow, c));
    }
    return scored;
}

QString scoreSheetLine(ResultTable& table, int row, const std::vector<bool>& scored) {
    TextGrid& grid = table.grid();
    QStringList fields{grid.text(row, 0)};
    JoinCarry carry;
    int total = 0;
    for (int c = 1; c <= table.questionCount(); ++c) {
        const QString& key = grid.text(ResultTable::kKeyRow, c);
        const QString& value = grid.text(row, c);
        if (scored[std::size_t(c)]) {
            const bool right = answerMatches(value, key, table.isMultiAnswerColumn(c));
            const int points = right ? pointsOf(grid.text(ResultTable::kPointsRow, c)) : 0;
            total += points;
            fields.append(QString::number(points));
            continue;
        }
        fields.append(carry.field(key, nextKey(table, c), value));
        grid.setColour(row, c, value == kNoAnswer ? PaletteColour::LightRed : PaletteColour::White);
    }
    fields.append(QString::number(total));
    return joinFields(fields);
}

QString rateLine(const ResultTable& table, const std::vector<bool>& scored) {
    const TextGrid& grid = table.grid();
    const int sheets = table.sheetCount();
    QStringList fields{kRateLabel};
    for (int c = 1; c <= table.questionCount(); ++c) {
        if (!scored[std::size_t(c)] || sheets == 0) {
            fields.append(QString());
            continue;
        }
        const QString key = trimBlanks(grid.text(ResultTable::kKeyRow, c));
        std::int64_t count = 0;
        for (int s = 1; s <= sheets; ++s) {
            if (trimBlanks(grid.text(ResultTable::rowOfSheet(s), c)) == key) ++count;
        }
        fields.append(ratePercent(count, sheets));
    }
    return joinFields(fields);
}

/// A number as the answers-by-choice file prints it: sign position (a blank
/// for zero and positive numbers), the digits, one blank after.
QString printedNumber(qsizetype n) {
    return (n < 0 ? QString() : QStringLiteral(" ")) + QString::number(n) + QLatin1Char(' ');
}

bool countsAsChoice(const QString& value, int choice, bool tenToZero) {
    if (value == QString::number(choice)) return true;
    return tenToZero && choice == 10 && value == QLatin1StringView("0");
}

qsizetype choiceCount(const ResultTable& table, int c, int choice, bool tenToZero) {
    const bool multi = table.isMultiAnswerColumn(c);
    qsizetype count = 0;
    for (int s = 1; s <= table.sheetCount(); ++s) {
        const QString& value = table.grid().text(ResultTable::rowOfSheet(s), c);
        if (!multi) {
            count += countsAsChoice(value, choice, tenToZero) ? 1 : 0;
            continue;
        }
        for (const QString& part : value.split(QLatin1Char(' '))) {
            count += countsAsChoice(part, choice, tenToZero) ? 1 : 0;
        }
    }
    return count;
}

QString choiceLine(const ResultTable& table, int choice, bool tenToZero) {
    const int label = tenToZero && choice == 10 ? 0 : choice;
    QStringList fields{printedNumber(label)};
    for (int c = 1; c <= table.questionCount(); ++c) {
        fields.append(printedNumber(choiceCount(table, c, choice, tenToZero)));
    }
    return joinFields(fields);
}

QString noAnswerLine(const ResultTable& table) {
    QStringList fields{QString(kNoAnswer)};
    for (int c = 1; c <= table.questionCount(); ++c) {
        qsizetype count = 0;
        for (int s = 1; s <= table.sheetCount(); ++s) {
            if (table.grid().text(ResultTable::rowOfSheet(s), c) == kNoAnswer) ++count;
        }
        fields.append(printedNumber(count));
    }
    return joinFields(fields);
}

QString repeatedJoined(QLatin1StringView cell, qsizetype count) {
    return QStringList(count, QString(cell)).join(QLatin1Char(','));
}

/// One sheet line of a read-values file, stored as the run stores a sheet.
void loadSheetLine(ResultTable& table, int s, const QStringList& fields, bool tenToZero) {
    const qsizetype values = fields.size() - 1;
    table.storeSheet(s, fields.at(0), QStringList(fields.mid(1)).join(QLatin1Char(',')),
                     repeatedJoined(kNoMeasurement, values), repeatedJoined(kOneMark, values), 0,
                     kLoadedSkew, tenToZero);
}

void applyLoadedHeader(ResultTable& table, const QString& headerLine) {
    const QStringList fields = splitFields(headerLine);
    TextGrid& grid = table.grid();
    for (int c = 1; c < fields.size() && c < grid.cols(); ++c) {
        grid.setText(ResultTable::kHeaderRow, c, fields.at(c));
        if (fields.at(c).startsWith(QLatin1Char('*'))) grid.setColumnWidth(c, kMultiHeaderWidth);
    }
}

void copyFieldsToRow(TextGrid& grid, int row, const QStringList& fields) {
    for (int c = 1; c < fields.size(); ++c) grid.setText(row, c, fields.at(c));
}

}  // namespace

QString readValuesPath(const QString& folder, const QString& base) {
    return withSuffix(folder, base, QStringLiteral("-読取値.csv"));
}

QString scorePath(const QString& folder, const QString& base) {
    return withSuffix(folder, base, QStringLiteral("-採点値.csv"));
}

QString answersByChoicePath(const QString& folder, const QString& base) {
    return withSuffix(folder, base, QStringLiteral("-回答別.csv"));
}

bool writeReadValues(const ResultTable& table, const QString& path, bool transpose,
                     QString* error) {
    QStringList lines;
    lines.reserve(table.sheetCount() + 3);
    lines.append(joinFields(rowFields(table, ResultTable::kHeaderRow, kHeaderLabel)));
    lines.append(joinFields(rowFields(table, ResultTable::kKeyRow, kKeyLabel)));
    lines.append(joinFields(rowFields(table, ResultTable::kPointsRow, kPointsLabel)));
    for (int s = 1; s <= table.sheetCount(); ++s) {
        lines.append(sheetLine(table, ResultTable::rowOfSheet(s)));
    }
    return writeMaybeTransposed(path, lines, transpose, error);
}

bool anyQuestionScored(const ResultTable& table) {
    for (int c = 1; c <= table.questionCount(); ++c) {
        if (isScoredKey(table.grid().text(ResultTable::kKeyRow, c))) return true;
    }
    return false;
}

bool writeScoreFile(ResultTable& table, const QString& path, bool transpose, QString* error) {
    TextGrid& grid = table.grid();
    const std::vector<bool> scored = scoredColumns(table);
    QStringList lines;
    lines.reserve(table.sheetCount() + 5);
    QStringList header = rowFields(table, ResultTable::kHeaderRow, kHeaderLabel);
    header.append(kTotalLabel);
    lines.append(joinFields(header));
    for (int c = 1; c <= table.questionCount(); ++c) {
        if (scored[std::size_t(c)] && grid.text(ResultTable::kPointsRow, c).isEmpty()) {
            grid.setText(ResultTable::kPointsRow, c, QStringLiteral("1"));
        }
    }
    lines.append(joinFields(rowFields(table, ResultTable::kKeyRow, grid.text(1, 0))));
    lines.append(joinFields(rowFields(table, ResultTable::kPointsRow, grid.text(2, 0))));
    for (int s = 1; s <= table.sheetCount(); ++s) {
        lines.append(scoreSheetLine(table, ResultTable::rowOfSheet(s), scored));
    }
    lines.append(joinFields(questionNumberFields(table)));
    lines.append(rateLine(table, scored));
    return writeMaybeTransposed(path, lines, transpose, error);
}

bool writeAnswersByChoice(const ResultTable& table, const QString& path, int maxChoices,
                          bool tenToZero, QString* error) {
    QStringList lines;
    lines.append(joinFields(rowFields(table, ResultTable::kHeaderRow, kHeaderLabel)));
    if (anyQuestionScored(table)) lines.append(joinFields(questionNumberFields(table)));
    const int n = table.questionCount();
    lines.append(kAnswersLabel + QLatin1Char(',') + QString(qMax(n - 1, 0), QLatin1Char(',')));
    for (int k = 1; k <= maxChoices; ++k) lines.append(choiceLine(table, k, tenToZero));
    lines.append(noAnswerLine(table));
    return writeLinesAtomically(path, lines, error);
}

LoadOutcome loadReadValues(ResultTable& table, const QString& path, const QString& definitionPath,
                           bool tenToZero, int* sheetLines) {
    QStringList lines;
    if (!readLines(path, &lines)) return LoadOutcome::Unreadable;
    if (lines.isEmpty() || !lines.first().startsWith(kHeaderLabel)) {
        return LoadOutcome::NotReadValues;
    }
    table.initMarks(definitionPath);
    table.sheetPaths().clear();
    int sheets = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        // An empty line carries no label; it is passed over.
        if (lines.at(i).isEmpty()) continue;
        const QStringList fields = splitFields(lines.at(i));
        if (sheets == 0 && fields.at(0).startsWith(kKeyLabel)) {
            table.grid().setRows(ResultTable::kFirstSheetRow);
            table.grid().setCols(int(fields.size()));
            copyFieldsToRow(table.grid(), ResultTable::kKeyRow, fields);
        } else if (sheets == 0 && fields.at(0).startsWith(kPointsLabel)) {
            copyFieldsToRow(table.grid(), ResultTable::kPointsRow, fields);
        } else {
            loadSheetLine(table, ++sheets, fields, tenToZero);
        }
    }
    applyLoadedHeader(table, lines.first());
    if (sheetLines) *sheetLines = sheets;
    return LoadOutcome::Loaded;
}

}  // namespace tarrow
