#include "launcher/core/program_starter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "launcher/core/launcher_messages.h"

namespace pandle {
namespace {

/// The first bytes of what the system can run: an ELF binary or a script
/// with an interpreter line.
bool looksRunnable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(4);
    return head.startsWith(
               "\x7f"
               "ELF") ||
           head.startsWith("#!");
}

}  // namespace

DetachedStart systemStart() {
    return [](const QString& program, const QStringList& arguments, const QString& folder) {
        return QProcess::startDetached(program, arguments, folder);
    };
}

QString startProblem(const QString& program) {
    if (program.isEmpty()) return kFileNotFound;
    const QFileInfo info(program);
    if (!info.absoluteDir().exists()) return kPathNotFound;
    if (!info.exists() || info.isDir()) return kFileNotFound;
    if (!info.isExecutable()) return kAccessDenied;
    if (!info.isReadable()) return {};  // runnable without being readable: let the system try
    if (!looksRunnable(program)) return kBadExecutable;
    return {};
}

QString privateFolder(const QStringList& candidates) {
    for (const QString& folder : candidates) {
        const QFileInfo info(folder);
        if (folder.isEmpty() || !info.isDir()) continue;
        if (info.permissions().testFlag(QFileDevice::WriteOther)) continue;
        return QDir::cleanPath(info.absoluteFilePath());
    }
    return QStringLiteral("/");
}

QString defaultStartFolder() {
    return privateFolder(
        {QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()});
}

QString startProgram(const QString& program, const DetachedStart& start,
                     const QString& workingFolder) {
    if (QString problem = startProblem(program); !problem.isEmpty()) return problem;
    const QString absolute = QFileInfo(program).absoluteFilePath();
    if (!start || !start(absolute, {}, workingFolder)) return kCannotOpen;
    return {};
}

}  // namespace pandle
