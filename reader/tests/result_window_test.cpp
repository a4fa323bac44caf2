// The result window driven through its object names on the offscreen
// platform, with the scripted prompter answering every question.
#include "reader/ui/result_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>

#include "common/qt/desktop_open.h"
#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"
#include "reader/ui/result_table_model.h"

namespace tarrow {
namespace {

using namespace Qt::StringLiterals;
using tarrow::testing::ScriptedPrompter;

constexpr int kQuestions = 5;
constexpr int kFailedRow = 5;

/// Three sheets of five questions: sheet 1 with one faint and one missing
/// mark, sheet 2 clean, sheet 3 failed; coloured as a run leaves them.
void fillTable(AppContext& context) {
    ResultTable& table = context.table;
    table.initMarks(QString());
    table.storeSheet(1, u"a.jpg"_s, u"1,2,3,4,5"_s, u"9.0,2.5,1.5,9.0,9.0"_s, u"1,1,1,1,1"_s, 0, 2,
                     false);
    table.storeSheet(2, u"b.jpg"_s, u"2,2,3,3,1"_s, u"9.0,9.0,9.0,9.0,9.0"_s, u"1,1,1,1,1"_s, 0, 1,
                     false);
    table.recordErrorRow(3, u"c.jpg"_s);
    table.markFailedSheets();
    tarrow::testing::TableAccess::sheets(table)
        << u"/no/such/a.jpg"_s << u"/no/such/b.jpg"_s << u"/no/such/c.jpg"_s;
    paintColor(table, ThresholdTexts::defaults(), PaintOptions{});
    table.setSaved(true);
}

class ResultWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fillTable(context_);
        window_ = std::make_unique<ResultWindow>(context_, prompter_, prompter_);
        window_->setFileOpener([this](const QString& path) {
            opened_ << path;
            return true;
        });
        window_->setImageViewerHooks({[this](int row, int col) {
                                          crops_.push_back({row, col});
                                      },
                                      [this] { viewerVisible_ = false; },
                                      [this] { return viewerVisible_; }});
        window_->showResults();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    void TearDown() override {
        context_.table.setSaved(true);
        window_.reset();
    }

    template <typename T>
    T* child(const QString& name) const {
        T* found = window_->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QTableView* grid() const { return child<QTableView>(u"Grid"_s); }
    QLineEdit* editor() const { return child<QLineEdit>(u"txtEdit"_s); }
    QString status() const { return child<QLabel>(u"lblStatus"_s)->text(); }
    QString cell(int row, int col) const { return context_.table.grid().text(row, col); }
    QString measurement(int row, int col) const { return context_.table.reli().text(row, col); }
    PaletteColour colour(int row, int col) const { return context_.table.grid().colour(row, col); }

    void select(int row, int col) {
        grid()->setCurrentIndex(grid()->model()->index(row, col));
        grid()->setFocus();
    }
    QPoint centreOf(int row, int col) const {
        return grid()->visualRect(grid()->model()->index(row, col)).center();
    }
    void click(int row, int col, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(grid()->viewport(), button, modifiers, centreOf(row, col));
    }
    void clickButton(const QString& name) { child<QPushButton>(name)->click(); }

    AppContext context_;
    ScriptedPrompter prompter_;
    std::unique_ptr<ResultWindow> window_;
    QStringList opened_;
    std::vector<std::pair<int, int>> crops_;
    bool viewerVisible_ = true;
};

// ------------------------------------------------------------------ model

TEST(ResultTableModel, StaysConsistentThroughCellAndShapeChanges) {
    AppContext context;
    fillTable(context);
    ResultTableModel model(context.table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.columnCount(), kQuestions + 3);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    context.table.setText(3, 2, u"4"_s);
    context.table.setText(4, 4, u"1"_s);
    EXPECT_FALSE(model.refresh());
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), model.index(3, 2));
    EXPECT_EQ(changed[0][1].value<QModelIndex>(), model.index(4, 4));
    EXPECT_EQ(model.data(model.index(3, 2)).toString(), u"4"_s);

    EXPECT_FALSE(model.refresh());  // nothing new: no signal
    EXPECT_EQ(changed.size(), 1);

    context.table.removeSheetRow(3);
    EXPECT_TRUE(model.refresh());
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(model.rowCount(), 5);

    context.table.setColumnWidth(2, 42);  // same size, new width
    EXPECT_TRUE(model.refresh());
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(changed.size(), 2);
}

TEST(ResultTableModel, ShowsPaletteColoursAndHeaderCells) {
    AppContext context;
    fillTable(context);
    ResultTableModel model(context.table);
    const auto background = [&](int row, int col) {
        return model.data(model.index(row, col), Qt::BackgroundRole).value<QColor>();
    };
    EXPECT_EQ(background(3, 3), QColor(255, 0, 0));    // no mark
    EXPECT_EQ(background(3, 2), QColor(0, 255, 255));  // faint mark
    EXPECT_EQ(background(4, 1), QColor(255, 255, 255));
    EXPECT_EQ(background(kFailedRow, 0), QColor(255, 0, 0));  // failed sheet's label
    EXPECT_EQ(background(0, 1), QColor::fromRgb(ResultTableModel::kHeaderBackground));
    EXPECT_EQ(background(3, 0), QColor::fromRgb(ResultTableModel::kHeaderBackground));
    EXPECT_TRUE(model.data(model.index(0, 1), Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model.data(model.index(3, 1), Qt::FontRole).isValid());
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), u"正答入力"_s);
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal).isValid());
    EXPECT_FALSE(model.flags(model.index(3, 0)) & Qt::ItemIsEditable);
}

