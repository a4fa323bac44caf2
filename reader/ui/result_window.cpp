#include "reader/ui/result_window.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableView>

#include "common/qt/desktop_open.h"
#include "reader/core/analysis_files.h"
#include "reader/core/app_settings.h"
#include "reader/core/density_histogram.h"
#include "reader/core/result_workbook.h"
#include "reader/core/save_results.h"
#include "reader/core/scoring.h"
#include "reader/core/table_edits.h"
#include "reader/ui/analysis_window.h"
#include "reader/ui/density_window.h"
#include "reader/ui/frozen_grid_view.h"
#include "reader/ui/grid_column_widths.h"
#include "reader/ui/image_viewer.h"
#include "reader/ui/rename_dialog.h"
#include "reader/ui/result_table_model.h"
#include "reader/ui/window_feedback.h"

namespace tarrow {

using namespace Qt::StringLiterals;

const QString ResultWindow::kHelpText =
    u"左ｸﾘｯｸ(SPC)=ｽｷｬﾝ画像表示;  右ｸﾘｯｸ(Enter,数字)=値入力または修正;  "
    u"Shift+左ｸﾘｯｸ(BS)=ｸﾘｱ;   ｾﾙ移動=上下左右ｷｰ"_s;

namespace {

constexpr int kTwipsPerInch = 1440;
// The window's resize rule, in twips.
constexpr int kMinimumHeightTwips = 4000;
constexpr int kFrameMarginTwips = 150;
constexpr int kHelpFromBottomTwips = 1000;
constexpr int kLabelLeftTwips = 50;
constexpr int kStatusBelowHelpTwips = 50;
constexpr int kGridGapTwips = 200;
constexpr int kNarrowerThanScreenTwips = 100;

}  // namespace

ResultWindow::ResultWindow(AppContext& context, Prompter& prompter, RunFeedback& feedback,
                           QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), prompter_(prompter), feedback_(feedback) {
    setObjectName(u"frmDetail"_s);
    setWindowTitle(u"結果表示"_s);
    if (parent) setWindowIcon(parent->windowIcon());
    fileOpener_ = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    buildControls();
    useOwnViewerAndRenameDialog();
    ownStatus_ = std::make_unique<LabelStatus>(lblStatus_);
    connectButtons();
    loadThresholdBoxes();
    setMinimumHeight(twipsToPixels(kMinimumHeightTwips));
}

ResultWindow::~ResultWindow() = default;

// ------------------------------------------------------------ review aids

void ResultWindow::goToDoubtful(ReviewDirection direction) {
    cancelEditor();
    const QModelIndex current = grid_->currentIndex();
    const GridCell from = current.isValid() ? GridCell{current.row(), current.column()}
                                            : GridCell{ResultTable::kHeaderRow, 0};
    const std::optional<GridCell> next = reviewPass_.step(context_.table, from, direction);
    if (next) {
        setCurrentCell(next->row, next->col);
        showCrop(next->row, next->col);
    }
    lblStatus_->setText(
        reviewStatusText(reviewPosition(context_.table, next.value_or(GridCell{}))));
}

void ResultWindow::showDensity() {
    if (!densityWindow_) {
        densityWindow_ = new DensityWindow(
            [this](double threshold) {
                txtNoMarkValue_->setText(thresholdText(threshold));
                repaintTable();
            },
            this);
    }
    bool ok = false;
    const double threshold = txtNoMarkValue_->text().trimmed().toDouble(&ok);
    densityWindow_->showDensities(singleAnswerDensities(context_.table),
                                  ok ? std::optional<double>(threshold) : std::nullopt,
                                  reviewCounts(context_.table).doubled);
}

void ResultWindow::showAnalysis() {
    if (!analysisWindow_) {
        analysisWindow_ = new AnalysisWindow(
            prompter_,
            [this](int column) {
                const QModelIndex current = grid_->currentIndex();
                const int row = context_.table.isSheetRow(current.row())
                                    ? current.row()
                                    : ResultTable::kFirstSheetRow;
                setCurrentCell(row, column);
            },
            this);
        analysisWindow_->setResultSheets([this] { return resultSheets(context_.table); });
    }
    const QString base = context_.table.destinationBase();
    analysisWindow_->showAnalysis(analyseItems(analysisInputOf(context_.table)),
                                  base.isEmpty() ? u"結果表"_s : base);
}

// ------------------------------------------------------ public operations

void ResultWindow::prepareForRun() {
    cancelEditor();
    hideImageViewer();
    hide();
    lblStatus_->clear();
}

void ResultWindow::showResults() {
    cancelEditor();
    loadThresholdBoxes();
    refreshTable();
    const ResultTable& table = context_.table;
    bool multi = false;
    for (int col = 1; col <= table.questionCount() && !multi; ++col) {
        multi = table.isMultiAnswerColumn(col);
    }
    const bool showMulti = multi && table.sheetCount() > 0;
    lblMultiValue_->setVisible(showMulti);
    txtMultiValue_->setVisible(showMulti);
    lblPlusMinus_->setVisible(showMulti);
    txtMultiRange_->setVisible(showMulti);
    placeWindow();
    show();
    // The frame is known once shown: place again when it differs from the
    // estimate, so the first opening ends at the bottom of the screen.
    const int framed = frameGeometry().height() - height();
    if (framed > 0 && framed != placedFrameExtra_) placeWindow();
    raise();
    activateWindow();
    setCurrentCell(ResultTable::kFirstSheetRow, 1);
    grid_->setFocus();
    reviewPass_.reset();
}

void ResultWindow::showRunSummary() {
    QStringList parts;
    const QString doubled = doubledNotice(reviewCounts(context_.table).doubled);
    if (!doubled.isEmpty()) parts << doubled;
    const QString failed = failedSheetsText(context_.table);
    if (!failed.isEmpty()) parts << failed;
    if (!parts.isEmpty()) prompter_.message(parts.join(u"\r\n\r\n"_s), Prompter::Icon::Information);
}

void ResultWindow::showFailedSheets() {
    const QString text = failedSheetsText(context_.table);
    if (!text.isEmpty()) prompter_.message(text, Prompter::Icon::Information);
}

void ResultWindow::reviewOptionsChanged() {
    if (isVisible() && context_.table.sheetCount() > 0) repaintTable();
}

void ResultWindow::showAgain() {
    show();
    raise();
    activateWindow();
    grid_->setFocus();
}

void ResultWindow::refreshTable() {
    model_->resetFromTable();
    applyColumnWidths();
}

bool ResultWindow::saved() const {
    return context_.table.saved();
}

void ResultWindow::hideImageViewer() {
    if (viewer_.hide && (!viewer_.visible || viewer_.visible())) viewer_.hide();
}

void ResultWindow::setImageViewerHooks(ImageViewerHooks hooks) {
    viewer_ = std::move(hooks);
}

void ResultWindow::setRenameHook(std::function<void()> openRename) {
    openRename_ = std::move(openRename);
}

void ResultWindow::setFileOpener(std::function<bool(const QString&)> opener) {
    fileOpener_ = std::move(opener);
}

void ResultWindow::setSettingsBackend(SettingsBackend* backend) {
    settingsBackend_ = backend;
}

ThresholdTexts ResultWindow::thresholds() const {
    return ThresholdTexts{txtNoMarkValue_->text(), txtMarkValue_->text(), txtMultiValue_->text(),
                          txtMultiRange_->text()};
}

// ------------------------------------------------------- settings, layout

void ResultWindow::loadThresholdBoxes() {
    // Copies first: every setText writes all four boxes back.
    const AppSettings settings = context_.settings;
    txtNoMarkValue_->setText(settings.noMarkValue);
    txtMarkValue_->setText(settings.markValue);
    txtMultiValue_->setText(settings.multiValue);
    txtMultiRange_->setText(settings.multiRange);
}

void ResultWindow::storeThresholdBoxes() {
    // The settings follow the boxes, so the next run paints with what the
    // user typed; empty texts are skipped when the settings are written.
    context_.settings.noMarkValue = txtNoMarkValue_->text();
    context_.settings.markValue = txtMarkValue_->text();
    context_.settings.multiValue = txtMultiValue_->text();
    context_.settings.multiRange = txtMultiRange_->text();
}

void ResultWindow::applyColumnWidths() {
    const TextGrid& grid = context_.table.grid();
    const QFontMetrics metrics = grid_->fontMetrics();
    for (int col = 0; col < grid.cols(); ++col) {
        const int width = displayColumnWidth(grid, col, metrics);
        grid_->setColumnHidden(col, width <= 0);
        if (width > 0) grid_->setColumnWidth(col, width);
    }
    if (const int totals = model_->totalsColumn(); totals >= 0) {
        const int padding = 2 * metrics.horizontalAdvance(u' ');
        grid_->setColumnHidden(totals, false);
        grid_->setColumnWidth(totals, metrics.horizontalAdvance(u"00000"_s) + padding);
    }
    grid_->syncFrozenViews();
}

int ResultWindow::twipsToPixels(int twips) const {
    return twips * logicalDpiY() / kTwipsPerInch;
}

int ResultWindow::pixelsToTwips(int pixels) const {
    return pixels * kTwipsPerInch / std::max(logicalDpiY(), 1);
}

void ResultWindow::placeWindow() {
    const QScreen* screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : geometry();
    const int frameExtra = frameExtraHeight();
    placedFrameExtra_ = frameExtra;
    const WindowSpan span = resultWindowSpan(
        context_.settings.formTopTwips, context_.settings.formHeightTwips, {y(), height()},
        logicalDpiY(), {area.top(), area.height()}, frameExtra, twipsToPixels(kMinimumHeightTwips));
    const int width = std::max(area.width() - twipsToPixels(kNarrowerThanScreenTwips), 1);
    // Left and top place the frame, as the stored top is read back from it.
    resize(width, span.height);
    move(0, span.top);
}

int ResultWindow::frameExtraHeight() const {
    const int measured = frameGeometry().height() - height();
    if (measured > 0) return measured;
    // Not framed yet by the window manager: about a title bar.
    return style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
}

void ResultWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int frameWidth = std::max(width() - twipsToPixels(kFrameMarginTwips), 1);
    fitButtonFrame(frameWidth);
    const int frameHeight = buttonFrame_->sizeHint().height();
    const int left = twipsToPixels(kLabelLeftTwips);
    buttonFrame_->setGeometry(left, 0, frameWidth, frameHeight);
    // The review buttons sit at the right end of the help and status lines.
    const QSize bar = reviewBar_->sizeHint();
    const int textWidth = std::max(frameWidth - bar.width() - 8, 1);
    // The help line wraps where the window is too narrow for it; the lines
    // below the grid then start higher, so the status line stays inside.
    const int lineHeight = lblStatus_->fontMetrics().height() + 2;
    const int helpHeight = std::max(lblHelp_->heightForWidth(textWidth), lineHeight);
    const int statusTop = helpHeight + twipsToPixels(kStatusBelowHelpTwips);
    const int helpTop = std::min(height() - twipsToPixels(kHelpFromBottomTwips),
                                 height() - statusTop - lineHeight - 2);
    reviewBar_->setGeometry(left + frameWidth - bar.width(), helpTop, bar.width(), bar.height());
    lblHelp_->setGeometry(left, helpTop, textWidth, helpHeight);
    lblStatus_->setGeometry(left, helpTop + statusTop, textWidth, lineHeight);
    const int gridTop = frameHeight + twipsToPixels(kGridGapTwips) / 2;
    const int gridHeight = helpTop - frameHeight - twipsToPixels(kGridGapTwips);
    grid_->setGeometry(left, gridTop, frameWidth, std::max(gridHeight, 1));
    if (txtEdit_->isVisible()) cancelEditor();
}

