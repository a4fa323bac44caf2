#include "reader/core/csv_text.h"

#include <QFile>
#include <algorithm>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/line_text.h"
#include "common/text_codec.h"

namespace tarrow {

namespace {

const QLatin1StringView kJoinPlus("+");
const QLatin1StringView kJoinMinus("-");

}  // namespace

QByteArray encodeCp932(const QString& text) {
    return QByteArray::fromStdString(velmora::utf8ToCp932Replacing(text.toStdString()));
}

QString decodeCp932(const QByteArray& bytes, bool* clean) {
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    return QString::fromStdString(velmora::cp932ToUtf8Replacing(view, clean));
}

QByteArray encodeLines(const QStringList& lines) {
    std::vector<std::string> utf8;
    utf8.reserve(std::size_t(lines.size()));
    for (const QString& line : lines) utf8.push_back(line.toStdString());
    return QByteArray::fromStdString(velmora::utf8ToCp932Replacing(velmora::joinCrLfLines(utf8)));
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    for (const std::string& line : velmora::splitLines(text.toStdString())) {
        lines.append(QString::fromStdString(line));
    }
    return lines;
}

QStringList splitFields(const QString& line) {
    return line.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

QStringList transposeLines(const QStringList& lines) {
    std::vector<QStringList> rows;
    rows.reserve(std::size_t(lines.size()));
    for (const QString& line : lines) rows.push_back(splitFields(line));
    return transposeRows(rows);
}

QStringList transposeRows(const std::vector<QStringList>& rows) {
    qsizetype width = 0;
    for (const QStringList& row : rows) width = std::max(width, row.size());
    QStringList out;
    out.reserve(width);
    for (qsizetype c = 0; c < width; ++c) {
        QStringList column;
        column.reserve(qsizetype(rows.size()));
        for (const QStringList& row : rows) column.append(c < row.size() ? row.at(c) : QString());
        out.append(joinFields(column));
    }
    return out;
}

QString JoinCarry::field(const QString& key, const QString& nextKey, const QString& value) {
    const bool plusRun = key == kJoinPlus && nextKey == kJoinPlus;
    const bool minusRun = key == kJoinMinus && nextKey == kJoinMinus;
    if (plusRun || minusRun) {
        carried_ += value;
        return QString();
    }
    if (key == kJoinPlus || key == kJoinMinus) {
        QString joined = carried_ + value;
        carried_.clear();
        return joined;
    }
    return value;
}

std::filesystem::path toFsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool writeLinesAtomically(const QString& path, const QStringList& lines, QString* error) {
    const QByteArray bytes = encodeLines(lines);
    std::string reason;
    if (velmora::writeFileAtomically(toFsPath(path),
                                     std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                     &reason)) {
        return true;
    }
    if (error) *error = QString::fromStdString(reason);
    return false;
}

bool writeLineFilesAtomically(const std::vector<LineFile>& files, QString* error,
                              QString* failedPath) {
    std::vector<QByteArray> bytes;
    std::vector<velmora::FileContent> contents;
    bytes.reserve(files.size());
    for (const LineFile& file : files) {
        bytes.push_back(encodeLines(file.lines));
        contents.push_back(
            {toFsPath(file.path),
             std::string_view(bytes.back().constData(), std::size_t(bytes.back().size()))});
    }
    std::string reason;
    std::size_t failed = 0;
    if (velmora::writeFilesAtomically(contents, &reason, &failed)) return true;
    if (error) *error = QString::fromStdString(reason);
    if (failedPath) *failedPath = files.at(failed).path;
    return false;
}

bool readLines(const QString& path, QStringList* lines, QString* error) {
    const auto bytes = velmora::readWholeFile(toFsPath(path));
    if (!bytes) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    *lines = splitLines(decodeCp932(QByteArray::fromStdString(*bytes)));
    return true;
}

bool transposeFileInPlace(const QString& path, QString* error) {
    QStringList lines;
    if (!readLines(path, &lines, error)) return false;
    return writeLinesAtomically(path, transposeLines(lines), error);
}

}  // namespace tarrow
