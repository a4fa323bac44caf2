#include "editor/ui/sheet_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "editor/ui/trial_painter.h"

namespace dravel {
namespace {

const QColor kMarkColour(255, 255, 200);
const QColor kMultiColour(255, 200, 200);
const QColor kZeroColour(255, 0, 0);
const QColor kSelectionColour(0, 90, 255);
constexpr int kLabelPixels = 12;  ///< label height in image pixels
constexpr int kLabelInset = 3;
constexpr int kAreaNumberOffset = 2;
constexpr int kMargin = 4;  ///< pen width and antialiasing around a figure

QRect ovalRect(Point centre, int width, int height) {
    return QRect(QPoint(centre.x - width / 2, centre.y - height / 2),
                 QPoint(centre.x + width / 2, centre.y + height / 2));
}

void drawOval(QPainter& p, Point centre, int width, int height) {
    const QRect r = ovalRect(centre, width, height);
    p.drawEllipse(QRectF(r.left(), r.top(), r.width() - 1, r.height() - 1));
}

void drawCircle(QPainter& p, Point centre, int radius) {
    p.drawEllipse(QPointF(centre.x, centre.y), radius, radius);
}

QString labelText(const char* format, int a, int b = 0) {
    char text[32];
    std::snprintf(text, sizeof text, format, a, b);
    return QString::fromLatin1(text);
}

/// Mark mode's question in progress: ovals spaced as they would be placed.
void drawQuestionInProgress(QPainter& p, const EditorState& s, Point pointer) {
    const Point first = s.points[0];
    p.setBrush(kMarkColour);
    p.drawLine(first.x, first.y, pointer.x, pointer.y);
    if (s.ovalWidth <= 0 || s.ovalHeight <= 0) return;
    const int n = s.choicesPerQuestion;
    for (int i = 0; i < n; ++i) {
        const Point c = n == 1 ? first
                               : Point{first.x + i * (pointer.x - first.x) / (n - 1),
                                       first.y + i * (pointer.y - first.y) / (n - 1)};
        drawOval(p, c, s.ovalWidth, s.ovalHeight);
    }
}

/// Block mode's block in progress: the first question's line, then the
/// outline of the block with ovals at its corners.
void drawBlockInProgress(QPainter& p, const EditorState& s, Point pointer) {
    const Point first = s.points[0];
    const Point last = s.step == 3 ? s.points[1] : pointer;
    p.setBrush(kMarkColour);
    p.drawLine(first.x, first.y, last.x, last.y);
    std::vector<Point> corners{first, last};
    if (s.step == 3) {
        const Point across{last.x + pointer.x - first.x, last.y + pointer.y - first.y};
        p.drawLine(last.x, last.y, across.x, across.y);
        p.drawLine(across.x, across.y, pointer.x, pointer.y);
        p.drawLine(pointer.x, pointer.y, first.x, first.y);
        corners.push_back(pointer);
        corners.push_back(across);
    }
    if (s.ovalWidth <= 0 || s.ovalHeight <= 0) return;
    for (const Point& c : corners) drawOval(p, c, s.ovalWidth, s.ovalHeight);
}

/// A frame around every oval of the selected block.
void drawSelection(QPainter& p, const EditorState& s) {
    if (s.selectedCount <= 0) return;
    QRect box;
    for (int i = 0; i < s.markCount; ++i) {
        const MarkRecord& m = s.marks[std::size_t(i)];
        if (m.question < s.selectedFirst || m.question >= s.selectedFirst + s.selectedCount)
            continue;
        box |= ovalRect({m.x, m.y}, s.ovalWidth, s.ovalHeight);
    }
    if (box.isEmpty()) return;
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kSelectionColour, 3, Qt::DashLine));
    p.drawRect(box.adjusted(-kMargin, -kMargin, kMargin, kMargin));
    p.restore();
}