void ResultWindow::fitButtonFrame(int frameWidth) {
    // Side by side when both rows fit at their natural widths, so that no
    // caption is clipped; else the thresholds go below the buttons.
    const QMargins margins = buttonRows_->contentsMargins();
    const int sideBySide = buttonRows_->itemAt(0)->sizeHint().width() +
                           buttonRows_->itemAt(1)->sizeHint().width() + buttonRows_->spacing() +
                           margins.left() + margins.right();
    const auto direction =
        sideBySide <= frameWidth ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (buttonRows_->direction() != direction) buttonRows_->setDirection(direction);
    // Alone on its row, the threshold row splits in two when still too wide.
    const int thresholdsInOneRow = thresholdRows_->itemAt(0)->sizeHint().width() +
                                   thresholdRows_->itemAt(1)->sizeHint().width() +
                                   thresholdRows_->spacing() + margins.left() + margins.right();
    const auto split =
        thresholdsInOneRow <= frameWidth ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (thresholdRows_->direction() != split) thresholdRows_->setDirection(split);
}

void ResultWindow::closeEvent(QCloseEvent* event) {
    cancelEditor();
    if (!mayDiscard(context_.table, prompter_)) {
        event->ignore();
        return;
    }
    hideImageViewer();
    AppSettings& settings = context_.settings;
    settings.formTopTwips = pixelsToTwips(y());
    settings.formHeightTwips = pixelsToTwips(height());
    if (settingsBackend_) {
        saveWindowSettings(*settingsBackend_, settings, *settings.formTopTwips,
                           *settings.formHeightTwips);
    }
    event->accept();
}

