#include "common/qt/file_filters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/desktop/testing/dialog_listing.h"

namespace velmora {
namespace {

class FileFilters : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* name : {"a.jpg", "B.JPEG", "c.Bmp", "d.GIF", "e.png", "f.TIF", "g.tiff",
                                 "h.ini", "i.CSV", "j.pdf", "k.txt", "l.jpg.bak"}) {
            QFile file(dir_.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    QStringList listed(const QString& windowsFilter) {
        return testing::filesListedByDialog(dir_.path(), toQtFileFilter(windowsFilter));
    }
    QTemporaryDir dir_;
};

TEST_F(FileFilters, TheDialogListsEveryImageTheDecodersReadInAnyCase) {
    const QStringList images{"B.JPEG", "a.jpg", "c.Bmp", "d.GIF", "e.png", "f.TIF", "g.tiff"};
    EXPECT_EQ(listed(QStringLiteral(u"スキャン画像ファイル (*.jpg;*.bmp)|") + kImageFilePatterns),
              images);
    // The editor's form: blanks after ";" and a trailing ";" in the patterns.
    EXPECT_EQ(listed(QStringLiteral(u"画像ﾌｧｲﾙ(*.jpg; *.bmp; *.gif)|") + kImageFilePatterns +
                     QStringLiteral(u";|全ﾌｧｲﾙ(*.*)|*.*||")),
              images);
}

TEST_F(FileFilters, SingleKindFiltersListTheirFilesOnly) {
    EXPECT_EQ(listed(QStringLiteral(u"マーク情報ファイル (*.ini)|*.ini")), QStringList{"h.ini"});
    EXPECT_EQ(listed(QStringLiteral(u"csvファイル(*.csv)|*.csv")), QStringList{"i.CSV"});
    EXPECT_EQ(listed(QStringLiteral(u"PDFファイル (*.pdf)|*.pdf")), QStringList{"j.pdf"});
    // A description alone carries its patterns in parentheses.
    EXPECT_EQ(listed(QStringLiteral(u"シートテンプレート (*.pdf *.odt)")), QStringList{"j.pdf"});
}

TEST(FileFilterText, EntriesBecomeQtsSpaceSeparatedForm) {
    EXPECT_EQ(toQtFileFilter(u"画像ﾌｧｲﾙ(*.jpg; *.bmp; *.gif)|*.jpg;*.jpeg;*.gif;*.bmp;|"
                             u"全ﾌｧｲﾙ(*.*)|*.*||"),
              QStringLiteral(u"画像ﾌｧｲﾙ (*.jpg *.jpeg *.gif *.bmp);;全ﾌｧｲﾙ (*)"));
    EXPECT_EQ(toQtFileFilter(u"説明|"), QStringLiteral(u"説明 (*)"));
}

}  // namespace
}  // namespace velmora
