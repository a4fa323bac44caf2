// Starting programs and handing documents to the desktop for real: fake
// programs and a fake xdg-open (shell scripts) record how they were run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "launcher/core/desktop_document.h"
#include "launcher/core/launcher_messages.h"
#include "launcher/core/program_starter.h"
#include "launcher/tests/launcher_test_support.h"

namespace pandle {
namespace {

using testing::kExecutable;
using testing::readFile;
using testing::writeFile;
using testing::writeRecordingScript;

/// Waits up to `ms` for `path` to hold a complete record (ends in a newline
/// after the working folder).
QByteArray waitForRecord(const QString& path, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        const QByteArray bytes = readFile(path);
        if (bytes.count('\n') >= 2) return bytes;
        QThread::msleep(20);
    }
    return readFile(path);
}

class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(ProgramStart, AProgramWithSpacesAndQuotesInItsPathStartsDetached) {
    const QString folder = file(QStringLiteral("my \"suite\" $HOME; 'x'"));
    const QString program = folder + QStringLiteral("/tarrow");
    const QString record = file(QStringLiteral("record.txt"));
    ASSERT_TRUE(writeRecordingScript(program, record));

    EXPECT_EQ(startProgram(program, systemStart()), QString());
    // No arguments at all, started in the user's own folder, never in the
    // shared temporary one.
    const QByteArray expected = "0\n" + defaultStartFolder().toUtf8() + '\n';
    EXPECT_EQ(waitForRecord(record), expected);
    EXPECT_NE(defaultStartFolder(), QDir::tempPath());
}

TEST_F(ProgramStart, WhatCannotStartIsNamedBeforeTrying) {
    int calls = 0;
    const DetachedStart counting = [&](const QString&, const QStringList&, const QString&) {
        ++calls;
        return true;
    };
    EXPECT_EQ(startProgram(file(QStringLiteral("none/dravel")), counting), kPathNotFound);
    EXPECT_EQ(startProgram(file(QStringLiteral("dravel")), counting), kFileNotFound);
    EXPECT_EQ(startProgram(dir_.path(), counting), kFileNotFound);
    EXPECT_EQ(startProgram(QString(), counting), kFileNotFound);

    const QString plain = file(QStringLiteral("plain"));
    ASSERT_TRUE(writeFile(plain, "#!/bin/sh\n"));
    EXPECT_EQ(startProgram(plain, counting), kAccessDenied);
    const QString garbage = file(QStringLiteral("garbage"));
    ASSERT_TRUE(writeFile(garbage, "MZ not for this system", kExecutable));
    EXPECT_EQ(startProgram(garbage, counting), kBadExecutable);
    EXPECT_EQ(calls, 0);

    const QString script = file(QStringLiteral("fenwary"));
    ASSERT_TRUE(writeFile(script, "#!/bin/sh\n", kExecutable));
    const DetachedStart refusing = [](const QString&, const QStringList&, const QString&) {
        return false;
    };
    EXPECT_EQ(startProgram(script, refusing), kCannotOpen);
}

TEST_F(ProgramStart, ProgramsStartOnlyInFoldersOtherUsersCannotWrite) {
    const QString shared = file(QStringLiteral("shared"));
    const QString sticky = file(QStringLiteral("sticky"));
    const QString own = file(QStringLiteral("own"));
    for (const QString& folder : {shared, sticky, own}) ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(sticky).constData(), 01777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0775), 0);

    EXPECT_EQ(privateFolder({QString(), file(QStringLiteral("gone")), shared, sticky, own}), own);
    EXPECT_EQ(privateFolder({shared, sticky}), QStringLiteral("/"));
    EXPECT_EQ(privateFolder({}), QStringLiteral("/"));

    QString used;
    const DetachedStart recording = [&](const QString&, const QStringList&, const QString& at) {
        used = at;
        return true;
    };
    const QString script = file(QStringLiteral("tarrow"));
    ASSERT_TRUE(writeFile(script, "#!/bin/sh\n", kExecutable));
    EXPECT_EQ(startProgram(script, recording, own), QString());
    EXPECT_EQ(used, own);
}

TEST_F(ProgramStart, TheHandlersStatusSaysWhetherTheFileWasOpened) {
    const QString document = file(QStringLiteral("テンプレート \"1\" 's'.pdf"));
    ASSERT_TRUE(writeFile(document, "%PDF-1.4\n"));
    const QString record = file(QStringLiteral("record.txt"));
    const QString xdgOpen = file(QStringLiteral("xdg-open"));

    ASSERT_TRUE(writeRecordingScript(xdgOpen, record, 0));
    EXPECT_EQ(openDocument(document, xdgOpenHandler(xdgOpen, 5000)), QString());
    EXPECT_EQ(readFile(record),
              "1\n" + document.toUtf8() + '\n' + defaultStartFolder().toUtf8() + '\n');

    ASSERT_TRUE(writeRecordingScript(xdgOpen, record, 3));
    EXPECT_EQ(openDocument(document, xdgOpenHandler(xdgOpen, 5000)), kNoAssociation);
    ASSERT_TRUE(writeRecordingScript(xdgOpen, record, 4));
    EXPECT_EQ(openDocument(document, xdgOpenHandler(xdgOpen, 5000)), kCannotOpen);
    EXPECT_EQ(openDocument(document, xdgOpenHandler(QString(), 5000)), kNoAssociation);
    EXPECT_EQ(openDocument(document, xdgOpenHandler(file(QStringLiteral("no-xdg-open")), 5000)),
              kNoAssociation);
}

TEST_F(ProgramStart, AHandlerStillRunningAfterTheWaitIsLeftToFinish) {
    // The launcher's event loop: a handler that ends later is cleaned up
    // through it.
    int argc = 1;
    char name[] = "pandle_core_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const QString document = file(QStringLiteral("manual.pdf"));
    ASSERT_TRUE(writeFile(document, "%PDF-1.4\n"));
    const QString record = file(QStringLiteral("record.txt"));
    const QString xdgOpen = file(QStringLiteral("xdg-open"));
    ASSERT_TRUE(writeRecordingScript(xdgOpen, record, 0, 1));

    EXPECT_EQ(openDocument(document, xdgOpenHandler(xdgOpen, 100)), QString());
    EXPECT_TRUE(readFile(record).isEmpty());
    // Not killed: it writes its record when its second is up, and its
    // process object goes once it has ended.
    EXPECT_TRUE(QTest::qWaitFor([&] { return readFile(record).count('\n') >= 2; }, 5000));
    EXPECT_TRUE(readFile(record).startsWith("1\n"));
    // Its end is noticed and the process object deleted (the sanitizer
    // build's leak check sees one that is not).
    QTest::qWait(300);
}

}  // namespace
}  // namespace pandle
