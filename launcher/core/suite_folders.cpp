#include "launcher/core/suite_folders.h"

#include <QDir>
#include <QFile>

#include "common/qt/desktop_open.h"

namespace pandle {

QString normaliseFolder(const QString& folder) {
    if (folder.isEmpty()) return {};
    return velmora::folderWithSeparator(QDir::cleanPath(folder));
}

UserFolders userFolders(const QString& documentsFolder,
                        const std::filesystem::path& documentsOnDisk) {
    UserFolders folders;
    folders.documents = normaliseFolder(documentsFolder);
    if (folders.documents.isEmpty()) return folders;
    folders.data = normaliseFolder(folders.documents + QStringLiteral("tarrow"));
    folders.templates = normaliseFolder(folders.data + QStringLiteral("templates"));
    const std::filesystem::path documents =
        documentsOnDisk.empty()
            ? std::filesystem::path(QFile::encodeName(folders.documents).toStdString())
            : documentsOnDisk;
    folders.templatesOnDisk = (documents / "tarrow" / "templates").lexically_normal();
    return folders;
}

std::filesystem::path byteExactFolder(const QString& folder, const QString& qtHome,
                                      const QByteArray& rawHome) {
    const QString home = QDir::cleanPath(qtHome);
    const QString clean = QDir::cleanPath(folder);
    const bool below = !home.isEmpty() && !rawHome.isEmpty() &&
                       (clean == home || clean.startsWith(home + u'/') || home == u'/');
    if (!below) return std::filesystem::path(QFile::encodeName(clean).toStdString());
    const QString rest = home == u'/' ? clean.mid(1) : clean.mid(home.size() + 1);
    std::filesystem::path exact(rawHome.toStdString());
    if (!rest.isEmpty()) exact /= QFile::encodeName(rest).toStdString();
    return exact.lexically_normal();
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
