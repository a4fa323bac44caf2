// The result grid of a large batch on the offscreen platform: pointer hits
// on narrow columns, frozen header rows and label column while scrolling,
// the totals column after scoring, and the review status after re-colouring.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
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
        window_->setFileOpener([this](const QString& path) {
            opened_ << path;
            return true;
        });
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
    QStringList opened_;
};

/// The widget drawn at `point` of the grid's viewport and the point in its
/// own coordinates: what a real click there would hit.
std::pair<QWidget*, QPoint> hitAt(QTableView* grid, QPoint point) {
    QWidget* window = grid->window();
    const QPoint inWindow = grid->viewport()->mapTo(window, point);
    QWidget* hit = window->childAt(inWindow);
    return {hit, hit ? hit->mapFrom(window, inWindow) : QPoint()};
}

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

TEST_F(ResultGridTest, HeaderRowsAndLabelColumnStayOnScreenWhileScrolling) {
    open(600, 30);
    QTableView* view = grid();
    const int rowHeight = view->rowHeight(0);
    const int labelWidth = view->columnWidth(0);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    QApplication::processEvents();
    ASSERT_GT(view->verticalScrollBar()->value(), 500);
    ASSERT_GT(view->horizontalScrollBar()->value(), 0);

    // Drawn: the question-number row keeps its header grey across the top,
    // the label column down the left, where the sheets' white cells would be.
    const QImage shot = view->grab().toImage();
    const QPoint origin = view->viewport()->geometry().topLeft();
    const QRgb grey = ResultTableModel::kHeaderBackground;
    EXPECT_EQ(shot.pixel(origin + QPoint(labelWidth + 40, 1)), grey);
    EXPECT_EQ(shot.pixel(origin + QPoint(2, 5 * rowHeight + 1)), grey);
    EXPECT_NE(shot.pixel(origin + QPoint(labelWidth + 40, 5 * rowHeight + 1)), grey);

    // A right-click on the key row, where it is drawn, enters the key of the
    // column shown there, far to the right.
    const int farColumn = 28;
    const QPoint keyPoint(
        view->columnViewportPosition(farColumn) + view->columnWidth(farColumn) / 2,
        rowHeight + rowHeight / 2);
    auto [hit, local] = hitAt(view, keyPoint);
    ASSERT_NE(hit, nullptr);
    auto* shownIn = qobject_cast<QTableView*>(hit->parentWidget());
    ASSERT_NE(shownIn, nullptr);
    const QModelIndex keyCell = shownIn->indexAt(local);
    EXPECT_EQ(keyCell.row(), ResultTable::kKeyRow);
    EXPECT_EQ(keyCell.column(), farColumn);
    prompter_.inputs.push_back(u"2"_s);
    QTest::mouseClick(hit, Qt::RightButton, {}, local);
    EXPECT_EQ(cell(ResultTable::kKeyRow, keyCell.column()), u"2"_s);
    EXPECT_GT(view->verticalScrollBar()->value(), 500);  // nothing jumped back to the top

    // The points row takes typed digits in its in-place editor, drawn over
    // the frozen cell.
    const QModelIndex pointsCell = view->model()->index(ResultTable::kPointsRow, keyCell.column());
    view->setCurrentIndex(pointsCell);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_5);
    auto* editor = child<QLineEdit>(u"txtEdit"_s);
    ASSERT_TRUE(editor->isVisible());
    const QRect drawn = shownIn->visualRect(pointsCell);
    EXPECT_EQ(editor->geometry().topLeft(),
              shownIn->viewport()->mapTo(window_.get(), drawn.topLeft()));
    EXPECT_LT(editor->geometry().top(),
              view->viewport()->mapTo(window_.get(), QPoint(0, 3 * rowHeight)).y());
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(cell(ResultTable::kPointsRow, keyCell.column()), u"5"_s);

    // A click on a file name in the frozen column opens that sheet's image.
    const QPoint labelPoint(5, view->viewport()->height() / 2);
    auto [labelHit, labelLocal] = hitAt(view, labelPoint);
    ASSERT_NE(labelHit, nullptr);
    auto* labelView = qobject_cast<QTableView*>(labelHit->parentWidget());
    ASSERT_NE(labelView, nullptr);
    const QModelIndex label = labelView->indexAt(labelLocal);
    EXPECT_EQ(label.column(), 0);
    EXPECT_GT(label.row(), 500);
    QTemporaryDir dir;
    const QString image = dir.filePath(u"scan.jpg"_s);
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    tarrow::testing::TableAccess::sheets(context_.table)[ResultTable::sheetOfRow(label.row()) - 1] =
        image;
    QTest::mouseClick(labelHit, Qt::LeftButton, {}, labelLocal);
    EXPECT_EQ(opened_, QStringList{image});

    // Walking up and left never leaves the cursor under the frozen parts.
    const int topRow = view->verticalScrollBar()->value() + 3;
    view->setCurrentIndex(view->model()->index(topRow, 10));
    for (int step = 0; step < 3; ++step) {
        QTest::keyClick(view, Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_Left);
        const QModelIndex at = view->currentIndex();
        EXPECT_GE(view->rowViewportPosition(at.row()), 3 * rowHeight) << step;
        EXPECT_GE(view->columnViewportPosition(at.column()), labelWidth) << step;
    }
}

TEST_F(ResultGridTest, NoCaptionIsClippedInANarrowWindow) {
    open(10, 8);
    for (const int width : {1000, 800, 640}) {
        window_->resize(width, 480);
        QApplication::processEvents();
        for (QWidget* w : window_->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(w);
            auto* button = qobject_cast<QPushButton*>(w);
            if (!w->isVisible() || (!label && !button) || w->objectName() == u"lblStatus"_s) {
                continue;
            }
            const std::string name = w->objectName().toStdString() + " at " + std::to_string(width);
            if (label && label->wordWrap()) {
                EXPECT_GE(w->height(), label->heightForWidth(w->width())) << name;
            } else {
                EXPECT_GE(w->width(), w->sizeHint().width()) << name;
            }
            // Inside the window and clear of the grid.
            EXPECT_LE(w->mapTo(window_.get(), QPoint(0, w->height())).y(), window_->height())
                << name;
            const QRect inWindow(w->mapTo(window_.get(), QPoint(0, 0)), w->size());
            EXPECT_FALSE(inWindow.intersects(grid()->geometry())) << name;
        }
    }
}

TEST_F(ResultGridTest, FirstOpeningFillsTheScreensAvailableHeight) {
    fillLargeTable(context_, 3, 5);
    ASSERT_FALSE(context_.settings.formHeightTwips.has_value());
    window_ = std::make_unique<ResultWindow>(context_, prompter_, prompter_);
    window_->showResults();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    const QRect area = window_->screen()->availableGeometry();
    const int frame = window_->frameGeometry().height() - window_->height();
    EXPECT_EQ(window_->frameGeometry().top(), area.top());
    EXPECT_EQ(window_->height() + frame, area.height());
}

}  // namespace
}  // namespace tarrow
