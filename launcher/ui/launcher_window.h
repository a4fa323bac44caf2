// The launcher's window "Velmora3 メニュー": the logo (imgLogo) and the six
// picture buttons ImgMenu_0 ... ImgMenu_5 in the menu table's order. Every
// press goes to the core (launcher/core/launcher.h); the window only shows
// the template dialog and the warnings. Arrow keys move between the
// buttons, Space or Enter presses one, Escape closes the window.
#pragma once

#include <QList>
#include <QWidget>
#include <functional>

#include "launcher/core/launcher.h"

namespace pandle {

class PictureButton;

class LauncherWindow : public QWidget {
    Q_OBJECT
public:
    struct Dialogs {
        /// Shows a warning titled with the window's title.
        std::function<void(QWidget* parent, const QString& text)> warn;
        /// The template dialog: a chosen file, or empty when cancelled.
        std::function<QString(QWidget* parent, const QString& folder)> chooseTemplate;
    };
    /// Message boxes and the file dialog of Qt.
    static Dialogs systemDialogs();

    LauncherWindow(Launcher& launcher, Dialogs dialogs, QWidget* parent = nullptr);

    /// The button of menu index `index`.
    PictureButton* menuButton(int index) const { return buttons_.value(index); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void press(int index);
    void moveFocus(int step);

    Launcher& launcher_;
    Dialogs dialogs_;
    QList<PictureButton*> buttons_;
};

}  // namespace pandle
