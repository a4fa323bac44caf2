// Line files as the reading application writes them: CP932 text, CR LF after
// every line (the last included), fields joined by "," with no quoting. Also
// the join rule that ties runs of "+" / "-" key columns into one field, and
// the transposition used by the "transpose" option.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <vector>

#include "common/line_text.h"

namespace tarrow {

/// The line end of every file the application writes.
using velmora::kCrLf;

/// Text to CP932 bytes; a character CP932 cannot express becomes "?".
QByteArray encodeCp932(const QString& text);

/// CP932 bytes to text. Never fails: bytes that are not valid CP932 become
/// U+FFFD. `clean` (when given) tells whether every byte decoded.
QString decodeCp932(const QByteArray& bytes, bool* clean = nullptr);

/// Every line followed by CR LF, encoded as CP932.
QByteArray encodeLines(const QStringList& lines);

/// Splits decoded text into lines at CR LF, a lone LF or a lone CR. A final
/// line end does not start another (empty) line.
QStringList splitLines(const QString& text);

/// Splits a line at every "," (empty fields kept; an empty line is one empty
/// field).
QStringList splitFields(const QString& line);

/// Builds one line from fields.
inline QString joinFields(const QStringList& fields) {
    return fields.join(QLatin1Char(','));
}

/// Transposes lines of fields: output line c holds field c of every input
/// line, in line order. The table is as wide as the longest line; shorter
/// lines give empty cells.
QStringList transposeLines(const QStringList& lines);

/// The same for lines already split into fields.
QStringList transposeRows(const std::vector<QStringList>& rows);

/// The join rule for one output line. Feed the columns in order; each call
/// returns the field to write for that column.
class JoinCarry {
public:
    /// `key` and `nextKey` are the key cells of this column and of the next
    /// one (empty past the last question). Inside a run of equal "+" or "-"
    /// keys the value is carried and an empty field written; the run's last
    /// column gets the carried values followed by its own.
    QString field(const QString& key, const QString& nextKey, const QString& value);

private:
    QString carried_;
};

/// A path for the standard library's file functions (UTF-8 on Linux).
std::filesystem::path toFsPath(const QString& path);

/// Writes the lines (CP932, CR LF) through a temporary file, so a failure
/// leaves an existing file intact. Returns false with a one-line `error`.
bool writeLinesAtomically(const QString& path, const QStringList& lines, QString* error = nullptr);

/// One file of writeLineFilesAtomically.
struct LineFile {
    QString path;
    QStringList lines;
};

/// Writes files that belong together (CP932, CR LF): all go to temporary
/// files first and are renamed over their targets only when every one is
/// complete, so a failure leaves all the old files. `failedPath` (when
/// given) receives the path of the file that failed.
bool writeLineFilesAtomically(const std::vector<LineFile>& files, QString* error = nullptr,
                              QString* failedPath = nullptr);

/// Reads a CP932 line file. Returns false with `error` when it cannot be read.
bool readLines(const QString& path, QStringList* lines, QString* error = nullptr);

/// Rewrites a written file transposed (see transposeLines), atomically.
bool transposeFileInPlace(const QString& path, QString* error = nullptr);

}  // namespace tarrow
