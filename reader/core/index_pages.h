// The image-area index pages written into the crop folder after a run: one
// HTML page per image area of the definition ("index_000.html", ...), listing
// every sheet's crop of that area beside its label and two comment boxes.
// CP932 with CR LF, as the page's meta tag declares.
#pragma once

#include <QString>
#include <QStringList>

namespace tarrow {

/// Escapes "&", "<", ">" and '"' as entities, and writes characters that
/// CP932 cannot express as numeric references, so file names show (and link)
/// as they are and never become markup.
QString htmlEscape(const QString& text);

/// The image label of a sheet: base name, ".", extension (no folder).
QString imageLabel(const QString& imagePath);

/// The lines of page `page` for the given sheet image paths (without line
/// ends; the title and the script start share the second line).
QStringList indexPageLines(int page, const QStringList& sheetPaths);

/// Page file name "index_%03d.html".
QString indexPageName(int page);

/// Writes one page per [IMAGEAREA] line of `definitionPath` into
/// `cropFolder`, each replacing an existing file atomically. Returns false
/// with a one-line `error` at the first page that could not be written
/// (earlier pages stay). `pagesWritten` receives the count written.
bool writeIndexPages(const QString& definitionPath, const QString& cropFolder,
                     const QStringList& sheetPaths, int* pagesWritten = nullptr,
                     QString* error = nullptr);

}  // namespace tarrow
