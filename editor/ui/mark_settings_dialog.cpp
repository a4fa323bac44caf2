#include "editor/ui/mark_settings_dialog.h"

#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "editor/ui/dialog_parts.h"
#include "engine/recognition/definition_format.h"

namespace dravel {

MarkSettingsDialog::MarkSettingsDialog(const MarkSettings& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("MarkSettingsDialog"));
    setWindowTitle(QStringLiteral(u"ﾏｰｸ読取箇所設定"));
    auto* layout = new QVBoxLayout(this);
    addTextLine(layout, QStringLiteral(u"左ｸﾘｯｸでﾏｰｸ読取箇所を指定してください"));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    choices_ = addSpinRow(form, QStringLiteral(u"選択肢数"), "edit1004", 1, kMaxTypedChoices,
                          current.choices);
    width_ = addSpinRow(form, QStringLiteral(u"ﾏｰｸ横幅"), "edit1005", strovik::kMinDialogSize,
                        strovik::kMaxOvalSize, current.ovalWidth);
    height_ = addSpinRow(form, QStringLiteral(u"ﾏｰｸ縦幅"), "edit1006", strovik::kMinDialogSize,
                         strovik::kMaxOvalSize, current.ovalHeight);
    addTextLine(layout, QStringLiteral(u"(各問毎に選択肢数を設定可能)"));
    addTextLine(layout,
                QStringLiteral(u"(配置中はA,S,W,Zｷｰ、いつでもShift+A,S,W,Zｷｰでｻｲｽﾞ調節可能)"));
    addTextLine(layout,
                QStringLiteral(u"各問の1番目の選択肢と最後の選択肢をｸﾘｯｸすると、その間に選択肢が"
                               u"等間隔で並びます。ｸﾘｯｸした楕円はﾄﾞﾗｯｸﾞで動かせます。"));
    addOkCancel(this, layout);
    choices_->setFocus();
    choices_->selectAll();
}

MarkSettings MarkSettingsDialog::values() const {
    return {choices_->value(), width_->value(), height_->value()};
}

}  // namespace dravel
