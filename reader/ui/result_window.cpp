#include "reader/ui/result_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QUrl>
#include <QWheelEvent>

#include "common/qt/desktop_open.h"
#include "reader/core/app_settings.h"
#include "reader/core/density_histogram.h"
#include "reader/core/save_results.h"
#include "reader/core/scoring.h"
#include "reader/core/table_edits.h"
#include "reader/ui/density_window.h"
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
// Layout of the Part's resize rule, in twips.
constexpr int kMinimumHeightTwips = 4000;
constexpr int kFrameMarginTwips = 150;
constexpr int kHelpFromBottomTwips = 1000;
constexpr int kLabelLeftTwips = 50;
constexpr int kStatusBelowHelpTwips = 50;
constexpr int kGridGapTwips = 200;
constexpr int kNarrowerThanScreenTwips = 100;
constexpr int kThresholdBoxWidth = 44;

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isEditStartKey(const QString& text) {
    return text.size() == 1 && (text.front().isDigit() || text == u"+"_s || text == u"-"_s) &&
           text.front().unicode() < 0x80;
}

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

// ---------------------------------------------------------------- building

void ResultWindow::useOwnViewerAndRenameDialog() {
    viewer_.showImage = [this](int row, int col) {
        if (!imageViewer_) imageViewer_ = new ImageViewer(context_, this);
        const QString status = imageViewer_->showImage(row, col);
        if (!status.isEmpty()) lblStatus_->setText(status);
    };
    viewer_.hide = [this] {
        if (imageViewer_) imageViewer_->hide();
    };
    viewer_.visible = [this] { return imageViewer_ && imageViewer_->isVisible(); };
    openRename_ = [this] {
        if (!renameDialog_) renameDialog_ = new RenameDialog(context_, prompter_, this);
        renameDialog_->show();
        renameDialog_->raise();
        renameDialog_->activateWindow();
    };
}

void ResultWindow::buildControls() {
    buttonFrame_ = buildButtonFrame();

    model_ = new ResultTableModel(context_.table, this);
    grid_ = new QTableView(this);
    grid_->setObjectName(u"Grid"_s);
    grid_->setModel(model_);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    grid_->horizontalHeader()->setMinimumSectionSize(0);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    // Narrow columns clip their text, as a grid does, instead of eliding "-1".
    grid_->setTextElideMode(Qt::ElideNone);
    grid_->setTabKeyNavigation(false);
    grid_->viewport()->setMouseTracking(true);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) showCellStatus(current.row(), current.column());
            });

    txtEdit_ = new QLineEdit(this);
    txtEdit_->setObjectName(u"txtEdit"_s);
    txtEdit_->hide();
    txtEdit_->installEventFilter(this);

    txtDest_ = new QLineEdit(this);
    txtDest_->setObjectName(u"txtDest"_s);
    txtDest_->hide();

    lblHelp_ = new QLabel(kHelpText, this);
    lblHelp_->setObjectName(u"lblHelp"_s);
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(u"lblStatus"_s);
    reviewBar_ = buildReviewBar();
}

QFrame* ResultWindow::buildReviewBar() {
    auto* bar = new QFrame(this);
    bar->setObjectName(u"fraReview"_s);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(addButton(bar, "cmdNextDoubtful", u"次の要確認 (F3)"_s,
                                u"次の赤・水色・灰色のｾﾙへ移動し、ｽｷｬﾝ画像を表示する "
                                u"(前へ: Shift+F3)"_s));
    layout->addWidget(
        addButton(bar, "cmdDensity", u"濃度分布..."_s,
                  u"全設問のﾏｰｸ濃度の分布と、提案するﾏｰｸ無し濃度しきい値を表示する"_s));
    return bar;
}

