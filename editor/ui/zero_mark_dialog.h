// "基準点設定": the zero-mark radius (4-999), matched to the printed marks
// by the red circles drawn while placing.
#pragma once

#include <QDialog>

class QSpinBox;

namespace dravel {

class ZeroMarkDialog final : public QDialog {
    Q_OBJECT
public:
    ZeroMarkDialog(int radius, QWidget* parent = nullptr);
    int radius() const;

private:
    QSpinBox* radius_;
};

}  // namespace dravel