TEST(ResultTableModel, EditsOneCellThroughSetData) {
    AppContext context;
    fillTable(context);
    ResultTableModel model(context.table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto editable = [&](int row, int col) {
        return bool(model.flags(model.index(row, col)) & Qt::ItemIsEditable);
    };
    // Question columns below the header, key row included; not the header,
    // the label column or the rotation column right after the last question.
    EXPECT_TRUE(editable(ResultTable::kKeyRow, 1));
    EXPECT_TRUE(editable(3, kQuestions));
    EXPECT_FALSE(editable(3, kQuestions + 1));
    EXPECT_FALSE(editable(ResultTable::kHeaderRow, 1));
    EXPECT_FALSE(editable(3, 0));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_FALSE(model.setData(model.index(ResultTable::kHeaderRow, 1), u"7"_s));
    EXPECT_FALSE(model.setData(model.index(3, kQuestions + 1), u"7"_s));
    EXPECT_FALSE(model.setData(model.index(3, 2), u"7"_s, Qt::DisplayRole));
    EXPECT_FALSE(model.setData(model.index(3, 0), QVariant(), ResultTableModel::ClearRole));
    EXPECT_EQ(changed.size(), 0);
    EXPECT_TRUE(context.table.saved());

    // A typed value: that cell alone, no measurement behind it, unsaved.
    ASSERT_TRUE(model.setData(model.index(3, 3), u"4"_s));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), model.index(3, 3));
    EXPECT_EQ(changed[0][1].value<QModelIndex>(), model.index(3, 3));
    EXPECT_EQ(model.data(model.index(3, 3)).toString(), u"4"_s);
    EXPECT_EQ(context.table.measurement(3, 3), ResultTable::kNoMeasurement);
    EXPECT_FALSE(context.table.saved());

    // Cleared: the text goes, the reading behind it stays. The last column
    // (skew) may be cleared though not edited.
    const QString reading = context.table.measurement(4, 2);
    ASSERT_TRUE(model.setData(model.index(4, 2), QVariant(), ResultTableModel::ClearRole));
    EXPECT_EQ(model.data(model.index(4, 2)).toString(), QString());
    EXPECT_EQ(context.table.measurement(4, 2), reading);
    EXPECT_TRUE(
        model.setData(model.index(4, kQuestions + 2), QVariant(), ResultTableModel::ClearRole));
    EXPECT_EQ(changed.size(), 3);
    // The edits took their own changes: nothing is left for a refresh.
    EXPECT_FALSE(model.refresh());
    EXPECT_EQ(changed.size(), 3);
}

