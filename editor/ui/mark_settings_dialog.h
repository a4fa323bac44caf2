// "ﾏｰｸ読取箇所設定": choices per question (1-999), oval width and height
// (4-99), opened with the current values. The spin boxes only hold values
// in range, so OK always hands back valid ones.
#pragma once

#include <QDialog>

#include "editor/core/editor_host.h"

class QSpinBox;

namespace dravel {

class MarkSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    MarkSettingsDialog(const MarkSettings& current, QWidget* parent = nullptr);
    MarkSettings values() const;

private:
    QSpinBox* choices_;
    QSpinBox* width_;
    QSpinBox* height_;
};

}  // namespace dravel