// ---------------------------------------------------------------- buttons

void ResultWindow::repaintTable() {
    const PaintOutcome outcome =
        paintColor(context_.table, thresholds(),
                   PaintOptions{context_.settings.tenToZero, context_.settings.multiMarked});
    if (outcome.stoppedOnInvalid) {
        // The main window's status line is under this window: say it here.
        feedback_.setStatus(kInvalidThresholdStatus);
        prompter_.message(kInvalidThresholdStatus, Prompter::Icon::Warning);
    } else {
        lblMultiValue_->setVisible(outcome.showMultiControls);
        txtMultiValue_->setVisible(outcome.showMultiControls);
        lblPlusMinus_->setVisible(outcome.showMultiControls);
        txtMultiRange_->setVisible(outcome.showMultiControls);
    }
    if (model_->refresh()) applyColumnWidths();
    if (!outcome.stoppedOnInvalid) showReviewStatus();
}

void ResultWindow::showReviewStatus() {
    // The doubtful cells changed with the colours: the count shown follows.
    const QModelIndex current = grid_->currentIndex();
    const GridCell at = current.isValid() ? GridCell{current.row(), current.column()} : GridCell{};
    lblStatus_->setText(reviewStatusText(reviewPosition(context_.table, at)));
}

void ResultWindow::takeFirstSheet(bool asKey) {
    const FirstSheetRole role = asKey ? FirstSheetRole::AnswerKey : FirstSheetRole::Points;
    if (takeFirstSheetAs(context_.table, prompter_, role) && model_->refresh()) {
        applyColumnWidths();
    }
}

