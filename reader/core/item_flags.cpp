#include "reader/core/item_flags.h"

#include <algorithm>

namespace tarrow {

std::vector<ItemFlag> flagsOf(const ItemStats& it) {
    std::vector<ItemFlag> flags;
    if (it.students == 0) return flags;
    const std::int64_t right100 = std::int64_t(it.right) * 100;
    if (right100 < std::int64_t(kTooHardPercent) * it.students) flags.push_back(ItemFlag::TooHard);
    if (right100 > std::int64_t(kTooEasyPercent) * it.students) flags.push_back(ItemFlag::TooEasy);
    const bool lowD = std::int64_t(it.upperRight - it.lowerRight) * 100 <
                      std::int64_t(kLowDiscriminationHundredths) * it.groupSize;
    const bool lowR = it.pointBiserial && *it.pointBiserial * 100 < kLowDiscriminationHundredths;
    if (lowD || lowR) flags.push_back(ItemFlag::LowDiscrimination);
    if (it.reversed) flags.push_back(ItemFlag::Reversed);
    return flags;
}

QString flagCaption(ItemFlag flag) {
    switch (flag) {
        case ItemFlag::TooHard:
            return QStringLiteral("難しすぎる");
        case ItemFlag::TooEasy:
            return QStringLiteral("易しすぎる");
        case ItemFlag::LowDiscrimination:
            return QStringLiteral("識別力が低い");
        case ItemFlag::Reversed:
            return QStringLiteral("逆転");
    }
    return {};
}

QString flagsText(const ItemStats& item) {
    QStringList captions;
    for (const ItemFlag f : flagsOf(item)) captions.append(flagCaption(f));
    return captions.join(QStringLiteral("・"));
}

std::vector<HistogramBin> histogramOf(const ItemAnalysis& a, int maxBins) {
    std::int64_t possible = 0;
    for (const ItemStats& it : a.items) possible += std::max(it.points, 0);
    std::int64_t low = 0, high = possible;
    for (const StudentResult& s : a.students) {
        low = std::min(low, s.total);
        high = std::max(high, s.total);
    }
    const std::int64_t span = high - low + 1;
    const std::int64_t bins = std::max<std::int64_t>(1, maxBins);
    const std::int64_t width = (span + bins - 1) / bins;
    std::vector<HistogramBin> out(std::size_t((span + width - 1) / width));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i].from = low + std::int64_t(i) * width;
        out[i].to = std::min(high, out[i].from + width - 1);
    }
    for (const StudentResult& s : a.students) ++out[std::size_t((s.total - low) / width)].count;
    return out;
}

}  // namespace tarrow
