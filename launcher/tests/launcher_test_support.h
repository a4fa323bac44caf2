// Helpers of the launcher's tests: files with given content and mode, and a
// fake program (a shell script) that records how it was started.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <ostream>

/// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace pandle::testing {

inline bool writeFile(const QString& path, const QByteArray& bytes,
                      QFileDevice::Permissions mode = QFileDevice::ReadOwner |
                                                      QFileDevice::WriteOwner) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.setPermissions(mode);
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline constexpr QFileDevice::Permissions kExecutable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

/// A script that writes its argument count, its arguments one a line and
/// its working folder into `record`, after `delaySeconds`, and exits with
/// `status`.
inline bool writeRecordingScript(const QString& path, const QString& record, int status = 0,
                                 int delaySeconds = 0) {
    QString quoted = record;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    const QString script = QStringLiteral(
                               "#!/bin/sh\nsleep %1\n{ echo \"$#\"; for a in \"$@\"; do "
                               "echo \"$a\"; done; pwd; } > '%2'\nexit %3\n")
                               .arg(delaySeconds)
                               .arg(quoted)
                               .arg(status);
    return writeFile(path, script.toUtf8(), kExecutable);
}

}  // namespace pandle::testing
