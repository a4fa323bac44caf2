// The prompter of the desktop windows: message boxes titled with the
// application's title, Qt's file and folder dialogs and the input box.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "reader/core/prompter.h"

namespace tarrow {

class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const QString& text, Icon icon) override;
    Answer question(QuestionId id, const QString& text) override;
    QString chooseFolder(FolderId id, const QString& title,
                         const QString& initialFolder = QString()) override;
    QString chooseOpenFile(const QString& title, const QString& filter) override;
    QString chooseSaveFile(const QString& filter, const QString& defaultSuffix) override;
    std::optional<QString> inputText(InputId id, const QString& title, const QString& prompt,
                                     const QString& defaultText) override;

    /// A dialog filter in the form "説明 (*.csv)|*.csv" as Qt takes it.
    static QString qtFilter(const QString& filter);

private:
    static QMessageBox::StandardButton buttonOf(Answer answer);
    /// The window the user works in, else the window given at construction.
    QWidget* dialogParent() const;

    QPointer<QWidget> parent_;
};

}  // namespace tarrow
