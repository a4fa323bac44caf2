// The result grid of a large batch on the offscreen platform: pointer hits
// on narrow columns, frozen header rows and label column while scrolling,
// the totals column after scoring, and the review status after re-colouring.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"
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

}  // namespace
}  // namespace tarrow
