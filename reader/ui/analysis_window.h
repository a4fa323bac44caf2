// The window "分析" (frmAnalysis): the item analysis of the result table.
// With a key: the summary, the histogram of totals, the item table
// (sortable, flags coloured) and the choice chart of the question clicked,
// which also moves the result grid to that question's column; buttons save
// the report PDF, the slips PDF, the item CSV and a workbook of the
// read values, scores and analysis. Without a key: the survey
// counts and percentages (アンケート集計), saved as PDF and CSV.
#pragma once

#include <QDialog>
#include <functional>

#include "reader/core/item_analysis.h"
#include "reader/core/prompter.h"
#include "reader/core/xlsx_workbook.h"

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace tarrow {

class BarChartWidget;

class AnalysisWindow final : public QDialog {
    Q_OBJECT
public:
    /// `jumpToColumn` receives the table column of a question clicked. The
    /// prompter asks for file names and shows failures; it must outlive the
    /// window.
    AnalysisWindow(Prompter& prompter, std::function<void(int column)> jumpToColumn,
                   QWidget* parent);

    /// Shows `analysis`; `source` names the data in the PDF headings.
    void showAnalysis(ItemAnalysis analysis, const QString& source);
    const ItemAnalysis& analysis() const { return analysis_; }
    /// The sheets of the result table that go into the workbook before the
    /// analysis sheet (none when unset).
    void setResultSheets(std::function<std::vector<XlsxTable>()> sheets);

private:
    void fillItems();
    void fillSurvey();
    void showQuestion(int index);
    void saveReport();
    void saveSlips();
    void saveCsv();
    void saveWorkbook();
    /// Asks for a file name with `filter` and writes it with `write`
    /// (which returns false with an error); failures are shown.
    void saveWith(const QString& filter, const QString& suffix,
                  const std::function<bool(const QString&, QString*)>& write);

    Prompter& prompter_;
    std::function<void(int)> jumpToColumn_;
    ItemAnalysis analysis_;
    QString source_;
    QLabel* lblSummary_ = nullptr;
    BarChartWidget* histogram_ = nullptr;
    BarChartWidget* choices_ = nullptr;
    QTableView* items_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QPushButton* cmdSaveReport_ = nullptr;
    QPushButton* cmdSaveSlips_ = nullptr;
    QPushButton* cmdSaveCsv_ = nullptr;
    std::function<std::vector<XlsxTable>()> resultSheets_;
};

}  // namespace tarrow
