// Tables saved as an .xlsx workbook, one sheet per table, for spreadsheets
// that open CP932 CSV files as mojibake. Text stays Unicode; a field that is
// a plain decimal number ("12", "-1", "66.7"; not "07" or "1 3") is written
// as a number, except in the frozen header rows and in columns marked as
// text (joined numbers such as "0123" keep their zeros). The header rows and
// columns are frozen. The workbook is built in a private temporary folder
// and then replaces the target atomically.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tarrow {

struct XlsxTable {
    QString name;  ///< sheet name (at most 31 characters, none of []:*?/\)
    std::vector<QStringList> rows;
    int frozenRows = 1;
    int frozenColumns = 0;
    std::vector<bool> textColumns;  ///< index c true: column c always text
};

/// Is `field` written as a number: an optional "-", digits without a
/// leading zero (or a single 0), and optionally "." and digits.
bool isPlainNumber(const QString& field);

/// Writes the tables to `path`. False with a one-line `error` on failure.
bool writeXlsxWorkbook(const QString& path, const std::vector<XlsxTable>& tables,
                       QString* error = nullptr);

/// The rows of CSV lines (split at ",").
std::vector<QStringList> rowsOfLines(const QStringList& lines);

}  // namespace tarrow