void ResultWindow::colourScores() {
    if (!tarrow::colourScores(context_.table, prompter_)) return;
    model_->refresh();
    // Each sheet's total beside the table, not only in the score file.
    model_->showTotals();
    applyColumnWidths();
    // Scoring a doubled mark silently gives a wrong score: say how many.
    const QString doubled = doubledNotice(reviewCounts(context_.table).doubled);
    if (!doubled.isEmpty()) lblStatus_->setText(doubled);
}

void ResultWindow::countAnswers() {
    saveAnswersByChoice(context_.table, prompter_, context_.settings.tenToZero);
    txtDest_->setText(context_.table.destinationBase());
}

void ResultWindow::saveTable() {
    saveResults(context_.table, prompter_, context_.settings.transpose);
    txtDest_->setText(context_.table.destinationBase());
    // The score file writes default points and colours into the table.
    if (model_->refresh()) applyColumnWidths();
}

void ResultWindow::resetThresholdBoxes() {
    ThresholdTexts texts = thresholds();
    if (!resetThresholds(texts, prompter_)) return;
    txtNoMarkValue_->setText(texts.noMark);
    txtMarkValue_->setText(texts.faintMark);
    txtMultiValue_->setText(texts.multiValue);
    txtMultiRange_->setText(texts.multiRange);
}

}  // namespace tarrow
