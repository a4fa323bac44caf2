#include "reader/core/student_number.h"

#include "reader/core/result_table.h"

namespace tarrow {
namespace {

bool isMarker(const QString& key) {
    return key == QLatin1StringView("+") || key == QLatin1StringView("-");
}

/// The digit a digit column holds, or none.
std::optional<QChar> digitOf(const QString& value) {
    if (value == QLatin1StringView("10")) return QLatin1Char('0');
    if (value.size() == 1 && value.at(0).isDigit() && value.at(0).unicode() < 0x80) {
        return value.at(0);
    }
    return std::nullopt;
}

bool allAsciiDigits(const QString& text) {
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return false;
    }
    return true;
}

}  // namespace

std::optional<NumberRun> numberRunOf(const QStringList& keys) {
    const int n = int(keys.size());
    for (int i = 0; i < n;) {
        if (!isMarker(keys.at(i))) {
            ++i;
            continue;
        }
        int end = i;
        while (end + 1 < n && keys.at(end + 1) == keys.at(i)) ++end;
        const NumberRun run{i + 1, end + 1};
        if (run.digits() >= kMinDigits && run.digits() <= kMaxDigits) return run;
        i = end + 1;
    }
    return std::nullopt;
}

QString studentNumberOf(const QStringList& values, const NumberRun& run) {
    if (run.first < 1 || run.last > values.size() || run.last < run.first) return {};
    bool earlierEmpty = true;
    QString number;
    for (int c = run.first; c <= run.last; ++c) {
        const QString& value = values.at(c - 1);
        if (c < run.last) earlierEmpty = earlierEmpty && value.isEmpty();
        if (const auto digit = digitOf(value)) number += *digit;
    }
    if (number.size() == run.digits()) return number;
    // Loaded from a file: the run's digits joined in its last cell.
    const QString& joined = values.at(run.last - 1);
    if (earlierEmpty && joined.size() == run.digits() && allAsciiDigits(joined)) return joined;
    return {};
}

std::optional<NumberRun> numberRunOf(const ResultTable& table) {
    QStringList keys;
    for (int c = 1; c <= table.questionCount(); ++c) keys.append(table.key(c));
    return numberRunOf(keys);
}

QString studentNumberAt(const ResultTable& table, int row, const NumberRun& run) {
    QStringList values;
    for (int c = 1; c <= table.questionCount(); ++c) values.append(table.text(row, c));
    return studentNumberOf(values, run);
}

}  // namespace tarrow
