// `pandle --paths`: where the launcher looks for the suite's files and
// whether they are there, one "name: path (found|missing)" line each. Shows
// an installed suite without a display.
#pragma once

#include <QString>

#include "launcher/core/suite_folders.h"

namespace pandle {

struct SuiteReport {
    QString text;           ///< one line per file or folder
    bool complete = false;  ///< every program, the manual and the templates found
};

SuiteReport reportSuite(const SuitePaths& suite, const UserFolders& user);

}  // namespace pandle
