// The input list's ordering and drop rules, and the main window's resize
// rules.
#include "reader/core/input_list.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "reader/core/main_window_layout.h"

namespace tarrow {
namespace {

TEST(InputListTest, FocusedFirstFileMovesToTheEnd) {
    // Five files chosen with e focused arrive as e, a, b, c, d.
    EXPECT_EQ(focusedFirstToEnd({"e", "a", "b", "c", "d"}), (QStringList{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(focusedFirstToEnd({"a", "b", "c"}), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(focusedFirstToEnd({"b"}), QStringList{"b"});
    // Character codes: upper case sorts before lower case.
    EXPECT_EQ(focusedFirstToEnd({"a", "B"}), (QStringList{"B", "a"}));
}

TEST(InputListTest, DroppedFoldersGiveTheirFilesButNotSubfolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QStringLiteral("/scans");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));
    for (const char* name : {"2.jpg", "1.jpg", "notes.txt", "sub/deep.jpg"}) {
        QFile file(folder + u'/' + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString loose = dir.path() + QStringLiteral("/z.jpg");
    EXPECT_EQ(expandDroppedPaths({loose, folder}),
              (QStringList{folder + QStringLiteral("/1.jpg"), folder + QStringLiteral("/2.jpg"),
                           folder + QStringLiteral("/notes.txt"), loose}));
    EXPECT_EQ(inputListLines({"a b", "c"}), QStringLiteral("a b\nc\n"));
    EXPECT_EQ(inputListWithCrLf(QStringLiteral("a\nb\r\nc")), QStringLiteral("a\r\nb\r\nc"));
}

TEST(InputListTest, EveryLineEndOfTheBoxBecomesCrLf) {
    EXPECT_EQ(inputListWithCrLf(QStringLiteral("a\rb")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(inputListWithCrLf(QStringLiteral("a\r\n")), QStringLiteral("a\r\n"));
    EXPECT_EQ(inputListWithCrLf(QStringLiteral("a\n\nb\n")), QStringLiteral("a\r\n\r\nb\r\n"));
    // Names outside ASCII pass unchanged.
    EXPECT_EQ(inputListWithCrLf(QStringLiteral("がっこう①.jpg\n")),
              QStringLiteral("がっこう①.jpg\r\n"));
}

TEST(InputListTest, DefinitionDropTakesFirstFileOrText) {
    EXPECT_EQ(droppedDefinition("old", {"/x/a.ini", "/x/b.ini"}, "text", true),
              QStringLiteral("/x/a.ini"));
    EXPECT_EQ(droppedDefinition("old", {}, "typed", true), QStringLiteral("typed"));
    EXPECT_EQ(droppedDefinition("old", {}, QString(), false), QStringLiteral("old"));
}

TEST(MainWindowLayoutTest, HeightFloorAndBottomAnchoredControls) {
    const MainWindowLayout tall = mainWindowLayout(8000, 1500);
    EXPECT_EQ(tall.windowWidth, 9250);
    EXPECT_EQ(tall.windowHeight, 8000);
    EXPECT_EQ(tall.frameControlTop, 8000 - 1500 - 1200);
    EXPECT_EQ(tall.frameSrcHeight, tall.frameControlTop - 100);
    EXPECT_EQ(tall.txtSourceHeight, tall.frameSrcHeight - 600);
    EXPECT_EQ(tall.statusTop, 8000 - 1100);

    const MainWindowLayout low = mainWindowLayout(3000, 1500);
    EXPECT_EQ(low.windowHeight, 4500);
    EXPECT_EQ(low.statusTop, 3400);

    EXPECT_EQ(pixelsToTwips(100, 96.0), 1500);
    EXPECT_EQ(twipsToPixels(9250, 96.0), 617);
    EXPECT_EQ(twipsToPixels(1440, 120.0), 120);
}

}  // namespace
}  // namespace tarrow
