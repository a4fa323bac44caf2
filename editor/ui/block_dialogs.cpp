#include "editor/ui/block_dialogs.h"

#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "editor/ui/dialog_parts.h"

namespace dravel {
namespace {

// The question edit takes what the user types; counts past the limits are
// refused with a message when the block is placed.
constexpr int kMaxTypedQuestions = 99999;

}  // namespace

BlockDialog::BlockDialog(const BlockCounts& suggested, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("BlockDialog"));
    setWindowTitle(QStringLiteral(u"ブロック配置"));
    auto* layout = new QVBoxLayout(this);
    addTextLine(layout, QStringLiteral(u"ブロックの問題数と選択肢数を確かめてください"));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    questions_ = addSpinRow(form, QStringLiteral(u"問題数"), "editQuestions", 1, kMaxTypedQuestions,
                            suggested.questions);
    choices_ = addSpinRow(form, QStringLiteral(u"選択肢数"), "editChoices", 1, kMaxTypedChoices,
                          suggested.choices);
    addTextLine(layout, QStringLiteral(u"(初期値は印刷されたﾏｰｸから数えた値です)"));
    addOkCancel(this, layout);
    questions_->setFocus();
    questions_->selectAll();
}

BlockCounts BlockDialog::counts() const {
    return {questions_->value(), choices_->value()};
}

BlockNumberDialog::BlockNumberDialog(int current, int highest, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("BlockNumberDialog"));
    setWindowTitle(QStringLiteral(u"ブロックの番号変更"));
    auto* layout = new QVBoxLayout(this);
    addTextLine(layout, QStringLiteral(u"選択したブロックの先頭の問題番号を指定してください。"
                                       u"ほかの問題は順序を保って番号が付け直されます。"));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    number_ = addSpinRow(form, QStringLiteral(u"先頭の問題番号"), "editNumber", 1,
                         std::max(1, highest), current);
    addOkCancel(this, layout);
    number_->setFocus();
    number_->selectAll();
}

int BlockNumberDialog::number() const {
    return number_->value();
}

}  // namespace dravel
