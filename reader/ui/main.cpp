// Tarrow, the reading and scoring application: shows the main window and
// runs until it closes. Command-line arguments are ignored.
#include <QApplication>

#include "reader/ui/main_form.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tarrow::MainForm form;
    form.show();
    return QApplication::exec();
}
