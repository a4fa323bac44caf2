#include "reader/core/xlsx_workbook.h"

#include <xlsxwriter.h>

#include <QTemporaryDir>

#include "common/atomic_file.h"
#include "reader/core/csv_text.h"

namespace tarrow {
namespace {

/// Largest workbook read back for the atomic replace.
constexpr std::size_t kMaxWorkbookBytes = std::size_t(1) << 31;

bool writeTable(lxw_workbook* book, const XlsxTable& table) {
    const QByteArray name = table.name.toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(book, name.constData());
    if (sheet == nullptr) return false;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const QStringList& row = table.rows[r];
        for (qsizetype c = 0; c < row.size(); ++c) {
            const QString& field = row.at(c);
            if (field.isEmpty()) continue;
            const bool text =
                int(r) < table.frozenRows ||
                (std::size_t(c) < table.textColumns.size() && table.textColumns[std::size_t(c)]) ||
                !isPlainNumber(field);
            const auto rowIndex = lxw_row_t(r);
            const auto colIndex = lxw_col_t(c);
            const lxw_error status =
                text ? worksheet_write_string(sheet, rowIndex, colIndex, field.toUtf8().constData(),
                                              nullptr)
                     : worksheet_write_number(sheet, rowIndex, colIndex, field.toDouble(), nullptr);
            if (status != LXW_NO_ERROR) return false;
        }
    }
    worksheet_freeze_panes(sheet, lxw_row_t(table.frozenRows), lxw_col_t(table.frozenColumns));
    return true;
}

}  // namespace

bool isPlainNumber(const QString& field) {
    qsizetype i = field.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype digitsStart = i;
    while (i < field.size() && field.at(i).isDigit() && field.at(i).unicode() < 128) ++i;
    const qsizetype digits = i - digitsStart;
    if (digits == 0 || (digits > 1 && field.at(digitsStart) == QLatin1Char('0'))) return false;
    // Up to 15 digits survive a double unchanged.
    if (digits > 15) return false;
    if (i == field.size()) return true;
    if (field.at(i) != QLatin1Char('.')) return false;
    const qsizetype fractionStart = ++i;
    while (i < field.size() && field.at(i).isDigit() && field.at(i).unicode() < 128) ++i;
    return i == field.size() && i > fractionStart;
}

std::vector<QStringList> rowsOfLines(const QStringList& lines) {
    std::vector<QStringList> rows;
    rows.reserve(std::size_t(lines.size()));
    for (const QString& line : lines) rows.push_back(splitFields(line));
    return rows;
}

bool writeXlsxWorkbook(const QString& path, const std::vector<XlsxTable>& tables, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = path + QStringLiteral(": ") + why;
        return false;
    };
    QTemporaryDir scratch;
    if (!scratch.isValid()) return fail(QStringLiteral("no temporary folder"));
    const QByteArray temp = scratch.filePath(QStringLiteral("book.xlsx")).toUtf8();
    const QByteArray tempDir = scratch.path().toUtf8();
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(tempDir.constData());
    lxw_workbook* book = workbook_new_opt(temp.constData(), &options);
    if (book == nullptr) return fail(QStringLiteral("the workbook could not be started"));
    bool ok = true;
    for (const XlsxTable& table : tables) ok = ok && writeTable(book, table);
    const lxw_error closed = workbook_close(book);  // frees the workbook in every case
    if (!ok) return fail(QStringLiteral("a sheet could not be written"));
    if (closed != LXW_NO_ERROR) return fail(QString::fromUtf8(lxw_strerror(closed)));
    std::string reason;
    const auto bytes =
        velmora::readWholeFile(toFsPath(QString::fromUtf8(temp)), kMaxWorkbookBytes, &reason);
    if (!bytes) return fail(QString::fromStdString(reason));
    if (!velmora::writeFileAtomically(toFsPath(path), *bytes, &reason)) {
        return fail(QString::fromStdString(reason));
    }
    return true;
}

}  // namespace tarrow
