#include "scanner/ui/file_manager.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace fenwary {

namespace {

constexpr int kAnswerMilliseconds = 3000;

}  // namespace

bool showFileSelected(const QString& path) {
    const QString sender = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    if (sender.isEmpty()) return false;
    QProcess process;
    process.start(
        sender,
        {QStringLiteral("--session"), QStringLiteral("--print-reply"),
         QStringLiteral("--dest=org.freedesktop.FileManager1"),
         QStringLiteral("--type=method_call"), QStringLiteral("/org/freedesktop/FileManager1"),
         QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
         QStringLiteral("array:string:") + QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded),
         QStringLiteral("string:")});
    if (!process.waitForFinished(kAnswerMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool openFolder(const QString& folder) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace fenwary
