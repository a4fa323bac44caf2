// What the reading application's windows share: the settings, the result
// table of the current batch, the engine object and the data folder.
#pragma once

#include <QString>
#include <memory>

#include "reader/core/app_settings.h"
#include "reader/core/engine_client.h"
#include "reader/core/result_table.h"

namespace tarrow {

/// The title of every message box of the application.
inline const QString kApplicationTitle = QStringLiteral("Velmora3　読取り・採点");

struct AppContext {
    AppSettings settings;
    ResultTable table;
    /// The engine created at start-up by its CLSID; null when the component
    /// could not be created (engineError then says why).
    std::unique_ptr<StrovaEngine> engine;
    QString engineError;
    /// "velmora" in the documents folder: rename logs and other outputs.
    QString dataFolder;
};

}  // namespace tarrow
