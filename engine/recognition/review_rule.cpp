#include "engine/recognition/review_rule.h"

namespace strovik {
namespace {

constexpr int kSeveralMarks = 2;
constexpr int kTenthChoice = 10;

}  // namespace

CellReview reviewSingle(int answer, double reliability, int marked,
                        const ReviewSettings& settings) {
    CellReview review;
    if (answer < 1 || settings.noMark > reliability) {
        review.doubt = ReviewKind::NoMark;
        review.shown = ReviewShown::NoMark;
        return review;
    }
    review.chosen.push_back(answer);
    const bool faint = settings.faint > reliability;
    const bool several = marked >= kSeveralMarks;
    review.doubt = several ? ReviewKind::Doubled : faint ? ReviewKind::Faint : ReviewKind::None;
    review.shown = several && settings.showSeveral ? ReviewShown::Several
                   : faint                         ? ReviewShown::Faint
                                                   : ReviewShown::Plain;
    return review;
}

CellReview reviewSeveral(const std::vector<std::int64_t>& dots, const ReviewSettings& settings) {
    CellReview review;
    const std::int64_t low = settings.multiValue - settings.multiRange;
    const std::int64_t high = settings.multiValue + settings.multiRange;
    for (std::size_t k = 0; k < dots.size(); ++k) {
        if (dots[k] > settings.multiValue) review.chosen.push_back(int(k) + 1);
        if (low < dots[k] && dots[k] < high) {
            review.doubt = ReviewKind::Band;
            review.shown = ReviewShown::Band;
        }
    }
    return review;
}

std::string reviewValueText(const CellReview& review, bool several, bool tenToZero) {
    if (!several && review.chosen.empty()) return "-1";
    std::string text;
    for (const int choice : review.chosen) {
        if (!text.empty()) text += ' ';
        text += tenToZero && choice == kTenthChoice ? std::string("0") : std::to_string(choice);
    }
    return text;
}

std::string_view reviewKindName(ReviewKind kind) {
    switch (kind) {
        case ReviewKind::NoMark:
            return "nomark";
        case ReviewKind::Faint:
            return "faint";
        case ReviewKind::Doubled:
            return "doubled";
        case ReviewKind::Band:
            return "band";
        case ReviewKind::None:
            break;
    }
    return "";
}

}  // namespace strovik
