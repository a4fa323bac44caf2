#include "reader/core/item_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "reader/core/result_table.h"
#include "reader/core/scoring.h"

namespace tarrow {
namespace {

constexpr int kTenAsZero = 10;
__extension__ using Wide = unsigned __int128;
/// fixedRatio prints at most this many decimals (10^6 keeps it in 128 bits).
constexpr int kMaxDecimals = 6;

/// The choice a value part names, or 0 when it names none.
int choiceOf(const QString& part) {
    bool ok = false;
    const int k = part.toInt(&ok);
    if (!ok) return 0;
    if (k == 0) return kTenAsZero;
    return k >= 1 && k <= kMaxChoice ? k : 0;
}

QStringList partsOf(const QString& value) {
    const QString normal = normaliseBlanks(value);
    if (normal.isEmpty()) return {};
    return normal.split(QLatin1Char(' '));
}

void addChoice(ChoiceCounts& counts, int k) {
    if (k <= 0) return;
    if (int(counts.choices.size()) < k) counts.choices.resize(std::size_t(k), 0);
    ++counts.choices[std::size_t(k - 1)];
}

/// Several choices on a single-answer question: more than one part, or two
/// or more marks measured.
bool isSeveral(const QStringList& parts, int marked, bool multiAnswer) {
    return !multiAnswer && (parts.size() > 1 || marked >= 2);
}

/// Counts one cell and returns its single choice (0 for none: no answer,
/// several, several-answer questions, or text that names no choice).
int countCell(ChoiceCounts& counts, const QString& value, int marked, bool multiAnswer) {
    if (value == ResultTable::kNoAnswer) {
        ++counts.noAnswer;
        return 0;
    }
    if (!value.contains(QLatin1Char(' '))) {
        // One part (the common case): no splitting needed.
        if (isSeveral({}, marked, multiAnswer)) {
            ++counts.several;
            return 0;
        }
        const int k = choiceOf(value);
        addChoice(counts, k);
        return multiAnswer ? 0 : k;
    }
    const QStringList parts = partsOf(value);
    if (isSeveral(parts, marked, multiAnswer)) {
        ++counts.several;
        return 0;
    }
    for (const QString& part : parts) addChoice(counts, choiceOf(part));
    return !multiAnswer && parts.size() == 1 ? choiceOf(parts.front()) : 0;
}

int markedAt(const AnalysisSheet& sheet, std::size_t col) {
    return col < sheet.markedCounts.size() ? sheet.markedCounts[col] : 0;
}

const QString& valueAt(const AnalysisSheet& sheet, std::size_t col) {
    static const QString empty;
    return qsizetype(col) < sheet.values.size() ? sheet.values.at(qsizetype(col)) : empty;
}

std::vector<int> keyChoicesOf(const QString& key) {
    std::vector<int> choices;
    for (const QString& part : partsOf(key)) {
        if (const int k = choiceOf(part)) choices.push_back(k);
    }
    return choices;
}

/// Students ranked by total, highest first, ties in row order (indices into
/// the student list).
std::vector<std::size_t> ranking(const std::vector<StudentResult>& students) {
    std::vector<std::size_t> order(students.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return students[a].total > students[b].total;
    });
    return order;
}

/// Pearson correlation from exact sums; none when either side is constant.
std::optional<double> pearson(long double n, long double sx, long double sy, long double sxx,
                              long double syy, long double sxy) {
    const long double vx = n * sxx - sx * sx;
    const long double vy = n * syy - sy * sy;
    if (vx <= 0 || vy <= 0) return std::nullopt;
    return double((n * sxy - sx * sy) / std::sqrt(vx * vy));
}

std::optional<double> pointBiserialOf(const std::vector<StudentResult>& students, std::size_t item,
                                      int points) {
    long double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (const StudentResult& s : students) {
        const long double x = s.right[item];
        const long double y = (long double)(s.total) - x * points;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        sxy += x * y;
    }
    return pearson((long double)(students.size()), sx, sy, sxx, syy, sxy);
}

/// Does some wrong choice draw students with a higher mean total than the
/// right answer? `choice` is each student's single choice (0 for none).
bool isReversed(const std::vector<StudentResult>& students, const std::vector<int>& choice,
                std::size_t item) {
    std::int64_t rightSum = 0, rightCount = 0;
    std::vector<std::int64_t> sum(kMaxChoice + 1, 0), count(kMaxChoice + 1, 0);
    for (std::size_t i = 0; i < students.size(); ++i) {
        const StudentResult& s = students[i];
        if (s.right[item]) {
            rightSum += s.total;
            ++rightCount;
        } else if (const int k = choice[i]; k > 0) {
            sum[std::size_t(k)] += s.total;
            ++count[std::size_t(k)];
        }
    }
    if (rightCount == 0) return false;
    for (std::size_t k = 1; k < sum.size(); ++k) {
        // mean(k) > mean(right), compared without division.
        if (count[k] > 0 && sum[k] * rightCount > rightSum * count[k]) return true;
    }
    return false;
}

struct Scored {
    std::size_t column;  ///< 0-based column index
    KeyMatcher matcher;
    int points;
};

std::vector<Scored> scoredColumns(const AnalysisInput& input) {
    std::vector<Scored> scored;
    for (std::size_t c = 0; c < input.columns.size(); ++c) {
        const AnalysisColumn& col = input.columns[c];
        if (!isScoredKey(col.key)) continue;
        scored.push_back({c, KeyMatcher(col.key, col.multiAnswer), pointsOf(col.points)});
    }
    return scored;
}

StudentResult studentOf(const AnalysisSheet& sheet, int number, const std::vector<Scored>& scored) {
    StudentResult s;
    s.sheet = number;
    s.label = sheet.label;
    s.number = sheet.number;
    s.right.reserve(scored.size());
    for (const Scored& q : scored) {
        const QString& value = valueAt(sheet, q.column);
        const bool right = q.matcher.matches(value);
        s.answers.append(value);
        s.right.push_back(right ? 1 : 0);
        if (right) s.total += q.points;
    }
    return s;
}

ItemStats itemOf(const AnalysisInput& input, const std::vector<std::size_t>& sheetOf,
                 const std::vector<StudentResult>& students, const std::vector<std::size_t>& ranked,
                 std::size_t item, const Scored& q) {
    const AnalysisColumn& col = input.columns[q.column];
    ItemStats it;
    it.number = int(item) + 1;
    it.column = int(q.column) + 1;
    it.header = col.header;
    it.key = col.key;
    it.points = q.points;
    it.students = int(students.size());
    it.keyChoices = keyChoicesOf(col.key);
    std::vector<int> choice(students.size(), 0);
    for (std::size_t i = 0; i < students.size(); ++i) {
        it.right += students[i].right[item];
        const AnalysisSheet& sheet = input.sheets[sheetOf[i]];
        choice[i] = countCell(it.counts, valueAt(sheet, q.column), markedAt(sheet, q.column),
                              col.multiAnswer);
    }
    if (!students.empty()) {
        it.groupSize = groupSizeFor(it.students);
        const std::size_t g = std::size_t(it.groupSize);
        for (std::size_t i = 0; i < g; ++i) {
            it.upperRight += students[ranked[i]].right[item];
            it.lowerRight += students[ranked[ranked.size() - 1 - i]].right[item];
        }
    }
    it.pointBiserial = pointBiserialOf(students, item, q.points);
    it.reversed = isReversed(students, choice, item);
    return it;
}

std::optional<double> kr20Of(const std::vector<StudentResult>& students, std::size_t k) {
    const std::size_t n = students.size();
    if (k < 2 || n == 0) return std::nullopt;
    long double sx = 0, sxx = 0, pq = 0;
    std::vector<std::int64_t> rightPer(k, 0);
    for (const StudentResult& s : students) {
        std::int64_t x = 0;
        for (std::size_t i = 0; i < k; ++i) {
            x += s.right[i];
            rightPer[i] += s.right[i];
        }
        sx += x;
        sxx += (long double)(x)*x;
    }
    const long double nn = n;
    const long double var = (nn * sxx - sx * sx) / (nn * nn);
    if (var <= 0) return std::nullopt;
    for (const std::int64_t r : rightPer) {
        const long double p = r / nn;
        pq += p * (1 - p);
    }
    const long double kk = k;
    return double(kk / (kk - 1) * (1 - pq / var));
}

TestSummary summaryOf(const std::vector<StudentResult>& students, int failed, std::size_t k) {
    TestSummary sum;
    sum.students = int(students.size());
    sum.failedSheets = failed;
    if (students.empty()) return sum;
    std::vector<std::int64_t> totals;
    totals.reserve(students.size());
    long double squares = 0;
    for (const StudentResult& s : students) {
        totals.push_back(s.total);
        sum.sum += s.total;
        squares += (long double)(s.total) * s.total;
    }
    std::sort(totals.begin(), totals.end());
    const std::size_t n = totals.size();
    sum.lowest = totals.front();
    sum.highest = totals.back();
    sum.medianTwice = n % 2 ? 2 * totals[n / 2] : totals[n / 2 - 1] + totals[n / 2];
    const long double nn = n;
    const long double var = (nn * squares - (long double)(sum.sum) * sum.sum) / (nn * nn);
    sum.standardDeviation = var > 0 ? double(std::sqrt(var)) : 0.0;
    sum.kr20 = kr20Of(students, k);
    return sum;
}

std::vector<SurveyQuestion> surveyOf(const AnalysisInput& input,
                                     const std::vector<std::size_t>& sheetOf) {
    std::vector<SurveyQuestion> survey;
    for (std::size_t c = 0; c < input.columns.size(); ++c) {
        const AnalysisColumn& col = input.columns[c];
        if (!col.key.isEmpty()) continue;
        SurveyQuestion q;
        q.column = int(c) + 1;
        q.header = col.header;
        q.students = int(sheetOf.size());
        for (const std::size_t s : sheetOf) {
            const AnalysisSheet& sheet = input.sheets[s];
            countCell(q.counts, valueAt(sheet, c), markedAt(sheet, c), col.multiAnswer);
        }
        survey.push_back(std::move(q));
    }
    return survey;
}

/// Every choice list as long as the highest choice seen.
void evenChoices(ItemAnalysis& a) {
    for (const ItemStats& it : a.items) {
        a.maxChoice = std::max(a.maxChoice, int(it.counts.choices.size()));
    }
    for (const SurveyQuestion& q : a.survey) {
        a.maxChoice = std::max(a.maxChoice, int(q.counts.choices.size()));
    }
    for (ItemStats& it : a.items) it.counts.choices.resize(std::size_t(a.maxChoice), 0);
    for (SurveyQuestion& q : a.survey) q.counts.choices.resize(std::size_t(a.maxChoice), 0);
}

}  // namespace

