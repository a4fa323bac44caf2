#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QStringList>
#include <cstdlib>

#include "scanner/core/twain_library.h"

namespace fenwary {
namespace {

QStringList* captured = nullptr;

void capture(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (captured && QByteArrayView(context.category) == "velmora.scanner") captured->append(text);
}

/// Which TWAIN manager was tried and taken, told on the scanner category.
class TwainLibraryLog : public ::testing::Test {
protected:
    void SetUp() override {
        captured = &lines_;
        previous_ = qInstallMessageHandler(capture);
    }
    void TearDown() override {
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(previous_);
        captured = nullptr;
        ::unsetenv(TwainLibrary::kOverrideVariable);
    }

    QStringList lines_;
    QtMessageHandler previous_ = nullptr;
};

TEST_F(TwainLibraryLog, SaysWhichManagerWasLoadedOnlyWhenAsked) {
    ::setenv(TwainLibrary::kOverrideVariable, FAKE_TWAIN_DSM_PATH, 1);
    ASSERT_NE(TwainLibrary::load(), nullptr);
    EXPECT_TRUE(lines_.isEmpty()) << "quiet by default";

    QLoggingCategory::setFilterRules(QStringLiteral("velmora.scanner.debug=true"));
    ASSERT_NE(TwainLibrary::load(), nullptr);
    ASSERT_EQ(lines_.size(), 1);
    EXPECT_TRUE(lines_[0].contains(QStringLiteral("loaded from"))) << lines_[0].toStdString();
    EXPECT_TRUE(lines_[0].contains(QString::fromUtf8(FAKE_TWAIN_DSM_PATH)));
}

TEST_F(TwainLibraryLog, NamesAManagerThatCouldNotBeLoaded) {
    ::setenv(TwainLibrary::kOverrideVariable, "/nonexistent/libtwaindsm-none.so", 1);
    QLoggingCategory::setFilterRules(QStringLiteral("velmora.scanner.debug=true"));
    TwainLibrary::load();  // the system's own manager may or may not be there
    ASSERT_FALSE(lines_.isEmpty());
    EXPECT_TRUE(lines_[0].contains(QStringLiteral("/nonexistent/libtwaindsm-none.so")));
    EXPECT_TRUE(lines_[0].contains(QStringLiteral("not loaded"))) << lines_[0].toStdString();
}

}  // namespace
}  // namespace fenwary