void drawInProgress(QPainter& p, const EditorState& s, Point pointer) {
    if (s.zeroMarkMode && s.step == 1) {
        // The circle follows the pointer before the first click too, so its
        // size can be matched to the printed mark.
        p.setBrush(kZeroColour);
        drawCircle(p, pointer, s.zeroRadius);
    } else if (s.zeroMarkMode && (s.step == 2 || s.step == 3)) {
        p.setBrush(kZeroColour);
        const Point p1 = s.points[0];
        if (s.step == 2) {
            p.drawLine(p1.x, p1.y, pointer.x, pointer.y);
        } else {
            const Point p2 = s.points[1];
            p.drawLine(p1.x, p1.y, p2.x, p2.y);
            p.drawLine(p2.x, p2.y, pointer.x, pointer.y);
            drawCircle(p, p2, s.zeroRadius);
        }
        drawCircle(p, p1, s.zeroRadius);
        drawCircle(p, pointer, s.zeroRadius);
    } else if (s.areaMode && s.step >= 2) {
        QPolygon line;
        for (int i = 0; i < s.step - 1; ++i) {
            line << QPoint(s.points[std::size_t(i)].x, s.points[std::size_t(i)].y);
        }
        line << QPoint(pointer.x, pointer.y);
        p.drawPolyline(line);
    } else if (s.markMode() && s.step == 2) {
        drawQuestionInProgress(p, s, pointer);
    } else if (s.blockMode && (s.step == 2 || s.step == 3)) {
        drawBlockInProgress(p, s, pointer);
    }
}

void drawMarks(QPainter& p, const EditorState& s, const QRect& visible, PaintCache* cache) {
    QFont font = p.font();
    font.setPixelSize(kLabelPixels);
    p.setFont(font);
    // Labels are vertically centred on the oval's centre.
    const QFontMetrics metrics(font);
    const int baseline = (metrics.ascent() - metrics.descent()) / 2;
    const int w = s.ovalWidth;
    const int h = s.ovalHeight;
    const QRect reach = visible.adjusted(-w - kMargin, -h - kMargin, w + kMargin, h + kMargin);
    const QColor* brush = nullptr;
    for (int i = 0; i < s.markCount; ++i) {
        const MarkRecord& m = s.marks[std::size_t(i)];
        if (!reach.contains(m.x, m.y)) continue;
        const bool multi = s.isMulti(m.question);
        if (cache != nullptr && w > 0 && h > 0) {
            const QImage& sprite = cache->oval(w, h, multi);
            p.drawImage(QRectF(m.x - w / 2, m.y - h / 2, sprite.width() / cache->scale(),
                               sprite.height() / cache->scale()),
                        sprite);
        } else {
            const QColor* wanted = multi ? &kMultiColour : &kMarkColour;
            if (wanted != brush) {
                p.setBrush(*wanted);
                brush = wanted;
            }
            drawOval(p, {m.x, m.y}, w, h);
        }
        const QPoint at(m.x - w / 2 + kLabelInset, m.y + baseline);
        if (cache != nullptr) {
            const QStaticText& text = cache->label(m.question, m.choice, font);
            p.drawStaticText(at.x(), at.y() - metrics.ascent(), text);
        } else {
            p.drawText(at, labelText("%d,%d", m.question + 1, m.choice + 1));
        }
    }
}

void drawAreas(QPainter& p, const EditorState& s, const QRect& visible) {
    p.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < s.areas.size(); ++i) {
        QPolygon outline;
        for (const Point& c : s.areas[i].corners) outline << QPoint(c.x, c.y);
        if (!outline.boundingRect().adjusted(-40, -40, 40, 40).intersects(visible)) continue;
        p.drawPolygon(outline);
        const Point first = s.areas[i].corners[0];
        p.drawText(QPoint(first.x + kAreaNumberOffset, first.y - kAreaNumberOffset),
                   labelText("%d", int(i) + 1));
    }
}

void drawZeroMarks(QPainter& p, const EditorState& s) {
    for (const Point& z : s.zeroMarks) {
        if (z.x < 1 || z.y < 1) return;
    }
    p.setBrush(kZeroColour);
    for (const Point& z : s.zeroMarks) drawCircle(p, z, s.zeroRadius);
}

}  // namespace

void PaintCache::useDivisor(int divisor) {
    if (divisor == divisor_) return;
    divisor_ = divisor;
    scale_ = 100.0 / divisor;
    labels_.clear();
    ovalSize_ = QSize();
}

const QImage& PaintCache::oval(int width, int height, bool multi) {
    const QSize size(width / 2 * 2 + 1, height / 2 * 2 + 1);
    if (size != ovalSize_) {
        ovalSize_ = size;
        const QSize shown(qCeil(size.width() * scale_), qCeil(size.height() * scale_));
        for (int i = 0; i < 2; ++i) {
            QImage& sprite = ovals_[i];
            sprite = QImage(shown, QImage::Format_ARGB32_Premultiplied);
            sprite.fill(Qt::transparent);
            QPainter p(&sprite);
            p.scale(scale_, scale_);
            p.setPen(Qt::black);
            p.setBrush(i == 1 ? kMultiColour : kMarkColour);
            p.drawEllipse(QRectF(0, 0, size.width() - 1, size.height() - 1));
        }
    }
    return ovals_[multi ? 1 : 0];
}

