#include "reader/core/sheet_image_open.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tarrow {
namespace {

class SheetImageOpen : public ::testing::Test {
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

TEST_F(SheetImageOpen, AnExistingFileGoesToTheDesktopAndShowsNothing) {
    EXPECT_EQ(openSheetImage(image_, opener(true)), QString());
    EXPECT_EQ(opened_, QStringList{image_});
}

TEST_F(SheetImageOpen, NoProgramForTheFileIsReportedAsMissingAssociation) {
    EXPECT_EQ(openSheetImage(image_, opener(false)), kNoAssociation);
    EXPECT_EQ(opened_.size(), 1);
    EXPECT_EQ(openSheetImage(image_, {}), kNoAssociation);
}

TEST_F(SheetImageOpen, MissingFilesAndFoldersAreReportedWithoutAsking) {
    EXPECT_EQ(openSheetImage(dir_.filePath(QStringLiteral("gone.jpg")), opener(true)),
              kFileNotFound);
    EXPECT_EQ(openSheetImage(dir_.filePath(QStringLiteral("no/such/dir/a.jpg")), opener(true)),
              kPathNotFound);
    EXPECT_EQ(openSheetImage(QString(), opener(true)), kFileNotFound);
    EXPECT_EQ(openSheetImage(dir_.path(), opener(true)), kFileNotFound);
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(SheetImageOpen, AnUnreadableFileIsDenied) {
    QFile::setPermissions(image_, QFileDevice::WriteOwner);
    if (QFileInfo(image_).isReadable()) GTEST_SKIP() << "running with rights that read anything";
    EXPECT_EQ(openSheetImage(image_, opener(true)), kAccessDenied);
    EXPECT_TRUE(opened_.isEmpty());
}

}  // namespace
}  // namespace tarrow
