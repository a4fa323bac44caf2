// One picture button of the menu: the picture with its caption under it,
// highlighted under the mouse and when it has the keyboard focus. Space,
// Enter and Return press it; the mouse shows the hand cursor over it.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace pandle {

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QPixmap& picture, const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap picture_;
    bool hovered_ = false;
};

}  // namespace pandle