TEST(ResultTableModel, InputDialogPartsGoThroughSetDataOneCellEach) {
    AppContext context;
    fillTable(context);
    ResultTableModel model(context.table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ResultTable& table = context.table;
    ASSERT_NE(table.doubt(3, 2), strovik::ReviewKind::None);  // faint
    ASSERT_NE(table.doubt(3, 3), strovik::ReviewKind::None);  // no mark
    const QString noMarkReading = table.measurement(3, 3);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const auto part = ResultTableModel::InputPartRole;
    EXPECT_FALSE(model.setData(model.index(ResultTable::kHeaderRow, 2), u"1"_s, part));
    EXPECT_FALSE(model.setData(model.index(3, 0), u"1"_s, part));
    EXPECT_FALSE(model.setData(model.index(3, kQuestions + 1), u"1"_s, part));
    EXPECT_EQ(changed.size(), 0);
    EXPECT_TRUE(table.saved());

    ASSERT_TRUE(model.setData(model.index(3, 2), u"2"_s, part));
    ASSERT_TRUE(model.setData(model.index(3, 3), u"+"_s, part));
    ASSERT_EQ(changed.size(), 2);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(changed[k][0].value<QModelIndex>(), model.index(3, 2 + k));
        EXPECT_EQ(changed[k][1].value<QModelIndex>(), model.index(3, 2 + k));
    }
    // The value is reviewed as a typed one; the join marker leaves the
    // reading and its doubt alone.
    EXPECT_TRUE(table.isReviewed(3, 2));
    EXPECT_EQ(table.doubt(3, 2), strovik::ReviewKind::None);
    EXPECT_EQ(table.measurement(3, 2), ResultTable::kNoMeasurement);
    EXPECT_EQ(model.data(model.index(3, 2), Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_FALSE(table.isReviewed(3, 3));
    EXPECT_NE(table.doubt(3, 3), strovik::ReviewKind::None);
    EXPECT_EQ(table.measurement(3, 3), noMarkReading);
    EXPECT_EQ(model.data(model.index(3, 3)).toString(), u"+"_s);
    EXPECT_FALSE(table.saved());
    EXPECT_FALSE(model.refresh());
    EXPECT_EQ(changed.size(), 2);
}

TEST(ResultTableModel, KeyEditThroughSetDataUpdatesTheTotals) {
    AppContext context;
    fillTable(context);
    ResultTableModel model(context.table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_TRUE(model.setData(model.index(ResultTable::kKeyRow, 1), u"1"_s));
    ASSERT_TRUE(model.showTotals());
    const int totals = model.totalsColumn();
    ASSERT_EQ(totals, kQuestions + 3);
    EXPECT_EQ(model.data(model.index(3, totals)).toString(), u"1"_s);  // sheet 1 answered 1

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(model.setData(model.index(ResultTable::kKeyRow, 1), u"2"_s));
    EXPECT_EQ(model.data(model.index(3, totals)).toString(), u"0"_s);
    EXPECT_EQ(model.data(model.index(4, totals)).toString(), u"1"_s);  // sheet 2 answered 2
    const bool totalsTold = std::any_of(changed.begin(), changed.end(), [&](const auto& args) {
        return args[0].template value<QModelIndex>().column() == totals;
    });
    EXPECT_TRUE(totalsTold);
}

// ------------------------------------------------------- names, captions

TEST_F(ResultWindowTest, CarriesTheNamesCaptionsAndTooltipsOfTheWindow) {
    EXPECT_EQ(window_->objectName(), u"frmDetail"_s);
    EXPECT_EQ(window_->windowTitle(), u"結果表示"_s);
    const std::vector<std::array<QString, 3>> buttons = {
        {u"cmdAnswer"_s, u"正答画像読込"_s, u"1行目のｽｷｬﾝ画像を正答入力画像として扱う"_s},
        {u"cmdScore"_s, u"配点画像読込"_s, u"1行目のｽｷｬﾝ画像を配点入力画像として扱う"_s},
        {u"cmdColorScore"_s, u"正誤色分け表示"_s, u"正解答を黄色、誤解答を朱色で色分け表示する"_s},
        {u"btnCount"_s, u"回答別集計"_s,
         u"回答別集計ﾌｧｲﾙの出力。全設問について、回答毎の人数を集計します"_s},
        {u"cmdSave"_s, u"結果保存"_s,
         u"読取値・採点値を保存（採点値は正答が入力されている場合のみ保存されます）"_s},
        {u"cmdClose"_s, u"閉じる"_s, QString()},
        {u"btnFilenameConv"_s, u"ﾌｧｲﾙ名変換"_s, u"読取値に応じた画像ファイル名に一括変換"_s},
        {u"cmdUpdate"_s, u"濃度色分け表示"_s,
         u"現在のﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値に応じて色分け表示する"_s},
        {u"cmdReset"_s, u"リセット"_s,
         u"ﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値などの読取設定を初期化する"_s},
    };
    for (const auto& [name, caption, tip] : buttons) {
        QPushButton* button = child<QPushButton>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), caption) << name.toStdString();
        EXPECT_EQ(button->toolTip(), tip) << name.toStdString();
    }
    EXPECT_EQ(child<QLineEdit>(u"txtNoMarkValue"_s)->toolTip(),
              u"マーク無しと判定する濃度しきい値（ﾃﾞﾌｫﾙﾄ=2.0）"_s);
    EXPECT_EQ(child<QLineEdit>(u"txtMultiRange"_s)->toolTip(),
              u"しきい値ﾄﾞｯﾄ数に近い要注意ﾏｰｸを色分け （ﾃﾞﾌｫﾙﾄ=±50ﾄﾞｯﾄ以内を色分け）"_s);
    EXPECT_EQ(child<QLabel>(u"lblHelp"_s)->text(), ResultWindow::kHelpText);
    EXPECT_EQ(child<QLabel>(u"lblPlusMinus"_s)->text(), u"±"_s);
}

TEST_F(ResultWindowTest, ShowsTheTableWithItsWidthsAndStartsOnTheFirstSheet) {
    QTableView* view = grid();
    EXPECT_EQ(view->model()->rowCount(), 6);
    // At least the table's widths, and room for what the column shows.
    EXPECT_GE(view->columnWidth(0), ResultTable::kLabelWidth);
    EXPECT_GE(view->columnWidth(1), 18);
    const QFontMetrics metrics = view->fontMetrics();
    for (int row = 0; row < view->model()->rowCount(); ++row)
        EXPECT_GT(view->columnWidth(0), metrics.horizontalAdvance(cell(row, 0))) << row;
    EXPECT_GT(view->columnWidth(1), metrics.horizontalAdvance(u"-1"_s));
    EXPECT_TRUE(view->isColumnHidden(kQuestions + 1));  // rotation flag
    EXPECT_FALSE(view->isColumnHidden(kQuestions + 2));
    EXPECT_EQ(view->currentIndex(), view->model()->index(3, 1));
    // Cells are editable in the model; only the window's own editor opens.
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(view->hasFocus());
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(status(), u"ﾏｰｸ濃度=9.0"_s);  // the current cell's measurement

    select(3, 2);
    EXPECT_EQ(status(), u"ﾏｰｸ濃度=2.5"_s);
    QTest::mouseMove(grid()->viewport(), centreOf(4, 3));
    EXPECT_EQ(status(), u"ﾏｰｸ濃度=9.0"_s);
    QTest::mouseMove(grid()->viewport(), centreOf(0, 3));  // header: unchanged
    EXPECT_EQ(status(), u"ﾏｰｸ濃度=9.0"_s);

    window_->prepareForRun();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(viewerVisible_);
}

TEST_F(ResultWindowTest, PlacesItselfFromTheStoredTopAndHeight) {
    const int dpi = window_->logicalDpiY();
    context_.settings.formTopTwips = 1500;
    context_.settings.formHeightTwips = 9000;
    window_->showResults();
    EXPECT_EQ(window_->x(), 0);
    EXPECT_EQ(window_->y(), 1500 * dpi / 1440);
    EXPECT_EQ(window_->height(), 9000 * dpi / 1440);

    context_.settings.formHeightTwips = 1000;  // below the 4000-twip minimum
    window_->showResults();
    EXPECT_EQ(window_->height(), 4000 * dpi / 1440);
    context_.settings.formTopTwips = 0;  // stored but not above 0: top unchanged
    window_->move(0, 40);
    window_->showResults();
    EXPECT_EQ(window_->y(), 40);
}

TEST_F(ResultWindowTest, ButtonsAndLabelsKeepTheirWholeCaptionsAtAnyWidth) {
    const auto everyCaptionWhole = [this] {
        for (QWidget* w : child<QFrame>(u"Frame1"_s)->findChildren<QWidget*>()) {
            if (!w->isVisible() || !(qobject_cast<QPushButton*>(w) || qobject_cast<QLabel*>(w)))
                continue;
            EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
        }
    };
    const auto sameRow = [this] {
        return child<QPushButton>(u"cmdAnswer"_s)->y() == child<QPushButton>(u"cmdUpdate"_s)->y();
    };
    window_->resize(2400, window_->height());
    QApplication::processEvents();
    EXPECT_TRUE(sameRow());
    everyCaptionWhole();

    // Too narrow for one row: the thresholds go below the buttons, and the
    // grid starts below both.
    window_->resize(800, window_->height());
    QApplication::processEvents();
    EXPECT_FALSE(sameRow());
    everyCaptionWhole();
    EXPECT_GE(grid()->y(), child<QFrame>(u"Frame1"_s)->geometry().bottom());
}

// ------------------------------------------------------- threshold boxes

TEST_F(ResultWindowTest, EnterInAThresholdBoxReevaluates) {
    QLineEdit* noMark = child<QLineEdit>(u"txtNoMarkValue"_s);
    EXPECT_EQ(noMark->text(), u"2.0"_s);
    noMark->setText(u"3.0"_s);
    EXPECT_EQ(cell(3, 2), u"2"_s);  // typing alone changes nothing
    QTest::keyClick(noMark, Qt::Key_Return);
    EXPECT_EQ(cell(3, 2), u"-1"_s);
    EXPECT_EQ(colour(3, 2), PaletteColour::LightRed);
    EXPECT_EQ(grid()->model()->index(3, 2).data().toString(), u"-1"_s);
    EXPECT_EQ(context_.settings.noMarkValue, u"3.0"_s);  // the next run paints with it

    noMark->setText(u"abc"_s);
    QTest::keyClick(noMark, Qt::Key_Return);
    EXPECT_EQ(prompter_.statuses.value(0), kInvalidThresholdStatus);
    // The main window's status line is hidden under this window: a box says it.
    EXPECT_EQ(prompter_.messageTexts(), QStringList{kInvalidThresholdStatus});
}

TEST_F(ResultWindowTest, MultiAnswerBoxesFollowTheHeadersAndResetRestoresDefaults) {
    EXPECT_FALSE(child<QLineEdit>(u"txtMultiValue"_s)->isVisible());
    EXPECT_FALSE(child<QLabel>(u"lblMultiValue"_s)->isVisible());
    context_.table.storeMultiAnswerData(1, {u"3"_s}, {u"100,300,10"_s});
    context_.table.storeMultiAnswerData(2, {u"3"_s}, {u"160,40,200"_s});
    clickButton(u"cmdUpdate"_s);
    EXPECT_TRUE(prompter_.statuses.isEmpty());
    EXPECT_EQ(cell(3, 4), u"2"_s);
    for (const QString& name : {u"txtMultiValue"_s, u"txtMultiRange"_s}) {
        EXPECT_TRUE(child<QLineEdit>(name)->isVisible()) << name.toStdString();
    }
    EXPECT_TRUE(child<QLabel>(u"lblMultiValue"_s)->isVisible());
    EXPECT_TRUE(child<QLabel>(u"lblPlusMinus"_s)->isVisible());
    EXPECT_EQ(cell(4, 4), u"1 3"_s);
    EXPECT_EQ(grid()->columnWidth(4), ResultTable::kMultiColumnWidth);

    QLineEdit* multi = child<QLineEdit>(u"txtMultiValue"_s);
    multi->setText(u"170"_s);
    QTest::keyClick(multi, Qt::Key_Enter);
    EXPECT_EQ(cell(4, 4), u"3"_s);
    select(4, 4);
    EXPECT_EQ(status(), u"ﾄﾞｯﾄ数(●=ﾏｰｸ有、▲=薄いﾏｰｸ)=▲160 40 ●▲200"_s);

    prompter_.answers.push_back(Prompter::Answer::No);
    clickButton(u"cmdReset"_s);
    EXPECT_EQ(multi->text(), u"170"_s);
    prompter_.answers.push_back(Prompter::Answer::Yes);
    clickButton(u"cmdReset"_s);
    EXPECT_EQ(multi->text(), u"150"_s);
    EXPECT_EQ(cell(4, 4), u"3"_s);  // no re-evaluation by itself
}

// ------------------------------------------------------------- keys

TEST_F(ResultWindowTest, TypingADigitThenEnterStoresItAndMovesRight) {
    select(3, 2);
    QTest::keyClick(grid(), Qt::Key_7, Qt::NoModifier);
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->text(), u"7"_s);
    EXPECT_EQ(editor()->geometry().topLeft(),
              grid()->viewport()->mapTo(
                  window_.get(), grid()->visualRect(grid()->model()->index(3, 2)).topLeft()));
    EXPECT_FALSE(window_->saved());
    QSignalSpy changed(grid()->model(), &QAbstractItemModel::dataChanged);
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(cell(3, 2), u"7"_s);
    EXPECT_EQ(measurement(3, 2), u"999"_s);
    // The model told the views of that one cell.
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), grid()->model()->index(3, 2));
    EXPECT_EQ(changed[0][1].value<QModelIndex>(), grid()->model()->index(3, 2));
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(3, 3));
    EXPECT_EQ(grid()->model()->index(3, 2).data().toString(), u"7"_s);
    EXPECT_TRUE(grid()->hasFocus());
}

