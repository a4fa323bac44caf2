#include "common/qt/logging_categories.h"

namespace velmora {

// Warnings and above by default: developer detail stays quiet unless the
// logging rules turn it on.
Q_LOGGING_CATEGORY(lcEngine, "velmora.engine", QtWarningMsg)
Q_LOGGING_CATEGORY(lcReader, "velmora.reader", QtWarningMsg)
Q_LOGGING_CATEGORY(lcEditor, "velmora.editor", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScanner, "velmora.scanner", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLauncher, "velmora.launcher", QtWarningMsg)

}  // namespace velmora