const QStaticText& PaintCache::label(int question, int choice, const QFont& font) {
    const long long key = (long long)question * (kMaxChoices + 1) + choice;
    auto it = labels_.find(key);
    if (it != labels_.end()) return it->second;
    if (labels_.size() >= kMaxLabels) labels_.clear();
    QStaticText text(labelText("%d,%d", question + 1, choice + 1));
    text.setTextFormat(Qt::PlainText);
    text.prepare(QTransform::fromScale(scale_, scale_), font);
    return labels_.emplace(key, std::move(text)).first->second;
}

QPoint toClient(const EditorState& s, Point image, QPoint scroll) {
    return QPoint(image.x * 100 / s.divisor - scroll.x(), image.y * 100 / s.divisor - scroll.y());
}

Point toImage(const EditorState& s, QPoint client, QPoint scroll) {
    return {(client.x() + scroll.x()) * s.divisor / 100,
            (client.y() + scroll.y()) * s.divisor / 100};
}

QRect clientRect(const EditorState& s, const QRect& image, QPoint scroll) {
    const QPoint topLeft = toClient(s, {image.left(), image.top()}, scroll);
    const QPoint bottomRight = toClient(s, {image.right() + 1, image.bottom() + 1}, scroll);
    return QRect(topLeft, bottomRight).adjusted(-2, -2, 2, 2);
}

QRect inProgressBounds(const EditorState& s, Point pointer) {
    QRect r;
    auto add = [&](Point p, int halfWidth, int halfHeight) {
        r |= QRect(p.x - halfWidth, p.y - halfHeight, 2 * halfWidth + 1, 2 * halfHeight + 1)
                 .adjusted(-kMargin, -kMargin, kMargin, kMargin);
    };
    if (s.zeroMarkMode && s.step >= 1 && s.step <= 3) {
        for (int i = 0; i < s.step - 1; ++i)
            add(s.points[std::size_t(i)], s.zeroRadius, s.zeroRadius);
        add(pointer, s.zeroRadius, s.zeroRadius);
    } else if (s.areaMode && s.step >= 2) {
        for (int i = 0; i < s.step - 1; ++i) add(s.points[std::size_t(i)], 0, 0);
        add(pointer, 0, 0);
    } else if (s.markMode() && s.step == 2) {
        const int hw = std::max(0, s.ovalWidth / 2);
        const int hh = std::max(0, s.ovalHeight / 2);
        add(s.points[0], hw, hh);
        add(pointer, hw, hh);
    } else if (s.blockMode && (s.step == 2 || s.step == 3)) {
        const int hw = std::max(0, s.ovalWidth / 2);
        const int hh = std::max(0, s.ovalHeight / 2);
        const Point first = s.points[0];
        const Point last = s.step == 3 ? s.points[1] : pointer;
        add(first, hw, hh);
        add(last, hw, hh);
        add(pointer, hw, hh);
        add({last.x + pointer.x - first.x, last.y + pointer.y - first.y}, hw, hh);
    }
    return r;
}

void paintSheet(QPainter& painter, const SheetScene& scene, QPoint scroll, const QRect& exposed) {
    if (scene.picture == nullptr || scene.picture->isNull() || scene.state == nullptr) return;
    const EditorState& s = *scene.state;
    const double scale = 100.0 / s.divisor;
    painter.save();
    painter.setClipRect(exposed);
    painter.translate(-scroll.x(), -scroll.y());
    painter.scale(scale, scale);

    // The exposed part in image pixels, a pixel wider on every side.
    const QRect visible(QPoint((exposed.left() + scroll.x()) * s.divisor / 100 - 1,
                               (exposed.top() + scroll.y()) * s.divisor / 100 - 1),
                        QPoint((exposed.right() + 1 + scroll.x()) * s.divisor / 100 + 1,
                               (exposed.bottom() + 1 + scroll.y()) * s.divisor / 100 + 1));
    const QRect source = visible & scene.picture->rect();
    if (!source.isEmpty()) painter.drawImage(source, *scene.picture, source);

    painter.setPen(Qt::black);
    if (scene.cache != nullptr) scene.cache->useDivisor(s.divisor);
    drawInProgress(painter, s, scene.pointer);
    // A test read draws the ovals where they were read, as outlines.
    if (scene.trial == nullptr) drawMarks(painter, s, visible, scene.cache);
    drawSelection(painter, s);
    drawAreas(painter, s, visible);
    drawZeroMarks(painter, s);
    if (scene.trial != nullptr) drawTrialReading(painter, s, *scene.trial, visible);
    painter.restore();
}

}  // namespace dravel
