#include "common/qt/desktop_open.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString openWithDesktop(const QString& path, const std::function<bool(const QString&)>& open) {
    if (path.isEmpty()) return kFileNotFound;
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) return kPathNotFound;
    if (!info.exists() || info.isDir()) return kFileNotFound;
    if (!info.isReadable()) return kAccessDenied;
    if (!open || !open(info.absoluteFilePath())) return kNoAssociation;
    return {};
}

QString folderWithSeparator(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(u'/')) return folder;
    return folder + u'/';
}

}  // namespace velmora
