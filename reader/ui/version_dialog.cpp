#include "reader/ui/version_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/velmora_version.h"

namespace tarrow {

const QString VersionDialog::kVersionLine = QStringLiteral("Velmora3   Ver.%1.%2.%3")
                                                .arg(velmora::kVersionMajor)
                                                .arg(velmora::kVersionMinor)
                                                .arg(velmora::kVersionPatch);
const QString VersionDialog::kDescriptionLine = QStringLiteral("読取・採点ツール");

VersionDialog::VersionDialog(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName(QStringLiteral("AboutDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (mainWindow != nullptr) {
        setWindowTitle(mainWindow->windowTitle());
        setWindowIcon(mainWindow->windowIcon());
    }
    auto* layout = new QVBoxLayout(this);
    auto* version = new QLabel(kVersionLine, this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(kDescriptionLine, this);
    description->setObjectName(QStringLiteral("lblDescription"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace tarrow
