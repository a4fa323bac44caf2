#include "reader/report/pdf_document.h"

#include <QPageLayout>
#include <QPageSize>
#include <string_view>

#include "common/atomic_file.h"
#include "reader/core/csv_text.h"

namespace tarrow {
namespace {

constexpr int kPointsPerInch = 72;
// Latin text from a Latin font, everything else from the Japanese one: the
// Japanese font's alternate Latin glyphs lose their text in the PDF.
const QStringList kFontFamilies{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")};

}  // namespace

PdfDocument::PdfDocument(const QString& title) {
    buffer_.open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(&buffer_);
    writer_->setTitle(title);
    writer_->setCreator(QStringLiteral("Velmora"));
    writer_->setResolution(kPointsPerInch);
    writer_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    painter_.begin(writer_.get());
    painter_.setFont(font(9));
}

PdfDocument::~PdfDocument() {
    if (painter_.isActive()) painter_.end();
}

QRectF PdfDocument::area() const {
    const QRectF page(0, 0, writer_->width(), writer_->height());
    return page.adjusted(kMargin, kMargin, -kMargin, -kMargin);
}

void PdfDocument::newPage() {
    writer_->newPage();
}

QFont PdfDocument::font(qreal points, bool bold) {
    QFont f;
    f.setFamilies(kFontFamilies);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

bool PdfDocument::save(const QString& path, QString* error) {
    if (!painter_.end()) {
        if (error) *error = QStringLiteral("PDFを作成できませんでした");
        return false;
    }
    const QByteArray& bytes = buffer_.data();
    std::string reason;
    if (velmora::writeFileAtomically(toFsPath(path),
                                     std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                     &reason)) {
        return true;
    }
    if (error) *error = path + QStringLiteral(": ") + QString::fromStdString(reason);
    return false;
}

}  // namespace tarrow
