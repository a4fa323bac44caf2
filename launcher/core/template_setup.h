// The first start: the templates shipped with the suite are copied into the
// user's templates folder when that folder does not exist yet. The copy is
// made in a temporary folder beside it and renamed into place, so the
// templates folder appears whole or not at all, and a failed copy is tried
// again at the next start. An existing templates folder is never touched.
#pragma once

#include <QString>

namespace pandle {

enum class TemplateCopy {
    AlreadyThere,    ///< the templates folder exists; nothing was done
    Copied,          ///< the folder was created with the shipped files
    NothingShipped,  ///< no shipped templates were found; nothing was done
    Failed,          ///< see the error; nothing was left behind
};

/// Copies the files directly inside `shippedFolder` into a new
/// `templatesFolder` (its parents are created as needed).
TemplateCopy copyShippedTemplates(const QString& shippedFolder, const QString& templatesFolder,
                                  QString* error = nullptr);

}  // namespace pandle
