// Tarrow, the reading and scoring application: shows the main window and
// runs until it closes. Command-line arguments are ignored.
#include <QApplication>

#include "common/desktop/desktop_application.h"
#include "common/qt/logging_categories.h"
#include "reader/ui/main_form.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    velmora::prepareDesktopApplication(app);
    if (QApplication::arguments().size() > 1) {
        qCInfo(velmora::lcReader) << "arguments ignored:" << QApplication::arguments().mid(1);
    }
    tarrow::MainForm form;
    form.show();
    return QApplication::exec();
}
