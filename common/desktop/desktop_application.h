// What every desktop program of the suite sets up before its first window:
// Qt's own texts in Japanese (file dialogs, standard buttons) and the
// suite's Japanese interface font, whatever the session's locale.
#pragma once

#include <QFont>

class QApplication;

namespace velmora {

/// The family the suite's windows use when the machine has it (Debian's
/// fonts-noto-cjk).
inline constexpr const char* kInterfaceFontFamily = "Noto Sans CJK JP";

/// Loads Qt's Japanese translations into `app`, sets the interface font and
/// lets SIGINT and SIGTERM remove the temporary file of a rewrite in
/// progress. Missing translation files or a missing font leave Qt's
/// defaults; nothing fails. Returns true when the translations were loaded.
bool prepareDesktopApplication(QApplication& app);

/// The interface font at the default point size, or the application's
/// default font when the family is not installed.
QFont interfaceFont();

}  // namespace velmora
