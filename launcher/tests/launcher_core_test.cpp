// The launcher's logic without its window: folders, the menu's actions with
// a recording starter and handler, the double-click guard and the report
// of an installed suite.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "launcher/core/launcher.h"
#include "launcher/core/launcher_messages.h"
#include "launcher/core/suite_report.h"
#include "launcher/tests/launcher_test_support.h"

namespace pandle {
namespace {

using testing::kExecutable;
using testing::writeFile;

TEST(SuiteFolders, FoldersAreCleanedAndEndInOneSeparator) {
    EXPECT_EQ(normaliseFolder(QString()), QString());
    EXPECT_EQ(normaliseFolder(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(normaliseFolder(QStringLiteral("/home/ユーザー//文書")),
              QStringLiteral("/home/ユーザー/文書/"));
    EXPECT_EQ(normaliseFolder(QStringLiteral("/opt/velmora/bin/./")),
              QStringLiteral("/opt/velmora/bin/"));
    EXPECT_EQ(normaliseFolder(QStringLiteral("/opt/velmora/bin/../lib")),
              QStringLiteral("/opt/velmora/lib/"));

    const UserFolders user = userFolders(QStringLiteral("/home/u/My Documents"));
    EXPECT_EQ(user.documents, QStringLiteral("/home/u/My Documents/"));
    EXPECT_EQ(user.data, QStringLiteral("/home/u/My Documents/tarrow/"));
    EXPECT_EQ(user.templates, QStringLiteral("/home/u/My Documents/tarrow/templates/"));
    EXPECT_EQ(userFolders(QString()).templates, QString());  // no documents folder: nothing
}

TEST(SuiteFolders, SuiteFilesLieRelativeToTheProgramFolder) {
    const SuitePaths suite(QStringLiteral("/opt/v 3//bin"));
    EXPECT_EQ(suite.programFolder(), QStringLiteral("/opt/v 3/bin/"));
    EXPECT_EQ(suite.program(QStringLiteral("tarrow")), QStringLiteral("/opt/v 3/bin/tarrow"));
    EXPECT_EQ(suite.manual(), QStringLiteral("/opt/v 3/share/doc/velmora/マニュアル.pdf"));
    EXPECT_EQ(suite.shippedTemplates(), QStringLiteral("/opt/v 3/share/velmora/templates/"));
    EXPECT_EQ(SuitePaths(QString()).manual(), QString());
}

/// A suite laid out as installed under a temporary prefix, with recording
/// services.
class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        bin_ = dir_.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin_);
        services_.start = [this](const QString& program, const QStringList& args,
                                 const QString& folder) {
            started_ << program;
            EXPECT_TRUE(args.isEmpty());
            folders_ << folder;
            return startWorks_;
        };
        services_.open = [this](const QString& path) {
            opened_ << path;
            return handlerAnswer_;
        };
        services_.nowMs = [this] { return now_; };
    }
    Launcher launcher() {
        return Launcher(SuitePaths(bin_), userFolders(dir_.filePath(QStringLiteral("docs"))),
                        services_);
    }
    void installProgram(const QString& name) {
        ASSERT_TRUE(writeFile(bin_ + u'/' + name, "#!/bin/sh\n", kExecutable));
    }
    QString manual() const { return SuitePaths(bin_).manual(); }

