// The version dialog of the Help menu: program name, version and what the
// program is.
#pragma once

#include <QDialog>

namespace fenwary {

class VersionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit VersionDialog(QWidget* parent = nullptr);
    /// "Ver. 3.0.6" for the running build.
    static QString versionText();
};

}  // namespace fenwary