QFrame* ResultWindow::buildButtonFrame() {
    auto* frame = new QFrame(this);
    frame->setObjectName(u"Frame1"_s);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(addButton(frame, "cmdAnswer", u"正答画像読込"_s,
                                u"1行目のｽｷｬﾝ画像を正答入力画像として扱う"_s));
    layout->addWidget(addButton(frame, "cmdScore", u"配点画像読込"_s,
                                u"1行目のｽｷｬﾝ画像を配点入力画像として扱う"_s));
    layout->addWidget(addButton(frame, "cmdColorScore", u"正誤色分け表示"_s,
                                u"正解答を黄色、誤解答を朱色で色分け表示する"_s));
    layout->addWidget(
        addButton(frame, "btnCount", u"回答別集計"_s,
                  u"回答別集計ﾌｧｲﾙの出力。全設問について、回答毎の人数を集計します"_s));
    layout->addWidget(
        addButton(frame, "cmdSave", u"結果保存"_s,
                  u"読取値・採点値を保存（採点値は正答が入力されている場合のみ保存されます）"_s));
    layout->addWidget(addButton(frame, "btnFilenameConv", u"ﾌｧｲﾙ名変換"_s,
                                u"読取値に応じた画像ファイル名に一括変換"_s));
    layout->addSpacing(12);

    auto* noMarkLabel = new QLabel(u"ﾏｰｸ無し濃度しきい値"_s, frame);
    noMarkLabel->setObjectName(u"lblNoMarkValue"_s);
    layout->addWidget(noMarkLabel);
    txtNoMarkValue_ = addThresholdBox(frame, "txtNoMarkValue",
                                      u"マーク無しと判定する濃度しきい値（ﾃﾞﾌｫﾙﾄ=2.0）"_s);
    layout->addWidget(txtNoMarkValue_);
    auto* markLabel = new QLabel(u"薄いﾏｰｸ濃度しきい値"_s, frame);
    markLabel->setObjectName(u"lblMarkValue"_s);
    layout->addWidget(markLabel);
    txtMarkValue_ =
        addThresholdBox(frame, "txtMarkValue", u"薄いマークと判定する濃度しきい値（ﾃﾞﾌｫﾙﾄ=3.0）"_s);
    layout->addWidget(txtMarkValue_);
    lblMultiValue_ = new QLabel(u"ﾄﾞｯﾄ数しきい値"_s, frame);
    lblMultiValue_->setObjectName(u"lblMultiValue"_s);
    layout->addWidget(lblMultiValue_);
    txtMultiValue_ = addThresholdBox(frame, "txtMultiValue",
                                     u"複数選択時、ﾏｰｸ有りと判定する最小ﾄﾞｯﾄ数（ﾃﾞﾌｫﾙﾄ=150）"_s);
    layout->addWidget(txtMultiValue_);
    lblPlusMinus_ = new QLabel(u"±"_s, frame);
    lblPlusMinus_->setObjectName(u"lblPlusMinus"_s);
    layout->addWidget(lblPlusMinus_);
    txtMultiRange_ =
        addThresholdBox(frame, "txtMultiRange",
                        u"しきい値ﾄﾞｯﾄ数に近い要注意ﾏｰｸを色分け （ﾃﾞﾌｫﾙﾄ=±50ﾄﾞｯﾄ以内を色分け）"_s);
    layout->addWidget(txtMultiRange_);
    for (QWidget* multi :
         {static_cast<QWidget*>(lblMultiValue_), static_cast<QWidget*>(txtMultiValue_),
          static_cast<QWidget*>(lblPlusMinus_), static_cast<QWidget*>(txtMultiRange_)}) {
        multi->hide();
    }
    layout->addWidget(addButton(
        frame, "cmdUpdate", u"濃度色分け表示"_s,
        u"現在のﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値に応じて色分け表示する"_s));
    layout->addWidget(addButton(
        frame, "cmdReset", u"リセット"_s,
        u"ﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値などの読取設定を初期化する"_s));
    layout->addStretch(1);
    layout->addWidget(addButton(frame, "cmdClose", u"閉じる"_s, QString()));
    return frame;
}

