#include "reader/ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tarrow {

namespace {

const QString kDefaultCaption = QStringLiteral("既定値");
const QString kDefaultTip = QStringLiteral("既定値に戻す");
const QStringList kImageSizes = {"25", "50", "75", "100"};
const QStringList kSharpenRates = {"0", "10", "20", "30", "40", "50"};

template <typename Widget>
Widget* named(Widget* widget, const char* name, const QString& tip = {}) {
    widget->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) widget->setToolTip(tip);
    return widget;
}

QCheckBox* checkBox(const char* name, const QString& caption, const QString& tip) {
    return named(new QCheckBox(caption), name, tip);
}

QPushButton* defaultButton(const char* name) {
    return named(new QPushButton(kDefaultCaption), name, kDefaultTip);
}

QComboBox* editableCombo(const char* name, const QStringList& items, const QString& tip) {
    auto* combo = named(new QComboBox, name, tip);
    combo->setEditable(true);
    combo->addItems(items);
    return combo;
}

QGroupBox* frame(const char* name, const QString& caption) {
    return named(new QGroupBox(caption), name);
}

}  // namespace

SettingsDialog::SettingsDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("各種設定"));
    setModal(false);
    if (parent) setWindowIcon(parent->windowIcon());

    auto* btnOK = named(new QPushButton(QStringLiteral("閉じる")), "btnOK");
    connect(btnOK, &QPushButton::clicked, this, &QWidget::hide);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(btnOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildReadFrame());
    layout->addWidget(buildImageFrame());
    layout->addWidget(buildMultiMarkedFrame());
    layout->addWidget(buildNoMarkedFrame());
    layout->addLayout(closeRow);

    refreshControls();
    connectControls();
}

QGroupBox* SettingsDialog::buildReadFrame() {
    chkTen_ =
        checkBox("chkTen", QStringLiteral("10→0変換"), QStringLiteral("10を0に変換して結果表示"));
    chkTrans_ =
        checkBox("chkTrans", QStringLiteral("転置書出"), QStringLiteral("行と列を転置して保存"));
    chkRotate_ = checkBox(
        "chkRotate", QStringLiteral("画像回転"),
        QStringLiteral("ｽｷｬﾝ画像を強制的に180°回転して表示(通常、使用する必要はありません)"));
    btnReadDefault_ = defaultButton("btnReadDefault");

    QGroupBox* box = frame("fraRead", QStringLiteral("読み取り動作設定"));
    auto* row = new QHBoxLayout(box);
    row->addWidget(chkTen_);
    row->addWidget(chkTrans_);
    row->addWidget(chkRotate_);
    row->addStretch();
    row->addWidget(btnReadDefault_);
    return box;
}

QGroupBox* SettingsDialog::buildImageFrame() {
    comboImageSize_ =
        editableCombo("ComboImageSize", kImageSizes, QStringLiteral("切り出し画像の画像縮小比率"));
    comboSharpenRate_ = editableCombo("ComboSharpenRate", kSharpenRates,
                                      QStringLiteral("切り出し画像のくっきり化(エッジ強調)度合"));
    btnImageDefault_ = defaultButton("btnImageDefault");

    QGroupBox* box = frame("fraImage", QStringLiteral("切り出し画像設定"));
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("画像縮小比率")), 0, 0);
    grid->addWidget(comboImageSize_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("%  (既定値=75)")), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("くっきり化度合")), 1, 0);
    grid->addWidget(comboSharpenRate_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(既定値=30)")), 1, 2);
    grid->setColumnStretch(3, 1);
    grid->addWidget(btnImageDefault_, 0, 4, 2, 1);
    return box;
}

QGroupBox* SettingsDialog::buildMultiMarkedFrame() {
    chkMultiMarked_ = checkBox("chkMultiMarked", QStringLiteral("有効"),
                               QStringLiteral("単一選択問題で複数マークが塗られたことを検出すると、"
                                              "結果表示パネル上に灰色表示する"));
    txtMultiMarked_ = named(new QLineEdit, "txtMultiMarked",
                            QStringLiteral("単一選択問題で複数マークが塗られたと判定するしきい値"));
    btnMultiMarkedDefault_ = defaultButton("btnMultiMarkedDefault");

    QGroupBox* box = frame("fraMultiMarked", QStringLiteral("単一選択問題の複数ﾏｰｸﾁｪｯｸ"));
    auto* grid = new QGridLayout(box);
    grid->addWidget(chkMultiMarked_, 0, 0, 1, 3, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("判定しきい値")), 1, 0);
    grid->addWidget(txtMultiMarked_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(既定値=2.0)")), 1, 2);
    grid->setColumnStretch(3, 1);
    grid->addWidget(btnMultiMarkedDefault_, 0, 4, 2, 1);
    return box;
}

