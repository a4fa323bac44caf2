// The test read: the current definition, unsaved, written to a private
// temporary file and read by the recognition engine over the loaded scan,
// with every question judged by the review rule under the reading
// application's default thresholds (engine/recognition/review_rule.h).
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "editor/core/editor_state.h"
#include "engine/recognition/alignment.h"

namespace dravel {

/// The engine's status when it could not load the image.
inline constexpr int kTrialImageNotLoaded = -2;

struct QuestionReading {
    std::vector<int> chosen;  ///< 0-based choices read as marked
    double reliability = 0.0;
    bool multi = false;
    bool blank = false;     ///< nothing read
    bool doubtful = false;  ///< read, but not clearly (faint, doubled, in the dot band)
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
