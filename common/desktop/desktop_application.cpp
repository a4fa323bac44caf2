#include "common/desktop/desktop_application.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

#include "common/atomic_file.h"

namespace velmora {

QFont interfaceFont() {
    QFont font = QApplication::font();
    if (QFontDatabase::families().contains(QLatin1String(kInterfaceFontFamily)))
        font.setFamilies({QString::fromLatin1(kInterfaceFontFamily)});
    return font;
}

bool prepareDesktopApplication(QApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = false;
    // qtbase carries the dialogs' and buttons' texts; qt_ja pulls in the
    // other modules' catalogues where they are installed.
    for (const char* catalogue : {"qtbase_ja", "qt_ja"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(catalogue), folder)) {
            QApplication::installTranslator(translator);
            loaded = true;
        } else {
            delete translator;
        }
    }
    QApplication::setFont(interfaceFont());
    // An interrupted program leaves no half-written temporary file behind.
    installTempFileCleanup();
    return loaded;
}

}  // namespace velmora
