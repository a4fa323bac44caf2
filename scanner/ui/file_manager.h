// Showing a saved page in the desktop's file manager: the file selected
// when the file manager offers that (the freedesktop FileManager1 service),
// else the folder opened with the desktop's handler.
#pragma once

#include <QString>

namespace fenwary {

/// Asks the file manager to show `path` selected; false when no file
/// manager answered.
bool showFileSelected(const QString& path);

/// Opens `folder` with the desktop's handler; false when nothing took it.
bool openFolder(const QString& folder);

}  // namespace fenwary
