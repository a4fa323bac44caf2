#include "common/qt/desktop_open.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace velmora {
namespace {

class DesktopOpen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        image_ = dir_.filePath(QStringLiteral(u"シート 1.jpg"));
        QFile file(image_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("jpeg");
    }
    /// An opener that records what it was asked and answers `works`.
    std::function<bool(const QString&)> opener(bool works) {
        return [this, works](const QString& path) {
            opened_ << path;
            return works;
        };
    }

    QTemporaryDir dir_;
    QString image_;
    QStringList opened_;
};

TEST_F(DesktopOpen, AnExistingFileGoesToTheDesktopAndShowsNothing) {
    EXPECT_EQ(openWithDesktop(image_, opener(true)), QString());
    EXPECT_EQ(opened_, QStringList{image_});
}

TEST_F(DesktopOpen, NoProgramForTheFileIsReportedAsMissingAssociation) {
    EXPECT_EQ(openWithDesktop(image_, opener(false)), kNoAssociation);
    EXPECT_EQ(opened_.size(), 1);
    EXPECT_EQ(openWithDesktop(image_, {}), kNoAssociation);
}

TEST_F(DesktopOpen, MissingFilesAndFoldersAreReportedWithoutAsking) {
    EXPECT_EQ(openWithDesktop(dir_.filePath(QStringLiteral("gone.jpg")), opener(true)),
              kFileNotFound);
    EXPECT_EQ(openWithDesktop(dir_.filePath(QStringLiteral("no/such/dir/a.jpg")), opener(true)),
              kPathNotFound);
    EXPECT_EQ(openWithDesktop(QString(), opener(true)), kFileNotFound);
    EXPECT_EQ(openWithDesktop(dir_.path(), opener(true)), kFileNotFound);
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(DesktopOpen, AnUnreadableFileIsDenied) {
    QFile::setPermissions(image_, QFileDevice::WriteOwner);
    if (QFileInfo(image_).isReadable()) GTEST_SKIP() << "running with rights that read anything";
    EXPECT_EQ(openWithDesktop(image_, opener(true)), kAccessDenied);
    EXPECT_TRUE(opened_.isEmpty());
}

}  // namespace
}  // namespace velmora
