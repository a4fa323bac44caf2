#include "scanner/ui/prompter.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace fenwary {

void QtPrompter::warn(const QString& text, const QString& caption) {
    QMessageBox::warning(parent_, caption, text, QMessageBox::Ok);
}

bool QtPrompter::askYesNo(const QString& text, const QString& caption) {
    return QMessageBox::warning(parent_, caption, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) == QMessageBox::Yes;
}

QString QtPrompter::chooseFolder(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent_, title, start);
}

std::optional<QString> QtPrompter::chooseItem(const QString& title, const QString& label,
                                              const QStringList& items, int current) {
    bool ok = false;
    const QString item = QInputDialog::getItem(parent_, title, label, items, current, false, &ok);
    if (!ok || item.isEmpty()) return std::nullopt;
    return item;
}

}  // namespace fenwary
