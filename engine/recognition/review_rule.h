// The review rule: what a result cell shows for one question of one sheet,
// and why it deserves a second look, from the engine's reading and the
// review settings. The reading application's colouring, its review walk and
// density window, the editor's trial read and the command line's JSON all
// call these functions, so one threshold means the same everywhere.
//
// Single-answer question (engine answer a, reliability r, marked count m):
//   - a < 1, or noMark > r: value -1, shown NoMark, doubt NoMark;
//   - else the value is a; doubt Doubled when m >= 2, else Faint when
//     faint > r, else none;
//   - shown: Several when m >= 2 and the several-marks option is on, else
//     Faint when faint > r, else Plain.
//   Both comparisons are strict: r exactly at a threshold is not below it.
// Several-answer question (dot counts d[0..], one per choice):
//   - choice k + 1 is marked when d[k] > multiValue;
//   - doubt and shown Band when some d[k] lies strictly inside
//     (multiValue - multiRange, multiValue + multiRange); else none, Plain.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace strovik {

/// Why a cell needs a look; None when it does not.
enum class ReviewKind : std::uint8_t { None, NoMark, Faint, Doubled, Band };

/// How a cell is shown (the reading application gives each its colour).
enum class ReviewShown : std::uint8_t { Plain, NoMark, Faint, Several, Band };

/// The thresholds and options of a review. Defaults are the reading
/// application's.
struct ReviewSettings {
    double noMark = 2.0;            ///< density below which nothing counts as marked
    double faint = 3.0;             ///< density below which a mark counts as faint
    std::int64_t multiValue = 150;  ///< dots above which a choice counts as marked
    std::int64_t multiRange = 50;   ///< half-width of the band around multiValue
    bool showSeveral = false;       ///< show single answers with m >= 2 as Several
};

struct CellReview {
    /// 1-based choices read as marked: at most one for a single-answer
    /// question, empty for none.
    std::vector<int> chosen;
    ReviewKind doubt = ReviewKind::None;
    ReviewShown shown = ReviewShown::Plain;
};

/// A single-answer question from the engine's answer (1-based, -1 none),
/// reliability and marked count.
CellReview reviewSingle(int answer, double reliability, int marked, const ReviewSettings& settings);

/// A several-answer question from its dot counts in choice order.
CellReview reviewSeveral(const std::vector<std::int64_t>& dots, const ReviewSettings& settings);

/// The value as the result table shows it: "-1" for a single-answer
/// question without answer, the chosen choices joined by single blanks
/// ("1 3", empty when none) for a several-answer one; with tenToZero a
/// choice 10 is written "0".
std::string reviewValueText(const CellReview& review, bool several, bool tenToZero);

/// A short name of the kind for machine-read output: "" (none), "nomark",
/// "faint", "doubled", "band".
std::string_view reviewKindName(ReviewKind kind);

}  // namespace strovik
