#include "reader/ui/window_feedback.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>

namespace tarrow {

WindowFeedback::WindowFeedback(Targets targets, RunFeedback* also)
    : status_(targets.status),
      dpi_(targets.dpi),
      running_(std::move(targets.running)),
      progress_(std::move(targets.progress)),
      also_(also) {}

void WindowFeedback::setStatus(const QString& text) {
    if (status_) status_->setText(text);
    if (also_) also_->setStatus(text);
}

void WindowFeedback::setDpiLabel(const QString& text) {
    if (dpi_) dpi_->setText(text);
    if (also_) also_->setDpiLabel(text);
}

void WindowFeedback::setRunning(bool running) {
    if (running_) running_(running);
    if (also_) also_->setRunning(running);
}

void WindowFeedback::setProgress(int current, int total) {
    if (progress_) progress_(current, total);
    if (also_) also_->setProgress(current, total);
}

void WindowFeedback::processEvents() {
    QApplication::processEvents();
    if (also_) also_->processEvents();
}

void WindowFeedback::pause(int milliseconds) {
    if (also_) {
        also_->pause(milliseconds);
        return;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, milliseconds);
        QThread::msleep(1);
    }
}

void WindowFeedback::beep() {
    if (also_) {
        also_->beep();
        return;
    }
    QApplication::beep();
}

void LabelStatus::setStatus(const QString& text) {
    if (label_) label_->setText(text);
}

}  // namespace tarrow
