#include "editor/ui/trial_painter.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstdio>

namespace dravel {
namespace {

const QColor kFoundColour(0, 90, 255);
const QColor kChosenColour(0, 90, 255);
const QColor kOtherColour(120, 120, 120);
const QColor kNoMarkColour(230, 0, 0);
const QColor kFaintColour(255, 140, 0);
const QColor kDoubledColour(220, 0, 220);
const QColor kBandColour(120, 40, 200);
const QColor kTextColour(0, 60, 200);
constexpr int kChosenPen = 3;
constexpr int kFlagPen = 3;
constexpr int kTextPixels = 11;

void drawOvalOutline(QPainter& p, Point centre, int width, int height) {
    p.drawEllipse(QRectF(centre.x - width / 2.0, centre.y - height / 2.0, width, height));
}

QString reliabilityLabel(double reliability) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", reliability);
    return QString::fromLatin1(text);
}

}  // namespace

QColor trialKindColour(const QuestionReading& reading) {
    switch (reading.doubt) {
        case strovik::ReviewKind::Faint:
            return kFaintColour;
        case strovik::ReviewKind::Doubled:
            return kDoubledColour;
        case strovik::ReviewKind::Band:
            return kBandColour;
        case strovik::ReviewKind::NoMark:
            return kNoMarkColour;
        case strovik::ReviewKind::None:
            break;
    }
    return reading.blank ? kNoMarkColour : QColor();
}

void drawTrialReading(QPainter& p, const EditorState& s, const TrialResult& trial,
                      const QRect& visible) {
    const int width = s.bitmapWidth;
    const int height = s.bitmapHeight;
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kFoundColour, kChosenPen));
    for (const Point& found : trial.foundZeroMarks) {
        const Point at = shownPosition(trial, found, width, height);
        p.drawEllipse(QPointF(at.x, at.y), s.zeroRadius + kChosenPen, s.zeroRadius + kChosenPen);
    }
    QFont font = p.font();
    font.setPixelSize(kTextPixels);
    p.setFont(font);
    const int w = s.ovalWidth;
    const int h = s.ovalHeight;
    const QRect reach = visible.adjusted(-2 * w, -h, 2 * w, h);
    for (int i = 0; i < s.markCount; ++i) {
        const MarkRecord& m = s.marks[std::size_t(i)];
        const QuestionReading* reading = trial.question(m.question);
        if (reading == nullptr || !reach.contains(m.x, m.y)) continue;
        const Point at = readPosition(trial, {m.x, m.y}, width, height);
        const bool chosen = std::find(reading->chosen.begin(), reading->chosen.end(), m.choice) !=
                            reading->chosen.end();
        p.setPen(chosen ? QPen(kChosenColour, kChosenPen) : QPen(kOtherColour, 1));
        drawOvalOutline(p, at, w, h);
        const QColor flag = trialKindColour(*reading);
        if (flag.isValid()) {
            p.setPen(QPen(flag, kFlagPen));
            drawOvalOutline(p, at, w + 4 * kFlagPen, h + 4 * kFlagPen);
        }
        p.setPen(kTextColour);
        if (reading->multi) {
            if (std::size_t(m.choice) < reading->dots.size()) {
                p.drawText(QPoint(at.x - w / 2, at.y + h / 2 + kTextPixels),
                           QString::number(reading->dots[std::size_t(m.choice)]));
            }
        } else if (m.choice == 0) {
            // The reliability left of the first choice.
            const QString label = reliabilityLabel(reading->reliability);
            p.drawText(QRect(at.x - w / 2 - 4 * kTextPixels, at.y - kTextPixels,
                             4 * kTextPixels - 4, 2 * kTextPixels),
                       Qt::AlignRight | Qt::AlignVCenter, label);
        }
    }
    p.restore();
}

}  // namespace dravel
