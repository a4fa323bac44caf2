// Tarrow, the reading and scoring application: shows the main window and
// runs until it closes. Command-line arguments are ignored.
#include <QApplication>

#include "common/desktop/desktop_application.h"
#include "reader/ui/main_form.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    velmora::prepareDesktopApplication(app);
    tarrow::MainForm form;
    form.show();
    return QApplication::exec();
}
