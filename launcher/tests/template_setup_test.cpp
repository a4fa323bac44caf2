// The first-start copy of the shipped templates.
#include "launcher/core/template_setup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>

#include "launcher/core/suite_folders.h"
#include "launcher/tests/launcher_test_support.h"

namespace pandle {
namespace {

using testing::readFile;
using testing::writeFile;

class TemplateSetup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        shipped_ = dir_.filePath(QStringLiteral("share/velmora/templates"));
        target_ = dir_.filePath(QStringLiteral("docs/tarrow/templates"));
        const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup;
        for (const char* name : {"mark50-4.pdf", "mark50-4.ini", "mark50-4-200dpi.ini"}) {
            ASSERT_TRUE(writeFile(shipped_ + u'/' + QLatin1String(name), name, readOnly));
        }
    }
    QStringList targetFiles() const { return QDir(target_).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir dir_;
    QString shipped_;
    QString target_;
};

TEST_F(TemplateSetup, TheFirstStartCopiesEveryShippedFileAsTheUsersOwn) {
    EXPECT_EQ(copyShippedTemplates(shipped_, target_), TemplateCopy::Copied);
    EXPECT_EQ(targetFiles(),
              (QStringList{QStringLiteral("mark50-4-200dpi.ini"), QStringLiteral("mark50-4.ini"),
                           QStringLiteral("mark50-4.pdf")}));
    EXPECT_EQ(readFile(target_ + QStringLiteral("/mark50-4.ini")), "mark50-4.ini");
    EXPECT_TRUE(QFileInfo(target_ + QStringLiteral("/mark50-4.ini")).isWritable());
    // Nothing of the staging folder stays beside it.
    EXPECT_EQ(QDir(dir_.filePath(QStringLiteral("docs/tarrow")))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("templates")});
}

TEST_F(TemplateSetup, AnExistingTemplatesFolderIsNeverTouched) {
    ASSERT_TRUE(writeFile(target_ + QStringLiteral("/mine.odt"), "mine"));
    EXPECT_EQ(copyShippedTemplates(shipped_, target_), TemplateCopy::AlreadyThere);
    EXPECT_EQ(targetFiles(), QStringList{QStringLiteral("mine.odt")});

    // Deleted templates stay deleted: an empty folder is the user's choice.
    QFile::remove(target_ + QStringLiteral("/mine.odt"));
    EXPECT_EQ(copyShippedTemplates(shipped_, target_), TemplateCopy::AlreadyThere);
    EXPECT_TRUE(targetFiles().isEmpty());
}

TEST_F(TemplateSetup, NothingShippedCreatesNothing) {
    EXPECT_EQ(copyShippedTemplates(dir_.filePath(QStringLiteral("none")), target_),
              TemplateCopy::NothingShipped);
    EXPECT_EQ(copyShippedTemplates(QString(), target_), TemplateCopy::NothingShipped);
    EXPECT_FALSE(QFileInfo::exists(target_));
}

TEST_F(TemplateSetup, AFailedCopyLeavesNothingAndIsTriedAgain) {
    // A file where the data folder belongs: the templates folder cannot be
    // made (whatever rights the test runs with).
    const QString data = dir_.filePath(QStringLiteral("docs/tarrow"));
    ASSERT_TRUE(writeFile(data, "not a folder"));
    QString error;
    EXPECT_EQ(copyShippedTemplates(shipped_, target_, &error), TemplateCopy::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir_.filePath(QStringLiteral("docs")))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("tarrow")});
    EXPECT_EQ(readFile(data), "not a folder");

    ASSERT_TRUE(QFile::remove(data));
    EXPECT_EQ(copyShippedTemplates(shipped_, target_), TemplateCopy::Copied);
    EXPECT_EQ(targetFiles().size(), 3);
}

/// Sets the process umask for the scope.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

mode_t modeOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

TEST_F(TemplateSetup, NewFoldersFollowTheUmaskLikeAnyOther) {
    for (const mode_t mask : {mode_t{022}, mode_t{027}, mode_t{077}}) {
        QDir(dir_.filePath(QStringLiteral("docs"))).removeRecursively();
        ScopedUmask scoped(mask);
        ASSERT_EQ(copyShippedTemplates(shipped_, target_), TemplateCopy::Copied);
        EXPECT_EQ(modeOf(target_), 0777 & ~mask) << std::oct << mask;
        EXPECT_EQ(modeOf(dir_.filePath(QStringLiteral("docs/tarrow"))), 0777 & ~mask);
    }
}

TEST_F(TemplateSetup, AHomeWhoseNameIsNotUtf8IsUsedByteForByte) {
    // What Qt makes of HOME=<dir>/hb\xFF: the byte replaced by U+FFFD.
    const QByteArray rawHome = QFile::encodeName(dir_.path()) + "/hb\xFF";
    const QString qtHome = dir_.path() + QStringLiteral("/hb\uFFFD");
    ASSERT_EQ(::mkdir(rawHome.constData(), 0755), 0);

    const std::filesystem::path documents =
        byteExactFolder(qtHome + QStringLiteral("/Documents"), qtHome, rawHome);
    EXPECT_EQ(documents.native(), rawHome.toStdString() + "/Documents");
    EXPECT_EQ(byteExactFolder(qtHome, qtHome, rawHome).native(), rawHome.toStdString());
    // Outside the home (XDG_DOCUMENTS_DIR elsewhere): Qt's own name.
    EXPECT_EQ(byteExactFolder(QStringLiteral("/srv/docs"), qtHome, rawHome).native(), "/srv/docs");
    EXPECT_EQ(byteExactFolder(qtHome + QStringLiteral("x/Documents"), qtHome, rawHome).native(),
              (qtHome + QStringLiteral("x/Documents")).toStdString());

    const UserFolders user = userFolders(qtHome + QStringLiteral("/Documents"), documents);
    EXPECT_EQ(copyShippedTemplates(shipped_, user.templatesOnDisk), TemplateCopy::Copied);
    EXPECT_TRUE(
        std::filesystem::is_directory(rawHome.toStdString() + "/Documents/tarrow/templates"));
    // Nothing was made under the changed name beside the home.
    EXPECT_FALSE(QFileInfo::exists(qtHome));
    // Qt cannot name this folder to remove it with the rest.
    std::filesystem::remove_all(rawHome.toStdString());
}

}  // namespace
}  // namespace pandle
