// The first start: the templates shipped with the suite are copied into the
// user's templates folder when that folder does not exist yet. The copy is
// made in a temporary folder beside it and renamed into place, so the
// templates folder appears whole or not at all, and a failed copy is tried
// again at the next start. An existing templates folder is never touched.
// Folders are created as any other folder of the user's: mode 0777 less the
// umask.
#pragma once

#include <QString>
#include <filesystem>

namespace pandle {

enum class TemplateCopy {
    AlreadyThere,    ///< the templates folder exists; nothing was done
    Copied,          ///< the folder was created with the shipped files
    NothingShipped,  ///< no shipped templates were found; nothing was done
    Failed,          ///< see the error; nothing was left behind
};

/// Copies the files directly inside `shippedFolder` into a new
/// `templatesFolder` (its parents are created as needed). The target is a
/// file-system path, byte for byte as the system names it (a home folder
/// whose name is not UTF-8 cannot be held in a QString without change).
TemplateCopy copyShippedTemplates(const QString& shippedFolder,
                                  const std::filesystem::path& templatesFolder,
                                  QString* error = nullptr);

/// As above for a folder named in a QString.
TemplateCopy copyShippedTemplates(const QString& shippedFolder, const QString& templatesFolder,
                                  QString* error = nullptr);

}  // namespace pandle
