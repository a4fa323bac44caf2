// The logging categories of the Qt programs: one per part of the suite, for
// messages meant for developers (what was loaded from where, why something
// was skipped). Users see none of them unless they ask: debug and info
// messages are off by default; warnings are shown, as the programs' former
// stderr lines were. Turn everything on with
//   QT_LOGGING_RULES="velmora.*=true"
// or one part with, e.g., QT_LOGGING_RULES="velmora.scanner.debug=true".
#pragma once

#include <QLoggingCategory>

namespace velmora {

Q_DECLARE_LOGGING_CATEGORY(lcEngine)    ///< "velmora.engine": loading and calling Strovik
Q_DECLARE_LOGGING_CATEGORY(lcReader)    ///< "velmora.reader": Tarrow
Q_DECLARE_LOGGING_CATEGORY(lcEditor)    ///< "velmora.editor": Dravel
Q_DECLARE_LOGGING_CATEGORY(lcScanner)   ///< "velmora.scanner": Fenwary and its backends
Q_DECLARE_LOGGING_CATEGORY(lcLauncher)  ///< "velmora.launcher": Pandle

}  // namespace velmora
