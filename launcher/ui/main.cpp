// Pandle, the suite's start menu. `pandle --paths` prints where it finds
// the suite's programs, manual and templates (exit status 1 when something
// is missing) without opening a window.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>

#include "common/desktop/desktop_application.h"
#include "common/qt/logging_categories.h"
#include "launcher/core/launcher.h"
#include "launcher/core/suite_report.h"
#include "launcher/ui/launcher_window.h"

namespace {

pandle::UserFolders currentUserFolders() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return pandle::userFolders(
        documents, pandle::byteExactFolder(documents, QDir::homePath(), qgetenv("HOME")));
}

int printPaths(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const pandle::SuiteReport report = pandle::reportSuite(
        pandle::SuitePaths(QCoreApplication::applicationDirPath()), currentUserFolders());
    std::fputs(report.text.toUtf8().constData(), stdout);
    return report.complete ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--paths") == 0) return printPaths(argc, argv);

    QApplication app(argc, argv);
    velmora::prepareDesktopApplication(app);
    pandle::Launcher launcher(pandle::SuitePaths(QCoreApplication::applicationDirPath()),
                              currentUserFolders(), pandle::Launcher::systemServices());
    QString error;
    if (launcher.prepareTemplates(&error) == pandle::TemplateCopy::Failed) {
        // The dialog then starts in the shipped templates; nothing is lost.
        qCWarning(velmora::lcLauncher).noquote() << "the templates were not copied:" << error;
    }
    pandle::LauncherWindow window(launcher, pandle::LauncherWindow::systemDialogs());
    window.show();
    return QApplication::exec();
}
