// Deciding every question from its ovals' dark-sample counts: the answer, its
// reliability (how clearly the darkest choice stands out) and the number of
// choices that look marked; multi-answer questions get a dot string instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image/raster.h"
#include "engine/recognition/alignment.h"
#include "engine/recognition/engine_core.h"
#include "engine/recognition/oval_measure.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {

/// Dot strings hold at most this many characters.
inline constexpr std::size_t kMaxDotStringChars = 599;

struct SingleDecision {
    int best = 0;  ///< 0-based choice
    double reliability = 0.0;
    int marked = 0;
};

/// Decides a single-answer question from its counts at every ladder step
/// (`dark[step][choice]`) and the sample total of each step's last choice.
/// At each step, with g the darkest choice (lowest index on ties), mean the
/// others' truncated mean and limit = trunc(noMarkMinDots% of the total):
/// ratio = 0 when max < limit (or max = 0), 999 when mean = 0, else
/// max / mean; marked counts the choices above mean x multiply that also
/// reach the limit. A strictly higher ratio replaces the decision.
SingleDecision decideSingle(const std::vector<std::vector<int>>& dark,
                            const std::vector<int>& totals, int noMarkMinDots,
                            double multiMarkedMultiply);

/// The 1-based answer a single-answer question reports: the darkest choice
/// when the question has choices and its reliability is strictly above
/// `noMarkMin` (a reliability exactly at it is no answer), else -1.
int reportedAnswer(const SingleDecision& decision, int choices, double noMarkMin);

/// The threshold for a multi-answer question: the ladder step with the widest
/// spread between its largest and smallest count (first one on ties, 0 when
/// no step spreads them).
int multiAnswerThreshold(const std::vector<std::vector<int>>& dark, const ThresholdLadder& ladder);

/// Counts joined with "," ("%d"), cut after the last whole number that fits
/// in kMaxDotStringChars.
std::string dotString(const std::vector<int>& counts);

/// Ovals together may sample the image at most this many times over; real
/// sheets stay far below it (their ovals do not even cover the sheet once).
inline constexpr std::int64_t kMaxOvalCoverage = 256;

struct OvalHalfSizes {
    int width = 0;
    int height = 0;
    friend bool operator==(const OvalHalfSizes&, const OvalHalfSizes&) = default;
};

/// The oval half sizes measured on an image of the given size: the
/// definition's, with a half size beyond the image's side cut to that side,
/// and both scaled down alike when the `ovals` measurements would still take
/// more than kMaxOvalCoverage times the image's samples (step `step`). An
/// absurd definition then costs a bounded time; the definition itself (and
/// what is written back) keeps its sizes.
OvalHalfSizes fittedOvalHalfSizes(int halfWidth, int halfHeight, int imageWidth, int imageHeight,
                                  int step, std::int64_t ovals);

/// Measures and decides every question of the definition on the aligned
/// raster (upright or turned), filling `results` (which must be sized already).
void decideAllQuestions(const RasterView& raster, const SheetDefinition& def,
                        const Alignment& alignment, int step, bool markSamples,
                        QuestionResults& results);

}  // namespace strovik
