#include "reader/ui/qt_prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "common/qt/file_filters.h"
#include "reader/ui/app_context.h"

namespace tarrow {

QWidget* QtPrompter::dialogParent() const {
    // A question asked from the result window (or any other window the user
    // is working in) opens over that window, not behind it.
    if (QWidget* active = QApplication::activeWindow()) return active;
    return parent_;
}

void QtPrompter::message(const QString& text, Icon icon) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    kApplicationTitle, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

QMessageBox::StandardButton QtPrompter::buttonOf(Answer answer) {
    switch (answer) {
        case Answer::Yes:
            return QMessageBox::Yes;
        case Answer::No:
            return QMessageBox::No;
        case Answer::Cancel:
            break;
    }
    return QMessageBox::Cancel;
}

Prompter::Answer QtPrompter::question(QuestionId id, const QString& text) {
    const QuestionForm form = formOf(id);
    QMessageBox::StandardButtons set = QMessageBox::Yes | QMessageBox::No;
    if (form.buttons == Buttons::YesNoCancel) set |= QMessageBox::Cancel;
    QMessageBox box(form.icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    kApplicationTitle, text, set, dialogParent());
    // Enter takes the form's default answer.
    box.setDefaultButton(buttonOf(form.safeAnswer));
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return form.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

QString QtPrompter::chooseFolder(FolderId, const QString& title, const QString& initialFolder) {
    return QFileDialog::getExistingDirectory(dialogParent(), title, initialFolder);
}

QString QtPrompter::qtFilter(const QString& filter) {
    return velmora::toQtFileFilter(filter);
}

QString QtPrompter::chooseOpenFile(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(dialogParent(), title, QString(), qtFilter(filter));
}

QString QtPrompter::chooseSaveFile(const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(dialogParent(), QString(), QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    // The overwrite questions are asked for the files actually written.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompter::inputText(InputId, const QString& title, const QString& prompt,
                                             const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(dialogParent(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace tarrow
