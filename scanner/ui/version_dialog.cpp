#include "scanner/ui/version_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "common/velmora_version.h"

namespace fenwary {

QString VersionDialog::versionText() {
    return QStringLiteral("Ver. %1.%2.%3")
        .arg(velmora::kVersionMajor)
        .arg(velmora::kVersionMinor)
        .arg(velmora::kVersionPatch);
}

VersionDialog::VersionDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgVersion"));
    setWindowTitle(QStringLiteral(u"バージョン情報"));
    constexpr int kIconSize = 32;
    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(kIconSize, kIconSize));
    if (windowIcon().isNull()) {
        icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(kIconSize));
    }
    auto* name = new QLabel(QStringLiteral("Fenwary"), this);
    name->setObjectName(QStringLiteral("lblProgramName"));
    auto* version = new QLabel(versionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* purpose = new QLabel(QStringLiteral(u"スキャンツール"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addWidget(purpose);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace fenwary
