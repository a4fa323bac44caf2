// Item analysis of a scored test: per scored question its right rate,
// discrimination index, corrected point-biserial correlation and choice
// counts; per student the total; for the class the summary figures and
// KR-20. Without a key, the same choice counts for every question (a
// survey). Plain values in, plain values out; nothing here reads or writes
// files.
//
// Rules (n = students, the sheet rows that did not fail, in row order):
// - A question is scored when its key cell is scored (isScoredKey); a
//   student is right when KeyMatcher accepts the value, exactly as the score
//   file counts; join-marker columns ("+", "-") are never scored.
// - Total of a student: the sum of pointsOf(points cell) over the scored
//   questions answered right.
// - Groups: the students ranked by total, highest first, ties in row order;
//   the upper group is the first g, the lower group the last g of that
//   ranking, g = round(27 n / 100) (halves up), at least 1.
// - Discrimination D = (right in upper - right in lower) / g.
// - Point-biserial r: Pearson correlation of right (1/0) with the total
//   without this question's points; none when either side is constant.
// - No answer: value "-1". Several: a single-answer cell holding more than
//   one choice (blank-separated) or measured with two or more marks; such a
//   cell counts for no choice. Choices: each blank-separated part that is a
//   whole number 1..kMaxChoice ("0" is choice 10, as the 10→0 option writes
//   it) counts once for that choice.
// - KR-20 = k/(k-1) (1 - sum p(1-p) / var), k scored questions, p the share
//   right, var the population variance of the number right; none when k < 2
//   or var = 0.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarrow {

/// Highest choice number counted (a sheet has at most this many choices).
inline constexpr int kMaxChoice = 99;
/// Share of the class in the upper and in the lower group, in percent.
inline constexpr int kGroupPercent = 27;

/// One question column of the table (column c at index c - 1).
struct AnalysisColumn {
    QString header;  ///< header cell ("*3" for several answers)
    QString key;     ///< answer-key cell
    QString points;  ///< points cell (empty is 1 point)
    bool multiAnswer = false;
};

/// One sheet row of the table.
struct AnalysisSheet {
    QString label;
    QStringList values;             ///< one per column
    std::vector<int> markedCounts;  ///< marks measured per column (0 = unknown)
    bool failed = false;            ///< the engine failed on this sheet
    QString number;                 ///< student number (student_number.h), empty when none
};

struct AnalysisInput {
    std::vector<AnalysisColumn> columns;
    std::vector<AnalysisSheet> sheets;
};

/// Choice counts of one question over the students.
struct ChoiceCounts {
    int noAnswer = 0;
    int several = 0;
    std::vector<int> choices;  ///< index k - 1 for choice k, up to the highest choice seen
};

struct ItemStats {
    int number = 0;  ///< 1.. among scored questions
    int column = 0;  ///< column in the table (1-based)
    QString header, key;
    int points = 1;
    int students = 0;
    int right = 0;
    int upperRight = 0, lowerRight = 0, groupSize = 0;
    std::optional<double> pointBiserial;
    ChoiceCounts counts;
    std::vector<int> keyChoices;  ///< choices the key accepts (for charts)
    /// Some wrong choice's choosers have a higher mean total than the
    /// students who answered right.
    bool reversed = false;

    /// Right rate in percent and discrimination, as numbers (for sorting and
    /// charts); the files print them with fixedRatio().
    double rate() const { return students ? 100.0 * right / students : 0.0; }
    double discrimination() const {
        return groupSize ? double(upperRight - lowerRight) / groupSize : 0.0;
    }
};

struct StudentResult {
    int sheet = 0;  ///< sheet number (1-based, table row - 2)
    QString label;
    std::int64_t total = 0;
    QStringList answers;      ///< per scored question
    std::vector<char> right;  ///< per scored question, 1 when right
    QString number;           ///< student number, empty when the sheet has none
};

struct TestSummary {
    int students = 0;
    int failedSheets = 0;
    std::int64_t sum = 0;          ///< sum of totals (mean = sum / students)
    std::int64_t medianTwice = 0;  ///< twice the median (exact)
    std::int64_t highest = 0, lowest = 0;
    double standardDeviation = 0.0;  ///< population
    std::optional<double> kr20;
    double mean() const { return students ? double(sum) / students : 0.0; }
};

/// Counts of one unscored question for the survey view.
struct SurveyQuestion {
    int column = 0;
    QString header;
    int students = 0;
    ChoiceCounts counts;
};

struct ItemAnalysis {
    std::vector<ItemStats> items;
    std::vector<StudentResult> students;
    TestSummary summary;
    /// Questions without a key and outside join runs (the survey view).
    std::vector<SurveyQuestion> survey;
    /// The highest choice number seen in any counted column (0 when none).
    int maxChoice = 0;
    bool hasKey() const { return !items.empty(); }
};

/// Works out everything above.
ItemAnalysis analyseItems(const AnalysisInput& input);

/// num / den with `decimals` decimals, halves rounded away from zero, from
/// exact integers (den > 0): fixedRatio(1, 8, 2) is "0.13", (-1, 8, 2)
/// "-0.13". Empty when den <= 0 or decimals is not 0..6.
QString fixedRatio(std::int64_t num, std::int64_t den, int decimals);

/// A real number with `decimals` decimals ("%.Nf").
QString fixedReal(double value, int decimals);

/// Group size for n students: round(27 n / 100), halves up, at least 1.
int groupSizeFor(int students);

}  // namespace tarrow
