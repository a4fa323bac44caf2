// Entry point of every window test program. Test discovery runs this program without
// the environment CTest gives the tests, so it picks the offscreen platform
// and private configuration and runtime folders itself before the
// application starts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstdlib>

namespace {

/// Sets `name` to `value` unless the caller's environment already has it.
void setDefaultEnv(const char* name, const QByteArray& value) {
    if (qEnvironmentVariableIsEmpty(name)) {
        qputenv(name, value);
    }
}

}  // namespace

// The offscreen platform maps windows like a real one: a shown widget is
// visible, exposed and has the size it was given.
TEST(GuiHarness, WidgetShowsOnTheOffscreenPlatform) {
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    QWidget widget;
    widget.resize(240, 120);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    EXPECT_TRUE(widget.isVisible());
    EXPECT_EQ(widget.size(), QSize(240, 120));
    widget.hide();
    EXPECT_FALSE(widget.isVisible());
}

int main(int argc, char** argv) {
    setDefaultEnv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome(QDir::tempPath() + QStringLiteral("/velmora-gui-tests-XXXXXX"));
    if (configHome.isValid()) {
        setDefaultEnv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
        // Qt wants a private runtime folder; the temporary folder is one.
        setDefaultEnv("XDG_RUNTIME_DIR", QFile::encodeName(configHome.path()));
    }
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery at build time) needs no window
    // system; a sanitizer build then sees nothing of Qt's start-up.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
