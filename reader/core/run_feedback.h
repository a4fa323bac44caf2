// What the reading application's long operations show while they work: the
// status line, the resolution label, the start and stop buttons, progress,
// and a chance for window events to run. A window shows what it has room
// for (the other calls do nothing); tests record it; the command-line tool
// prints the status lines when asked to.
#pragma once

#include <QString>

namespace tarrow {

class RunFeedback {
public:
    virtual ~RunFeedback() = default;

    /// The status line.
    virtual void setStatus(const QString& text) = 0;
    /// The resolution label of the main window.
    virtual void setDpiLabel(const QString&) {}
    /// Start and stop buttons: running = start disabled, stop enabled.
    virtual void setRunning(bool) {}
    /// Progress of a long run (beyond the status line), current of total.
    virtual void setProgress(int, int) {}
    /// Lets pending window events run (repaint, a click on stop).
    virtual void processEvents() {}
    /// Pauses the given milliseconds (a short breath between images).
    virtual void pause(int) {}
    /// The platform's information beep.
    virtual void beep() {}
};

}  // namespace tarrow
