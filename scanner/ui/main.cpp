// Fenwary, the scanner front-end: shows the main window and runs until it
// closes.
#include <QApplication>

#include "common/desktop/desktop_application.h"
#include "scanner/ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    velmora::prepareDesktopApplication(app);
    fenwary::MainWindow window;
    window.show();
    return QApplication::exec();
}
