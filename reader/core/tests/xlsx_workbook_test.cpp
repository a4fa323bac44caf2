#include "reader/core/xlsx_workbook.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "reader/core/result_workbook.h"
#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

TEST(XlsxWorkbook, OnlyPlainDecimalsBecomeNumbers) {
    for (const QString& number : {u"0"_s, u"7"_s, u"-1"_s, u"66.7"_s, u"-0.500"_s, u"100"_s}) {
        EXPECT_TRUE(isPlainNumber(number)) << number.toStdString();
    }
    // Leading zeros (joined numbers), blanks, signs alone, half numbers,
    // full-width digits and exponents stay text.
    for (const QString& text : {u"07"_s, u"0123"_s, u"1 3"_s, u"-"_s, u""_s, u"1."_s, u".5"_s,
                                u"１"_s, u"1e3"_s, u"+1"_s, u"1234567890123456"_s}) {
        EXPECT_FALSE(isPlainNumber(text)) << text.toStdString();
    }
}

TEST(XlsxWorkbook, ResultSheetsKeepJoinedNumbersAsTextAndLeaveTheTableAlone) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, u"a.jpg"_s, u"0,7,2"_s, u"9.0,9.0,9.0"_s, u"1,1,1"_s, 0, 0, false);
    tarrow::testing::TableAccess::sheets(table) << u"/scans/a.jpg"_s;
    table.setText(ResultTable::kKeyRow, 1, u"+"_s);
    table.setText(ResultTable::kKeyRow, 2, u"+"_s);
    table.setText(ResultTable::kKeyRow, 3, u"2"_s);
    const std::vector<XlsxTable> sheets = resultSheets(table);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, u"読取値"_s);
    EXPECT_EQ(sheets[1].name, u"採点値"_s);
    EXPECT_EQ(sheets[0].frozenRows, 3);
    EXPECT_EQ(sheets[0].frozenColumns, 1);
    EXPECT_EQ(sheets[0].rows.at(3), (QStringList{u"a.jpg"_s, QString(), u"07"_s, u"2"_s}));
    EXPECT_EQ(sheets[0].textColumns, (std::vector<bool>{false, true, true, false}));
    // The score lines fill empty points cells with "1" - in a copy only.
    EXPECT_EQ(table.text(ResultTable::kPointsRow, 3), QString());
    // Without a scored question there is no score sheet.
    table.setText(ResultTable::kKeyRow, 3, QString());
    EXPECT_EQ(resultSheets(table).size(), 1u);
}

TEST(XlsxWorkbook, WritesAZipAndReplacesOnlyWhenComplete) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"book.xlsx"_s);
    QString error;
    const XlsxTable table{u"表"_s, {{u"列番号"_s, u"1"_s}, {u"a.jpg"_s, u"66.7"_s}}, 1, 1, {}};
    ASSERT_TRUE(writeXlsxWorkbook(path, {table}, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(4), QByteArray("PK\x03\x04", 4));
    file.close();

    // A sheet name the format refuses: the old workbook stays.
    const auto before = QFileInfo(path).size();
    const XlsxTable bad{u"a/b"_s, {{u"x"_s}}, 1, 0, {}};
    EXPECT_FALSE(writeXlsxWorkbook(path, {bad}, &error));
    EXPECT_TRUE(error.startsWith(path));
    EXPECT_EQ(QFileInfo(path).size(), before);
    EXPECT_FALSE(writeXlsxWorkbook(dir.filePath(u"no/such/book.xlsx"_s), {table}, &error));
}

}  // namespace
}  // namespace tarrow