TEST_F(ResultWindowTest, EnterOpensTheEditorWithoutStoringOnItsOwnKeyUp) {
    select(4, 1);
    QTest::keyPress(grid(), Qt::Key_Return);
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->text(), u"2"_s);
    EXPECT_EQ(editor()->selectedText(), u"2"_s);
    // The key-up of the same Enter reaches the editor, which now has focus.
    QTest::keyRelease(editor(), Qt::Key_Return);
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_EQ(measurement(4, 1), u"9.0"_s);
    editor()->setText(u"4"_s);
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(cell(4, 1), u"4"_s);
    EXPECT_EQ(measurement(4, 1), u"999"_s);
}

TEST_F(ResultWindowTest, EscapeCancelsTheEditorAndHidesTheViewer) {
    select(3, 4);
    QTest::keyClick(grid(), Qt::Key_Plus, Qt::NoModifier, 0);
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->text(), u"+"_s);
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(cell(3, 4), u"4"_s);
    EXPECT_TRUE(grid()->hasFocus());

    ASSERT_TRUE(viewerVisible_);
    QTest::keyClick(grid(), Qt::Key_Escape);
    EXPECT_FALSE(viewerVisible_);
}

TEST_F(ResultWindowTest, EditorNeverOpensOnTheSkewOrLabelColumns) {
    select(3, kQuestions + 2);
    QTest::keyClick(grid(), Qt::Key_5, Qt::NoModifier);
    EXPECT_FALSE(editor()->isVisible());
    select(3, 0);
    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_TRUE(window_->saved());
}

