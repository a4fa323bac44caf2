// The printed sheet as vector PDF: filled zero marks, ovals outlined in a
// light blue the reader does not see (its blue component stays above every
// darkness threshold), black question numbers and choice labels beside the
// ovals, a framed name box and free-text area, and the title. The painter
// works in hundredths of an inch from the page's top-left corner.
#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "common/desktop/desktop_application.h"
#include "tools/sheetgen/pdf_print_scaling.h"
#include "tools/sheetgen/print_mode.h"

namespace sheetgen {
namespace {

constexpr int kPdfResolution = 1200;  // dots per inch of the painter's device
const QColor kOvalColour(0x6f, 0xa8, 0xdc);
const QColor kInk(0x10, 0x10, 0x10);
constexpr double kOvalPen = 0.8;   // hundredths of an inch
constexpr double kFramePen = 1.2;  // hundredths of an inch

QFont labelFont(int size, bool bold = false) {
    QFont font(QString::fromLatin1(velmora::kInterfaceFontFamily));
    font.setPixelSize(size);
    font.setBold(bold);
    return font;
}

void drawLabel(QPainter& painter, const PrintLabel& label, bool bold = false) {
    painter.setFont(labelFont(label.size, bold));
    const QString text = QString::fromStdString(label.text);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double width = metrics.horizontalAdvance(text);
    double left = label.x - width / 2;
    if (label.align == PrintLabel::Align::Left) left = label.x;
    if (label.align == PrintLabel::Align::Right) left = label.x - width;
    // QFontMetricsF measures in device pixels; the painter is scaled.
    painter.drawText(
        QRectF(left, label.y - label.size, std::max(width, 1.0) * 1.2 + 1, 2.0 * label.size),
        Qt::AlignLeft | Qt::AlignVCenter, text);
}

void drawMarks(QPainter& painter, const Layout& marks) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const Pt& z : marks.zero) {
        painter.drawEllipse(QPointF(z.x, z.y), marks.zeroRadius, marks.zeroRadius);
    }
    painter.setPen(QPen(kOvalColour, kOvalPen));
    painter.setBrush(Qt::NoBrush);
    for (const auto& question : marks.ovals) {
        for (const Pt& o : question) {
            painter.drawEllipse(QPointF(o.x, o.y), marks.ovalWidth / 2.0, marks.ovalHeight / 2.0);
        }
    }
    painter.setPen(QPen(kInk, kFramePen));
    for (const AreaRect& a : marks.areas) painter.drawRect(QRectF(a.x, a.y, a.width, a.height));
}

}  // namespace

bool writeTemplatePdf(const PrintLayout& layout, const std::string& path, std::string& error) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pdf.setResolution(kPdfResolution);
        pdf.setTitle(QString::fromStdString(layout.recipe.title));
        pdf.setCreator(QStringLiteral("velmora-sheetgen"));
        QPainter painter(&pdf);
        painter.setRenderHint(QPainter::Antialiasing);
        const double scale = double(kPdfResolution) / kPrintUnitsPerInch;
        painter.scale(scale, scale);
        drawMarks(painter, layout.marks);
        painter.setPen(kInk);
        drawLabel(painter, layout.title, true);
        for (const PrintLabel& label : layout.labels) drawLabel(painter, label);
        if (!painter.end()) {
            error = "cannot draw " + path;
            return false;
        }
    }
    // A writer whose output is not understood still gives a good PDF, only
    // without the preference.
    const std::optional<std::string> actualSize =
        withActualSizePrinting(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (actualSize) bytes = QByteArray(actualSize->data(), qsizetype(actualSize->size()));

    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = "cannot write " + path + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace sheetgen
