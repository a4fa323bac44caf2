// The version dialog "AboutDialog": the main window's caption and icon, the
// program's version line and what the program is, and an OK button that
// closes it. Shown modeless; it deletes itself when closed.
#pragma once

#include <QDialog>

namespace tarrow {

class VersionDialog final : public QDialog {
    Q_OBJECT
public:
    static const QString kVersionLine;
    static const QString kDescriptionLine;

    /// Takes the caption and icon of `mainWindow`, which also becomes the
    /// parent.
    explicit VersionDialog(QWidget* mainWindow);
};

}  // namespace tarrow
