// The launcher's window on the offscreen platform: its buttons by name,
// the keyboard, the template dialog and the warnings, with the core's
// services recorded; a picture of the window is kept as an artefact.
#include "launcher/ui/launcher_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "common/desktop/testing/dialog_listing.h"
#include "common/qt/file_filters.h"
#include "launcher/core/launcher_messages.h"
#include "launcher/tests/launcher_test_support.h"
#include "launcher/ui/picture_button.h"

namespace pandle {
namespace {

using testing::kExecutable;
using testing::writeFile;

class LauncherWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        bin_ = dir_.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(writeFile(bin_ + QStringLiteral("/tarrow"), "#!/bin/sh\n", kExecutable));
        Launcher::Services services;
        services.start = [this](const QString& program, const QStringList&, const QString&) {
            started_ << QFileInfo(program).fileName();
            return true;
        };
        services.open = [this](const QString& path) {
            opened_ << path;
            return HandlerAnswer::Opened;
        };
        services.nowMs = [this] { return now_; };
        launcher_ = std::make_unique<Launcher>(
            SuitePaths(bin_), userFolders(dir_.filePath(QStringLiteral("docs"))), services);
        LauncherWindow::Dialogs dialogs;
        dialogs.warn = [this](QWidget*, const QString& text) { warnings_ << text; };
        dialogs.chooseTemplate = [this](QWidget*, const QString& folder) {
            dialogFolders_ << folder;
            return chosen_;
        };
        window_ = std::make_unique<LauncherWindow>(*launcher_, dialogs);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
    }
    PictureButton* button(int index) const {
        return window_->findChild<PictureButton*>(QStringLiteral("ImgMenu_%1").arg(index));
    }

    QTemporaryDir dir_;
    QString bin_;
    std::unique_ptr<Launcher> launcher_;
    std::unique_ptr<LauncherWindow> window_;
    QStringList started_, opened_, warnings_, dialogFolders_;
    QString chosen_;
    qint64 now_ = 10'000;
};

TEST_F(LauncherWindowTest, TheMenuShowsSixPictureButtonsAndTheLogo) {
    EXPECT_EQ(window_->windowTitle(), kWindowTitle);
    for (int index = 0; index < kMenuSize; ++index) {
        ASSERT_NE(button(index), nullptr) << index;
        EXPECT_EQ(button(index), window_->menuButton(index));
        EXPECT_EQ(button(index)->cursor().shape(), Qt::PointingHandCursor) << index;
        EXPECT_FALSE(button(index)->text().isEmpty()) << index;
    }
    auto* logo = window_->findChild<QLabel*>(QStringLiteral("imgLogo"));
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->pixmap().isNull());
    EXPECT_NE(logo->cursor().shape(), Qt::PointingHandCursor);

    QDir().mkpath(QStringLiteral(VELMORA_BINARY_DIR "/artifacts"));
    const QImage picture = window_->grab().toImage();
    EXPECT_TRUE(picture.save(QStringLiteral(VELMORA_BINARY_DIR "/artifacts/pandle-main.png")));
    // The pictures were drawn: many colours, not a blank window.
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3) {
        for (int x = 0; x < picture.width(); x += 3) colours.insert(picture.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 50);
}

TEST_F(LauncherWindowTest, TheKeyboardMovesBetweenButtonsAndPressesThem) {
    button(0)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), button(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), button(4));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), button(3));

    QTest::keyClick(button(3), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([this] { return started_.size() == 1; }, 2000));
    QTest::keyClick(button(3), Qt::Key_Space);  // pressed again at once: the same request
    EXPECT_EQ(started_, QStringList{QStringLiteral("tarrow")});
    now_ += Launcher::kRepeatMs;
    QTest::keyClick(button(3), Qt::Key_Space);
    EXPECT_EQ(started_.size(), 2);
    EXPECT_TRUE(warnings_.isEmpty());
}

TEST_F(LauncherWindowTest, ADoubleClickStartsOnce) {
    QTest::mouseClick(button(3), Qt::LeftButton);
    QTest::mouseDClick(button(3), Qt::LeftButton);
    QTest::mouseClick(button(3), Qt::LeftButton);
    EXPECT_EQ(started_.size(), 1);
}

TEST_F(LauncherWindowTest, MissingProgramsAndTheManualAreReported) {
    QTest::mouseClick(button(2), Qt::LeftButton);
    QTest::mouseClick(button(4), Qt::LeftButton);
    EXPECT_EQ(warnings_, (QStringList{kFileNotFound, kPathNotFound}));
    EXPECT_TRUE(started_.isEmpty());
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(LauncherWindowTest, TheTemplateDialogOpensTheChosenFileOrNothing) {
    ASSERT_EQ(launcher_->prepareTemplates(), TemplateCopy::NothingShipped);
    ASSERT_TRUE(QDir().mkpath(launcher_->user().templates));
    QTest::mouseClick(button(0), Qt::LeftButton);
    EXPECT_EQ(dialogFolders_, QStringList{launcher_->user().templates});
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_TRUE(warnings_.isEmpty());

    chosen_ = launcher_->user().templates + QStringLiteral("survey 20 'a'.pdf");
    ASSERT_TRUE(writeFile(chosen_, "%PDF"));
    now_ += Launcher::kRepeatMs;
    QTest::mouseClick(button(0), Qt::LeftButton);
    EXPECT_EQ(opened_, QStringList{chosen_});
    EXPECT_TRUE(warnings_.isEmpty());
}

TEST_F(LauncherWindowTest, TheTemplateFilterListsTheSheetsOnly) {
    const QString folder = dir_.filePath(QStringLiteral("templates"));
    for (const char* name : {"mark50-4.pdf", "mark50-4.ini", "mine.odt", "old.dot", "x.PDF"}) {
        ASSERT_TRUE(writeFile(folder + u'/' + QLatin1String(name), "x"));
    }
    const QString filter = velmora::toQtFileFilter(kTemplateFilter);
    EXPECT_EQ(filter, QStringLiteral(u"シートテンプレート (*.pdf *.odt)"));
    const QStringList listed = velmora::testing::filesListedByDialog(folder, filter);
    EXPECT_TRUE(listed.contains(QStringLiteral("mark50-4.pdf")));
    EXPECT_TRUE(listed.contains(QStringLiteral("mine.odt")));
    EXPECT_FALSE(listed.contains(QStringLiteral("mark50-4.ini")));
    EXPECT_FALSE(listed.contains(QStringLiteral("old.dot")));
}

TEST_F(LauncherWindowTest, QuitAndEscapeCloseTheWindow) {
    QTest::mouseClick(button(5), Qt::LeftButton);
    EXPECT_FALSE(window_->isVisible());
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(started_.isEmpty());
}

}  // namespace
}  // namespace pandle
