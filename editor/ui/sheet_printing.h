// Printing the sheet image alone, stretched to the page's drawing
// rectangle: printing with the print dialog, the print preview and the
// printer set-up, over one printer kept for the session.
#pragma once

#include <QImage>
#include <memory>

class QPrinter;
class QWidget;

namespace dravel {

class SheetPrinting {
public:
    SheetPrinting();
    ~SheetPrinting();

    /// The print dialog, then the page. False when cancelled or nothing
    /// to print.
    bool print(const QImage& sheet, QWidget* parent);
    void preview(const QImage& sheet, QWidget* parent);
    void setup(QWidget* parent);

    /// Draws the sheet on the printer's page (stretched to the page's
    /// drawing rectangle); also what the preview shows.
    static void render(const QImage& sheet, QPrinter& printer);

    QPrinter& printer() { return *printer_; }

private:
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace dravel