    QTemporaryDir dir_;
    QString bin_;
    Launcher::Services services_;
    QStringList started_;
    QStringList folders_;  ///< the working folder of each start
    QStringList opened_;
    bool startWorks_ = true;
    HandlerAnswer handlerAnswer_ = HandlerAnswer::Opened;
    qint64 now_ = 10'000;
};

TEST_F(LauncherTest, EachButtonDoesItsOwnThing) {
    for (const char* name : {"fenwary", "dravel", "tarrow"}) installProgram(QLatin1String(name));
    ASSERT_TRUE(writeFile(manual(), "%PDF-1.4\n"));
    const QString documents = dir_.filePath(QStringLiteral("docs"));
    ASSERT_TRUE(QDir().mkpath(documents));
    Launcher l = launcher();

    EXPECT_EQ(l.press(0).step, Launcher::Step::ChooseTemplate);
    for (int index = 1; index <= 4; ++index) {
        const Launcher::Reply reply = l.press(index);
        EXPECT_EQ(reply.step, Launcher::Step::Done) << index;
        EXPECT_EQ(reply.warning, QString()) << index;
    }
    EXPECT_EQ(started_,
              (QStringList{bin_ + QStringLiteral("/fenwary"), bin_ + QStringLiteral("/dravel"),
                           bin_ + QStringLiteral("/tarrow")}));
    EXPECT_EQ(opened_, QStringList{manual()});
    // Programs start in the user's documents folder, not the temporary one.
    EXPECT_EQ(folders_, QStringList(3, documents));
    EXPECT_EQ(l.press(5).step, Launcher::Step::Quit);
    EXPECT_EQ(l.press(6).step, Launcher::Step::Done);
    EXPECT_EQ(l.press(-1).step, Launcher::Step::Done);
    EXPECT_EQ(started_.size(), 3);
}

TEST_F(LauncherTest, ADoubleClickStartsAProgramOnce) {
    installProgram(QStringLiteral("tarrow"));
    Launcher l = launcher();
    l.press(3);
    now_ += 300;
    l.press(3);  // the second half of a double click
    EXPECT_EQ(started_.size(), 1);
    now_ += Launcher::kRepeatMs;
    l.press(3);  // a new request
    EXPECT_EQ(started_.size(), 2);

    // Pressing another button in between is never a repeat.
    installProgram(QStringLiteral("dravel"));
    l.press(2);
    l.press(3);
    EXPECT_EQ(started_.size(), 4);
}

TEST_F(LauncherTest, FailuresGiveTheirMessagesAndStartNothing) {
    Launcher l = launcher();
    EXPECT_EQ(l.press(2).warning, kFileNotFound);  // no dravel beside the launcher
    EXPECT_EQ(l.press(4).warning, kPathNotFound);  // no documentation folder
    ASSERT_TRUE(QDir().mkpath(QFileInfo(manual()).path()));
    now_ += Launcher::kRepeatMs;
    EXPECT_EQ(l.press(4).warning, kFileNotFound);  // no manual in it
    EXPECT_TRUE(started_.isEmpty());
    EXPECT_TRUE(opened_.isEmpty());

    ASSERT_TRUE(writeFile(manual(), "%PDF-1.4\n"));
    handlerAnswer_ = HandlerAnswer::NoHandler;
    now_ += Launcher::kRepeatMs;
    EXPECT_EQ(l.press(4).warning, kNoAssociation);
    handlerAnswer_ = HandlerAnswer::Failed;
    now_ += Launcher::kRepeatMs;
    EXPECT_EQ(l.press(4).warning, kCannotOpen);

    installProgram(QStringLiteral("tarrow"));
    startWorks_ = false;
    EXPECT_EQ(l.press(3).warning, kCannotOpen);

    // Templates: cancelling the dialog opens and shows nothing; a name with
    // spaces and quotes goes to the handler as it is.
    opened_.clear();
    EXPECT_EQ(l.openTemplate(QString()), QString());
    EXPECT_TRUE(opened_.isEmpty());
    const QString odd = dir_.filePath(QStringLiteral("docs/tarrow/templates/a \"b\" 'c'.pdf"));
    EXPECT_EQ(l.openTemplate(odd), kPathNotFound);
    ASSERT_TRUE(writeFile(odd, "%PDF"));
    handlerAnswer_ = HandlerAnswer::Opened;
    EXPECT_EQ(l.openTemplate(odd), QString());
    EXPECT_EQ(opened_, QStringList{odd});
}

TEST_F(LauncherTest, TheTemplateDialogStartsInTheBestFolderThere) {
    Launcher l = launcher();
    EXPECT_EQ(l.templateDialogFolder(), QString());
    const QString shipped = SuitePaths(bin_).shippedTemplates();
    ASSERT_TRUE(writeFile(shipped + QStringLiteral("mark50-4.pdf"), "%PDF"));
    EXPECT_EQ(l.templateDialogFolder(), shipped);
    EXPECT_EQ(l.prepareTemplates(), TemplateCopy::Copied);
    EXPECT_EQ(l.templateDialogFolder(), l.user().templates);
    EXPECT_TRUE(QFileInfo::exists(l.user().templates + QStringLiteral("mark50-4.pdf")));
}

TEST_F(LauncherTest, TheSuiteReportNamesWhatIsMissing) {
    for (const char* name : {"fenwary", "dravel", "tarrow"}) installProgram(QLatin1String(name));
    ASSERT_TRUE(writeFile(manual(), "%PDF-1.4\n"));
    const SuitePaths suite(bin_);
    ASSERT_TRUE(writeFile(suite.shippedTemplates() + QStringLiteral("survey20.pdf"), "%PDF"));
    const UserFolders user = userFolders(dir_.path());
    EXPECT_TRUE(reportSuite(suite, user).complete) << reportSuite(suite, user).text.toStdString();

    QFile::remove(manual());
    const SuiteReport report = reportSuite(suite, user);
    EXPECT_FALSE(report.complete);
    EXPECT_TRUE(
        report.text.contains(QStringLiteral("manual: ") + manual() + QStringLiteral(" (missing)")))
        << report.text.toStdString();
}

}  // namespace
}  // namespace pandle
