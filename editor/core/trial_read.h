// The test read: the current definition, unsaved, handed to the recognition
// engine as values together with a scan, and every question judged by the
// review rule (engine/recognition/review_rule.h) under the thresholds and
// engine options the reading application has stored
// (engine/recognition/reader_review_settings.h), so the editor warns of
// what the reader will flag. Several scans may be read at once; each gets its own
// summary, and the dots of several-answer questions are checked against
// the dots threshold (see adviseDots).
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/core/editor_state.h"
#include "engine/recognition/alignment.h"
#include "engine/recognition/reader_review_settings.h"
#include "engine/recognition/review_rule.h"

namespace dravel {

/// The engine's status when it could not load the image.
inline constexpr int kTrialImageNotLoaded = -2;

struct QuestionReading {
    std::vector<int> chosen;  ///< 0-based choices read as marked
    double reliability = 0.0;
    bool multi = false;
    bool blank = false;     ///< nothing read
    bool doubtful = false;  ///< read, but not clearly (faint, doubled, in the dot band)
    strovik::ReviewKind doubt = strovik::ReviewKind::None;  ///< why it is flagged
    std::vector<int> dots;  ///< multi-select: dark samples per choice
    bool flagged() const { return blank || doubtful; }
};

struct TrialResult {
    std::string imagePath;  ///< the scan read (UTF-8)
    int status = 0;         ///< the engine's: 0 read, -2 image not loaded, -3 zero marks not found
    std::array<Point, 3> foundZeroMarks{};   ///< as the engine saw them (see shown())
    bool rotated = false;                    ///< found on the image turned by 180 degrees
    strovik::Alignment alignment;            ///< of a successful read
    std::vector<QuestionReading> questions;  ///< by question index

    const QuestionReading* question(int q) const {
        return q >= 0 && q < int(questions.size()) ? &questions[std::size_t(q)] : nullptr;
    }
};

/// Reads the scan at `imagePath` with the definition in `state` as the
/// reading application does with `review`: the engine with its no-mark
/// percentage and several-marks multiplier in place of the definition's,
/// every question judged by its rule.
TrialResult runTrialRead(const EditorState& state, const std::string& imagePath,
                         const strovik::ReaderReview& review = {});

/// A position on the image the engine read, as a pixel of the loaded image
/// (turned back when the engine turned the image).
Point shownPosition(const TrialResult& result, Point engineImage, int width, int height);

/// Where the engine looked for a defined point (a mark centre), as a pixel
/// of the loaded image.
Point readPosition(const TrialResult& result, Point defined, int width, int height);

// ---- Dots of several-answer questions ----------------------------------------

/// Marked bubbles are told from unmarked ones by the widest gap between the
/// sorted dot counts: the counts above it are marked when the smallest of
/// them is at least kMinMarkedDots and at least twice the largest below.
inline constexpr std::int64_t kMinMarkedDots = 20;

struct DotsAdvice {
    std::int64_t lowestMarked = 0;     ///< smallest count of a marked bubble
    std::int64_t highestUnmarked = 0;  ///< largest count of an unmarked one
    /// Marked bubbles the threshold misses (lowestMarked <= threshold, as a
    /// choice counts only above it) or unmarked ones it takes
    /// (highestUnmarked > threshold).
    bool warn = false;
    /// The middle of the gap, (highestUnmarked + lowestMarked) / 2 rounded
    /// down: above every unmarked count and below every marked one.
    std::int64_t suggested = 0;
};

/// The advice for the given dot counts and threshold; nullopt when the
/// counts do not split into marked and unmarked bubbles (fewer than two
/// counts, no clear gap).
std::optional<DotsAdvice> adviseDots(std::vector<std::int64_t> counts, std::int64_t threshold);

/// Every dot count of the several-answer questions of the given reads.
std::vector<std::int64_t> severalAnswerDots(const std::vector<TrialResult>& results);

// ---- Summaries -------------------------------------------------------------------

/// Flagged questions of one read, by kind.
struct TrialCounts {
    int questions = 0;
    int noMark = 0;
    int faint = 0;
    int doubled = 0;
    int band = 0;
    int doubtful() const { return faint + doubled + band; }
};
TrialCounts countTrial(const TrialResult& result);

/// "試し読み: 30問  ﾏｰｸ無し 1問  要確認 2問" after a read.
QString trialSummary(const TrialResult& result);

/// One line per scan: "sheet1.jpg: 30問  ﾏｰｸ無し 1問  薄い 0問  二重ﾏｰｸ 1問
/// ﾄﾞｯﾄ境界 0問", or the reason it did not read.
QString imageSummary(const TrialResult& result);

/// The dots warning for an advice that warns, with the suggested value;
/// empty otherwise.
QString dotsWarning(const std::optional<DotsAdvice>& advice, std::int64_t threshold);

/// "試し読み 3問目: 読取値=2  信頼度=5.3" for the status line, with the
/// dots of a several-answer question and why it is flagged; with
/// tenToZero a choice 10 reads "0", as the reader shows it.
QString readingText(int question, const QuestionReading& reading, bool tenToZero = false);

/// One line naming the thresholds a test read judged with, e.g.
/// "判定基準: Tarrowの設定 (ﾏｰｸ無し 2.0, 薄い 3.0, ﾄﾞｯﾄ数 150±50, ...)";
/// "Tarrowの既定値" when the reader has never saved its settings, and the
/// names of stored values that were not numbers (their defaults were used).
QString reviewBasis(const strovik::ReaderReview& review);

}  // namespace dravel
