#include "launcher/core/suite_folders.h"

#include <QDir>

#include "common/qt/desktop_open.h"

namespace pandle {

QString normaliseFolder(const QString& folder) {
    if (folder.isEmpty()) return {};
    return velmora::folderWithSeparator(QDir::cleanPath(folder));
}

UserFolders userFolders(const QString& documentsFolder) {
    UserFolders folders;
    folders.documents = normaliseFolder(documentsFolder);
    if (folders.documents.isEmpty()) return folders;
    folders.data = normaliseFolder(folders.documents + QStringLiteral("tarrow"));
    folders.templates = normaliseFolder(folders.data + QStringLiteral("templates"));
    return folders;
}

QString SuitePaths::relative(const QString& path) const {
    if (program_.isEmpty()) return {};
    return QDir::cleanPath(program_ + path);
}

QString SuitePaths::program(const QString& name) const {
    return relative(name);
}

QString SuitePaths::manual() const {
    return relative(QString::fromUtf16(SuiteFiles::kManualFolder) + u'/' +
                    QString::fromUtf16(SuiteFiles::kManualName));
}

QString SuitePaths::shippedTemplates() const {
    return normaliseFolder(relative(QString::fromUtf16(SuiteFiles::kTemplatesFolder)));
}

}  // namespace pandle
