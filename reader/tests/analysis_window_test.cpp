// The analysis window opened from the result window on the offscreen
// platform: the item table and its sorting, the flags, a question's chart
// and the jump to its column, saving the PDFs (checked with pdfinfo and
// pdftotext) and the survey view without a key.
#include "reader/ui/analysis_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"
#include "reader/ui/bar_chart_widget.h"
#include "reader/ui/result_window.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;
using tarrow::testing::ScriptedPrompter;

/// Output of a poppler tool, or nullopt when it is missing or fails.
std::optional<QString> poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pageCount(const QString& pdf) {
    const auto info = poppler(u"pdfinfo"_s, {pdf});
    if (!info) return -1;
    for (const QString& line : info->split(u'\n')) {
        if (line.startsWith(u"Pages:"_s)) return line.mid(6).trimmed().toInt();
    }
    return -1;
}

/// Four sheets, three questions: q1 key 1 (everybody right), q2 key 2
/// (right for the first two), q3 key 3 worth 2 (right for the third);
/// the fifth sheet failed.
void fillTable(ResultTable& table, bool withKey) {
    table.initMarks(QString());
    const QStringList values{u"1,2,1"_s, u"1,2,4"_s, u"1,1,3"_s, u"1,3,4"_s};
    for (int s = 1; s <= 4; ++s) {
        table.storeSheet(s, u"s%1.jpg"_s.arg(s), values.at(s - 1), u"9.0,9.0,9.0"_s, u"1,1,1"_s, 0,
                         0, false);
        tarrow::testing::TableAccess::sheets(table) << u"/no/such/s%1.jpg"_s.arg(s);
    }
    table.recordErrorRow(5, u"s5.jpg"_s);
    tarrow::testing::TableAccess::sheets(table) << u"/no/such/s5.jpg"_s;
    table.markFailedSheets();
    if (withKey) {
        table.setText(ResultTable::kKeyRow, 1, u"1"_s);
        table.setText(ResultTable::kKeyRow, 2, u"2"_s);
        table.setText(ResultTable::kKeyRow, 3, u"3"_s);
        table.setText(ResultTable::kPointsRow, 3, u"2"_s);
    }
    table.setSaved(true);
}