TEST_F(ResultWindowTest, BackspaceAsksBeforeClearing) {
    select(3, 1);
    prompter_.answers.push_back(Prompter::Answer::Cancel);
    QTest::keyClick(grid(), Qt::Key_Backspace);
    EXPECT_EQ(cell(3, 1), u"1"_s);
    prompter_.answers.push_back(Prompter::Answer::Yes);
    QTest::keyClick(grid(), Qt::Key_Backspace);
    EXPECT_EQ(cell(3, 1), QString());
    EXPECT_EQ(grid()->model()->index(3, 1).data().toString(), QString());
    ASSERT_EQ(prompter_.questions.size(), 2u);
    EXPECT_EQ(prompter_.questions[0].text, u"値をクリアします。よろしいですか？"_s);
    EXPECT_EQ(prompter_.questions[0].id, QuestionId::ClearCell);
    EXPECT_FALSE(window_->saved());
}

TEST_F(ResultWindowTest, SpaceAndLeftClickShowTheCropOfAQuestionCell) {
    select(4, 3);
    QTest::keyClick(grid(), Qt::Key_Space);
    click(3, 5, Qt::LeftButton);
    click(1, 2, Qt::LeftButton);  // key row: no crop
    select(1, 2);
    QTest::keyClick(grid(), Qt::Key_Space);
    const std::vector<std::pair<int, int>> expected = {{4, 3}, {3, 5}};
    EXPECT_EQ(crops_, expected);
    EXPECT_TRUE(grid()->hasFocus());
}

// ------------------------------------------------------------- mouse

TEST_F(ResultWindowTest, RightClickOnTheKeyRowFillsSeveralColumns) {
    prompter_.inputs.push_back(u"１，２、3"_s);
    click(1, 3, Qt::RightButton);
    EXPECT_EQ(cell(1, 3), u"1"_s);
    EXPECT_EQ(cell(1, 4), u"2"_s);
    EXPECT_EQ(cell(1, 5), u"3"_s);
    EXPECT_TRUE(prompter_.calls.filter(u"input: 正答入力"_s).size() == 1);
    EXPECT_EQ(grid()->model()->index(1, 5).data().toString(), u"3"_s);
    EXPECT_FALSE(window_->saved());

    click(3, 2, Qt::RightButton);  // a sheet row: no answer, no change
    EXPECT_EQ(cell(3, 2), u"2"_s);
    click(kFailedRow, 2, Qt::RightButton);
    EXPECT_EQ(status(), u"変更できません。"_s);
}

