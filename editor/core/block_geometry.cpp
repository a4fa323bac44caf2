#include "editor/core/block_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dravel {
namespace {

/// num / den (den > 0) rounded to the nearest integer, halves away from 0.
long long roundedQuotient(long long num, long long den) {
    if (num >= 0) return (2 * num + den) / (2 * den);
    return -((-2 * num + den) / (2 * den));
}

double distance(Point a, Point b) {
    return std::hypot(double(b.x - a.x), double(b.y - a.y));
}

/// One coordinate of choice c of question q (see the block rule).
int blockCoordinate(int first, int last, int lastQuestion, int c, int q, int choices,
                    int questions) {
    const long long choiceDen = choices > 1 ? choices - 1 : 1;
    const long long questionDen = questions > 1 ? questions - 1 : 1;
    const long long choiceNum = choices > 1 ? (long long)c * (last - first) : 0;
    const long long questionNum = questions > 1 ? (long long)q * (lastQuestion - first) : 0;
    const long long num = choiceNum * questionDen + questionNum * choiceDen;
    return first + int(roundedQuotient(num, choiceDen * questionDen));
}

}  // namespace

int evenStep(int from, int to, int index, int count) {
    if (count < 2) return from;
    return from + int(roundedQuotient((long long)index * (to - from), count - 1));
}

std::vector<Point> blockPositions(Point first, Point last, Point lastQuestion, int questions,
                                  int choices) {
    std::vector<Point> out;
    if (questions < 1 || choices < 1) return out;
    out.reserve(std::size_t(questions) * std::size_t(choices));
    for (int q = 0; q < questions; ++q) {
        for (int c = 0; c < choices; ++c) {
            out.push_back(
                {blockCoordinate(first.x, last.x, lastQuestion.x, c, q, choices, questions),
                 blockCoordinate(first.y, last.y, lastQuestion.y, c, q, choices, questions)});
        }
    }
    return out;
}

int countAlong(const std::vector<Point>& centres, Point from, Point to, double tolerance) {
    const double length = distance(from, to);
    const double ux = length > 0 ? (to.x - from.x) / length : 1.0;
    const double uy = length > 0 ? (to.y - from.y) / length : 0.0;
    int count = 0;
    for (const Point& c : centres) {
        const double dx = c.x - from.x;
        const double dy = c.y - from.y;
        const double along = dx * ux + dy * uy;
        const double across = std::abs(dx * uy - dy * ux);
        if (across <= tolerance && along >= -tolerance && along <= length + tolerance) ++count;
    }
    return count;
}

int estimateQuestions(Point first, Point last, Point lastQuestion, int choices, int fallbackPitch) {
    double pitch = choices > 1 ? distance(first, last) / (choices - 1) : 0.0;
    if (pitch <= 0.0) pitch = fallbackPitch;
    if (pitch <= 0.0) return 1;
    return std::max(1, int(std::floor(distance(first, lastQuestion) / pitch + 0.5)) + 1);
}

Point continuingOffset(Point firstOfFirst, Point lastOfFirst, Point firstOfLast, int questions,
                       int choices, int fallbackPitch) {
    if (questions > 1) {
        return {int(roundedQuotient((long long)questions * (firstOfLast.x - firstOfFirst.x),
                                    questions - 1)),
                int(roundedQuotient((long long)questions * (firstOfLast.y - firstOfFirst.y),
                                    questions - 1))};
    }
    const int dx = lastOfFirst.x - firstOfFirst.x;
    const int dy = lastOfFirst.y - firstOfFirst.y;
    if (choices < 2 || (dx == 0 && dy == 0)) return {0, fallbackPitch};
    const int spacing = int(std::lround(distance(firstOfFirst, lastOfFirst) / (choices - 1)));
    if (std::abs(dx) >= std::abs(dy)) return {0, spacing};
    return {spacing, 0};
}

std::vector<int> renumberOrder(int questionCount, int first, int count, int target) {
    if (count < 1 || first < 0 || first + count > questionCount) return {};
    target = std::clamp(target, 0, questionCount - count);
    std::vector<int> newIndex(std::size_t(questionCount), 0);
    int next = 0;
    for (int q = 0; q < questionCount; ++q) {
        if (q >= first && q < first + count) continue;
        if (next == target) next += count;  // the block's places
        newIndex[std::size_t(q)] = next++;
    }
    for (int i = 0; i < count; ++i) newIndex[std::size_t(first + i)] = target + i;
    return newIndex;
}

double blockSpacing(Point first, Point last, Point lastQuestion, int questions, int choices,
                    double fallbackSpacing) {
    const double choiceSpacing = choices > 1 ? distance(first, last) / (choices - 1) : 0.0;
    if (choiceSpacing > 0.0) return choiceSpacing;
    const double questionSpacing =
        questions > 1 ? distance(first, lastQuestion) / (questions - 1) : 0.0;
    return questionSpacing > 0.0 ? questionSpacing : fallbackSpacing;
}

BlockArea replacementArea(const std::vector<Point>& positions, double spacing) {
    if (positions.empty()) return {};
    const auto [minX, maxX] = std::minmax_element(positions.begin(), positions.end(),
                                                  [](Point a, Point b) { return a.x < b.x; });
    const auto [minY, maxY] = std::minmax_element(positions.begin(), positions.end(),
                                                  [](Point a, Point b) { return a.y < b.y; });
    const double half = spacing / 2.0;
    return {minX->x - half, minY->y - half, maxX->x + half, maxY->y + half};
}

int snapReach(const std::vector<Point>& positions, int questions, int choices, int fallback) {
    if (questions < 1 || choices < 1 ||
        positions.size() != std::size_t(questions) * std::size_t(choices)) {
        return fallback;
    }
    double smallest = std::numeric_limits<double>::infinity();
    auto consider = [&](Point a, Point b) {
        const double d = distance(a, b);
        if (d > 0.0) smallest = std::min(smallest, d);
    };
    for (int q = 0; q < questions; ++q) {
        const std::size_t row = std::size_t(q) * std::size_t(choices);
        for (int c = 1; c < choices; ++c) consider(positions[row + c - 1], positions[row + c]);
        if (q > 0) consider(positions[row - std::size_t(choices)], positions[row]);
    }
    return std::isinf(smallest) ? fallback : int(smallest / 2);
}

}  // namespace dravel