QGroupBox* SettingsDialog::buildNoMarkedFrame() {
    txtNoMarked_ = named(new QLineEdit, "txtNoMarked",
                         QStringLiteral("単一選択問題でマーク無しと判定される塗りつぶし面積割合"));
    btnNoMarkedDefault_ = defaultButton("btnNoMarkedDefault");

    QGroupBox* box = frame("fraNoMarked", QStringLiteral("単一選択問題のﾏｰｸ無しﾁｪｯｸ (ﾊﾟｰｾﾝﾄ)"));
    auto* row = new QHBoxLayout(box);
    row->addWidget(new QLabel(QStringLiteral("判定しきい値")));
    row->addWidget(txtNoMarked_);
    row->addWidget(new QLabel(QStringLiteral("(既定値=10)")));
    row->addStretch();
    row->addWidget(btnNoMarkedDefault_);
    return box;
}

void SettingsDialog::connectControls() {
    AppSettings& s = settings_;
    connect(chkTen_, &QCheckBox::toggled, this, [this, &s](bool on) {
        s.tenToZero = on;
        if (reviewOptionsChanged_) reviewOptionsChanged_();
    });
    connect(chkTrans_, &QCheckBox::toggled, this, [&s](bool on) { s.transpose = on; });
    connect(chkRotate_, &QCheckBox::toggled, this, [&s](bool on) { s.rotateView = on; });
    connect(chkMultiMarked_, &QCheckBox::toggled, this, [this, &s](bool on) {
        s.multiMarked = on;
        if (reviewOptionsChanged_) reviewOptionsChanged_();
    });
    connect(comboImageSize_, &QComboBox::currentTextChanged, this,
            [&s](const QString& text) { s.imageScale = text; });
    connect(comboSharpenRate_, &QComboBox::currentTextChanged, this,
            [&s](const QString& text) { s.sharpenRate = text; });
    connect(txtMultiMarked_, &QLineEdit::textChanged, this,
            [&s](const QString& text) { s.multiMarkedThreshold = text; });
    connect(txtNoMarked_, &QLineEdit::textChanged, this,
            [&s](const QString& text) { s.noMarkedPercent = text; });

    // One plain lambda per button: slots made by a local lambda factory
    // (capturing a pointer to member) read from the stack when clicked, as
    // AddressSanitizer reported.
    connect(btnReadDefault_, &QPushButton::clicked, this, [this] {
        settings_.resetReadOptions();
        refreshControls();
    });
    connect(btnImageDefault_, &QPushButton::clicked, this, [this] {
        settings_.resetImageOptions();
        refreshControls();
    });
    connect(btnMultiMarkedDefault_, &QPushButton::clicked, this, [this] {
        settings_.resetMultiMarkedOptions();
        refreshControls();
    });
    connect(btnNoMarkedDefault_, &QPushButton::clicked, this, [this] {
        settings_.resetNoMarkedOptions();
        refreshControls();
    });
}

void SettingsDialog::refreshControls() {
    const QSignalBlocker blockTen(chkTen_), blockTrans(chkTrans_), blockRotate(chkRotate_),
        blockMulti(chkMultiMarked_), blockSize(comboImageSize_), blockSharpen(comboSharpenRate_),
        blockMultiText(txtMultiMarked_), blockNoMarked(txtNoMarked_);
    chkTen_->setChecked(settings_.tenToZero);
    chkTrans_->setChecked(settings_.transpose);
    chkRotate_->setChecked(settings_.rotateView);
    chkMultiMarked_->setChecked(settings_.multiMarked);
    comboImageSize_->setCurrentText(settings_.imageScale);
    comboSharpenRate_->setCurrentText(settings_.sharpenRate);
    txtMultiMarked_->setText(settings_.multiMarkedThreshold);
    txtNoMarked_->setText(settings_.noMarkedPercent);
}

}  // namespace tarrow
