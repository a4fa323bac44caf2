// The version dialog "AboutDialog": the program's version line and what it
// is, and OK.
#pragma once

#include <QDialog>

namespace dravel {

class VersionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit VersionDialog(QWidget* parent = nullptr);
};

}  // namespace dravel
