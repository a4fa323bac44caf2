#include "reader/ui/analysis_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "reader/core/analysis_files.h"
#include "reader/core/csv_text.h"
#include "reader/core/item_flags.h"
#include "reader/core/result_workbook.h"
#include "reader/core/save_results.h"
#include "reader/report/analysis_report.h"
#include "reader/report/student_slips.h"
#include "reader/ui/bar_chart_widget.h"

namespace tarrow {

using namespace Qt::StringLiterals;

namespace {

constexpr int kHistogramBins = 20;
/// Sort key of a cell (numbers sort as numbers) and the analysis index of a
/// row (on its first cell).
constexpr int kSortRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;
/// Sort key of an empty figure: below every real value.
constexpr double kNoValue = -1e9;
const QColor kFlagText(200, 0, 0);
const QColor kFlagBackground(255, 225, 225);
const QString kPdfFilter = u"PDFファイル(*.pdf)|*.pdf"_s;
const QString kCsvFilter = u"csvファイル(*.csv)|*.csv"_s;
const QString kXlsxFilter = u"Excelブック(*.xlsx)|*.xlsx"_s;

QStandardItem* cell(const QString& text, double sortKey) {
    auto* item = new QStandardItem(text);
    item->setData(sortKey, kSortRole);
    item->setEditable(false);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QStandardItem* textCell(const QString& text) {
    auto* item = new QStandardItem(text);
    item->setData(text, kSortRole);
    item->setEditable(false);
    return item;
}

QString summaryText(const TestSummary& s) {
    QStringList parts;
    for (const SummaryField& f : summaryFields(s)) parts.append(f.label + u" "_s + f.text);
    return parts.join(u"　"_s) +
           u"\n読み取れなかったシート %1 件は集計から除いています。"_s.arg(s.failedSheets);
}

}  // namespace

AnalysisWindow::AnalysisWindow(Prompter& prompter, std::function<void(int)> jumpToColumn,
                               QWidget* parent)
    : QDialog(parent), prompter_(prompter), jumpToColumn_(std::move(jumpToColumn)) {
    setObjectName(u"frmAnalysis"_s);
    setWindowTitle(u"分析"_s);
    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(u"lblSummary"_s);
    histogram_ = new BarChartWidget("picHistogram", this);
    choices_ = new BarChartWidget("picChoices", this);
    model_ = new QStandardItemModel(this);
    model_->setSortRole(kSortRole);
    items_ = new QTableView(this);
    items_->setObjectName(u"grdItems"_s);
    items_->setModel(model_);
    items_->setSortingEnabled(true);
    items_->setSelectionBehavior(QAbstractItemView::SelectRows);
    items_->setSelectionMode(QAbstractItemView::SingleSelection);
    items_->verticalHeader()->hide();
    cmdSaveReport_ = new QPushButton(u"レポートPDF保存"_s, this);
    cmdSaveReport_->setObjectName(u"cmdSaveReport"_s);
    cmdSaveSlips_ = new QPushButton(u"個人票PDF保存"_s, this);
    cmdSaveSlips_->setObjectName(u"cmdSaveSlips"_s);
    cmdSaveCsv_ = new QPushButton(u"CSV保存"_s, this);
    cmdSaveCsv_->setObjectName(u"cmdSaveCsv"_s);
    auto* saveXlsx = new QPushButton(u"Excel保存"_s, this);
    saveXlsx->setObjectName(u"cmdSaveXlsx"_s);
    saveXlsx->setToolTip(u"読取値・採点値・分析を1つの.xlsxブックに保存する"_s);
    auto* close = new QPushButton(u"閉じる"_s, this);
    close->setObjectName(u"cmdClose"_s);

    auto* charts = new QHBoxLayout;
    charts->addWidget(histogram_, 1);
    charts->addWidget(choices_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSaveReport_);
    buttons->addWidget(cmdSaveSlips_);
    buttons->addWidget(cmdSaveCsv_);
    buttons->addWidget(saveXlsx);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary_);
    layout->addLayout(charts);
    layout->addWidget(items_, 1);
    layout->addLayout(buttons);
    resize(880, 640);

    connect(cmdSaveReport_, &QPushButton::clicked, this, &AnalysisWindow::saveReport);
    connect(cmdSaveSlips_, &QPushButton::clicked, this, &AnalysisWindow::saveSlips);
    connect(cmdSaveCsv_, &QPushButton::clicked, this, &AnalysisWindow::saveCsv);
    connect(saveXlsx, &QPushButton::clicked, this, &AnalysisWindow::saveWorkbook);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(items_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        showQuestion(model_->index(index.row(), 0).data(kIndexRole).toInt());
    });
}

void AnalysisWindow::showAnalysis(ItemAnalysis analysis, const QString& source) {
    analysis_ = std::move(analysis);
    source_ = source;
    model_->clear();
    items_->sortByColumn(-1, Qt::AscendingOrder);
    const bool key = analysis_.hasKey();
    setWindowTitle(key ? u"分析"_s : u"分析 - アンケート集計"_s);
    cmdSaveSlips_->setVisible(key);
    histogram_->setVisible(key);
    if (key) {
        lblSummary_->setText(summaryText(analysis_.summary));
        histogram_->setChart(histogramChart(histogramOf(analysis_, kHistogramBins)), u"得点分布"_s);
        fillItems();
    } else {
        lblSummary_->setText(u"アンケート集計: 回答 %1 件（読み取れなかったシート %2 件を除く）"_s
                                 .arg(analysis_.summary.students)
                                 .arg(analysis_.summary.failedSheets));
        fillSurvey();
    }
    items_->resizeColumnsToContents();
    choices_->setChart({}, QString());
    if (model_->rowCount() > 0) showQuestion(0);
    show();
    raise();
    activateWindow();
}