class AnalysisWindowTest : public ::testing::Test {
protected:
    void open(bool withKey) {
        fillTable(context_.table, withKey);
        window_ = std::make_unique<ResultWindow>(context_, prompter_, prompter_);
        window_->showResults();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        window_->findChild<QPushButton*>(u"cmdAnalysis"_s)->click();
        analysis_ = window_->findChild<AnalysisWindow*>(u"frmAnalysis"_s);
        ASSERT_NE(analysis_, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(analysis_));
    }
    void TearDown() override {
        context_.table.setSaved(true);
        window_.reset();
    }
    QTableView* items() const { return analysis_->findChild<QTableView*>(u"grdItems"_s); }
    QString itemText(int row, int col) const {
        return items()->model()->index(row, col).data().toString();
    }
    void clickItem(int row) {
        const QRect r = items()->visualRect(items()->model()->index(row, 0));
        QTest::mouseClick(items()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

    AppContext context_;
    ScriptedPrompter prompter_;
    std::unique_ptr<ResultWindow> window_;
    AnalysisWindow* analysis_ = nullptr;
    QTemporaryDir dir_;
};

TEST_F(AnalysisWindowTest, ItemTableSortsByNumberAndFlagsAreColoured) {
    open(true);
    ASSERT_EQ(items()->model()->rowCount(), 3);
    EXPECT_EQ(itemText(0, 4), u"100.0"_s);
    EXPECT_EQ(itemText(1, 4), u"50.0"_s);
    EXPECT_EQ(itemText(2, 4), u"25.0"_s);
    EXPECT_EQ(itemText(0, 9), u"易しすぎる・識別力が低い"_s);
    const auto* model = qobject_cast<QStandardItemModel*>(items()->model());
    EXPECT_EQ(model->item(0, 9)->foreground().color(), QColor(200, 0, 0));
    // Text order would put "100.0" before "25.0"; numbers sort as numbers.
    items()->sortByColumn(4, Qt::AscendingOrder);
    EXPECT_EQ(itemText(0, 4), u"25.0"_s);
    EXPECT_EQ(itemText(2, 4), u"100.0"_s);
    EXPECT_TRUE(analysis_->findChild<QLabel*>(u"lblSummary"_s)
                    ->text()
                    .contains(u"読み取れなかったシート 1 件"_s));
    // A picture for the manual (people look at it; the checks are above).
    const QString folder = QStringLiteral(VELMORA_BINARY_DIR "/artifacts");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(analysis_->grab().save(folder + u"/tarrow-analysis.png"_s));
}

TEST_F(AnalysisWindowTest, ClickingAQuestionShowsItsChartAndMovesTheGrid) {
    open(true);
    items()->sortByColumn(4, Qt::AscendingOrder);  // q3 (column 3) first
    clickItem(0);
    const auto* chart = analysis_->findChild<BarChartWidget*>(u"picChoices"_s);
    EXPECT_TRUE(chart->caption().startsWith(u"設問3"_s));
    // Choices 1, 3, 4 were read once, twice, ...: 1:1, 3:1, 4:2; key 3.
    ASSERT_EQ(chart->chart().counts.size(), 6u);  // 4 choices, 無答, 複数
    EXPECT_EQ(chart->chart().counts[3], 2);
    EXPECT_EQ(chart->chart().key[2], 1);
    const QTableView* grid = window_->findChild<QTableView*>(u"Grid"_s);
    EXPECT_EQ(grid->currentIndex().column(), 3);
    EXPECT_GE(grid->currentIndex().row(), ResultTable::kFirstSheetRow);
}

TEST_F(AnalysisWindowTest, SavedReportAndSlipsArePdfsWithJapaneseText) {
    open(true);
    prompter_.saveFiles = {path(u"report.pdf"_s), path(u"slips.pdf"_s), path(u"items.csv"_s),
                           path(u"book.xlsx"_s)};
    analysis_->findChild<QPushButton*>(u"cmdSaveReport"_s)->click();
    analysis_->findChild<QPushButton*>(u"cmdSaveSlips"_s)->click();
    analysis_->findChild<QPushButton*>(u"cmdSaveCsv"_s)->click();
    analysis_->findChild<QPushButton*>(u"cmdSaveXlsx"_s)->click();
    EXPECT_TRUE(prompter_.messages.empty()) << prompter_.messageTexts().join(u'|').toStdString();
    // Summary page with the item table, one page of charts.
    EXPECT_EQ(pageCount(path(u"report.pdf"_s)), 2);
    const auto text = poppler(u"pdftotext"_s, {path(u"report.pdf"_s), u"-"_s});
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->contains(u"設問分析レポート"_s));
    EXPECT_TRUE(text->contains(u"易しすぎる"_s));
    // One slip per read sheet: the failed one has none.
    EXPECT_EQ(pageCount(path(u"slips.pdf"_s)), 4);
    const auto slips = poppler(u"pdftotext"_s, {path(u"slips.pdf"_s), u"-"_s});
    ASSERT_TRUE(slips.has_value());
    EXPECT_TRUE(slips->contains(u"s3.jpg"_s)) << slips->toStdString();
    EXPECT_FALSE(slips->contains(u"s5.jpg"_s));
    const auto fonts = poppler(u"pdffonts"_s, {path(u"report.pdf"_s)});
    ASSERT_TRUE(fonts.has_value());
    EXPECT_TRUE(fonts->contains(u"CJK"_s));
    EXPECT_TRUE(QFileInfo::exists(path(u"items.csv"_s)));
    EXPECT_GT(QFileInfo(path(u"book.xlsx"_s)).size(), 0);
}

TEST_F(AnalysisWindowTest, ExistingFileIsKeptWhenTheUserDeclines) {
    open(true);
    QFile existing(path(u"kept.pdf"_s));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    prompter_.saveFiles = {path(u"kept.pdf"_s)};
    prompter_.answers = {Prompter::Answer::No};
    analysis_->findChild<QPushButton*>(u"cmdSaveReport"_s)->click();
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(QFileInfo(path(u"kept.pdf"_s)).size(), 3);
}

TEST_F(AnalysisWindowTest, WithoutAKeyTheWindowCountsASurvey) {
    open(false);
    EXPECT_EQ(analysis_->windowTitle(), u"分析 - アンケート集計"_s);
    EXPECT_FALSE(analysis_->findChild<QPushButton*>(u"cmdSaveSlips"_s)->isVisible());
    ASSERT_EQ(items()->model()->rowCount(), 3);
    // Column 2: choices 2, 2, 1, 3 of four answers.
    EXPECT_EQ(itemText(1, 4), u"1 (25.0%)"_s);
    EXPECT_EQ(itemText(1, 5), u"2 (50.0%)"_s);
    prompter_.saveFiles = {path(u"survey.pdf"_s)};
    analysis_->findChild<QPushButton*>(u"cmdSaveReport"_s)->click();
    const auto text = poppler(u"pdftotext"_s, {path(u"survey.pdf"_s), u"-"_s});
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->contains(u"アンケート集計"_s));
}

}  // namespace
}  // namespace tarrow