TEST_F(ResultWindowTest, RightClickOnASheetRowTellsTheViewOfEachCell) {
    QAbstractItemModelTester tester(grid()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy changed(grid()->model(), &QAbstractItemModel::dataChanged);
    prompter_.inputs.push_back(u"4\t3\t2"_s);
    click(3, 2, Qt::RightButton);
    EXPECT_EQ(cell(3, 2), u"4"_s);
    EXPECT_EQ(cell(3, 3), u"3"_s);
    EXPECT_EQ(cell(3, 4), u"2"_s);
    ASSERT_EQ(changed.size(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(changed[k][0].value<QModelIndex>(), grid()->model()->index(3, 2 + k));
        EXPECT_EQ(changed[k][1].value<QModelIndex>(), grid()->model()->index(3, 2 + k));
    }
    // Typed values: the faint and the missing mark are reviewed now.
    EXPECT_EQ(context_.table.doubt(3, 2), strovik::ReviewKind::None);
    EXPECT_EQ(context_.table.doubt(3, 3), strovik::ReviewKind::None);
    EXPECT_EQ(measurement(3, 3), u"999"_s);
    EXPECT_FALSE(window_->saved());
}

TEST_F(ResultWindowTest, ShiftClickClearsButNotOnAFailedSheet) {
    click(kFailedRow, 2, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(status(), u"クリアできません。"_s);
    EXPECT_TRUE(prompter_.questions.empty());
    EXPECT_TRUE(crops_.empty());

    prompter_.answers.push_back(Prompter::Answer::Yes);
    click(4, 2, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(cell(4, 2), QString());
    EXPECT_TRUE(crops_.empty());
}

TEST_F(ResultWindowTest, ClickingALabelOpensTheImageOrSaysWhyNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString image = dir.filePath(u"a.jpg"_s);
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    tarrow::testing::TableAccess::sheets(context_.table)[0] = image;
    click(3, 0, Qt::LeftButton);
    EXPECT_EQ(opened_, QStringList{image});
    EXPECT_TRUE(prompter_.messages.empty());

    click(4, 0, Qt::LeftButton);  // "/no/such/b.jpg"
    EXPECT_EQ(prompter_.messageTexts(), QStringList{velmora::kPathNotFound});
    tarrow::testing::TableAccess::sheets(context_.table)[1] = dir.filePath(u"gone.jpg"_s);
    click(4, 0, Qt::LeftButton);
    EXPECT_EQ(prompter_.messageTexts().value(1), velmora::kFileNotFound);
    window_->setFileOpener([](const QString&) { return false; });
    click(3, 0, Qt::LeftButton);
    EXPECT_EQ(prompter_.messageTexts().value(2), velmora::kNoAssociation);
    EXPECT_EQ(prompter_.messages.back().icon, Prompter::Icon::Warning);
    click(1, 0, Qt::LeftButton);  // the key row's label opens nothing
    EXPECT_EQ(prompter_.messages.size(), 3u);
}

// ------------------------------------------------ scoring, saving, close

TEST_F(ResultWindowTest, ColourScoreColoursRightAndWrongAnswers) {
    clickButton(u"cmdColorScore"_s);
    ASSERT_EQ(prompter_.messages.size(), 1u);  // no key yet
    EXPECT_TRUE(prompter_.messages[0].text.startsWith(u"正答が入力されていません。"_s));

    context_.table.setText(1, 1, u"1"_s);
    clickButton(u"cmdColorScore"_s);
    EXPECT_EQ(colour(3, 1), PaletteColour::LightYellow);
    EXPECT_EQ(colour(4, 1), PaletteColour::LightMagenta);
    EXPECT_EQ(colour(kFailedRow, 1), PaletteColour::LightRed);
    EXPECT_EQ(colour(3, 2), PaletteColour::White);  // unscored
    EXPECT_EQ(grid()->model()->index(4, 1).data(Qt::BackgroundRole).value<QColor>(),
              QColor(255, 0, 255));
}

TEST_F(ResultWindowTest, KeySheetButtonTakesTheFirstSheetAsKey) {
    prompter_.answers.push_back(Prompter::Answer::Yes);
    clickButton(u"cmdAnswer"_s);
    EXPECT_EQ(cell(1, 1), u"1"_s);
    EXPECT_EQ(cell(1, 5), u"5"_s);
    EXPECT_EQ(grid()->model()->rowCount(), 5);
    EXPECT_EQ(grid()->model()->index(3, 0).data().toString(), u"b.jpg"_s);
}

TEST_F(ResultWindowTest, SaveWritesTheFilesThroughTheChosenName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    context_.table.setSaved(false);
    context_.table.setText(1, 1, u"1"_s);
    prompter_.saveFiles.push_back(dir.filePath(u"class1.csv"_s));
    clickButton(u"cmdSave"_s);
    EXPECT_TRUE(QFile::exists(dir.filePath(u"class1-読取値.csv"_s)));
    EXPECT_TRUE(QFile::exists(dir.filePath(u"class1-採点値.csv"_s)));
    EXPECT_TRUE(window_->saved());
    EXPECT_EQ(child<QLineEdit>(u"txtDest"_s)->text(), u"class1"_s);
    EXPECT_EQ(cell(2, 1), u"1"_s);  // default points written by the score file
    EXPECT_EQ(grid()->model()->index(2, 1).data().toString(), u"1"_s);

    // Saving again asks before overwriting; No keeps the files as they are.
    prompter_.saveFiles.push_back(dir.filePath(u"class1.csv"_s));
    prompter_.answers.push_back(Prompter::Answer::No);
    prompter_.answers.push_back(Prompter::Answer::No);
    clickButton(u"cmdSave"_s);
    ASSERT_FALSE(prompter_.questions.empty());
    EXPECT_TRUE(prompter_.questions[0].text.endsWith(u"は既に存在します。上書きしますか？"_s));
}

TEST_F(ResultWindowTest, AnswersByChoiceAsksTheLargestChoiceAndWrites) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    prompter_.inputs.push_back(u"5"_s);
    prompter_.saveFiles.push_back(dir.filePath(u"c.csv"_s));
    clickButton(u"btnCount"_s);
    EXPECT_TRUE(QFile::exists(dir.filePath(u"c-回答別.csv"_s)));
    EXPECT_EQ(prompter_.calls.filter(u"input: 最大選択肢数入力"_s).size(), 1);
}

class RecordingBackend final : public SettingsBackend {
public:
    std::optional<QString> read(const QString& name) const override {
        return values.contains(name) ? std::optional<QString>(values.value(name)) : std::nullopt;
    }
    bool write(const QString& name, const QString& text) override {
        values.insert(name, text);
        return true;
    }
    QHash<QString, QString> values;
};

TEST_F(ResultWindowTest, CloseGuardAsksWhenUnsavedAndStoresTheThresholds) {
    RecordingBackend backend;
    window_->setSettingsBackend(&backend);
    context_.table.setSaved(false);
    child<QLineEdit>(u"txtMarkValue"_s)->setText(u"3.5"_s);
    child<QLineEdit>(u"txtMultiRange"_s)->clear();

    prompter_.answers.push_back(Prompter::Answer::No);
    clickButton(u"cmdClose"_s);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(viewerVisible_);
    EXPECT_TRUE(backend.values.isEmpty());
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0].text,
              u"読取値が保存されていません。本当に閉じてもよろしいですか？"_s);

    prompter_.answers.push_back(Prompter::Answer::Yes);
    clickButton(u"cmdClose"_s);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(viewerVisible_);
    EXPECT_EQ(backend.values.value(u"MarkValue"_s), u"3.5"_s);
    EXPECT_FALSE(backend.values.contains(u"MultiRange"_s));  // empty box: not written
    EXPECT_TRUE(backend.values.contains(u"FormTop"_s));
    EXPECT_GE(backend.values.value(u"FormHeight"_s).toInt(), 4000);
    EXPECT_EQ(context_.settings.markValue, u"3.5"_s);
}

TEST_F(ResultWindowTest, ClosingASavedTableAsksNothing) {
    clickButton(u"cmdClose"_s);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(prompter_.questions.empty());
}

TEST_F(ResultWindowTest, RenameButtonUsesTheHook) {
    int opened = 0;
    window_->setRenameHook([&opened] { ++opened; });
    clickButton(u"btnFilenameConv"_s);
    EXPECT_EQ(opened, 1);
}

TEST(ResultWindowOwnDialogs, FailedSheetCropAndRenameWindowUseTheRealDialogs) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString image = dir.filePath(u"c.png"_s);
    QImage sheet(64, 48, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    ASSERT_TRUE(sheet.save(image));
    AppContext context;
    fillTable(context);
    tarrow::testing::TableAccess::sheets(context.table)[2] = image;
    ScriptedPrompter prompter;
    ResultWindow window(context, prompter, prompter);
    window.showResults();
    auto* view = window.findChild<QTableView*>(u"Grid"_s);
    view->setCurrentIndex(view->model()->index(kFailedRow, 2));
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(window.findChild<QLabel*>(u"lblStatus"_s)->text(), u"表示できません："_s + image);
    auto* viewer = window.findChild<QWidget*>(u"frmImage"_s);
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->isVisible());

    window.findChild<QPushButton*>(u"btnFilenameConv"_s)->click();
    auto* rename = window.findChild<QWidget*>(u"frmRename"_s);
    ASSERT_NE(rename, nullptr);
    EXPECT_TRUE(rename->isVisible());
    EXPECT_FALSE(rename->isModal());
    rename->hide();
}

