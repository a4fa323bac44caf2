// Random fillings of a layout, reproducible from the seed.
#include <algorithm>

#include "tools/sheetgen/random_source.h"
#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

// Shares of the single-answer question kinds; the rest get one filled choice.
constexpr double kBlankShare = 0.06;
constexpr double kDoubledShare = 0.06;
constexpr double kFaintShare = 0.05;
constexpr int kMaxMultiFilled = 3;

bool isMulti(const Layout& layout, int q) {
    return std::binary_search(layout.multiQuestions.begin(), layout.multiQuestions.end(), q);
}

// Marks `count` distinct random choices of `row` with `mark`.
void markDistinct(std::vector<Mark>& row, int count, Mark mark, RandomSource& rng) {
    const int n = static_cast<int>(row.size());
    count = std::min(count, n);
    for (int placed = 0; placed < count;) {
        const int c = rng.below(n);
        if (row[c] != Mark::Blank) continue;
        row[c] = mark;
        ++placed;
    }
}

void fillSingle(std::vector<Mark>& row, RandomSource& rng) {
    const double kind = rng.unit();
    if (kind < kBlankShare) return;
    if (kind < kBlankShare + kDoubledShare) {
        markDistinct(row, 2, Mark::Filled, rng);
    } else if (kind < kBlankShare + kDoubledShare + kFaintShare) {
        markDistinct(row, 1, Mark::Faint, rng);
    } else {
        markDistinct(row, 1, Mark::Filled, rng);
    }
}

}  // namespace

Answers randomAnswers(const Layout& layout, std::uint32_t seed) {
    RandomSource rng(seed);
    Answers answers;
    answers.reserve(layout.ovals.size());
    for (std::size_t q = 0; q < layout.ovals.size(); ++q) {
        std::vector<Mark> row(layout.ovals[q].size(), Mark::Blank);
        if (isMulti(layout, static_cast<int>(q))) {
            markDistinct(row, rng.below(kMaxMultiFilled + 1), Mark::Filled, rng);
        } else {
            fillSingle(row, rng);
        }
        answers.push_back(std::move(row));
    }
    return answers;
}

}  // namespace sheetgen
