// An A4 PDF drawn page by page with QPainter in points (72 per inch) and
// written only when complete: the document is built in memory and saved
// through the atomic writer, so a failure never leaves a half-written file.
// Text uses a Japanese font, embedded by the PDF writer.
#pragma once

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>
#include <QString>
#include <memory>

namespace tarrow {

class PdfDocument {
public:
    /// Margin around the printable area, in points.
    static constexpr qreal kMargin = 36.0;

    explicit PdfDocument(const QString& title);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    QPainter& painter() { return painter_; }
    /// The printable area of a page, in points.
    QRectF area() const;
    void newPage();
    /// The document font at `points` size (bold when asked).
    static QFont font(qreal points, bool bold = false);

    /// Finishes the document and replaces `path` with it. False with a
    /// one-line `error` when it could not be written.
    bool save(const QString& path, QString* error);

private:
    QBuffer buffer_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
};

}  // namespace tarrow
