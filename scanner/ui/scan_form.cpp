#include "scanner/ui/scan_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "common/qt/desktop_open.h"

namespace fenwary {

namespace {

constexpr int kNumberFieldWidth = 90;
constexpr int kFolderFieldWidth = 360;

QLabel* label(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

template <typename Widget>
Widget* named(Widget* widget, const char* name, const QString& tip = {}) {
    widget->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) widget->setToolTip(tip);
    return widget;
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QString droppedFolder(const QString& path) {
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return velmora::folderWithSeparator(folder);
}

ScanForm::ScanForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CFenwaryView"));
    setAcceptDrops(true);
    buildControls();
}

void ScanForm::buildControls() {
    edtFolder_ = named(new QLineEdit(this), "edtFolder");
    edtFolder_->setMinimumWidth(kFolderFieldWidth);
    btnBrowse_ = named(new QPushButton(QStringLiteral(u"参照..."), this), "btnBrowse",
                       QStringLiteral(u"出力フォルダの選択"));
    chkUseCounter_ = named(new QCheckBox(this), "chkUseCounter",
                           QStringLiteral(u"出力ファイル名にカウンター値を追加する"));
    edtCounter_ = named(new QLineEdit(this), "edtCounter");
    edtStep_ = named(new QLineEdit(this), "edtStep");
    edtDigits_ = named(new QLineEdit(this), "edtDigits");
    edtPrefix_ = named(new QLineEdit(this), "edtPrefix");
    cmbFormat_ = named(new QComboBox(this), "cmbFormat");
    cmbFormat_->addItems({QStringLiteral("JPEG"), QStringLiteral("BMP"), QStringLiteral("PNG")});
    edtQuality_ = named(new QLineEdit(this), "edtQuality");
    lblQuality_ = named(label(QStringLiteral(u"画質"), edtQuality_, this), "lblQuality");
    btnReset_ = named(new QPushButton(QStringLiteral(u"ﾘｾｯﾄ"), this), "btnReset",
                      QStringLiteral(u"設定のリセット"));
    chkPreview_ = named(new QCheckBox(QStringLiteral(u"ﾌﾟﾚﾋﾞｭｰ"), this), "chkPreview");
    chkClipboard_ = named(new QCheckBox(QStringLiteral(u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ"), this), "chkClipboard",
                          QStringLiteral(u"出力画像をクリップボードにコピー"));
    chkClipboard_->setVisible(false);  // set only through the stored settings
    edtOutputFile_ = named(new QLineEdit(this), "edtOutputFile");
    edtOutputFile_->setReadOnly(true);
    edtOutputFile_->setEnabled(false);
    btnOpenFolder_ = named(new QPushButton(QStringLiteral(u"開く..."), this), "btnOpenFolder",
                           QStringLiteral(u"エクスプローラを開く"));
    btnSelectScanner_ = named(new QPushButton(QStringLiteral(u"スキャナ選択"), this),
                              "btnSelectScanner", QStringLiteral(u"スキャナまたはTWAINソース選択"));
    btnStartScan_ = named(new QPushButton(QStringLiteral(u"スキャン開始"), this), "btnStartScan",
                          QStringLiteral(u"スキャン開始"));
    lblResolution_ = named(new QLabel(this), "lblResolution");
    btnExit_ = named(new QPushButton(QStringLiteral(u"終了"), this), "btnExit",
                     QStringLiteral(u"アプリケーションの終了"));
    for (QLineEdit* number : {edtCounter_, edtStep_, edtDigits_, edtQuality_}) {
        number->setMaximumWidth(kNumberFieldWidth);
    }

    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(label(QStringLiteral(u"出力ﾌｫﾙﾀﾞ"), edtFolder_, this), 0, 0);
    grid->addWidget(edtFolder_, 0, 1, 1, 5);
    grid->addWidget(btnBrowse_, 0, 6);

    auto* counterRow = new QHBoxLayout;
    counterRow->addWidget(chkUseCounter_);
    counterRow->addWidget(label(QStringLiteral(u"ｶｳﾝﾀｰ"), edtCounter_, this));
    counterRow->addWidget(edtCounter_);
    counterRow->addWidget(label(QStringLiteral(u"増分"), edtStep_, this));
    counterRow->addWidget(edtStep_);
    counterRow->addWidget(label(QStringLiteral(u"桁数"), edtDigits_, this));
    counterRow->addWidget(edtDigits_);
    counterRow->addStretch();
    grid->addLayout(counterRow, 1, 0, 1, 7);

    grid->addWidget(label(QStringLiteral(u"前置ﾌｧｲﾙ名"), edtPrefix_, this), 2, 0);
    grid->addWidget(edtPrefix_, 2, 1, 1, 2);
    grid->addWidget(label(QStringLiteral(u"画像形式"), cmbFormat_, this), 3, 0);
    grid->addWidget(cmbFormat_, 3, 1);
    grid->addWidget(lblQuality_, 3, 2, Qt::AlignRight);
    grid->addWidget(edtQuality_, 3, 3);
    grid->addWidget(btnReset_, 3, 6);
    grid->addWidget(chkPreview_, 4, 1);
    grid->addWidget(chkClipboard_, 4, 2);

    grid->addWidget(label(QStringLiteral(u"出力ﾌｧｲﾙ名"), edtOutputFile_, this), 5, 0);
    grid->addWidget(edtOutputFile_, 5, 1, 1, 5);
    grid->addWidget(btnOpenFolder_, 5, 6);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSelectScanner_);
    buttons->addWidget(btnStartScan_);
    buttons->addStretch();
    buttons->addWidget(lblResolution_);
    buttons->addStretch();
    buttons->addWidget(btnExit_);
    grid->addLayout(buttons, 6, 0, 1, 7);

    connect(btnBrowse_, &QPushButton::clicked, this, &ScanForm::browseClicked);
    connect(btnReset_, &QPushButton::clicked, this, &ScanForm::resetClicked);
    connect(btnOpenFolder_, &QPushButton::clicked, this, &ScanForm::openFolderClicked);
    connect(btnSelectScanner_, &QPushButton::clicked, this, &ScanForm::selectSourceClicked);
    connect(btnStartScan_, &QPushButton::clicked, this, &ScanForm::startScanClicked);
    connect(btnExit_, &QPushButton::clicked, this, &ScanForm::exitClicked);
    connect(chkPreview_, &QCheckBox::toggled, this, &ScanForm::previewToggled);
    connect(cmbFormat_, &QComboBox::currentIndexChanged, this,
            [this] { updateQualityVisibility(); });
    connect(chkUseCounter_, &QCheckBox::toggled, this, [this] { updateCounterEnabled(); });
}

void ScanForm::showSettings(const ScanSettings& settings) {
    const FormTexts texts = formTexts(settings);
    edtFolder_->setText(fromUtf8(texts.folder));
    edtCounter_->setText(fromUtf8(texts.counter));
    edtStep_->setText(fromUtf8(texts.step));
    edtDigits_->setText(fromUtf8(texts.digits));
    edtPrefix_->setText(fromUtf8(texts.prefix));
    cmbFormat_->setCurrentIndex(texts.format);
    edtQuality_->setText(fromUtf8(texts.jpegQuality));
    chkUseCounter_->setChecked(texts.useCounter);
    chkClipboard_->setChecked(texts.clipboard);
    {
        const QSignalBlocker quiet(chkPreview_);
        chkPreview_->setChecked(texts.preview);
    }
    updateQualityVisibility();
    updateCounterEnabled();
}

FormTexts ScanForm::texts() const {
    FormTexts t;
    t.folder = edtFolder_->text().toStdString();
    t.counter = edtCounter_->text().toStdString();
    t.step = edtStep_->text().toStdString();
    t.digits = edtDigits_->text().toStdString();
    t.prefix = edtPrefix_->text().toStdString();
    t.format = cmbFormat_->currentIndex();
    t.jpegQuality = edtQuality_->text().toStdString();
    t.useCounter = chkUseCounter_->isChecked();
    t.clipboard = chkClipboard_->isChecked();
    t.preview = chkPreview_->isChecked();
    return t;
}

void ScanForm::focusField(FormField field) {
    QLineEdit* edit = edtCounter_;
    switch (field) {
        case FormField::Counter:
            break;
        case FormField::Step:
            edit = edtStep_;
            break;
        case FormField::Digits:
            edit = edtDigits_;
            break;
        case FormField::JpegQuality:
            edit = edtQuality_;
            break;
    }
    edit->setFocus();
    edit->selectAll();
}

void ScanForm::setFolder(const QString& folder) {
    edtFolder_->setText(folder);
}

void ScanForm::setCounter(std::uint32_t counter) {
    edtCounter_->setText(QString::number(counter));
}

void ScanForm::setLastOutputFile(const QString& path) {
    edtOutputFile_->setText(path);
}

QString ScanForm::lastOutputFile() const {
    return edtOutputFile_->text();
}

void ScanForm::setResolutionText(const QString& text) {
    lblResolution_->setText(text);
}

void ScanForm::setPreviewChecked(bool checked) {
    const QSignalBlocker quiet(chkPreview_);
    chkPreview_->setChecked(checked);
}

void ScanForm::setScanning(bool scanning) {
    btnSelectScanner_->setEnabled(!scanning);
    btnStartScan_->setEnabled(!scanning);
}

void ScanForm::updateQualityVisibility() {
    const bool jpeg = cmbFormat_->currentIndex() == int(ImageFormat::Jpeg);
    lblQuality_->setVisible(jpeg);
    edtQuality_->setVisible(jpeg);
}

void ScanForm::updateCounterEnabled() {
    const bool use = chkUseCounter_->isChecked();
    for (QLineEdit* edit : {edtCounter_, edtStep_, edtDigits_}) edit->setEnabled(use);
}

void ScanForm::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void ScanForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    emit folderDropped(droppedFolder(urls.first().toLocalFile()));
}

}  // namespace fenwary
