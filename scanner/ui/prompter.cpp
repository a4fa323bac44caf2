#include "scanner/ui/prompter.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace fenwary {

void QtPrompter::warn(const QString& text, const QString& caption) {
    QMessageBox::warning(parent_, caption, text, QMessageBox::Ok);
}

bool QtPrompter::askYesNo(const QString& text, const QString& caption) {
    return QMessageBox::warning(parent_, caption, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtPrompter::offerSaveElsewhere(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, parent_);
    QPushButton* save = box.addButton(kSaveElsewhere, QMessageBox::AcceptRole);
    box.addButton(QStringLiteral(u"保存しない"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.exec();
    return box.clickedButton() == save;
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
