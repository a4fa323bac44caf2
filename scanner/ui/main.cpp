// Fenwary, the scanner front-end: shows the main window and runs until it
// closes. SIGTERM and SIGHUP (a logout) end it through the same exit
// procedure as its exit button.
#include <QApplication>
#include <QMetaObject>
#include <cstdlib>
#include <mutex>

#include "common/desktop/desktop_application.h"
#include "scanner/core/termination_signals.h"
#include "scanner/ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    velmora::prepareDesktopApplication(app);
    std::mutex targetMutex;
    fenwary::MainWindow* target = nullptr;
    // After the desktop set-up, whose clean-up handlers for these two
    // signals it replaces: the exit procedure finishes any file being
    // written instead of leaving it behind.
    const fenwary::TerminationSignals watcher([&](int) {
        std::lock_guard lock(targetMutex);
        if (target == nullptr) std::_Exit(0);  // no window (any more): nothing to keep
        QMetaObject::invokeMethod(
            target, [window = target] { window->exitOnSignal(); }, Qt::QueuedConnection);
    });
    int result = 0;
    {
        fenwary::MainWindow window;
        {
            std::lock_guard lock(targetMutex);
            target = &window;
        }
        window.show();
        result = QApplication::exec();
        std::lock_guard lock(targetMutex);
        target = nullptr;
    }
    return result;
}