QPushButton* ResultWindow::addButton(QWidget* parent, const char* name, const QString& caption,
                                     const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* ResultWindow::addThresholdBox(QWidget* parent, const char* name, const QString& tip) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(tip);
    box->setFixedWidth(kThresholdBoxWidth);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textChanged, this, [this] { storeThresholdBoxes(); });
    return box;
}

void ResultWindow::connectButtons() {
    const auto on = [this](const char* name, auto slot) {
        auto* button = findChild<QPushButton*>(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, slot);
    };
    on("cmdAnswer", [this] { takeFirstSheet(true); });
    on("cmdScore", [this] { takeFirstSheet(false); });
    on("cmdColorScore", [this] { colourScores(); });
    on("btnCount", [this] { countAnswers(); });
    on("cmdSave", [this] { saveTable(); });
    on("btnFilenameConv", [this] {
        if (openRename_) openRename_();
    });
    on("cmdUpdate", [this] { repaintTable(); });
    on("cmdReset", [this] { resetThresholdBoxes(); });
    on("cmdClose", [this] { close(); });
    on("cmdNextDoubtful", [this] { goToDoubtful(ReviewDirection::Forward); });
    on("cmdDensity", [this] { showDensity(); });
    const auto shortcut = [this](QKeySequence keys, ReviewDirection direction) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, [this, direction] { goToDoubtful(direction); });
    };
    shortcut(QKeySequence(Qt::Key_F3), ReviewDirection::Forward);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), ReviewDirection::Backward);
}

// ------------------------------------------------------------ review aids

void ResultWindow::goToDoubtful(ReviewDirection direction) {
    cancelEditor();
    const QModelIndex current = grid_->currentIndex();
    const GridCell from = current.isValid() ? GridCell{current.row(), current.column()}
                                            : GridCell{ResultTable::kHeaderRow, 0};
    const std::optional<GridCell> next = nextDoubtfulCell(context_.table, from, direction);
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
                                  ok ? std::optional<double>(threshold) : std::nullopt);
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
    raise();
    activateWindow();
    setCurrentCell(ResultTable::kFirstSheetRow, 1);
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
}

int ResultWindow::twipsToPixels(int twips) const {
    return twips * logicalDpiY() / kTwipsPerInch;
}

int ResultWindow::pixelsToTwips(int pixels) const {
    return pixels * kTwipsPerInch / std::max(logicalDpiY(), 1);
}

void ResultWindow::placeWindow() {
    const QScreen* screen = this->screen();
    const int twipsPerPixel = kTwipsPerInch / std::max(logicalDpiY(), 1);
    const int top = windowTwips(context_.settings.formTopTwips, pixelsToTwips(y()),
                                AppSettings::kDefaultFormTopPixels, twipsPerPixel);
    const int height = windowTwips(context_.settings.formHeightTwips, pixelsToTwips(this->height()),
                                   AppSettings::kDefaultFormHeightPixels, twipsPerPixel);
    const int screenWidth = screen ? screen->availableGeometry().width() : width();
    const int width = std::max(screenWidth - twipsToPixels(kNarrowerThanScreenTwips), 1);
    // Left and top place the frame, as the stored top is read back from it.
    resize(width, std::max(twipsToPixels(height), twipsToPixels(kMinimumHeightTwips)));
    move(0, twipsToPixels(top));
}

void ResultWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int frameWidth = std::max(width() - twipsToPixels(kFrameMarginTwips), 1);
    const int frameHeight = buttonFrame_->sizeHint().height();
    const int left = twipsToPixels(kLabelLeftTwips);
    buttonFrame_->setGeometry(left, 0, frameWidth, frameHeight);
    const int helpTop = height() - twipsToPixels(kHelpFromBottomTwips);
    const int labelHeight = lblHelp_->sizeHint().height();
    // The review buttons sit at the right end of the help and status lines.
    const QSize bar = reviewBar_->sizeHint();
    const int textWidth = std::max(frameWidth - bar.width() - 8, 1);
    reviewBar_->setGeometry(left + frameWidth - bar.width(), helpTop, bar.width(), bar.height());
    lblHelp_->setGeometry(left, helpTop, textWidth, labelHeight);
    lblStatus_->setGeometry(left, helpTop + labelHeight + twipsToPixels(kStatusBelowHelpTwips),
                            textWidth, labelHeight);
    const int gridTop = frameHeight + twipsToPixels(kGridGapTwips) / 2;
    const int gridHeight = helpTop - frameHeight - twipsToPixels(kGridGapTwips);
    grid_->setGeometry(left, gridTop, frameWidth, std::max(gridHeight, 1));
    if (txtEdit_->isVisible()) cancelEditor();
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

