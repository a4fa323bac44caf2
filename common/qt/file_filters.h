// File-dialog filters of the suite. The programs declare their filters in
// the Windows form "説明 (*.a;*.b)|*.a;*.b|説明2|*.c||": pairs of a shown
// description and ";"-separated patterns, joined by "|". Qt wants
// "説明 (*.a *.b);;説明2 (*.c)" and takes the patterns from the
// parentheses, so every dialog converts through toQtFileFilter().
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace velmora {

/// Every image the suite's decoders read, as ";"-joined patterns.
inline const QString kImageFilePatterns =
    QStringLiteral("*.jpg;*.jpeg;*.bmp;*.gif;*.png;*.tif;*.tiff");

/// One description and its patterns.
struct FileFilterEntry {
    QString description;
    QStringList patterns;
};

/// Splits a Windows-form filter into its entries. Patterns are trimmed,
/// empty ones dropped, "*.*" becomes "*"; an entry without patterns takes
/// the ones in its description's parentheses; a text without "|" is one
/// entry of that kind.
QList<FileFilterEntry> parseFileFilter(QStringView windowsFilter);

/// The filter as QFileDialog takes it: each entry as its description
/// (without a parenthesised pattern list of its own) followed by
/// " (patterns separated by spaces)", entries joined by ";;".
QString toQtFileFilter(QStringView windowsFilter);

}  // namespace velmora
