#include "editor/ui/zero_mark_dialog.h"

#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "editor/ui/dialog_parts.h"
#include "engine/recognition/definition_format.h"

namespace dravel {

ZeroMarkDialog::ZeroMarkDialog(int radius, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ZeroMarkDialog"));
    setWindowTitle(QStringLiteral(u"基準点設定"));
    auto* layout = new QVBoxLayout(this);
    addTextLine(layout, QStringLiteral(u"左ｸﾘｯｸで基準点（3個）を指定してください"));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    radius_ = addSpinRow(form, QStringLiteral(u"基準点半径"), "edit1006", strovik::kMinDialogSize,
                         strovik::kMaxZeroRadius, radius);
    addTextLine(layout,
                QStringLiteral(u"(基準点指定中はD,Fｷｰ、いつでもShift+D,Fｷｰでｻｲｽﾞ調節可能)"));
    addTextLine(layout, QStringLiteral(u"ﾏｳｽに付いて動く赤い円が、印刷された基準点の黒丸と"
                                       u"同じ大きさになるように半径を合わせてください。"));
    addOkCancel(this, layout);
    radius_->setFocus();
    radius_->selectAll();
}

int ZeroMarkDialog::radius() const {
    return radius_->value();
}

}  // namespace dravel
