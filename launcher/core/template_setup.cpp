#include "launcher/core/template_setup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace pandle {
namespace {

TemplateCopy failed(QString* error, const QString& text) {
    if (error) *error = text;
    return TemplateCopy::Failed;
}

QFileInfoList shippedFiles(const QString& folder) {
    if (folder.isEmpty()) return {};
    return QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
}

}  // namespace

TemplateCopy copyShippedTemplates(const QString& shippedFolder, const QString& templatesFolder,
                                  QString* error) {
    if (templatesFolder.isEmpty()) return failed(error, QStringLiteral("no templates folder"));
    const QString target = QDir::cleanPath(templatesFolder);
    // Anything at that path, even a dangling link, is the user's.
    if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) {
        return TemplateCopy::AlreadyThere;
    }
    const QFileInfoList files = shippedFiles(shippedFolder);
    if (files.isEmpty()) return TemplateCopy::NothingShipped;

    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent)) return failed(error, QStringLiteral("cannot create ") + parent);
    QTemporaryDir staging(parent + QStringLiteral("/.templates-XXXXXX"));
    if (!staging.isValid()) return failed(error, staging.errorString());
    for (const QFileInfo& file : files) {
        const QString copy = staging.filePath(file.fileName());
        if (!QFile::copy(file.absoluteFilePath(), copy)) {
            return failed(error, QStringLiteral("cannot copy ") + file.absoluteFilePath());
        }
        // Installed files may be read-only; the user's copies are theirs.
        QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::WriteOwner);
    }
    if (!QDir().rename(staging.path(), target)) {
        // Another launcher may have won the race: its folder is as good.
        if (QFileInfo(target).isDir()) return TemplateCopy::AlreadyThere;
        return failed(error, QStringLiteral("cannot create ") + target);
    }
    staging.setAutoRemove(false);
    return TemplateCopy::Copied;
}

}  // namespace pandle