TEST_F(ResultWindowTest, WheelScrollsOneRowPerStep) {
    tarrow::testing::TableAccess::grid(context_.table).setRows(200);
    window_->refreshTable();
    QApplication::processEvents();  // the view lays out its scroll range
    QScrollBar* bar = grid()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 2);
    bar->setValue(0);
    const QPoint at = grid()->viewport()->rect().center();
    QWheelEvent down(at, grid()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid()->viewport(), &down);
    EXPECT_EQ(bar->value(), 1);
    QWheelEvent up(at, grid()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid()->viewport(), &up);
    EXPECT_EQ(bar->value(), 0);
}

}  // namespace
}  // namespace tarrow

namespace tarrow {
namespace {

// ------------------------------------------------------------ review aids

TEST_F(ResultWindowTest, F3WalksTheDoubtfulCellsAndShowsTheirCrops) {
    select(4, 1);
    QTest::keyClick(grid(), Qt::Key_F3);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(kFailedRow, 1));
    EXPECT_EQ(status(), u"要確認 3/3 (残り0件)"_s);
    QTest::keyClick(grid(), Qt::Key_F3);  // round to the first: the faint mark
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(3, 2));
    EXPECT_EQ(status(), u"要確認 1/3 (残り2件)"_s);
    QTest::keyClick(grid(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(kFailedRow, 1));
    clickButton(u"cmdNextDoubtful"_s);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(3, 2));
    EXPECT_EQ(crops_,
              (std::vector<std::pair<int, int>>{{kFailedRow, 1}, {3, 2}, {kFailedRow, 1}, {3, 2}}));
    EXPECT_TRUE(grid()->hasFocus());
}

