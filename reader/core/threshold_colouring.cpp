#include "reader/core/threshold_colouring.h"

#include <QList>
#include <QStringView>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "engine/recognition/review_rule.h"
#include "reader/core/app_settings.h"

namespace tarrow {

namespace {

using namespace Qt::StringLiterals;

const QString kTen = u"10"_s;
const QString kZero = u"0"_s;
constexpr int kTenthChoice = 10;
constexpr double kMaxMarkedCount = 1e6;

constexpr qsizetype kFastParseMaxLength = 32;

/// Copies `text` into `ascii` when it is short and holds only digits, "-"
/// and, when allowed, "."; such plain numbers are read directly, the rest
/// (blanks, exponents, anything else) goes through Qt's parser, which gives
/// the same values but costs several times more on millions of cells.
bool copyPlainNumber(QStringView text, bool allowPoint, char* ascii) {
    if (text.isEmpty() || text.size() > kFastParseMaxLength) return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (!((u >= u'0' && u <= u'9') || u == u'-' || (allowPoint && u == u'.'))) return false;
        ascii[i] = char(u);
    }
    return true;
}

template <typename Number>
std::optional<Number> parsePlain(const char* begin, const char* end) {
    Number value{};
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc() && ptr == end) return value;
    return std::nullopt;
}

