// The block tool's two small dialogs: "ブロック配置" asks the number of
// questions and of choices of a block (opened with what the print
// suggests), "ブロックの番号変更" the new number of a block's first question.
#pragma once

#include <QDialog>

#include "editor/core/editor_host.h"

class QSpinBox;

namespace dravel {

class BlockDialog final : public QDialog {
    Q_OBJECT
public:
    BlockDialog(const BlockCounts& suggested, QWidget* parent = nullptr);
    BlockCounts counts() const;

private:
    QSpinBox* questions_;
    QSpinBox* choices_;
};

class BlockNumberDialog final : public QDialog {
    Q_OBJECT
public:
    /// `current` and the answer in 1..`highest`.
    BlockNumberDialog(int current, int highest, QWidget* parent = nullptr);
    int number() const;

private:
    QSpinBox* number_;
};

}  // namespace dravel
