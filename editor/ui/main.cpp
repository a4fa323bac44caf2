// Dravel, the definition editor: shows the main window and, given a file on
// the command line, opens it (an image; a definition alone asks for an
// image first).
#include <QApplication>
#include <QStringList>

#include "common/desktop/desktop_application.h"
#include "common/qt/logging_categories.h"
#include "editor/ui/main_frame.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    velmora::prepareDesktopApplication(app);
    dravel::CMainFrame frame;
    frame.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        qCDebug(velmora::lcEditor) << "opening from the command line:" << arguments.at(1);
        if (arguments.size() > 2) {
            qCInfo(velmora::lcEditor) << "arguments ignored:" << arguments.mid(2);
        }
        frame.openFromCommandLine(arguments.at(1));
    }
    return QApplication::exec();
}
