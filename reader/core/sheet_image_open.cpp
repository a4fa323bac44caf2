#include "reader/core/sheet_image_open.h"

#include <QDir>
#include <QFileInfo>

namespace tarrow {

QString openSheetImage(const QString& path, const std::function<bool(const QString&)>& open) {
    if (path.isEmpty()) return kFileNotFound;
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) return kPathNotFound;
    if (!info.exists() || info.isDir()) return kFileNotFound;
    if (!info.isReadable()) return kAccessDenied;
    if (!open || !open(info.absoluteFilePath())) return kNoAssociation;
    return {};
}

}  // namespace tarrow
