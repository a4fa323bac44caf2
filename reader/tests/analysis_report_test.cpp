// The analysis PDFs on their own: an empty class, a long test whose slips
// continue on a second page, and survey percentages; page counts through
// pdfinfo, text through pdftotext.
#include "reader/report/analysis_report.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "reader/core/item_analysis.h"
#include "reader/report/analysis_charts.h"
#include "reader/report/analysis_output.h"
#include "reader/report/student_slips.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;

std::optional<QString> run(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pages(const QString& pdf) {
    const auto info = run(u"pdfinfo"_s, {pdf});
    if (!info) return -1;
    for (const QString& line : info->split(u'\n')) {
        if (line.startsWith(u"Pages:"_s)) return line.mid(6).trimmed().toInt();
    }
    return -1;
}

/// `students` students answering `questions` questions with key 1; student
/// s answers right on every question whose number is a multiple of s.
AnalysisInput longTest(int students, int questions) {
    AnalysisInput in;
    for (int q = 1; q <= questions; ++q) {
        in.columns.push_back({QString::number(q), u"1"_s, QString(), false});
    }
    for (int s = 1; s <= students; ++s) {
        AnalysisSheet sheet{u"student%1.jpg"_s.arg(s), {}, {}, false, {}};
        for (int q = 1; q <= questions; ++q) sheet.values.append(q % s == 0 ? u"1"_s : u"2"_s);
        in.sheets.push_back(sheet);
    }
    return in;
}

TEST(AnalysisReport, EmptyClassStillGivesAReadableReport) {
    QTemporaryDir dir;
    AnalysisInput in = longTest(0, 3);
    in.sheets.push_back({u"failed.jpg"_s, QStringList(3, u"-1"_s), {}, true, {}});
    const AnalysisOutcome out =
        saveAnalysis(analyseItems(in), dir.filePath(u"empty.csv"_s), u"empty"_s, true);
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    ASSERT_EQ(out.written.size(), 3);
    EXPECT_GE(pages(out.written.at(1)), 1);
    const auto text = run(u"pdftotext"_s, {out.written.at(1), u"-"_s});
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->contains(u"読み取れなかったシート 1 件"_s));
    // No student: a slips file of one empty page, not a broken one.
    EXPECT_EQ(pages(out.written.at(2)), 1);
}

TEST(AnalysisReport, SlipsOfALongTestContinueOnTheNextPage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"slips.pdf"_s);
    ASSERT_TRUE(writeStudentSlips(analyseItems(longTest(2, 400)), u"long"_s, path));
    // 400 questions need two pages per student.
    EXPECT_EQ(pages(path), 4);
    const auto text = run(u"pdftotext"_s, {u"-f"_s, u"3"_s, u"-l"_s, u"3"_s, path, u"-"_s});
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->contains(u"student2.jpg"_s));
    ASSERT_TRUE(writeStudentSlips(analyseItems(longTest(2, 40)), u"short"_s, path));
    EXPECT_EQ(pages(path), 2);
}

TEST(AnalysisReport, ChartsOfTwoHundredQuestionsFillFifteenAPage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.pdf"_s);
    const ItemAnalysis a = analyseItems(longTest(3, 200));
    ASSERT_TRUE(writeAnalysisReport(a, u"long"_s, path));
    // 200 charts at 15 a page are 14 pages, after the summary and the
    // item table (which continues over several pages).
    const int total = pages(path);
    EXPECT_GE(total, 14 + 4);
    const auto last = run(u"pdftotext"_s, {u"-f"_s, QString::number(total), u"-l"_s,
                                           QString::number(total), path, u"-"_s});
    ASSERT_TRUE(last.has_value());
    EXPECT_TRUE(last->contains(u"設問200"_s));
    EXPECT_FALSE(last->contains(u"設問195"_s));
}

TEST(AnalysisReport, ChoiceChartMarksEveryAcceptedChoice) {
    ChoiceCounts counts;
    counts.choices = {3, 0, 2, 1};
    counts.noAnswer = 4;
    const BarChart chart = choiceChart(counts, 10, {1, 3});
    EXPECT_EQ(chart.captions, (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"無答"_s, u"複数"_s}));
    EXPECT_EQ(chart.key, (std::vector<char>{1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(chart.counts[4], 4);
    const BarChart bins = histogramChart({{0, 4, 2}, {5, 5, 1}});
    EXPECT_EQ(bins.captions, (QStringList{u"0-4"_s, u"5"_s}));
    EXPECT_EQ(bins.total, 3);
}

// Students with a number are named by it on their slip and listed by number
// in the report; a sheet without one keeps its file name and comes last.
TEST(AnalysisReport, StudentNumbersNameSlipsAndOrderTheReportList) {
    QTemporaryDir dir;
    AnalysisInput in = longTest(3, 4);
    in.sheets[0].number = u"0420"_s;
    in.sheets[2].number = u"0105"_s;
    const AnalysisOutcome out =
        saveAnalysis(analyseItems(in), dir.filePath(u"numbered.csv"_s), u"numbered"_s, true);
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    const auto slips = run(u"pdftotext"_s, {out.written.at(2), u"-"_s});
    ASSERT_TRUE(slips.has_value());
    EXPECT_TRUE(slips->contains(u"学籍番号: 0420"_s));
    EXPECT_TRUE(slips->contains(u"学籍番号: 0105"_s));
    EXPECT_EQ(slips->count(u"学籍番号"_s), 2);  // student2 has none
    const auto report = run(u"pdftotext"_s, {u"-layout"_s, out.written.at(1), u"-"_s});
    ASSERT_TRUE(report.has_value());
    const qsizetype list = report->indexOf(u"学籍番号順の合計点"_s);
    ASSERT_GE(list, 0);
    const qsizetype first = report->indexOf(u"0105"_s, list);
    const qsizetype second = report->indexOf(u"0420"_s, list);
    const qsizetype none = report->indexOf(u"（なし）"_s, list);
    EXPECT_TRUE(first > list && second > first && none > second) << report->toStdString();

    // Without numbers the report has no such list.
    const AnalysisOutcome plain =
        saveAnalysis(analyseItems(longTest(3, 4)), dir.filePath(u"plain.csv"_s), u"p"_s, false);
    ASSERT_TRUE(plain.ok);
    const auto plainText = run(u"pdftotext"_s, {plain.written.at(1), u"-"_s});
    ASSERT_TRUE(plainText.has_value());
    EXPECT_FALSE(plainText->contains(u"学籍番号"_s));
}

}  // namespace
}  // namespace tarrow
