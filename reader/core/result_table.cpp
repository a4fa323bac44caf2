#include "reader/core/result_table.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "common/profile_file.h"

namespace tarrow {

namespace {

using namespace Qt::StringLiterals;

constexpr int kNarrowColumnWidth = 18;
constexpr int kMediumColumnWidth = 24;
constexpr int kWideColumnWidth = 30;
constexpr int kNarrowUpTo = 100;   ///< U = N - 1 up to this: narrow columns
constexpr int kMediumUpTo = 1000;  ///< up to this: medium columns
constexpr int kMinErrorRowColumns = 4;
constexpr int kMarkFields = 4;
constexpr qsizetype kMarkPrefixLength = 4;

const QString kKeyLabel = u"正答入力"_s;
const QString kPointsLabel = u"配点入力"_s;
const QString kSkewHeader = u"歪み"_s;
const QString kTen = u"10"_s;
const QString kZero = u"0"_s;

/// Whether `text` is exactly the decimal text of `number` (checked without
/// building a string: the header row is rewritten for every sheet).
bool isDecimalText(const QString& text, int number) {
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
    return ec == std::errc() && text == QLatin1StringView(digits, end - digits);
}

QString fieldOrEmpty(const QStringList& fields, qsizetype index) {
    return index < fields.size() ? fields[index] : QString();
}

/// One MARK line's value ("q,c,x,y") as a rectangle; false when it does not
/// hold four fields.
bool parseMarkRect(const std::string& line, MarkRect& rect) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    const QStringList fields = QString::fromLatin1(line.substr(eq + 1)).split(u',');
    if (fields.size() < kMarkFields) return false;
    int numbers[kMarkFields] = {};
    for (int i = 0; i < kMarkFields; ++i) {
        numbers[i] = velmora::parseProfileInt(fields[i].toStdString());
    }
    rect = MarkRect{numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

/// A value the engine wrote ("3", "-1") as a number; Kept::kNoAnswer for
/// anything else.
int answerNumber(const QString& value) {
    bool ok = false;
    const int answer = value.toInt(&ok);
    return ok ? answer : INT_MIN;
}

}  // namespace

ResultTable::Kept* ResultTable::kept(int row, int col) {
    if (row < 0 || std::size_t(row) >= kept_.size() || col < 0) return nullptr;
    std::vector<Kept>& cells = kept_[std::size_t(row)];
    return std::size_t(col) < cells.size() ? &cells[std::size_t(col)] : nullptr;
}

const ResultTable::Kept* ResultTable::kept(int row, int col) const {
    return const_cast<ResultTable*>(this)->kept(row, col);
}

ResultTable::Kept* ResultTable::keptSlot(int row, int col) {
    if (!isSheetRow(row) || !isQuestionColumn(col)) return nullptr;
    if (kept_.size() <= std::size_t(row)) kept_.resize(std::size_t(row) + 1);
    std::vector<Kept>& cells = kept_[std::size_t(row)];
    if (cells.size() <= std::size_t(col)) cells.resize(std::size_t(col) + 1);
    return &cells[std::size_t(col)];
}

void ResultTable::setTypedValue(int row, int col, const QString& text) {
    grid_.setText(row, col, text);
    reli_.setText(row, col, kNoMeasurement);
    Kept* cell = keptSlot(row, col);
    if (!cell) return;
    cell->reviewed = true;
    cell->doubt = strovik::ReviewKind::None;
    grid_.setColour(row, col, text == kNoAnswer ? PaletteColour::LightRed : PaletteColour::White);
}

std::optional<int> ResultTable::readAnswer(int row, int col) const {
    const Kept* cell = kept(row, col);
    if (!cell || cell->answer == Kept::kNoAnswer) return std::nullopt;
    return cell->answer;
}

bool ResultTable::isReviewed(int row, int col) const {
    const Kept* cell = kept(row, col);
    return cell && cell->reviewed;
}

strovik::ReviewKind ResultTable::doubt(int row, int col) const {
    const Kept* cell = kept(row, col);
    return cell ? cell->doubt : strovik::ReviewKind::None;
}

void ResultTable::setDoubt(int row, int col, strovik::ReviewKind kind) {
    if (Kept* cell = keptSlot(row, col)) cell->doubt = kind;
}

int ResultTable::questionCount() const {
    return std::max(grid_.cols() - 3, 0);
}

bool ResultTable::isMultiAnswerColumn(int col) const {
    return grid_.text(kHeaderRow, col).startsWith(u'*');
}

void ResultTable::initMarks(const QString& definitionPath) {
    grid_.clear();
    reli_.clear();
    grid_.setCols(1);
    grid_.setRows(kFirstSheetRow);
    grid_.setColumnWidth(0, kLabelWidth);
    grid_.setText(kKeyRow, 0, kKeyLabel);
    grid_.setText(kPointsRow, 0, kPointsLabel);
    reli_.setCols(1);
    reli_.setRows(kFirstSheetRow);
    kept_.clear();

    markRects_.clear();
    const auto profile =
        velmora::ProfileText::load(QFile::encodeName(definitionPath).toStdString());
    for (const std::string& line : profile.sectionLines("MARK")) {
        QString prefix = QString::fromLatin1(line.substr(0, kMarkPrefixLength)).toUpper();
        MarkRect rect;
        if (prefix == u"MARK"_s && parseMarkRect(line, rect)) markRects_.push_back(rect);
    }
}

void ResultTable::reuseMarks() {
    grid_.setRows(kFirstSheetRow);
    reli_.setRows(kFirstSheetRow);
    kept_.clear();
}

void ResultTable::storeSheet(int s, const QString& label, const QString& result,
                             const QString& reliability, const QString& markedCounts, int rotated,
                             int skew, bool tenToZero) {
    if (s < 1) return;
    const QStringList values = result.split(u',');
    const QStringList relis = reliability.split(u',');
    const QStringList counts = markedCounts.split(u',');
    const int n = int(values.size());
    grid_.setCols(n + 3);
    reli_.setCols(grid_.cols() + int(counts.size()));

    const int u = n - 1;
    const int width = u <= kNarrowUpTo   ? kNarrowColumnWidth
                      : u <= kMediumUpTo ? kMediumColumnWidth
                                         : kWideColumnWidth;
    for (int c = 0; c < grid_.cols(); ++c) grid_.setColumnWidth(c, width);
    grid_.setColumnWidth(0, kLabelWidth);
    grid_.setColumnWidth(n + 1, 0);
    grid_.setColumnWidth(n + 2, kSkewWidth);

    const int row = rowOfSheet(s);
    grid_.setRows(row + 1);
    reli_.setRows(row + 1);
    grid_.setText(row, 0, label);
    grid_.setText(row, n + 1, QString::number(rotated));
    grid_.setText(row, n + 2, QString::number(skew));
    grid_.setText(kHeaderRow, n + 2, kSkewHeader);

    if (kept_.size() <= std::size_t(row)) kept_.resize(std::size_t(row) + 1);
    std::vector<Kept>& readings = kept_[std::size_t(row)];
    readings.assign(std::size_t(n) + 1, Kept{});
    for (int c = 1; c <= n; ++c) {
        const QString& value = values[c - 1];
        readings[std::size_t(c)].answer = answerNumber(value);
        if (!isDecimalText(grid_.text(kHeaderRow, c), c)) {
            grid_.setText(kHeaderRow, c, QString::number(c));
        }
        grid_.setText(row, c, tenToZero && value == kTen ? kZero : value);
        reli_.setText(row, c, fieldOrEmpty(relis, c - 1));
        reli_.setText(row, grid_.cols() + c - 1, fieldOrEmpty(counts, c - 1));
    }
}

void ResultTable::storeMultiAnswerData(int s, const QStringList& questions,
                                       const QStringList& dots) {
    const int row = rowOfSheet(s);
    const qsizetype count = std::min(questions.size(), dots.size());
    for (qsizetype j = 0; j < count; ++j) {
        bool ok = false;
        const double q = questions[j].trimmed().toDouble(&ok);
        if (!ok || q < 0 || q >= double(questionCount())) continue;
        const int col = int(std::lround(q)) + 1;
        reli_.setText(row, col, dots[j]);
        // The sheet store has just reset the header to the bare number; the
        // check keeps a single "*" even when a question is listed twice.
        const QString& header = grid_.text(kHeaderRow, col);
        if (!header.startsWith(u'*')) grid_.setText(kHeaderRow, col, u'*' + header);
    }
}

void ResultTable::recordErrorRow(int s, const QString& label) {
    if (s < 1) return;
    const int row = rowOfSheet(s);
    if (grid_.cols() < kMinErrorRowColumns) grid_.setCols(kMinErrorRowColumns);
    if (reli_.cols() < kMinErrorRowColumns) reli_.setCols(kMinErrorRowColumns);
    grid_.setRows(row + 1);
    grid_.setText(row, 0, label);
    reli_.setRows(row + 1);
    reli_.setText(row, 1, kNoAnswer);
    if (kept_.size() <= std::size_t(row)) kept_.resize(std::size_t(row) + 1);
    kept_[std::size_t(row)].clear();
}

void ResultTable::markFailedSheets() {
    const int lastQuestion = grid_.cols() - 3;
    for (int row = kFirstSheetRow; row < grid_.rows(); ++row) {
        if (reli_.text(row, 1) != kNoAnswer) continue;
        grid_.setColour(row, 0, PaletteColour::LightRed);
        for (int c = 1; c <= lastQuestion; ++c) {
            grid_.setText(row, c, kNoAnswer);
            reli_.setText(row, c, kNoAnswer);
        }
    }
}

void ResultTable::resetOffsets() {
    offsetX_.assign(std::size_t(sheets_.size()) + 1, 0);
    offsetY_.assign(std::size_t(sheets_.size()) + 1, 0);
}

void ResultTable::setOffset(int s, int x, int y) {
    if (s < 0 || std::size_t(s) >= offsetX_.size()) return;
    offsetX_[std::size_t(s)] = x;
    offsetY_[std::size_t(s)] = y;
}

void ResultTable::setFixedRows(int cols) {
    kept_.clear();
    grid_.setRows(kFirstSheetRow);
    grid_.setCols(cols);
}

void ResultTable::removeSheetRow(int row) {
    if (row < kFirstSheetRow || row >= grid_.rows()) return;
    grid_.removeRow(row);
    reli_.removeRow(row);
    if (std::size_t(row) < kept_.size()) kept_.erase(kept_.begin() + row);
    const int s = row - 2;
    if (s - 1 < sheets_.size()) sheets_.removeAt(s - 1);
    if (std::size_t(s) < offsetX_.size()) offsetX_.erase(offsetX_.begin() + s);
    if (std::size_t(s) < offsetY_.size()) offsetY_.erase(offsetY_.begin() + s);
}

}  // namespace tarrow
