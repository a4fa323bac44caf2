#include "reader/report/student_slips.h"

#include <algorithm>

#include "reader/core/analysis_files.h"
#include "reader/report/pdf_document.h"

namespace tarrow {
namespace {

constexpr qreal kRowHeight = 12.0;
constexpr int kBlocks = 4;
const QColor kWrongColour(200, 0, 0);
const QString kRightMark = QStringLiteral("✓");
const QString kWrongMark = QStringLiteral("✗");

/// Column widths of one block: 設問, 解答, 正答, 正誤, 得点.
const std::vector<qreal>& blockColumns() {
    static const std::vector<qreal> widths{26, 32, 32, 22, 18};
    return widths;
}

void cells(QPainter& p, qreal x, qreal y, const QStringList& texts, bool wrong) {
    const auto& widths = blockColumns();
    for (std::size_t i = 0; i < widths.size(); ++i) {
        p.setPen(wrong && i == 3 ? kWrongColour : QColor(Qt::black));
        p.drawText(QRectF(x, y, widths[i] - 2, kRowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   texts.value(qsizetype(i)));
        x += widths[i];
    }
    p.setPen(Qt::black);
}

qreal slipHeading(PdfDocument& doc, const ItemAnalysis& a, const StudentResult& s,
                  std::int64_t possible, const QString& source) {
    QPainter& p = doc.painter();
    const QRectF area = doc.area();
    p.setFont(PdfDocument::font(15, true));
    p.drawText(QRectF(area.left(), area.top(), area.width(), 22), Qt::AlignLeft,
               QStringLiteral("個人票"));
    p.setFont(PdfDocument::font(10));
    qreal y = area.top() + 28;
    const QString file = QStringLiteral("ファイル: %1").arg(s.label);
    p.drawText(
        QRectF(area.left(), y, area.width(), 14), Qt::AlignLeft,
        s.number.isEmpty() ? file : QStringLiteral("学籍番号: %1　　%2").arg(s.number, file));
    y += 16;
    const QString mean = fixedRatio(a.summary.sum, std::max(1, a.summary.students), 2);
    p.setFont(PdfDocument::font(12, true));
    p.drawText(QRectF(area.left(), y, area.width(), 16), Qt::AlignLeft,
               QStringLiteral("合計点 %1 / %2　　クラス平均 %3（%4人）")
                   .arg(s.total)
                   .arg(possible)
                   .arg(mean)
                   .arg(a.summary.students));
    p.setFont(PdfDocument::font(7));
    p.drawText(QRectF(area.left(), y + 18, area.width(), 10), Qt::AlignLeft, source);
    p.setFont(PdfDocument::font(8));
    return y + 34;
}

void blockHeaders(QPainter& p, qreal left, qreal blockWidth, qreal y) {
    for (int b = 0; b < kBlocks; ++b) {
        cells(p, left + blockWidth * b, y,
              {QStringLiteral("設問"), QStringLiteral("解答"), QStringLiteral("正答"),
               QStringLiteral("正誤"), QStringLiteral("得点")},
              false);
    }
}

void slip(PdfDocument& doc, const ItemAnalysis& a, const StudentResult& s, std::int64_t possible,
          const QString& source) {
    QPainter& p = doc.painter();
    const QRectF area = doc.area();
    const qreal blockWidth = area.width() / kBlocks;
    qreal top = slipHeading(doc, a, s, possible, source);
    blockHeaders(p, area.left(), blockWidth, top);
    top += kRowHeight;
    std::size_t rows = std::size_t((area.bottom() - top) / kRowHeight);
    std::size_t first = 0;  // first question of the current page
    for (std::size_t i = 0; i < a.items.size(); ++i) {
        std::size_t at = i - first;
        if (at >= rows * kBlocks) {
            doc.newPage();
            top = area.top();
            blockHeaders(p, area.left(), blockWidth, top);
            top += kRowHeight;
            rows = std::size_t((area.bottom() - top) / kRowHeight);
            first = i;
            at = 0;
        }
        const ItemStats& it = a.items[i];
        const bool right = s.right[i] != 0;
        cells(p, area.left() + blockWidth * qreal(at / rows), top + kRowHeight * qreal(at % rows),
              {QString::number(it.number), s.answers.at(qsizetype(i)), it.key,
               right ? kRightMark : kWrongMark,
               right ? QString::number(it.points) : QStringLiteral("0")},
              !right);
    }
}

}  // namespace

bool writeStudentSlips(const ItemAnalysis& a, const QString& source, const QString& path,
                       QString* error) {
    PdfDocument doc(QStringLiteral("個人票"));
    std::int64_t possible = 0;
    for (const ItemStats& it : a.items) possible += std::max(it.points, 0);
    for (std::size_t i = 0; i < a.students.size(); ++i) {
        if (i > 0) doc.newPage();
        slip(doc, a, a.students[i], possible, source);
    }
    return doc.save(path, error);
}

}  // namespace tarrow
