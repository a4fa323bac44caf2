#include "editor/ui/version_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/velmora_version.h"

namespace dravel {

VersionDialog::VersionDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral(u"バージョン情報"));
    auto* layout = new QVBoxLayout(this);
    auto* version = new QLabel(QStringLiteral("Velmora3 Dravel   Ver.%1.%2.%3")
                                   .arg(velmora::kVersionMajor)
                                   .arg(velmora::kVersionMinor)
                                   .arg(velmora::kVersionPatch),
                               this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(QStringLiteral(u"マーク情報ファイル作成ツール"), this);
    description->setObjectName(QStringLiteral("lblDescription"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace dravel