std::optional<double> parseReal(QStringView text) {
    char ascii[kFastParseMaxLength];
    if (copyPlainNumber(text, true, ascii)) {
        if (const auto value = parsePlain<double>(ascii, ascii + text.size())) return value;
    }
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<qint64> parseInteger(QStringView text) {
    char ascii[kFastParseMaxLength];
    if (copyPlainNumber(text, false, ascii)) {
        if (const auto value = parsePlain<int>(ascii, ascii + text.size())) return *value;
    }
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

/// The thresholds as numbers; an empty optional is a box that is not a
/// number, which stops the walk at the first cell that needs it.
struct Thresholds {
    std::optional<double> noMark;
    std::optional<double> faintMark;
    std::optional<qint64> multiValue;
    std::optional<qint64> multiRange;
};

/// A cell's new text and background, worked out before anything is written
/// so that a stop leaves the offending cell as it was.
struct CellOutcome {
    QString text;
    PaletteColour colour = PaletteColour::White;
    strovik::ReviewKind doubt = strovik::ReviewKind::None;
};

/// Whether `text` is what a reading of `answer` shows: "-1", the answer,
/// or "0" for a 10. Never true for an answer 0, which the engine never
/// gives (a "0" in a table built from text).
bool showsReading(const QString& text, int answer) {
    if (answer == 0) return false;
    if (text == ResultTable::kNoAnswer) return true;
    if (answer == kTenthChoice && text == kZero) return true;
    bool ok = false;
    return text.toInt(&ok) == answer && ok && !text.startsWith(u'0') && !text.startsWith(u'+');
}

/// The palette colour of each way the review rule shows a cell.
PaletteColour colourOf(strovik::ReviewShown shown) {
    switch (shown) {
        case strovik::ReviewShown::NoMark:
            return PaletteColour::LightRed;
        case strovik::ReviewShown::Faint:
            return PaletteColour::LightCyan;
        case strovik::ReviewShown::Several:
            return PaletteColour::Grey;
        case strovik::ReviewShown::Band:
            return PaletteColour::LightGreen;
        case strovik::ReviewShown::Plain:
            break;
    }
    return PaletteColour::White;
}

class Walker {
public:
    Walker(ResultTable& table, const Thresholds& thresholds, const PaintOptions& options)
        : table_(table), th_(thresholds), options_(options), lastQuestion_(table.questionCount()) {}

    PaintOutcome run() {
        PaintOutcome outcome;
        std::vector<bool> multiColumn(std::size_t(lastQuestion_) + 1, false);
        for (int col = 1; col <= lastQuestion_; ++col) {
            multiColumn[std::size_t(col)] = table_.isMultiAnswerColumn(col);
        }
        for (int row = ResultTable::kFirstSheetRow; row < table_.rows(); ++row) {
            for (int col = 1; col <= lastQuestion_; ++col) {
                const bool multi = multiColumn[std::size_t(col)];
                const std::optional<CellOutcome> cell =
                    multi ? multiAnswer(row, col) : singleAnswer(row, col);
                if (multi) outcome.showMultiControls = true;
                if (!cell) {
                    outcome.stoppedOnInvalid = true;
                    return outcome;
                }
                table_.setText(row, col, cell->text);
                table_.setColour(row, col, cell->colour);
                table_.setDoubt(row, col, cell->doubt);
                if (multi) table_.setColumnWidth(col, ResultTable::kMultiColumnWidth);
            }
        }
        return outcome;
    }

private:
    std::optional<CellOutcome> singleAnswer(int row, int col) const {
        CellOutcome cell{table_.text(row, col)};
        if (options_.tenToZero && cell.text == kTen) cell.text = kZero;
        if (!options_.tenToZero && cell.text == kZero) cell.text = kTen;

        // Both sides of the no-mark test are read even for a "-1" value, so a
        // measurement that is not a number stops the walk in any case.
        const QString& measured = table_.measurement(row, col);
        const std::optional<double> density = parseReal(measured);
        if (!density || !th_.noMark) return std::nullopt;
        if (measured == ResultTable::kNoMeasurement) return typedOrLoaded(row, col, cell);

        // The engine's answer kept for the sheet, so a threshold taken back
        // brings the value back; a table built without one uses its text.
        std::optional<int> kept = table_.readAnswer(row, col);
        // Only while the cell still shows the reading: a cell the user
        // cleared keeps its own text, as it always did.
        if (kept && !showsReading(cell.text, *kept)) kept.reset();
        const int answer = kept ? *kept : cell.text == ResultTable::kNoAnswer ? -1 : 1;
        std::optional<double> marked =
            parseReal(table_.measurement(row, table_.markedCountColumn(col)));
        if (!marked) {
            if (options_.multiMarked && answer >= 1 && !(*th_.noMark > *density)) {
                return std::nullopt;
            }
            marked = 0.0;
        }
        // A "nan" count reads as no marks (it must not reach the int cast).
        const int markedCount =
            std::isnan(*marked) ? 0 : int(std::clamp(*marked, 0.0, kMaxMarkedCount));
        strovik::ReviewSettings rule;
        rule.noMark = *th_.noMark;
        rule.showSeveral = options_.multiMarked;
        if (th_.faintMark) {
            rule.faint = *th_.faintMark;
        } else {
            // The faint box is needed only where the several-marks grey does
            // not decide the colour.
            const bool greyDecides = options_.multiMarked && markedCount >= 2;
            if (answer >= 1 && !(*th_.noMark > *density) && !greyDecides) return std::nullopt;
            rule.faint = -std::numeric_limits<double>::infinity();
        }
        const strovik::CellReview review =
            strovik::reviewSingle(answer, *density, markedCount, rule);
        if (review.chosen.empty()) {
            cell.text = ResultTable::kNoAnswer;
        } else if (kept) {
            cell.text =
                QString::fromStdString(strovik::reviewValueText(review, false, options_.tenToZero));
        }
        cell.colour = colourOf(review.shown);
        cell.doubt = review.doubt;
        return cell;
    }

    /// A value without a measurement (typed, or loaded from a file) stays;
    /// "-1" is red, and doubtful unless the user typed it.
    CellOutcome typedOrLoaded(int row, int col, CellOutcome cell) const {
        const bool none = cell.text == ResultTable::kNoAnswer;
        cell.colour = none ? PaletteColour::LightRed : PaletteColour::White;
        cell.doubt = none && !table_.isReviewed(row, col) ? strovik::ReviewKind::NoMark
                                                          : strovik::ReviewKind::None;
        return cell;
    }

    std::optional<CellOutcome> multiAnswer(int row, int col) const {
        CellOutcome cell{table_.text(row, col)};
        const QString& dots = table_.measurement(row, col);
        if (dots == ResultTable::kNoMeasurement) return cell;
        // A dot string is never negative: "-1" is a sheet the engine failed
        // on, which stays "-1" and red like its single-answer cells.
        if (dots == ResultTable::kNoAnswer) {
            cell.text = ResultTable::kNoAnswer;
            cell.colour = PaletteColour::LightRed;
            cell.doubt = strovik::ReviewKind::NoMark;
            return cell;
        }
        if (!th_.multiValue || !th_.multiRange) return std::nullopt;
        std::vector<std::int64_t> counts;
        for (const QStringView field : QStringView(dots).split(u',')) {
            const std::optional<qint64> count = parseInteger(field);
            if (!count) return std::nullopt;
            counts.push_back(*count);
        }
        strovik::ReviewSettings rule;
        rule.multiValue = *th_.multiValue;
        rule.multiRange = *th_.multiRange;
        const strovik::CellReview review = strovik::reviewSeveral(counts, rule);
        cell.text =
            QString::fromStdString(strovik::reviewValueText(review, true, options_.tenToZero));
        cell.colour = colourOf(review.shown);
        cell.doubt = review.doubt;
        return cell;
    }

    ResultTable& table_;
    const Thresholds& th_;
    const PaintOptions& options_;
    const int lastQuestion_;
};

}  // namespace

ThresholdTexts ThresholdTexts::defaults() {
    const AppSettings settings;
    return {settings.noMarkValue, settings.markValue, settings.multiValue, settings.multiRange};
}

PaintOutcome paintColor(ResultTable& table, const ThresholdTexts& thresholds,
                        const PaintOptions& options) {
    const Thresholds numbers{parseReal(thresholds.noMark), parseReal(thresholds.faintMark),
                             parseInteger(thresholds.multiValue),
                             parseInteger(thresholds.multiRange)};
    return Walker(table, numbers, options).run();
}

}  // namespace tarrow
