#include "reader/core/result_files.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "reader/core/csv_text.h"
#include "reader/core/scoring.h"

namespace tarrow {

namespace {

const QString kHeaderLabel = QStringLiteral("列番号");
const QString kKeyLabel = QStringLiteral("正答入力");
const QString kPointsLabel = QStringLiteral("配点入力");
const QString kTotalLabel = QStringLiteral("合計点");
const QString kRateLabel = QStringLiteral("正答率");
const QString kQuestionNumberLabel = QStringLiteral("設問番号");
const QString kAnswersLabel = QStringLiteral("回答");
const QLatin1StringView kOneMark("1");
const QString kZeroPoints = QStringLiteral("0");
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

using Rows = std::vector<QStringList>;

/// Fields 1..N of a fixed row, after `label`.
QStringList rowFields(const ResultTable& table, int row, const QString& label) {
    QStringList fields{label};
    fields.reserve(table.questionCount() + 2);
    for (int c = 1; c <= table.questionCount(); ++c) fields.append(table.text(row, c));
    return fields;
}

/// The key cells of columns 1..N + 1 (index c for column c); the hidden
/// rotation column's key counts as empty, so a run ends at column N.
QStringList keyCells(const ResultTable& table) {
    QStringList keys = rowFields(table, ResultTable::kKeyRow, QString());
    keys.append(QString());
    return keys;
}

QStringList sheetFields(const ResultTable& table, const QStringList& keys, int row) {
    QStringList fields{table.text(row, ResultTable::kLabelColumn)};
    fields.reserve(keys.size());
    JoinCarry carry;
    for (int c = 1; c <= table.questionCount(); ++c) {
        fields.append(carry.field(keys.at(c), keys.at(c + 1), table.text(row, c)));
    }
    return fields;
}

QStringList linesOfRows(const Rows& rows, bool transpose) {
    if (transpose) return transposeRows(rows);
    QStringList lines;
    lines.reserve(qsizetype(rows.size()));
    for (const QStringList& row : rows) lines.append(joinFields(row));
    return lines;
}

/// count * 100 / total with one decimal, halves rounded up ("0.0").
QString ratePercent(std::int64_t count, std::int64_t total) {
    const std::int64_t tenths = (2 * count * 1000 + total) / (2 * total);
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

/// Per column 1..N: the prepared key of a scored question, or none.
std::vector<std::optional<KeyMatcher>> scoredKeys(const ResultTable& table) {
    std::vector<std::optional<KeyMatcher>> keys(std::size_t(table.questionCount()) + 1);
    for (int c = 1; c <= table.questionCount(); ++c) {
        const QString& key = table.key(c);
        if (isScoredKey(key)) keys[std::size_t(c)].emplace(key, table.isMultiAnswerColumn(c));
    }
    return keys;
}

struct ScoreColumns {
    QStringList keys;
    std::vector<std::optional<KeyMatcher>> matchers;
    std::vector<int> points;
    std::vector<QString> pointsText;  ///< points as written, shared by every line
};

QStringList scoreSheetFields(ResultTable& table, const ScoreColumns& cols, int row) {
    QStringList fields{table.text(row, ResultTable::kLabelColumn)};
    fields.reserve(cols.keys.size() + 1);
    // A sheet the engine could not read has no score: its scored cells and
    // its total stay empty (a 0 would read as a student who got nothing).
    const bool failed = table.isFailedRow(row);
    JoinCarry carry;
    // Points are 32-bit; the sum of up to 2^31 of them always fits 64 bits.
    std::int64_t total = 0;
    for (int c = 1; c <= table.questionCount(); ++c) {
        const QString& value = table.text(row, c);
        if (const auto& matcher = cols.matchers[std::size_t(c)]) {
            if (failed) {
                fields.append(QString());
                continue;
            }
            const bool right = matcher->matches(value);
            total += right ? cols.points[std::size_t(c)] : 0;
            fields.append(right ? cols.pointsText[std::size_t(c)] : kZeroPoints);
            continue;
        }
        fields.append(carry.field(cols.keys.at(c), cols.keys.at(c + 1), value));
        table.setColour(
            row, c,
            value == ResultTable::kNoAnswer ? PaletteColour::LightRed : PaletteColour::White);
    }
    fields.append(failed ? QString() : QString::number(qint64(total)));
    return fields;
}

/// Rates are over the sheets that were read: a failed sheet is no answer.
QStringList rateFields(const ResultTable& table, const ScoreColumns& cols) {
    std::vector<int> readSheets;
    for (int s = 1; s <= table.sheetCount(); ++s) {
        if (!table.isFailedSheet(s)) readSheets.push_back(s);
    }
    const auto sheets = std::int64_t(readSheets.size());
    QStringList fields{kRateLabel};
    for (int c = 1; c <= table.questionCount(); ++c) {
        if (!cols.matchers[std::size_t(c)] || sheets == 0) {
            fields.append(QString());
            continue;
        }
        const QString key = trimBlanks(cols.keys.at(c));
        std::int64_t count = 0;
        for (const int s : readSheets) {
            if (trimBlanks(table.answer(s, c)) == key) ++count;
        }
        fields.append(ratePercent(count, sheets));
    }
    return fields;
}

/// A number as the answers-by-choice file prints it: sign position (a blank
/// for zero and positive numbers), the digits, one blank after.
QString printedNumber(qsizetype n) {
    return (n < 0 ? QString() : QStringLiteral(" ")) + QString::number(n) + QLatin1Char(' ');
}

/// The choice a value stands for when it is exactly the decimal text of a
/// positive number ("3", not "03" or " 3"); 0 otherwise.
int canonicalChoice(const QString& text) {
    constexpr qsizetype kMaxDigits = 9;
    if (text.isEmpty() || text.size() > kMaxDigits || text.front() == QLatin1Char('0')) return 0;
    int value = 0;
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return 0;
        value = value * 10 + (ch.unicode() - u'0');
    }
    return value;
}

/// How many sheets gave each choice in column c (index k for choice k),
/// and, last, how many read "-1".
std::vector<qsizetype> choiceTally(const ResultTable& table, int c, int maxChoices,
                                   bool tenToZero) {
    constexpr int kTen = 10;
    std::vector<qsizetype> tally(std::size_t(maxChoices) + 2, 0);
    const auto count = [&](const QString& text) {
        int k = canonicalChoice(text);
        if (tenToZero && text == QLatin1StringView("0")) k = kTen;
        if (k >= 1 && k <= maxChoices) ++tally[std::size_t(k)];
    };
    const bool multi = table.isMultiAnswerColumn(c);
    for (int s = 1; s <= table.sheetCount(); ++s) {
        const QString& value = table.answer(s, c);
        if (value == ResultTable::kNoAnswer) ++tally.back();
        if (!multi) {
            count(value);
            continue;
        }
        for (const QString& part : value.split(QLatin1Char(' '))) count(part);
    }
    return tally;
}

QStringList answersByChoiceLines(const ResultTable& table, int maxChoices, bool tenToZero) {
    const int n = table.questionCount();
    std::vector<std::vector<qsizetype>> tallies;
    for (int c = 1; c <= n; ++c) tallies.push_back(choiceTally(table, c, maxChoices, tenToZero));
    QStringList lines;
    for (int k = 1; k <= maxChoices; ++k) {
        QStringList fields{printedNumber(tenToZero && k == 10 ? 0 : k)};
        for (const auto& tally : tallies) fields.append(printedNumber(tally[std::size_t(k)]));
        lines.append(joinFields(fields));
    }
    QStringList fields{ResultTable::kNoAnswer};
    for (const auto& tally : tallies) fields.append(printedNumber(tally.back()));
    lines.append(joinFields(fields));
    return lines;
}

/// The placeholder measurements of a loaded sheet line ("999" and "1" once
/// per value), kept while lines have the same length.
class LoadPlaceholders {
public:
    void resize(qsizetype values) {
        if (values == values_) return;
        values_ = values;
        reliability_ = QStringList(values, ResultTable::kNoMeasurement).join(QLatin1Char(','));
        marked_ = QStringList(values, QString(kOneMark)).join(QLatin1Char(','));
    }
    const QString& reliability() const { return reliability_; }
    const QString& marked() const { return marked_; }

private:
    qsizetype values_ = -1;
    QString reliability_;
    QString marked_;
};

/// One sheet line of a read-values file, stored as the run stores a sheet.
void loadSheetLine(ResultTable& table, int s, const QString& line, LoadPlaceholders& placeholders,
                   bool tenToZero) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    const QString label = comma < 0 ? line : line.left(comma);
    const QString values = comma < 0 ? QString() : line.mid(comma + 1);
    placeholders.resize(comma < 0 ? 0 : values.count(QLatin1Char(',')) + 1);
    table.storeSheet(s, label, values, placeholders.reliability(), placeholders.marked(), 0,
                     kLoadedSkew, tenToZero);
}

void applyLoadedHeader(ResultTable& table, const QString& headerLine) {
    const QStringList fields = splitFields(headerLine);
    for (int c = 1; c < fields.size() && c < table.cols(); ++c) {
        table.setText(ResultTable::kHeaderRow, c, fields.at(c));
        if (fields.at(c).startsWith(QLatin1Char('*'))) table.setColumnWidth(c, kMultiHeaderWidth);
    }
}

void copyFieldsToRow(ResultTable& table, int row, const QStringList& fields) {
    for (int c = 1; c < fields.size(); ++c) table.setText(row, c, fields.at(c));
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

QStringList readValuesLines(const ResultTable& table, bool transpose) {
    Rows rows;
    rows.reserve(std::size_t(table.sheetCount()) + 3);
    rows.push_back(rowFields(table, ResultTable::kHeaderRow, kHeaderLabel));
    rows.push_back(rowFields(table, ResultTable::kKeyRow, kKeyLabel));
    rows.push_back(rowFields(table, ResultTable::kPointsRow, kPointsLabel));
    const QStringList keys = keyCells(table);
    for (int s = 1; s <= table.sheetCount(); ++s) {
        rows.push_back(sheetFields(table, keys, ResultTable::rowOfSheet(s)));
    }
    return linesOfRows(rows, transpose);
}

bool writeReadValues(const ResultTable& table, const QString& path, bool transpose,
                     QString* error) {
    return writeLinesAtomically(path, readValuesLines(table, transpose), error);
}

bool anyQuestionScored(const ResultTable& table) {
    for (int c = 1; c <= table.questionCount(); ++c) {
        if (isScoredKey(table.key(c))) return true;
    }
    return false;
}

QStringList scoreFileLines(ResultTable& table, bool transpose) {
    ScoreColumns cols{keyCells(table), scoredKeys(table), {}, {}};
    Rows rows;
    rows.reserve(std::size_t(table.sheetCount()) + 5);
    rows.push_back(rowFields(table, ResultTable::kHeaderRow, kHeaderLabel) << kTotalLabel);
    cols.points.assign(cols.matchers.size(), 0);
    cols.pointsText.resize(cols.matchers.size());
    for (int c = 1; c <= table.questionCount(); ++c) {
        if (!cols.matchers[std::size_t(c)]) continue;
        if (table.text(ResultTable::kPointsRow, c).isEmpty()) {
            table.setText(ResultTable::kPointsRow, c, QStringLiteral("1"));
        }
        cols.points[std::size_t(c)] = pointsOf(table.text(ResultTable::kPointsRow, c));
        cols.pointsText[std::size_t(c)] = QString::number(cols.points[std::size_t(c)]);
    }
    rows.push_back(rowFields(table, ResultTable::kKeyRow,
                             table.text(ResultTable::kKeyRow, ResultTable::kLabelColumn)));
    rows.push_back(rowFields(table, ResultTable::kPointsRow,
                             table.text(ResultTable::kPointsRow, ResultTable::kLabelColumn)));
    for (int s = 1; s <= table.sheetCount(); ++s) {
        rows.push_back(scoreSheetFields(table, cols, ResultTable::rowOfSheet(s)));
    }
    rows.push_back(questionNumberFields(table));
    rows.push_back(rateFields(table, cols));
    return linesOfRows(rows, transpose);
}

bool writeScoreFile(ResultTable& table, const QString& path, bool transpose, QString* error) {
    return writeLinesAtomically(path, scoreFileLines(table, transpose), error);
}

bool writeAnswersByChoice(const ResultTable& table, const QString& path, int maxChoices,
                          bool tenToZero, QString* error) {
    QStringList lines;
    lines.append(joinFields(rowFields(table, ResultTable::kHeaderRow, kHeaderLabel)));
    if (anyQuestionScored(table)) lines.append(joinFields(questionNumberFields(table)));
    const int n = table.questionCount();
    lines.append(kAnswersLabel + QLatin1Char(',') + QString(qMax(n - 1, 0), QLatin1Char(',')));
    lines += answersByChoiceLines(table, maxChoices, tenToZero);
    return writeLinesAtomically(path, lines, error);
}

bool isScoreFileLines(const QStringList& lines) {
    if (lines.isEmpty() || !lines.first().startsWith(kHeaderLabel)) return false;
    const QStringList header = splitFields(lines.first());
    if (header.size() >= 2 && header.last() == kTotalLabel) return true;
    return header.size() >= 3 && header.last() == kRateLabel &&
           header.at(header.size() - 2) == kQuestionNumberLabel;
}

bool isScoreFile(const QString& path) {
    QStringList lines;
    return readLines(path, &lines) && isScoreFileLines(lines);
}

LoadOutcome loadReadValues(ResultTable& table, const QString& path, const QString& definitionPath,
                           bool tenToZero, int* sheetLines) {
    QStringList lines;
    if (!readLines(path, &lines)) return LoadOutcome::Unreadable;
    if (lines.isEmpty() || !lines.first().startsWith(kHeaderLabel)) {
        return LoadOutcome::NotReadValues;
    }
    if (isScoreFileLines(lines)) return LoadOutcome::ScoreFile;
    table.initMarks(definitionPath);
    table.setSheetPaths({});
    LoadPlaceholders placeholders;
    int sheets = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        // An empty line carries no label; it is passed over.
        if (line.isEmpty()) continue;
        if (sheets == 0 && line.startsWith(kKeyLabel)) {
            const QStringList fields = splitFields(line);
            table.setFixedRows(int(fields.size()));
            copyFieldsToRow(table, ResultTable::kKeyRow, fields);
        } else if (sheets == 0 && line.startsWith(kPointsLabel)) {
            copyFieldsToRow(table, ResultTable::kPointsRow, splitFields(line));
        } else {
            loadSheetLine(table, ++sheets, line, placeholders, tenToZero);
        }
    }
    applyLoadedHeader(table, lines.first());
    if (sheetLines) *sheetLines = sheets;
    return LoadOutcome::Loaded;
}

}  // namespace tarrow
