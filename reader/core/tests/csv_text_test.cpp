#include "reader/core/csv_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "reader/core/tests/file_bytes.h"

namespace tarrow {
namespace {

using testing::fileBytes;
using testing::putBytes;

TEST(CsvText, EncodesLinesAsCp932WithCrLfAfterEveryLine) {
    const QByteArray bytes = encodeLines({QStringLiteral("列番号,1,*2"), QStringLiteral("ｱ")});
    EXPECT_EQ(bytes, QByteArray::fromHex("97f194d48d86") + ",1,*2\r\n" + QByteArray("\xb1\r\n"));
    EXPECT_EQ(encodeLines({}), QByteArray());
    EXPECT_EQ(encodeLines({QString()}), QByteArray("\r\n"));
}

// Characters typed on this platform that CP932 holds under another code
// point (wave dash, minus sign, yen sign) keep their CP932 bytes; one that
// CP932 cannot hold is one "?"; control bytes pass unchanged.
TEST(CsvText, EncodesPlatformTextWithoutSubstitutes) {
    const QString text = QStringLiteral("1\u301C5,\u2212,\u00A5") + QChar(0x7F);
    EXPECT_EQ(encodeLines({text, QStringLiteral("a\U0001F600b")}),
              QByteArray("1\x81\x60"
                         "5,\x81\x7C,\x5C\x7F\r\na?b\r\n"));
}

TEST(CsvText, DecodesCp932AndToleratesBrokenBytes) {
    bool clean = false;
    EXPECT_EQ(decodeCp932(QByteArray::fromHex("90b3939a93fc97cd"), &clean),
              QStringLiteral("正答入力"));
    EXPECT_TRUE(clean);
    const QString broken = decodeCp932(QByteArray("ab\x81", 3), &clean);
    EXPECT_FALSE(clean);
    EXPECT_TRUE(broken.startsWith(QStringLiteral("ab")));
    const QString inner = decodeCp932(QByteArray("\x81 x\xff", 4), &clean);
    EXPECT_FALSE(clean);
    EXPECT_TRUE(inner.contains(QLatin1Char('x')));
}

TEST(CsvText, SplitsLinesAtEveryLineEndWithoutATrailingEmptyLine) {
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\nc\rd\r\n")), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\nb")), QStringList({"a", "", "b"}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
    EXPECT_EQ(splitFields(QStringLiteral(",a,")), QStringList({"", "a", ""}));
    EXPECT_EQ(splitFields(QString()), QStringList({""}));
}

TEST(CsvText, TransposesToTheLongestLinePaddingShortOnes) {
    EXPECT_EQ(transposeLines({"a,b,c", "d", "e,f"}), QStringList({"a,d,e", "b,,f", "c,,"}));
    EXPECT_EQ(transposeLines({"x"}), QStringList({"x"}));
    EXPECT_TRUE(transposeLines({}).isEmpty());
}

QStringList joined(const QStringList& keys, const QStringList& values) {
    JoinCarry carry;
    QStringList out;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString next = i + 1 < keys.size() ? keys.at(i + 1) : QString();
        out << carry.field(keys.at(i), next, values.at(i));
    }
    return out;
}

TEST(CsvText, JoinRuleTiesRunsOfPlusOrMinusKeys) {
    // "+" in columns 2..4: fields 2 and 3 empty, field 4 holds "123".
    EXPECT_EQ(joined({"3", "+", "+", "+", ""}, {"9", "1", "2", "3", "5"}),
              QStringList({"9", "", "", "123", "5"}));
    // A "-" run straight after a "+" run gives two joined fields.
    EXPECT_EQ(joined({"+", "+", "-", "-"}, {"1", "2", "3", "4"}),
              QStringList({"", "12", "", "34"}));
    // A lone marker column, and a run ending at the last question.
    EXPECT_EQ(joined({"+", "", "-", "-"}, {"7", "8", "5", "6"}), QStringList({"7", "8", "", "56"}));
    // Multi-answer values are carried with their blanks.
    EXPECT_EQ(joined({"+", "+"}, {"1 3", "-1"}), QStringList({"", "1 3-1"}));
}

class CsvFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
};

TEST_F(CsvFileTest, WritesReadsAndTransposesAFileInPlace) {
    const QString file = path(QStringLiteral("t.csv"));
    ASSERT_TRUE(writeLinesAtomically(file, {"列番号,1,2", "正答入力,3", "a.jpg,1,2"}));
    QStringList lines;
    ASSERT_TRUE(readLines(file, &lines));
    EXPECT_EQ(lines, QStringList({"列番号,1,2", "正答入力,3", "a.jpg,1,2"}));
    ASSERT_TRUE(transposeFileInPlace(file));
    EXPECT_EQ(fileBytes(file), encodeLines({"列番号,正答入力,a.jpg", "1,3,1", "2,,2"}));
    QString error;
    EXPECT_FALSE(readLines(path(QStringLiteral("missing.csv")), &lines, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(CsvFileTest, FailedWriteReportsAndKeepsTheOldFile) {
    QString error;
    EXPECT_FALSE(writeLinesAtomically(path(QStringLiteral("no/such/dir/x.csv")), {"a"}, &error));
    EXPECT_FALSE(error.isEmpty());

    // A name so long that no temporary name fits beside it: the write fails
    // even for root, and the file already there must survive.
    const QString longName = path(QString(250, QLatin1Char('n')));
    putBytes(longName, "old\r\n");
    EXPECT_FALSE(writeLinesAtomically(longName, {"new"}, &error));
    EXPECT_EQ(fileBytes(longName), QByteArray("old\r\n"));

    if (geteuid() != 0) {
        const QString locked = path(QStringLiteral("locked"));
        ASSERT_TRUE(QDir().mkpath(locked));
        const QString kept = locked + QStringLiteral("/k.csv");
        putBytes(kept, "old\r\n");
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(writeLinesAtomically(kept, {"new"}, &error));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(fileBytes(kept), QByteArray("old\r\n"));
    }
}

}  // namespace
}  // namespace tarrow
