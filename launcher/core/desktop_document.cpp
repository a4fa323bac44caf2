#include "launcher/core/desktop_document.h"

#include <QProcess>
#include <QStandardPaths>

#include "launcher/core/launcher_messages.h"
#include "launcher/core/program_starter.h"

namespace pandle {
namespace {

constexpr int kHandlerWaitMs = 4000;
/// xdg-open's status when no method is available for the file.
constexpr int kXdgNoMethod = 3;

}  // namespace

DocumentHandler xdgOpenHandler() {
    return xdgOpenHandler(QStandardPaths::findExecutable(QStringLiteral("xdg-open")),
                          kHandlerWaitMs);
}

DocumentHandler xdgOpenHandler(const QString& xdgOpen, int waitMs) {
    return [xdgOpen, waitMs, folder = defaultStartFolder()](const QString& path) {
        if (xdgOpen.isEmpty()) return HandlerAnswer::NoHandler;
        // Owned by nobody once it outlives the wait: it deletes itself when
        // it ends, so a handler that keeps running is never killed.
        auto* process = new QProcess;
        process->setProgram(xdgOpen);
        process->setArguments({path});
        process->setWorkingDirectory(folder);
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start();
        if (!process->waitForStarted(waitMs)) {
            delete process;
            return HandlerAnswer::NoHandler;
        }
        if (!process->waitForFinished(waitMs)) {
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
            return HandlerAnswer::Opened;
        }
        const bool crashed = process->exitStatus() != QProcess::NormalExit;
        const int status = process->exitCode();
        delete process;
        if (crashed) return HandlerAnswer::Failed;
        if (status == 0) return HandlerAnswer::Opened;
        return status == kXdgNoMethod ? HandlerAnswer::NoHandler : HandlerAnswer::Failed;
    };
}

QString openDocument(const QString& path, const DocumentHandler& handler) {
    HandlerAnswer answer = HandlerAnswer::NoHandler;
    const QString warning = velmora::openWithDesktop(path, [&](const QString& absolute) {
        if (handler) answer = handler(absolute);
        return answer == HandlerAnswer::Opened;
    });
    if (warning == kNoAssociation && answer == HandlerAnswer::Failed) return kCannotOpen;
    return warning;
}

}  // namespace pandle
