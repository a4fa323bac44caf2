#include "common/qt/file_filters.h"

#include <QRegularExpression>

namespace velmora {
namespace {

// A trailing "(…)" in a description: the patterns the Windows form shows.
const QRegularExpression& trailingParentheses() {
    static const QRegularExpression re(QStringLiteral("\\s*\\(([^()]*)\\)\\s*$"));
    return re;
}

QStringList splitPatterns(QStringView text) {
    QStringList patterns;
    for (QStringView piece : text.split(QRegularExpression(QStringLiteral("[;\\s]+")))) {
        const QString pattern = piece.trimmed().toString();
        if (pattern.isEmpty()) continue;
        patterns.append(pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    return patterns;
}

}  // namespace

QList<FileFilterEntry> parseFileFilter(QStringView windowsFilter) {
    const QList<QStringView> parts = windowsFilter.split(u'|');
    QList<FileFilterEntry> entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed().toString();
        if (description.isEmpty()) continue;  // the closing "||"
        const QRegularExpressionMatch shown = trailingParentheses().match(description);
        QStringList patterns = i + 1 < parts.size() ? splitPatterns(parts[i + 1]) : QStringList();
        if (patterns.isEmpty() && shown.hasMatch()) patterns = splitPatterns(shown.captured(1));
        if (shown.hasMatch()) description.truncate(shown.capturedStart());
        entries.append(
            {description, patterns.isEmpty() ? QStringList{QStringLiteral("*")} : patterns});
    }
    return entries;
}

QString toQtFileFilter(QStringView windowsFilter) {
    QStringList filters;
    for (const FileFilterEntry& entry : parseFileFilter(windowsFilter))
        filters.append(entry.description + QStringLiteral(" (") + entry.patterns.join(u' ') + u')');
    return filters.join(QStringLiteral(";;"));
}

}  // namespace velmora
