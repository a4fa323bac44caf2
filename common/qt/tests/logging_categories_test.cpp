#include "common/qt/logging_categories.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {
namespace {

using namespace Qt::StringLiterals;

struct Captured {
    QString category;
    QtMsgType type;
    QString text;
};

std::vector<Captured>* captured = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (captured) captured->push_back({QString::fromUtf8(context.category), type, text});
}

/// Captures the messages of one test and restores the rules after it.
class LoggingCategories : public ::testing::Test {
protected:
    void SetUp() override {
        captured = &messages_;
        previous_ = qInstallMessageHandler(capture);
        QLoggingCategory::setFilterRules(QString());
    }
    void TearDown() override {
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(previous_);
        captured = nullptr;
    }

    std::vector<Captured> messages_;
    QtMessageHandler previous_ = nullptr;
};

std::vector<const QLoggingCategory*> allCategories() {
    return {&lcEngine(), &lcReader(), &lcEditor(), &lcScanner(), &lcLauncher()};
}

TEST_F(LoggingCategories, EachPartHasItsOwnNameUnderVelmora) {
    QStringList names;
    for (const QLoggingCategory* category : allCategories()) {
        names << QString::fromUtf8(category->categoryName());
    }
    EXPECT_EQ(names, (QStringList{u"velmora.engine"_s, u"velmora.reader"_s, u"velmora.editor"_s,
                                  u"velmora.scanner"_s, u"velmora.launcher"_s}));
}

TEST_F(LoggingCategories, QuietBelowWarningsUntilTheRulesTurnThemOn) {
    for (const QLoggingCategory* category : allCategories()) {
        EXPECT_FALSE(category->isDebugEnabled()) << category->categoryName();
        EXPECT_FALSE(category->isInfoEnabled()) << category->categoryName();
        EXPECT_TRUE(category->isWarningEnabled()) << category->categoryName();
    }
    qCDebug(lcReader) << "hidden";
    qCWarning(lcReader) << "shown";
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].category, u"velmora.reader"_s);
    EXPECT_EQ(messages_[0].type, QtWarningMsg);

    // One part alone, then all of them, as the README shows.
    QLoggingCategory::setFilterRules(u"velmora.scanner.debug=true"_s);
    EXPECT_TRUE(lcScanner().isDebugEnabled());
    EXPECT_FALSE(lcEngine().isDebugEnabled());
    QLoggingCategory::setFilterRules(u"velmora.*=true"_s);
    for (const QLoggingCategory* category : allCategories()) {
        EXPECT_TRUE(category->isDebugEnabled()) << category->categoryName();
    }
    qCDebug(lcEngine) << "now shown";
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[1].category, u"velmora.engine"_s);
    EXPECT_EQ(messages_[1].type, QtDebugMsg);
}

}  // namespace
}  // namespace velmora
