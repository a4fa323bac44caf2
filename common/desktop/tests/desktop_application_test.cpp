#include "common/desktop/desktop_application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

namespace velmora {
namespace {

TEST(DesktopApplication, QtsOwnButtonsSpeakJapanese) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    ASSERT_TRUE(prepareDesktopApplication(*app)) << "qt6-translations-l10n is not installed";
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_TRUE(QApplication::font().families().contains(QLatin1String(kInterfaceFontFamily)))
        << "fonts-noto-cjk is not installed";
}

}  // namespace
}  // namespace velmora
