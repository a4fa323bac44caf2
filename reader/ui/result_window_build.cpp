// Building the result window: its grid, review bar, buttons and threshold
// boxes, and their connections.
#include <QBoxLayout>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QUrl>

#include "reader/ui/density_window.h"
#include "reader/ui/frozen_grid_view.h"
#include "reader/ui/image_viewer.h"
#include "reader/ui/rename_dialog.h"
#include "reader/ui/result_table_model.h"
#include "reader/ui/result_window.h"

namespace tarrow {

using namespace Qt::StringLiterals;

namespace {

constexpr int kThresholdBoxWidth = 44;

}  // namespace

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
    grid_ = new FrozenGridView(this);
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
    // The frozen rows and column take the same clicks and wheel as the grid.
    for (QTableView* frozen : grid_->frozenViews()) frozen->viewport()->installEventFilter(this);
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
    lblHelp_->setWordWrap(true);
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
    layout->addWidget(addButton(bar, "cmdFailedSheets", u"読取失敗一覧"_s,
                                u"読み取れなかったｽｷｬﾝ画像の一覧を表示する"_s));
    layout->addWidget(
        addButton(bar, "cmdDensity", u"濃度分布..."_s,
                  u"全設問のﾏｰｸ濃度の分布と、提案するﾏｰｸ無し濃度しきい値を表示する"_s));
    layout->addWidget(addButton(bar, "cmdAnalysis", u"分析..."_s,
                                u"設問分析・得点分布・個人票（正答がなければアンケート集計）"_s));
    return bar;
}

QFrame* ResultWindow::buildButtonFrame() {
    auto* frame = new QFrame(this);
    frame->setObjectName(u"Frame1"_s);
    // The command buttons and the threshold row side by side, or one above
    // the other when the window is too narrow for both (fitButtonFrame).
    buttonRows_ = new QBoxLayout(QBoxLayout::LeftToRight, frame);
    buttonRows_->setContentsMargins(2, 2, 2, 2);
    buttonRows_->setSpacing(12);
    auto* commands = new QHBoxLayout;
    // The threshold row: its boxes, then its buttons, the buttons going
    // below the boxes when even that row alone is too wide.
    thresholdRows_ = new QBoxLayout(QBoxLayout::LeftToRight);
    auto* thresholds = new QHBoxLayout;
    auto* thresholdButtons = new QHBoxLayout;
    thresholdRows_->addLayout(thresholds);
    thresholdRows_->addLayout(thresholdButtons, 1);
    buttonRows_->addLayout(commands);
    buttonRows_->addLayout(thresholdRows_, 1);
    commands->addWidget(addButton(frame, "cmdAnswer", u"正答画像読込"_s,
                                  u"1行目のｽｷｬﾝ画像を正答入力画像として扱う"_s));
    commands->addWidget(addButton(frame, "cmdScore", u"配点画像読込"_s,
                                  u"1行目のｽｷｬﾝ画像を配点入力画像として扱う"_s));
    commands->addWidget(addButton(frame, "cmdColorScore", u"正誤色分け表示"_s,
                                  u"正解答を黄色、誤解答を朱色で色分け表示する"_s));
    commands->addWidget(
        addButton(frame, "btnCount", u"回答別集計"_s,
                  u"回答別集計ﾌｧｲﾙの出力。全設問について、回答毎の人数を集計します"_s));
    commands->addWidget(
        addButton(frame, "cmdSave", u"結果保存"_s,
                  u"読取値・採点値を保存（採点値は正答が入力されている場合のみ保存されます）"_s));
    commands->addWidget(addButton(frame, "btnFilenameConv", u"ﾌｧｲﾙ名変換"_s,
                                  u"読取値に応じた画像ファイル名に一括変換"_s));
    commands->addStretch(1);

    auto* noMarkLabel = new QLabel(u"ﾏｰｸ無し濃度しきい値"_s, frame);
    noMarkLabel->setObjectName(u"lblNoMarkValue"_s);
    thresholds->addWidget(noMarkLabel);
    txtNoMarkValue_ = addThresholdBox(frame, "txtNoMarkValue",
                                      u"マーク無しと判定する濃度しきい値（ﾃﾞﾌｫﾙﾄ=2.0）"_s);
    thresholds->addWidget(txtNoMarkValue_);
    auto* markLabel = new QLabel(u"薄いﾏｰｸ濃度しきい値"_s, frame);
    markLabel->setObjectName(u"lblMarkValue"_s);
    thresholds->addWidget(markLabel);
    txtMarkValue_ =
        addThresholdBox(frame, "txtMarkValue", u"薄いマークと判定する濃度しきい値（ﾃﾞﾌｫﾙﾄ=3.0）"_s);
    thresholds->addWidget(txtMarkValue_);
    lblMultiValue_ = new QLabel(u"ﾄﾞｯﾄ数しきい値"_s, frame);
    lblMultiValue_->setObjectName(u"lblMultiValue"_s);
    thresholds->addWidget(lblMultiValue_);
    txtMultiValue_ = addThresholdBox(frame, "txtMultiValue",
                                     u"複数選択時、ﾏｰｸ有りと判定する最小ﾄﾞｯﾄ数（ﾃﾞﾌｫﾙﾄ=150）"_s);
    thresholds->addWidget(txtMultiValue_);
    lblPlusMinus_ = new QLabel(u"±"_s, frame);
    lblPlusMinus_->setObjectName(u"lblPlusMinus"_s);
    thresholds->addWidget(lblPlusMinus_);
    txtMultiRange_ =
        addThresholdBox(frame, "txtMultiRange",
                        u"しきい値ﾄﾞｯﾄ数に近い要注意ﾏｰｸを色分け （ﾃﾞﾌｫﾙﾄ=±50ﾄﾞｯﾄ以内を色分け）"_s);
    thresholds->addWidget(txtMultiRange_);
    for (QWidget* multi :
         {static_cast<QWidget*>(lblMultiValue_), static_cast<QWidget*>(txtMultiValue_),
          static_cast<QWidget*>(lblPlusMinus_), static_cast<QWidget*>(txtMultiRange_)}) {
        multi->hide();
    }
    thresholdButtons->addWidget(addButton(
        frame, "cmdUpdate", u"濃度色分け表示"_s,
        u"現在のﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値に応じて色分け表示する"_s));
    thresholdButtons->addWidget(addButton(
        frame, "cmdReset", u"リセット"_s,
        u"ﾏｰｸ無し濃度しきい値・薄いﾏｰｸ濃度しきい値・最小ﾄﾞｯﾄ数しきい値などの読取設定を初期化する"_s));
    thresholdButtons->addStretch(1);
    thresholdButtons->addWidget(addButton(frame, "cmdClose", u"閉じる"_s, QString()));
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
    on("cmdFailedSheets", [this] { showFailedSheets(); });
    on("cmdAnalysis", [this] { showAnalysis(); });
    const auto shortcut = [this](QKeySequence keys, ReviewDirection direction) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, [this, direction] { goToDoubtful(direction); });
    };
    shortcut(QKeySequence(Qt::Key_F3), ReviewDirection::Forward);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), ReviewDirection::Backward);
}

}  // namespace tarrow
