// EventDriver over the Qt event loop of the thread that creates it.
#pragma once

#include <QObject>
#include <QTimer>

#include "scanner/core/event_driver.h"

namespace fenwary {

class QtEventDriver final : public QObject, public EventDriver {
    Q_OBJECT
public:
    explicit QtEventDriver(QObject* parent = nullptr);

    void post(Task task) override;
    void startTimer(int milliseconds, Task tick) override;
    void stopTimer() override;

private:
    QTimer timer_;
    Task tick_;
};

}  // namespace fenwary
