#include "engine/recognition/mark_decision.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace strovik {
namespace {

constexpr double kAllOthersClean = 999.0;

/// One measurement per choice at every ladder step.
struct ChoiceCounts {
    std::vector<std::vector<int>> dark;  ///< [step][choice]
    std::vector<int> totals;             ///< [step] sample total of the last choice
};

ChoiceCounts measureChoices(const RasterView& raster, const SheetDefinition& def,
                            const Alignment& alignment, const OvalShape& shape,
                            const ThresholdLadder& ladder, int question, int n, bool markSamples) {
    ChoiceCounts c;
    c.dark.assign(ladder.size(), std::vector<int>(std::size_t(n), 0));
    c.totals.assign(ladder.size(), 0);
    for (int choice = 0; choice < n; ++choice) {
        const Point centre = alignment.map(def.marks.slot(question, choice));
        const OvalMeasurement m = measureOval(raster, centre, shape, ladder, markSamples);
        for (std::size_t i = 0; i < ladder.size(); ++i) {
            c.dark[i][std::size_t(choice)] = m.dark[i];
            c.totals[i] = m.total;
        }
    }
    return c;
}

std::vector<int> firstMultiPosition(const SheetDefinition& def) {
    std::vector<int> position(std::size_t(def.marks.questions()), -1);
    for (std::size_t k = 0; k < def.multiQuestions.size(); ++k) {
        const int q = def.multiQuestions[k];
        if (q >= 0 && q < def.marks.questions() && position[std::size_t(q)] < 0) {
            position[std::size_t(q)] = int(k);
        }
    }
    return position;
}

std::vector<int> decideMulti(const RasterView& raster, const SheetDefinition& def,
                             const Alignment& alignment, const OvalShape& shape,
                             const ThresholdLadder& ladder, int question, int n, bool markSamples) {
    int threshold = 0;
    if (n == 1) {
        threshold = int((long long)def.ovalColorMin + def.ovalColorMax) / 2;
    } else {
        const ChoiceCounts c =
            measureChoices(raster, def, alignment, shape, ladder, question, n, markSamples);
        threshold = multiAnswerThreshold(c.dark, ladder);
    }
    const ThresholdLadder chosen = ThresholdLadder::of({threshold});
    const ChoiceCounts c =
        measureChoices(raster, def, alignment, shape, chosen, question, n, markSamples);
    return c.dark[0];
}

}  // namespace

SingleDecision decideSingle(const std::vector<std::vector<int>>& dark,
                            const std::vector<int>& totals, int noMarkMinDots,
                            double multiMarkedMultiply) {
    SingleDecision d;
    for (std::size_t step = 0; step < dark.size(); ++step) {
        const std::vector<int>& counts = dark[step];
        const std::size_t n = counts.size();
        if (n < 2) break;
        std::size_t g = 0;
        int max = 0;
        long long sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            sum += counts[i];
            if (counts[i] > max) {
                max = counts[i];
                g = i;
            }
        }
        const long long mean = (sum - counts[g]) / (long long)(n - 1);
        const long long limit = (long long)(double(noMarkMinDots) * 0.01 * totals[step]);
        double ratio = 0.0;
        // Without a single dark sample nothing is marked, whatever the limit.
        if (max > 0 && max >= limit)
            ratio = mean == 0 ? kAllOthersClean : double(max) / double(mean);
        // A choice looks marked when it stands out from the others' mean and
        // is itself as dark as a mark must be: with clean neighbours the mean
        // truncates to 0 or 1, and a few dark specks alone would count.
        int marked = 0;
        if (ratio > 0) {
            for (int count : counts) {
                if (double(count) > double(mean) * multiMarkedMultiply && count >= limit) ++marked;
            }
        }
        if (ratio > d.reliability) d = SingleDecision{int(g), ratio, marked};
    }
    return d;
}

int reportedAnswer(const SingleDecision& decision, int choices, double noMarkMin) {
    // A question without choices has nothing to answer.
    return (choices > 0 && decision.reliability > noMarkMin) ? decision.best + 1 : -1;
}

int multiAnswerThreshold(const std::vector<std::vector<int>>& dark, const ThresholdLadder& ladder) {
    int threshold = 0;
    int bestSpread = 0;
    for (std::size_t step = 0; step < dark.size(); ++step) {
        int largest = 0;
        int smallest = 9999;
        for (int count : dark[step]) {
            if (count > largest) largest = count;
            if (count < smallest) smallest = count;
        }
        const int spread = largest - smallest;
        if (spread > bestSpread) {
            bestSpread = spread;
            threshold = ladder[step];
        }
    }
    return threshold;
}

std::string dotString(const std::vector<int>& counts) {
    std::string text;
    char buffer[16];
    for (std::size_t i = 0; i < counts.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i == 0 ? "%d" : ",%d", counts[i]);
        if (text.size() + std::char_traits<char>::length(buffer) > kMaxDotStringChars) break;
        text += buffer;
    }
    return text;
}

OvalHalfSizes fittedOvalHalfSizes(int halfWidth, int halfHeight, int imageWidth, int imageHeight,
                                  int step, std::int64_t ovals) {
    OvalHalfSizes fitted{std::min(halfWidth, imageWidth), std::min(halfHeight, imageHeight)};
    if (fitted.width <= 0 || fitted.height <= 0 || ovals <= 0) return fitted;
    const double s = std::max(1, step);
    // Samples of one oval's bounding box, and what the image holds.
    const double perOval = (2.0 * fitted.width / s) * (2.0 * fitted.height / s);
    const double image = (imageWidth / s) * (imageHeight / s);
    const double budget = double(kMaxOvalCoverage) * image;
    if (perOval * double(ovals) <= budget) return fitted;
    const double factor = std::sqrt(budget / (perOval * double(ovals)));
    fitted.width = std::max(1, int(fitted.width * factor));
    fitted.height = std::max(1, int(fitted.height * factor));
    return fitted;
}

void decideAllQuestions(const RasterView& raster, const SheetDefinition& def,
                        const Alignment& alignment, int step, bool markSamples,
                        QuestionResults& results) {
    std::int64_t ovals = 0;
    for (int q = 0; q < def.marks.questions(); ++q) ovals += def.marks.choiceCount(q);
    // Multi-answer questions are measured twice.
    ovals += std::int64_t(def.multiQuestions.size()) * def.marks.choices();
    const OvalHalfSizes half = fittedOvalHalfSizes(def.ovalHalfWidth, def.ovalHalfHeight,
                                                   raster.width(), raster.height(), step, ovals);
    const OvalShape shape(half.width, half.height, step);
    const ThresholdLadder ladder(def.ovalColorMin, def.ovalColorMax);
    const std::vector<int> multiPosition = firstMultiPosition(def);
    for (int q = 0; q < def.marks.questions(); ++q) {
        const int n = def.marks.choiceCount(q);
        SingleDecision d;
        const int k = multiPosition[std::size_t(q)];
        if (k >= 0) {
            results.dots[std::size_t(k)] =
                decideMulti(raster, def, alignment, shape, ladder, q, n, markSamples);
        } else if (def.marks.choices() > 1 && n > 1) {
            const ChoiceCounts c =
                measureChoices(raster, def, alignment, shape, ladder, q, n, markSamples);
            d = decideSingle(c.dark, c.totals, def.noMarkMinDots, def.multiMarkedMultiply);
        }
        const auto qi = std::size_t(q);
        results.reliability[qi] = d.reliability;
        results.marked[qi] = d.marked;
        results.answers[qi] = reportedAnswer(d, n, def.noMarkMin);
    }
}

}  // namespace strovik
