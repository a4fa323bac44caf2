#include "launcher/ui/launcher_window.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "common/qt/file_filters.h"
#include "launcher/core/launcher_messages.h"
#include "launcher/ui/picture_button.h"

namespace pandle {
namespace {

constexpr int kColumns = 3;
constexpr int kLogoSize = 72;

QPixmap artwork(const char* name) {
    return QPixmap(QStringLiteral(":/pandle/artwork/") + QLatin1String(name) +
                   QStringLiteral(".png"));
}

QWidget* makeHeader(QWidget* parent) {
    auto* header = new QWidget(parent);
    auto* layout = new QHBoxLayout(header);
    auto* logo = new QLabel(header);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(artwork("logo").scaled(kLogoSize, kLogoSize, Qt::KeepAspectRatio,
                                           Qt::SmoothTransformation));
    logo->setFixedSize(kLogoSize, kLogoSize);
    auto* title = new QLabel(header);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setText(
        QStringLiteral(u"<span style='font-size:20pt; font-weight:600'>Velmora3</span>"
                       u"<br>マークシート読取り・採点システム"));
    layout->addWidget(logo);
    layout->addSpacing(8);
    layout->addWidget(title, 1);
    return header;
}

}  // namespace

LauncherWindow::Dialogs LauncherWindow::systemDialogs() {
    Dialogs dialogs;
    dialogs.warn = [](QWidget* parent, const QString& text) {
        QMessageBox::warning(parent, kWindowTitle, text);
    };
    dialogs.chooseTemplate = [](QWidget* parent, const QString& folder) {
        return QFileDialog::getOpenFileName(parent, kTemplateDialogTitle, folder,
                                            velmora::toQtFileFilter(kTemplateFilter));
    };
    return dialogs;
}

LauncherWindow::LauncherWindow(Launcher& launcher, Dialogs dialogs, QWidget* parent)
    : QWidget(parent), launcher_(launcher), dialogs_(std::move(dialogs)) {
    setObjectName(QStringLiteral("frmMenu"));
    setWindowTitle(kWindowTitle);
    setWindowIcon(QIcon(artwork("pandle")));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeader(this));
    auto* grid = new QGridLayout;
    grid->setSpacing(12);
    for (int index = 0; index < kMenuSize; ++index) {
        const MenuEntry& entry = menuEntries()[static_cast<std::size_t>(index)];
        auto* button =
            new PictureButton(artwork(entry.picture), QString::fromUtf16(entry.caption), this);
        button->setObjectName(QStringLiteral("ImgMenu_%1").arg(index));
        connect(button, &QAbstractButton::clicked, this, [this, index] { press(index); });
        grid->addWidget(button, index / kColumns, index % kColumns);
        buttons_.append(button);
    }
    layout->addLayout(grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buttons_.first()->setFocus();
}

void LauncherWindow::press(int index) {
    Launcher::Reply reply = launcher_.press(index);
    switch (reply.step) {
        case Launcher::Step::Quit:
            close();
            return;
        case Launcher::Step::ChooseTemplate:
            if (dialogs_.chooseTemplate) {
                reply.warning = launcher_.openTemplate(
                    dialogs_.chooseTemplate(this, launcher_.templateDialogFolder()));
            }
            break;
        case Launcher::Step::Done:
            break;
    }
    if (!reply.warning.isEmpty() && dialogs_.warn) dialogs_.warn(this, reply.warning);
}

void LauncherWindow::moveFocus(int step) {
    const int current = static_cast<int>(buttons_.indexOf(focusWidget()));
    const int next = current < 0 ? 0 : (current + step + kMenuSize) % kMenuSize;
    buttons_[next]->setFocus(Qt::TabFocusReason);
}

void LauncherWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            moveFocus(-1);
            return;
        case Qt::Key_Right:
            moveFocus(1);
            return;
        case Qt::Key_Up:
            moveFocus(-kColumns);
            return;
        case Qt::Key_Down:
            moveFocus(kColumns);
            return;
        case Qt::Key_Escape:
            close();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace pandle
