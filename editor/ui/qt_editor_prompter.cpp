#include "editor/ui/qt_editor_prompter.h"

#include <QFileDialog>
#include <QMessageBox>

#include "common/qt/file_filters.h"
#include "editor/ui/block_dialogs.h"
#include "editor/ui/mark_settings_dialog.h"
#include "editor/ui/zero_mark_dialog.h"

namespace dravel {

QString imageFileFilter() {
    return velmora::toQtFileFilter(QStringLiteral(u"画像ﾌｧｲﾙ(*.jpg; *.bmp; *.gif)|") +
                                   velmora::kImageFilePatterns +
                                   QStringLiteral(u"|全ﾌｧｲﾙ(*.*)|*.*||"));
}

QString definitionFileFilter() {
    return velmora::toQtFileFilter(QStringLiteral(u"ﾏｰｸ情報ﾌｧｲﾙ(*.ini)|*.ini;|全ﾌｧｲﾙ(*.*)|*.*||"));
}

void QtEditorPrompter::showMessage(const Message& message) {
    QMessageBox box(QMessageBox::Warning, message.caption, message.text, QMessageBox::Ok, parent_);
    box.exec();
}

Answer QtEditorPrompter::ask(const Question& question) {
    const bool withCancel = question.id == QuestionId::SaveChanges;
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Warning, question.caption, question.text, buttons, parent_);
    // Enter takes the answer that loses nothing: save the changes, keep the area.
    box.setDefaultButton(withCancel ? QMessageBox::Yes : QMessageBox::No);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return withCancel ? Answer::Cancel : Answer::No;
    }
}

std::optional<MarkSettings> QtEditorPrompter::editMarkSettings(const MarkSettings& current) {
    MarkSettingsDialog dialog(current, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.values();
}

std::optional<int> QtEditorPrompter::editZeroMarkRadius(int current) {
    ZeroMarkDialog dialog(current, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.radius();
}

std::optional<BlockCounts> QtEditorPrompter::editBlockCounts(const BlockCounts& suggested) {
    BlockDialog dialog(suggested, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.counts();
}

std::optional<int> QtEditorPrompter::editBlockNumber(int current, int highest) {
    BlockNumberDialog dialog(current, highest, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.number();
}

QString QtEditorPrompter::chooseSavePath(const QString& proposedPath) {
    QFileDialog dialog(parent_, QString(), proposedPath, definitionFileFilter());
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("ini"));
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString QtEditorPrompter::chooseOpenFile(OpenDialog kind) {
    const bool image = kind == OpenDialog::Image;
    QFileDialog dialog(parent_, QString(), QString(),
                       image ? imageFileFilter() : definitionFileFilter());
    dialog.setObjectName(image ? QStringLiteral("OpenImageDialog")
                               : QStringLiteral("ImportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(image ? QStringLiteral("jpg") : QStringLiteral("ini"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QStringList QtEditorPrompter::chooseTrialImages() {
    QFileDialog dialog(parent_, QString(), QString(), imageFileFilter());
    dialog.setObjectName(QStringLiteral("TrialImagesDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

}  // namespace dravel