// ------------------------------------------------------------ grid events

bool ResultWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!grid_ || !txtEdit_) return QWidget::eventFilter(watched, event);  // still building
    const QEvent::Type type = event->type();
    if (watched == grid_ && type == QEvent::KeyPress) {
        return gridKeyPress(static_cast<QKeyEvent*>(event));
    }
    if (watched == grid_->viewport()) {
        if (type == QEvent::MouseButtonRelease) gridMouseRelease(static_cast<QMouseEvent*>(event));
        if (type == QEvent::MouseMove) gridMouseMove(static_cast<QMouseEvent*>(event));
        if (type == QEvent::Wheel) return scrollOneLine(static_cast<QWheelEvent*>(event));
        return false;
    }
    if (watched == txtEdit_ && (type == QEvent::KeyPress || type == QEvent::KeyRelease)) {
        return editorKey(static_cast<QKeyEvent*>(event));
    }
    if (type == QEvent::KeyRelease && isEnterKey(static_cast<QKeyEvent*>(event)->key()) &&
        (watched == txtNoMarkValue_ || watched == txtMarkValue_ || watched == txtMultiValue_ ||
         watched == txtMultiRange_)) {
        repaintTable();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool ResultWindow::gridKeyPress(QKeyEvent* event) {
    const QModelIndex current = grid_->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int col = current.isValid() ? current.column() : -1;
    const ResultTable& table = context_.table;
    const bool sheetQuestion = table.isSheetRow(row) && table.isQuestionColumn(col);
    switch (event->key()) {
        case Qt::Key_Space:
            if (sheetQuestion) showCrop(row, col);
            return true;
        case Qt::Key_Backspace:
            if (clearCellOnBackspace(context_.table, row, col, prompter_) == ClearResult::Cleared) {
                model_->refresh();
            }
            return true;
        case Qt::Key_Escape:
            hideImageViewer();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (canEditInPlace(table, row, col)) {
                editStartedByEnter_ = true;
                openEditor(row, col, std::nullopt);
            }
            return true;
        default:
            break;
    }
    if (isEditStartKey(event->text()) && canEditInPlace(table, row, col)) {
        editStartedByEnter_ = false;
        openEditor(row, col, event->text());
        return true;
    }
    return false;
}

void ResultWindow::gridMouseRelease(QMouseEvent* event) {
    cancelEditor();
    const QModelIndex index = grid_->indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    const int row = index.row();
    const int col = index.column();
    setCurrentCell(row, col);
    ResultTable& table = context_.table;
    const bool sheetRow = row >= ResultTable::kFirstSheetRow;
    if (row == ResultTable::kHeaderRow || (col == 0 && !sheetRow)) return;
    if (col == 0) openSheetImageOf(row);
    if (row >= table.rows() || col > table.questionCount()) return;
    if (event->modifiers() & Qt::ShiftModifier) {
        if (sheetRow && clearCellOnShiftClick(table, row, col, prompter_, *ownStatus_) ==
                            ClearResult::Cleared) {
            model_->refresh();
        }
        return;
    }
    if (event->button() == Qt::RightButton) {
        if (runInputDialog(table, row, col, prompter_, *ownStatus_)) model_->refresh();
        return;
    }
    if (sheetRow && col >= 1 && event->button() == Qt::LeftButton) showCrop(row, col);
}

void ResultWindow::gridMouseMove(QMouseEvent* event) {
    const QModelIndex index = grid_->indexAt(event->position().toPoint());
    if (index.isValid()) showCellStatus(index.row(), index.column());
}

bool ResultWindow::scrollOneLine(QWheelEvent* event) {
    // One row per wheel step, up when the wheel turns away from the user.
    const int delta = event->angleDelta().y();
    if (delta == 0) return false;
    grid_->verticalScrollBar()->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub
                                                        : QAbstractSlider::SliderSingleStepAdd);
    event->accept();
    return true;
}

