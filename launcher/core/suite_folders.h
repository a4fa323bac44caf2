// The folders the launcher works with. The user's: the documents folder,
// the data folder "tarrow" in it and the templates folder in that. The
// suite's: the program folder (the launcher's own), beside which the other
// programs are installed, and the shared files relative to it
// (../share/doc/velmora for the manual, ../share/velmora/templates for the
// shipped sheets) in an installed prefix and in the build tree alike.
#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>

namespace pandle {

/// A folder path as the launcher keeps it: redundant separators and "."
/// and ".." steps removed, and one trailing "/" (empty stays empty, the
/// root stays "/").
QString normaliseFolder(const QString& folder);

struct UserFolders {
    QString documents;  ///< with a trailing "/"; empty when unknown
    QString data;       ///< documents + "tarrow/"
    QString templates;  ///< data + "templates/"
    /// The templates folder as the system names it, byte for byte: what the
    /// first-start copy creates.
    std::filesystem::path templatesOnDisk;
};

/// The user's folders below `documentsFolder` (empty gives all empty).
/// `documentsOnDisk`, when given, is the same folder byte for byte (see
/// byteExactFolder); otherwise the QString's own encoding is used.
UserFolders userFolders(const QString& documentsFolder,
                        const std::filesystem::path& documentsOnDisk = {});

/// `folder` (as Qt reports it) as the system names it. Qt decodes HOME as
/// UTF-8 and replaces a byte that is not UTF-8, so a folder below such a
/// home would be created beside it under a changed name; the part of
/// `folder` below `qtHome` is put under the raw bytes of HOME instead.
std::filesystem::path byteExactFolder(const QString& folder, const QString& qtHome,
                                      const QByteArray& rawHome);

/// The file names of the suite, relative to the program folder.
struct SuiteFiles {
    static constexpr const char16_t* kScanner = u"fenwary";
    static constexpr const char16_t* kEditor = u"dravel";
    static constexpr const char16_t* kReader = u"tarrow";
    static constexpr const char16_t* kManualName = u"マニュアル.pdf";
    static constexpr const char16_t* kManualFolder = u"../share/doc/velmora";
    static constexpr const char16_t* kTemplatesFolder = u"../share/velmora/templates";
};

/// Paths of the suite's files for a program folder.
class SuitePaths {
public:
    explicit SuitePaths(const QString& programFolder) : program_(normaliseFolder(programFolder)) {}

    const QString& programFolder() const { return program_; }
    /// A program of the suite installed beside the launcher.
    QString program(const QString& name) const;
    QString manual() const;
    /// The shipped templates, copied to the user's templates folder at the
    /// first start.
    QString shippedTemplates() const;

private:
    QString relative(const QString& path) const;
    QString program_;
};

}  // namespace pandle
