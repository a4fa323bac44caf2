#include "launcher/core/template_setup.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace pandle {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kFolderMode = 0777;  // narrowed by the umask, as mkdir -p does
constexpr int kStagingAttempts = 100;

TemplateCopy failed(QString* error, const QString& text) {
    if (error) *error = text;
    return TemplateCopy::Failed;
}

QString shown(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

fs::path onDisk(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QFileInfoList shippedFiles(const QString& folder) {
    if (folder.isEmpty()) return {};
    return QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
}

/// Creates `folder` and its missing parents with the umask applied.
bool makeFolders(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

/// A new, uniquely named hidden folder in `parent`; empty on failure.
fs::path makeStagingFolder(const fs::path& parent) {
    std::mt19937 rng(std::random_device{}());
    std::uniform_int_distribution<unsigned> pick(0, 0xFFFFFF);
    for (int attempt = 0; attempt < kStagingAttempts; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".templates-%06x", pick(rng));
        const fs::path staging = parent / name;
        if (::mkdir(staging.c_str(), kFolderMode) == 0) return staging;
        if (errno != EEXIST) break;
    }
    return {};
}

/// Removes the staging folder unless it was moved into place.
class Staging {
public:
    explicit Staging(fs::path path) : path_(std::move(path)) {}
    ~Staging() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;
    const fs::path& path() const { return path_; }
    void keep() { path_.clear(); }

private:
    fs::path path_;
};

}  // namespace

TemplateCopy copyShippedTemplates(const QString& shippedFolder, const fs::path& templatesFolder,
                                  QString* error) {
    if (templatesFolder.empty()) return failed(error, QStringLiteral("no templates folder"));
    fs::path target = templatesFolder.lexically_normal();
    if (!target.has_filename()) target = target.parent_path();
    // Anything at that path, even a dangling link, is the user's.
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) return TemplateCopy::AlreadyThere;
    const QFileInfoList files = shippedFiles(shippedFolder);
    if (files.isEmpty()) return TemplateCopy::NothingShipped;

    const fs::path parent = fs::absolute(target, ec).parent_path();
    if (!makeFolders(parent))
        return failed(error, QStringLiteral("cannot create ") + shown(parent));
    Staging staging(makeStagingFolder(parent));
    if (staging.path().empty()) {
        return failed(error, QStringLiteral("cannot create a folder in ") + shown(parent));
    }
    for (const QFileInfo& file : files) {
        const fs::path copy = staging.path() / onDisk(file.fileName());
        if (!fs::copy_file(onDisk(file.absoluteFilePath()), copy, ec)) {
            return failed(error, QStringLiteral("cannot copy ") + file.absoluteFilePath());
        }
        // Installed files may be read-only; the user's copies are theirs.
        fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add, ec);
    }
    // Never over a folder that appeared meanwhile (another launcher won the
    // race: its folder is as good).
    if (::renameat2(AT_FDCWD, staging.path().c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) !=
        0) {
        const int err = errno;
        if (fs::is_directory(target, ec)) return TemplateCopy::AlreadyThere;
        return failed(error, QStringLiteral("cannot create ") + shown(target) +
                                 QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err)));
    }
    staging.keep();
    return TemplateCopy::Copied;
}

TemplateCopy copyShippedTemplates(const QString& shippedFolder, const QString& templatesFolder,
                                  QString* error) {
    if (templatesFolder.isEmpty()) return failed(error, QStringLiteral("no templates folder"));
    return copyShippedTemplates(shippedFolder, onDisk(QDir::cleanPath(templatesFolder)), error);
}

}  // namespace pandle
