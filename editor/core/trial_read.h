// The test read: the current definition, unsaved, written to a private
// temporary file and read by the recognition engine over the loaded scan,
// with every question judged the way the reading application colours it.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "editor/core/editor_state.h"
#include "engine/recognition/alignment.h"

namespace dravel {

/// A question reads as doubtful below this reliability (the reading
/// application's faint-mark threshold), or when two or more choices look
/// marked and the reliability is no more than two marks among n choices
/// give (see doubledLimit).
inline constexpr double kFaintReliability = 3.0;

/// Two equally dark choices among n put the darkest at n - 1 times the mean
/// of the others; a single clean mark stands out by far more. Twice that is
/// the limit below which a marked count of two or more is believed (the
/// engine counts stray dark samples beside a single clean mark too).
inline double doubledLimit(int choices) {
    return 2.0 * (choices - 1);
}
/// Dots above which a choice of a multi-select question counts as marked,
/// and the half-width of the band around it that needs a second look.
inline constexpr int kMultiMarkedDots = 150;
inline constexpr int kMultiDoubtRange = 50;

/// The engine's status when it could not load the image.
inline constexpr int kTrialImageNotLoaded = -2;

struct QuestionReading {
    std::vector<int> chosen;  ///< 0-based choices read as marked
    double reliability = 0.0;
    bool multi = false;
    bool blank = false;     ///< nothing read
    bool doubtful = false;  ///< read, but not clearly
    std::vector<int> dots;  ///< multi-select: dark samples per choice
    bool flagged() const { return blank || doubtful; }
};

struct TrialResult {
    int status = 0;  ///< the engine's: 0 read, -2 image not loaded, -3 zero marks not found
    std::array<Point, 3> foundZeroMarks{};   ///< as the engine saw them (see shown())
    bool rotated = false;                    ///< found on the image turned by 180 degrees
    strovik::Alignment alignment;            ///< of a successful read
    std::vector<QuestionReading> questions;  ///< by question index

    const QuestionReading* question(int q) const {
        return q >= 0 && q < int(questions.size()) ? &questions[std::size_t(q)] : nullptr;
    }
};

/// Reads the scan at state.imagePath with the definition in `state`.
/// nullopt when the temporary definition could not be written.
std::optional<TrialResult> runTrialRead(const EditorState& state);

/// A position on the image the engine read, as a pixel of the loaded image
/// (turned back when the engine turned the image).
Point shownPosition(const TrialResult& result, Point engineImage, int width, int height);

/// Where the engine looked for a defined point (a mark centre), as a pixel
/// of the loaded image.
Point readPosition(const TrialResult& result, Point defined, int width, int height);

/// "試し読み: 30問  ﾏｰｸ無し 1問  要確認 2問" after a read.
QString trialSummary(const TrialResult& result);

/// "試し読み 3問目: 読取値=2  信頼度=5.3" for the status line.
QString readingText(int question, const QuestionReading& reading);

}  // namespace dravel