void AnalysisWindow::fillItems() {
    model_->setHorizontalHeaderLabels({u"設問"_s, u"列"_s, u"正答"_s, u"配点"_s, u"正答率"_s,
                                       u"識別指数"_s, u"点双列相関"_s, u"無答"_s, u"複数"_s,
                                       u"判定"_s});
    for (std::size_t i = 0; i < analysis_.items.size(); ++i) {
        const ItemStats& it = analysis_.items[i];
        const QString flags = flagsText(it);
        QList<QStandardItem*> row{
            cell(QString::number(it.number), it.number),
            cell(it.header, it.column),
            textCell(it.key),
            cell(QString::number(it.points), it.points),
            cell(rateText(it), it.students ? it.rate() : kNoValue),
            cell(discriminationText(it), it.groupSize ? it.discrimination() : kNoValue),
            cell(pointBiserialText(it), it.pointBiserial.value_or(kNoValue)),
            cell(QString::number(it.counts.noAnswer), it.counts.noAnswer),
            cell(QString::number(it.counts.several), it.counts.several),
            textCell(flags)};
        row.front()->setData(int(i), kIndexRole);
        if (!flags.isEmpty()) {
            row.back()->setForeground(kFlagText);
            for (QStandardItem* c : row) c->setBackground(kFlagBackground);
        }
        model_->appendRow(row);
    }
}

void AnalysisWindow::fillSurvey() {
    QStringList headers{u"列"_s, u"人数"_s, u"無答"_s, u"複数"_s};
    for (int k = 1; k <= analysis_.maxChoice; ++k) headers.append(u"選択%1"_s.arg(k));
    model_->setHorizontalHeaderLabels(headers);
    for (std::size_t i = 0; i < analysis_.survey.size(); ++i) {
        const SurveyQuestion& q = analysis_.survey[i];
        const auto share = [&](int n) {
            const QString percent =
                q.students ? fixedRatio(std::int64_t(n) * 100, q.students, 1) : QString();
            return cell(u"%1 (%2%)"_s.arg(n).arg(percent), n);
        };
        QList<QStandardItem*> row{cell(q.header, q.column), cell(QString::number(q.students), 0),
                                  share(q.counts.noAnswer), share(q.counts.several)};
        for (const int n : q.counts.choices) row.append(share(n));
        row.front()->setData(int(i), kIndexRole);
        model_->appendRow(row);
    }
}

void AnalysisWindow::showQuestion(int index) {
    if (analysis_.hasKey()) {
        if (index < 0 || std::size_t(index) >= analysis_.items.size()) return;
        const ItemStats& it = analysis_.items[std::size_t(index)];
        choices_->setChart(choiceChart(it.counts, it.students, it.keyChoices),
                           u"設問%1（列 %2） 正答 %3"_s.arg(it.number).arg(it.header, it.key));
        if (jumpToColumn_) jumpToColumn_(it.column);
        return;
    }
    if (index < 0 || std::size_t(index) >= analysis_.survey.size()) return;
    const SurveyQuestion& q = analysis_.survey[std::size_t(index)];
    BarChart chart = choiceChart(q.counts, q.students, {});
    chart.percent = true;
    choices_->setChart(std::move(chart), u"列 %1"_s.arg(q.header));
    if (jumpToColumn_) jumpToColumn_(q.column);
}

void AnalysisWindow::saveWith(const QString& filter, const QString& suffix,
                              const std::function<bool(const QString&, QString*)>& write) {
    const QString path = prompter_.chooseSaveFile(filter, suffix);
    if (path.isEmpty() || !confirmOverwrite(prompter_, path)) return;
    QString error;
    if (!write(path, &error)) {
        prompter_.message(u"ファイルを保存できませんでした。\r\n"_s + error,
                          Prompter::Icon::Warning);
    }
}

void AnalysisWindow::saveReport() {
    saveWith(kPdfFilter, u"pdf"_s, [this](const QString& path, QString* error) {
        return analysis_.hasKey() ? writeAnalysisReport(analysis_, source_, path, error)
                                  : writeSurveyReport(analysis_, source_, path, error);
    });
}

void AnalysisWindow::saveSlips() {
    if (!analysis_.hasKey()) return;
    saveWith(kPdfFilter, u"pdf"_s, [this](const QString& path, QString* error) {
        return writeStudentSlips(analysis_, source_, path, error);
    });
}

void AnalysisWindow::saveCsv() {
    saveWith(kCsvFilter, u"csv"_s, [this](const QString& path, QString* error) {
        const QStringList lines =
            analysis_.hasKey() ? itemAnalysisLines(analysis_) : surveyLines(analysis_);
        return writeLinesAtomically(path, lines, error);
    });
}

void AnalysisWindow::setResultSheets(std::function<std::vector<XlsxTable>()> sheets) {
    resultSheets_ = std::move(sheets);
}

void AnalysisWindow::saveWorkbook() {
    saveWith(kXlsxFilter, u"xlsx"_s, [this](const QString& path, QString* error) {
        std::vector<XlsxTable> sheets = resultSheets_ ? resultSheets_() : std::vector<XlsxTable>{};
        sheets.push_back(analysisSheet(analysis_));
        return writeXlsxWorkbook(path, sheets, error);
    });
}

}  // namespace tarrow
