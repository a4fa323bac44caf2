// Item analysis figures: a class of 10,000 students and 200 questions
// analysed (table to figures and CSV lines; target under 2 s) and its PDF
// report written (target under 5 s); the slips of 100 students for scale.
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "bench/bench_support.h"
#include "reader/core/analysis_files.h"
#include "reader/core/result_table.h"
#include "reader/report/analysis_report.h"
#include "reader/report/student_slips.h"

namespace {

constexpr int kStudents = 10000;
constexpr int kQuestions = 200;
constexpr int kChoices = 5;

/// A class whose stronger students answer right more often; every tenth
/// question is worth 2 points, one in fifty answers is blank.
void fillTable(tarrow::ResultTable& table) {
    table.initMarks(QString());
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> choice(1, kChoices);
    std::vector<int> key(kQuestions);
    for (int& k : key) k = choice(random);
    const QString reliability = QStringList(kQuestions, QStringLiteral("9.0")).join(u',');
    const QString marked = QStringList(kQuestions, QStringLiteral("1")).join(u',');
    for (int s = 1; s <= kStudents; ++s) {
        const double ability = unit(random);
        QStringList values;
        for (int q = 0; q < kQuestions; ++q) {
            const double r = unit(random);
            const int v =
                r < 0.02 ? -1 : (r < 0.3 + 0.6 * ability ? key[std::size_t(q)] : choice(random));
            values.append(QString::number(v));
        }
        table.storeSheet(s, QStringLiteral("s%1.jpg").arg(s), values.join(u','), reliability,
                         marked, 0, 0, false);
    }
    for (int q = 1; q <= kQuestions; ++q) {
        table.setText(tarrow::ResultTable::kKeyRow, q, QString::number(key[std::size_t(q - 1)]));
        if (q % 10 == 0) table.setText(tarrow::ResultTable::kPointsRow, q, QStringLiteral("2"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tarrow::ResultTable table;
    fillTable(table);
    tarrow::ItemAnalysis analysis;
    const double analyse = bench::medianSeconds(3, [&] {
        analysis = tarrow::analyseItems(tarrow::analysisInputOf(table));
        (void)tarrow::itemAnalysisLines(analysis);
    });
    std::printf("analysis of %d students x %d questions: %.3f s (target < 2 s)\n", kStudents,
                kQuestions, analyse);
    tarrow::AnalysisInput input;
    const double fromTable =
        bench::medianSeconds(3, [&] { input = tarrow::analysisInputOf(table); });
    const double figures = bench::medianSeconds(3, [&] { analysis = tarrow::analyseItems(input); });
    std::printf("  of which table to input %.3f s, figures %.3f s\n", fromTable, figures);
    std::printf("  KR-20 %s, mean %s\n",
                qPrintable(tarrow::summaryFields(analysis.summary)[6].text),
                qPrintable(tarrow::summaryFields(analysis.summary)[1].text));

    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("report.pdf"));
    bool ok = true;
    const double pdf = bench::medianSeconds(3, [&] {
        ok = ok && tarrow::writeAnalysisReport(analysis, QStringLiteral("bench"), report);
    });
    std::printf("PDF report of %d questions: %.3f s (target < 5 s), %lld bytes%s\n", kQuestions,
                pdf, static_cast<long long>(QFileInfo(report).size()), ok ? "" : " FAILED");

    tarrow::ItemAnalysis hundred = analysis;
    hundred.students.resize(100);
    const QString slips = dir.filePath(QStringLiteral("slips.pdf"));
    const double slipSeconds = bench::medianSeconds(
        1, [&] { ok = ok && tarrow::writeStudentSlips(hundred, QStringLiteral("bench"), slips); });
    std::printf("slips of 100 students x %d questions: %.3f s\n", kQuestions, slipSeconds);
    if (qEnvironmentVariableIsSet("ANALYSIS_BENCH_KEEP")) {
        QFile::copy(report, qEnvironmentVariable("ANALYSIS_BENCH_KEEP"));
    }
    return ok ? 0 : 1;
}
