// The result grid of a large batch on the offscreen platform: pointer hits
// on narrow columns, frozen header rows and label column while scrolling,
// the totals column after scoring, and the review status after re-colouring.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "reader/core/review_navigation.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"
#include "reader/ui/result_table_model.h"
#include "reader/ui/result_window.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;
using tarrow::testing::ScriptedPrompter;

/// `sheets` sheets of `questions` questions, every answer "1" with density
/// 9.0 except question 2 of every fifth sheet (density 1.0: doubtful).
void fillLargeTable(AppContext& context, int sheets, int questions) {
    ResultTable& table = context.table;
    table.initMarks(QString());
    QStringList values, densities, counts;
    for (int q = 0; q < questions; ++q) {
        values << u"1"_s;
        densities << u"9.0"_s;
        counts << u"1"_s;
    }
    for (int s = 1; s <= sheets; ++s) {
        QStringList d = densities;
        if (s % 5 == 0) d[1] = u"1.0"_s;
        table.storeSheet(s, u"sheet%1.jpg"_s.arg(s, 3, 10, QChar(u'0')), values.join(u','),
                         d.join(u','), counts.join(u','), 0, 1, false);
        tarrow::testing::TableAccess::sheets(table) << u"/no/such/%1.jpg"_s.arg(s);
    }
    paintColor(table, ThresholdTexts::defaults(), PaintOptions{});
    table.setSaved(true);
}

class ResultGridTest : public ::testing::Test {
protected:
    void open(int sheets, int questions) {
        fillLargeTable(context_, sheets, questions);
        window_ = std::make_unique<ResultWindow>(context_, prompter_, prompter_);
        window_->setImageViewerHooks({[this](int row, int col) {
                                          crops_.push_back({row, col});
                                      },
                                      [] {}, [] { return false; }});
        window_->showResults();
        window_->resize(700, 500);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QApplication::processEvents();
    }
    void TearDown() override {
        context_.table.setSaved(true);
        window_.reset();
    }
    QTableView* grid() const { return window_->findChild<QTableView*>(u"Grid"_s); }
    QString cell(int row, int col) const { return context_.table.grid().text(row, col); }
    template <typename T>
    T* child(const QString& name) const {
        T* found = window_->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    AppContext context_;
    ScriptedPrompter prompter_;
    std::unique_ptr<ResultWindow> window_;
    std::vector<std::pair<int, int>> crops_;
};

TEST_F(ResultGridTest, ARightClickOnANarrowColumnEntersThatColumnWithoutScrolling) {
    open(10, 80);
    QTableView* view = grid();
    const int viewWidth = view->viewport()->width();
    for (const int scroll : {0, 7, view->horizontalScrollBar()->maximum()}) {
        view->horizontalScrollBar()->setValue(scroll);
        QApplication::processEvents();
        // Every key-row column on screen, at its first and last visible
        // pixel: the one cut by the grid's right edge included.
        for (int col = 1; col <= 80; ++col) {
            for (const bool lastPixel : {false, true}) {
                const QRect rect = view->visualRect(view->model()->index(1, col));
                const int x = lastPixel ? std::min(rect.right(), viewWidth - 1) : rect.left();
                if (x < std::max(rect.left(), 0) || x >= viewWidth) continue;
                const QString typed = QString::number(col);
                prompter_.inputs.push_back(typed);
                QTest::mouseClick(view->viewport(), Qt::RightButton, {},
                                  QPoint(x, rect.center().y()));
                ASSERT_EQ(cell(1, col), typed) << "scroll " << scroll << " x " << x;
                EXPECT_EQ(view->horizontalScrollBar()->value(), scroll);
                context_.table.setText(1, col, QString());
            }
        }
    }
    EXPECT_TRUE(prompter_.inputs.empty());
}

TEST_F(ResultGridTest, ScoringAddsATotalsColumnThatFollowsEdits) {
    open(10, 8);
    ResultTableModel* model = window_->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const int tableCols = context_.table.cols();
    EXPECT_EQ(model->columnCount(), tableCols);  // nothing scored yet

    context_.table.setText(ResultTable::kKeyRow, 1, u"1"_s);
    context_.table.setText(ResultTable::kKeyRow, 2, u"1"_s);
    context_.table.setText(ResultTable::kPointsRow, 2, u"2"_s);
    context_.table.setText(ResultTable::kKeyRow, 3, u"2"_s);  // nobody right
    child<QPushButton>(u"cmdColorScore"_s)->click();
    ASSERT_EQ(model->columnCount(), tableCols + 1);
    EXPECT_EQ(context_.table.cols(), tableCols);  // the table and its files keep their shape
    const int totals = model->totalsColumn();
    EXPECT_EQ(totals, tableCols);
    EXPECT_FALSE(grid()->isColumnHidden(totals));
    EXPECT_GT(grid()->columnWidth(totals), 0);
    const auto shown = [&](int row) { return model->index(row, totals).data().toString(); };
    EXPECT_EQ(shown(ResultTable::rowOfSheet(1)), u"3"_s);
    EXPECT_EQ(shown(ResultTable::rowOfSheet(9)), u"3"_s);
    EXPECT_EQ(shown(ResultTable::rowOfSheet(10)), u"1"_s);  // question 2 read blank
    EXPECT_TRUE(shown(ResultTable::kKeyRow).isEmpty());

    // A correction typed into sheet 1's question 2 (worth 2) lowers its total.
    grid()->setCurrentIndex(model->index(ResultTable::rowOfSheet(1), 2));
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_4);
    QTest::keyClick(child<QLineEdit>(u"txtEdit"_s), Qt::Key_Return);
    EXPECT_EQ(shown(ResultTable::rowOfSheet(1)), u"1"_s);
    // Nothing typed lands in the totals column.
    grid()->setCurrentIndex(model->index(ResultTable::rowOfSheet(2), totals));
    QTest::keyClick(grid(), Qt::Key_7);
    EXPECT_FALSE(child<QLineEdit>(u"txtEdit"_s)->isVisible());
    EXPECT_EQ(shown(ResultTable::rowOfSheet(2)), u"3"_s);

    // Taking the first sheet as the key keeps the column, recomputed.
    prompter_.answers.push_back(Prompter::Answer::Yes);
    child<QPushButton>(u"cmdAnswer"_s)->click();
    ASSERT_EQ(model->totalsColumn(), tableCols);
    EXPECT_EQ(context_.table.key(2), u"4"_s);
    // Now all eight questions are scored: seven right, question 2 ("4") not.
    EXPECT_EQ(shown(ResultTable::rowOfSheet(1)), u"7"_s);
}

TEST_F(ResultGridTest, TheReviewCountFollowsARecolouring) {
    open(10, 8);
    QLabel* status = child<QLabel>(u"lblStatus"_s);
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_F3);
    EXPECT_EQ(status->text(), reviewStatusText({1, 2}));  // sheets 5 and 10, question 2
    // Every mark now falls under the no-mark threshold: 80 red cells, the
    // current one (sheet 5, question 2) the 34th.
    QLineEdit* noMark = child<QLineEdit>(u"txtNoMarkValue"_s);
    noMark->setText(u"9.5"_s);
    QTest::keyClick(noMark, Qt::Key_Return);
    EXPECT_EQ(status->text(), reviewStatusText({34, 80}));
}

}  // namespace
}  // namespace tarrow