void ResultWindow::showCellStatus(int row, int col) {
    const std::optional<QString> text = cellStatusText(context_.table, row, col, thresholds());
    if (text) lblStatus_->setText(*text);
}

void ResultWindow::setCurrentCell(int row, int col) {
    const QModelIndex index = model_->index(row, col);
    if (!index.isValid()) return;
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
}

void ResultWindow::showCrop(int row, int col) {
    if (viewer_.showImage) viewer_.showImage(row, col);
    raise();
    activateWindow();
    grid_->setFocus();
}

void ResultWindow::openSheetImageOf(int row) {
    const ResultTable& table = context_.table;
    const int sheet = ResultTable::sheetOfRow(row);
    const QString path =
        sheet >= 1 && sheet <= table.sheetCount() ? table.sheetPath(sheet) : QString();
    const QString problem = velmora::openWithDesktop(path, fileOpener_);
    if (!problem.isEmpty()) prompter_.message(problem, Prompter::Icon::Warning);
}

// ------------------------------------------------------- in-place editor

void ResultWindow::openEditor(int row, int col, const std::optional<QString>& typed) {
    const std::optional<QString> start = openInPlaceEditor(context_.table, row, col, typed);
    if (!start) return;
    const QModelIndex index = model_->index(row, col);
    grid_->scrollTo(index);
    const QRect cell = grid_->visualRect(index);
    const QPoint topLeft = grid_->viewport()->mapTo(this, cell.topLeft());
    editRow_ = row;
    editCol_ = col;
    txtEdit_->setGeometry(QRect(topLeft, cell.size()));
    txtEdit_->setText(*start);
    txtEdit_->show();
    txtEdit_->raise();
    txtEdit_->setFocus();
    if (typed) {
        txtEdit_->deselect();
        txtEdit_->setCursorPosition(int(start->size()));
    } else {
        txtEdit_->selectAll();
    }
}

bool ResultWindow::editorKey(QKeyEvent* event) {
    const int key = event->key();
    if (event->type() == QEvent::KeyPress) {
        // Enter and Escape act on key-up; their key-down is swallowed.
        return isEnterKey(key) || key == Qt::Key_Escape;
    }
    if (event->isAutoRepeat()) return false;
    if (isEnterKey(key)) {
        if (editStartedByEnter_) {
            editStartedByEnter_ = false;
        } else {
            commitEditor();
        }
        return true;
    }
    if (key == Qt::Key_Escape) {
        cancelEditor();
        grid_->setFocus();
        return true;
    }
    return false;
}

void ResultWindow::commitEditor() {
    if (!txtEdit_->isVisible()) return;
    const int next = commitInPlaceEdit(context_.table, editRow_, editCol_, txtEdit_->text());
    txtEdit_->hide();
    model_->refresh();
    setCurrentCell(editRow_, next);
    grid_->setFocus();
    editRow_ = editCol_ = -1;
}

void ResultWindow::cancelEditor() {
    editStartedByEnter_ = false;
    if (!txtEdit_->isVisible()) return;
    txtEdit_->hide();
    editRow_ = editCol_ = -1;
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
}

void ResultWindow::takeFirstSheet(bool asKey) {
    const FirstSheetRole role = asKey ? FirstSheetRole::AnswerKey : FirstSheetRole::Points;
    if (takeFirstSheetAs(context_.table, prompter_, role) && model_->refresh()) {
        applyColumnWidths();
    }
}

void ResultWindow::colourScores() {
    if (tarrow::colourScores(context_.table, prompter_)) model_->refresh();
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