int groupSizeFor(int students) {
    return std::max(1, (kGroupPercent * students + 50) / 100);
}

QString fixedRatio(std::int64_t num, std::int64_t den, int decimals) {
    if (den <= 0 || decimals < 0 || decimals > kMaxDecimals) return {};
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const bool negative = num < 0;
    // The magnitude in unsigned arithmetic: -INT64_MIN does not fit.
    const std::uint64_t a = negative ? 0 - std::uint64_t(num) : std::uint64_t(num);
    // Round |num| * scale / den half up, in 128 bits so large sums cannot
    // overflow.
    const Wide scaled = Wide(a) * std::uint64_t(scale);
    const auto q = std::uint64_t((2 * scaled + std::uint64_t(den)) / (2 * Wide(den)));
    const std::uint64_t whole = q / std::uint64_t(scale);
    const std::uint64_t frac = q % std::uint64_t(scale);
    QString text = (negative && q != 0 ? QStringLiteral("-") : QString()) + QString::number(whole);
    if (decimals > 0) {
        text += QLatin1Char('.') + QString::number(frac).rightJustified(decimals, QLatin1Char('0'));
    }
    return text;
}

QString fixedReal(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    // "-0.000" is printed as "0.000".
    QString text = QString::fromLatin1(buffer);
    if (text.startsWith(QLatin1Char('-')) &&
        text.mid(1).remove(QLatin1Char('0')) == QLatin1String("."))
        text.remove(0, 1);
    return text;
}

ItemAnalysis analyseItems(const AnalysisInput& input) {
    ItemAnalysis a;
    std::vector<std::size_t> sheetOf;
    for (std::size_t s = 0; s < input.sheets.size(); ++s) {
        if (input.sheets[s].failed) {
            ++a.summary.failedSheets;
            continue;
        }
        sheetOf.push_back(s);
    }
    const std::vector<Scored> scored = scoredColumns(input);
    a.students.reserve(sheetOf.size());
    for (const std::size_t s : sheetOf) {
        a.students.push_back(studentOf(input.sheets[s], int(s) + 1, scored));
    }
    const std::vector<std::size_t> ranked = ranking(a.students);
    for (std::size_t i = 0; i < scored.size(); ++i) {
        a.items.push_back(itemOf(input, sheetOf, a.students, ranked, i, scored[i]));
    }
    a.summary = summaryOf(a.students, a.summary.failedSheets, scored.size());
    a.survey = surveyOf(input, sheetOf);
    evenChoices(a);
    return a;
}

}  // namespace tarrow
