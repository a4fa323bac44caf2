#include "scanner/core/qt_event_driver.h"

#include <QPointer>

namespace fenwary {

QtEventDriver::QtEventDriver(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, [this] {
        // The tick may stop or replace the timer; keep it alive for the call.
        Task tick = tick_;
        if (tick) tick();
    });
}

void QtEventDriver::post(Task task) {
    // Queued to this object's thread; dropped when the driver is gone.
    QMetaObject::invokeMethod(
        this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

void QtEventDriver::startTimer(int milliseconds, Task tick) {
    tick_ = std::move(tick);
    timer_.start(milliseconds);
}

void QtEventDriver::stopTimer() {
    timer_.stop();
    tick_ = nullptr;
}

}  // namespace fenwary
