#include "reader/core/input_list.h"

#include <QDir>
#include <QFileInfo>

#include "common/line_text.h"

namespace tarrow {

QStringList focusedFirstToEnd(QStringList paths) {
    if (paths.size() > 1 && paths.constFirst() > paths.constLast()) {
        paths.append(paths.takeFirst());
    }
    return paths;
}

QStringList expandDroppedPaths(const QStringList& paths) {
    QStringList entries;
    for (const QString& path : focusedFirstToEnd(paths)) {
        if (!QFileInfo(path).isDir()) {
            entries << path;
            continue;
        }
        const QDir folder(path);
        const QStringList names =
            folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString& name : names) entries << folder.filePath(name);
    }
    return entries;
}

QString inputListLines(const QStringList& entries) {
    QString text;
    for (const QString& entry : entries) text += entry + u'\n';
    return text;
}

QString inputListWithCrLf(const QString& boxText) {
    return QString::fromStdString(velmora::withCrLfLineEnds(boxText.toStdString()));
}

QString droppedDefinition(const QString& current, const QStringList& paths, const QString& text,
                          bool hasText) {
    if (!paths.isEmpty()) return paths.constFirst();
    if (hasText) return text;
    return current;
}

}  // namespace tarrow
