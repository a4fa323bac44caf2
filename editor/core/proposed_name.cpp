#include "editor/core/proposed_name.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace dravel {
namespace {

constexpr int kRandomMax = 32767;
constexpr int kNameNumberMax = 9999;
constexpr int kCentury = 2000;

}  // namespace

NameSources NameSources::system() {
    auto generator = std::make_shared<std::minstd_rand>(
        static_cast<std::minstd_rand::result_type>(QDateTime::currentSecsSinceEpoch()));
    return {[] { return QDate::currentDate(); },
            [generator] {
                std::uniform_int_distribution<int> pick(0, kRandomMax);
                return pick(*generator);
            }};
}

QString proposedFileName(QDate date, int random, const QString& imagePath) {
    const int number = std::clamp(random, 0, kRandomMax) * kNameNumberMax / kRandomMax;
    char digits[32];
    std::snprintf(digits, sizeof digits, "-%02d%02d%02d-%04d", date.year() - kCentury, date.month(),
                  date.day(), number);
    QString name = QStringLiteral(u"マーク情報ファイル") + QString::fromLatin1(digits);
    if (!imagePath.isEmpty()) name += u'-' + QFileInfo(imagePath).fileName();
    return name + QStringLiteral(".ini");
}

}  // namespace dravel
