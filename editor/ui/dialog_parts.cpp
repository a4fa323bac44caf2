#include "editor/ui/dialog_parts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace dravel {

QSpinBox* addSpinRow(QFormLayout* form, const QString& caption, const char* objectName, int minimum,
                     int maximum, int value) {
    auto* spin = new QSpinBox(form->parentWidget());
    spin->setObjectName(QLatin1String(objectName));
    spin->setRange(minimum, maximum);
    spin->setValue(std::clamp(value, minimum, maximum));
    auto* text = new QLabel(caption, form->parentWidget());
    text->setBuddy(spin);
    form->addRow(text, spin);
    return spin;
}

void addTextLine(QVBoxLayout* layout, const QString& text) {
    auto* label = new QLabel(text, layout->parentWidget());
    label->setWordWrap(true);
    layout->addWidget(label);
}

void addOkCancel(QDialog* dialog, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral(u"ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace dravel
