// Run feedback on screen: the main window's status line, resolution label,
// buttons and progress bar (WindowFeedback), or a window's own status line
// (LabelStatus).
#pragma once

#include <QPointer>
#include <functional>

#include "reader/core/run_feedback.h"

class QLabel;

namespace tarrow {

class WindowFeedback final : public RunFeedback {
public:
    /// Where the feedback shows. Null members show nothing.
    struct Targets {
        QLabel* status = nullptr;
        QLabel* dpi = nullptr;
        std::function<void(bool)> running;
        std::function<void(int current, int total)> progress;
    };

    /// `also`, when given, hears every call as well (tests record them);
    /// it then also pauses and beeps in the window's stead.
    WindowFeedback(Targets targets, RunFeedback* also);

    void setStatus(const QString& text) override;
    void setDpiLabel(const QString& text) override;
    void setRunning(bool running) override;
    void setProgress(int current, int total) override;
    void processEvents() override;
    /// Keeps repainting while it waits.
    void pause(int milliseconds) override;
    void beep() override;

private:
    QPointer<QLabel> status_;
    QPointer<QLabel> dpi_;
    std::function<void(bool)> running_;
    std::function<void(int, int)> progress_;
    RunFeedback* also_;
};

/// A window's own status line: only the status text shows.
class LabelStatus final : public RunFeedback {
public:
    explicit LabelStatus(QLabel* label) : label_(label) {}
    void setStatus(const QString& text) override;

private:
    QPointer<QLabel> label_;
};

}  // namespace tarrow
