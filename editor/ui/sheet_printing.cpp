#include "editor/ui/sheet_printing.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace dravel {

SheetPrinting::SheetPrinting() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

SheetPrinting::~SheetPrinting() = default;

void SheetPrinting::render(const QImage& sheet, QPrinter& printer) {
    if (sheet.isNull()) return;
    QPainter painter(&printer);
    if (!painter.isActive()) return;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    painter.drawImage(QRect(QPoint(0, 0), page.size()), sheet);
}

bool SheetPrinting::print(const QImage& sheet, QWidget* parent) {
    if (sheet.isNull()) return false;
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (dialog.exec() != QDialog::Accepted) return false;
    render(sheet, *printer_);
    return true;
}

void SheetPrinting::preview(const QImage& sheet, QWidget* parent) {
    QPrintPreviewDialog dialog(printer_.get(), parent);
    dialog.setObjectName(QStringLiteral("PrintPreviewDialog"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&sheet](QPrinter* printer) { render(sheet, *printer); });
    dialog.exec();
}

void SheetPrinting::setup(QWidget* parent) {
    QPageSetupDialog dialog(printer_.get(), parent);
    dialog.setObjectName(QStringLiteral("PageSetupDialog"));
    dialog.exec();
}

}  // namespace dravel