TEST_F(ResultWindowTest, F3VisitsEachItemOnceAndTypedValuesAreReviewed) {
    select(4, 4);
    QTest::keyClick(grid(), Qt::Key_F3);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(kFailedRow, 1));
    QTest::keyClick(grid(), Qt::Key_F3);
    ASSERT_EQ(grid()->currentIndex(), grid()->model()->index(3, 2));
    // A correction typed with Enter moves the cursor right onto (3,3), the
    // next doubtful cell: F3 still shows it, and the typed cell is done.
    QTest::keyClick(grid(), Qt::Key_2, Qt::NoModifier);
    QTest::keyClick(editor(), Qt::Key_Return);
    ASSERT_EQ(grid()->currentIndex(), grid()->model()->index(3, 3));
    EXPECT_EQ(colour(3, 2), PaletteColour::White);
    QTest::keyClick(grid(), Qt::Key_F3);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(3, 3));
    EXPECT_EQ(status(), u"要確認 1/2 (残り1件)"_s);
    EXPECT_EQ(crops_.back(), (std::pair<int, int>{3, 3}));

    // Two marks on (4,1): doubtful with the default colouring, grey at once
    // when the several-marks option is turned on.
    context_.table.setMeasurement(4, context_.table.markedCountColumn(1), u"2"_s);
    window_->reviewOptionsChanged();
    EXPECT_EQ(colour(4, 1), PaletteColour::White);
    QTest::keyClick(grid(), Qt::Key_F3);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(4, 1));
    context_.settings.multiMarked = true;
    window_->reviewOptionsChanged();
    EXPECT_EQ(colour(4, 1), PaletteColour::Grey);
    EXPECT_EQ(grid()->model()->index(4, 1).data(Qt::BackgroundRole).value<QColor>(),
              QColor(128, 128, 128));
    context_.settings.multiMarked = false;
}

TEST_F(ResultWindowTest, RunSummaryNamesDoubledMarksAndFailedSheets) {
    window_->showRunSummary();
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages.back().text, u"読取失敗 1件\r\nc.jpg"_s);
    context_.table.setMeasurement(4, context_.table.markedCountColumn(3), u"3"_s);
    clickButton(u"cmdUpdate"_s);
    window_->showRunSummary();
    ASSERT_EQ(prompter_.messages.size(), 2u);
    EXPECT_TRUE(prompter_.messages.back().text.startsWith(u"複数マークの疑い: 1件"_s));
    clickButton(u"cmdFailedSheets"_s);  // the list again, from the window
    EXPECT_EQ(prompter_.messages.back().text, u"読取失敗 1件\r\nc.jpg"_s);

    // The density window counts the doubled mark too.
    clickButton(u"cmdDensity"_s);
    auto* summary = window_->findChild<QLabel*>(u"lblDensitySummary"_s);
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->text().contains(u"複数マークの疑い: 1件"_s))
        << summary->text().toStdString();
}

TEST_F(ResultWindowTest, DensityWindowAppliesItsSuggestedThreshold) {
    clickButton(u"cmdDensity"_s);
    auto* density = window_->findChild<QWidget*>(u"frmDensity"_s);
    ASSERT_NE(density, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(density));
    EXPECT_EQ(density->windowTitle(), u"濃度分布"_s);
    // Densities 1.5 and 2.5 below 9.0: the widest gap lies between 2.5 and 9.
    auto* apply = density->findChild<QPushButton*>(u"cmdApplySuggested"_s);
    ASSERT_NE(apply, nullptr);
    apply->click();
    bool ok = false;
    const double applied = child<QLineEdit>(u"txtNoMarkValue"_s)->text().toDouble(&ok);
    ASSERT_TRUE(ok);
    EXPECT_GT(applied, 2.5);
    EXPECT_LT(applied, 9.0);
    EXPECT_EQ(cell(3, 2), u"-1"_s);  // re-coloured with it: the faint mark is now blank
    EXPECT_EQ(colour(3, 2), PaletteColour::LightRed);
}

}  // namespace
}  // namespace tarrow
