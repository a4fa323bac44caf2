// The prompter of the desktop windows: message boxes titled with the
// application's title, Qt's file and folder dialogs, the input box, and the
// main window's status line, resolution label, buttons and progress bar
// through hooks the main window sets.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "reader/core/prompter.h"

namespace tarrow {

class QtPrompter final : public Prompter {
public:
    struct Hooks {
        std::function<void(const QString&)> status;
        std::function<void(const QString&)> dpiLabel;
        std::function<void(bool)> running;
        std::function<void(int, int)> progress;
    };

    explicit QtPrompter(QWidget* parent = nullptr, Hooks hooks = {});
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const QString& text, Icon icon) override;
    Answer question(QuestionId id, const QString& text) override;
    QString chooseFolder(const QString& title) override;
    QString chooseOpenFile(const QString& title, const QString& filter) override;
    QString chooseSaveFile(const QString& filter, const QString& defaultSuffix) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& defaultText) override;
    void setStatus(const QString& text) override;
    void setDpiLabel(const QString& text) override;
    void setRunning(bool running) override;
    void setProgress(int current, int total) override;
    void processEvents() override;
    void pause(int milliseconds) override;
    void beep() override;

    /// A dialog filter in the form "説明 (*.csv)|*.csv" as Qt takes it.
    static QString qtFilter(const QString& filter);

private:
    static QMessageBox::StandardButton buttonOf(Answer answer);
    /// The window the user works in, else the window given at construction.
    QWidget* dialogParent() const;

    QPointer<QWidget> parent_;
    Hooks hooks_;
};

}  // namespace tarrow
