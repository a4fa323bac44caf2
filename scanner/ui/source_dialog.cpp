#include "scanner/ui/source_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "scanner/core/twain_session.h"
#include "scanner/ui/prompter.h"

namespace fenwary {

namespace {

constexpr int kMinResolution = 50;
constexpr int kMaxResolution = 1200;
constexpr int kListHeight = 120;

struct ModeItem {
    ScanMode mode;
    const char16_t* text;
};
constexpr ModeItem kModes[] = {
    {ScanMode::Color, u"カラー"}, {ScanMode::Gray, u"グレー"}, {ScanMode::Lineart, u"白黒"}};

}  // namespace

SourceDialog::SourceDialog(Acquisition& sane, TwainSession* twain, Prompter& prompter,
                           const ScanSettings& current, QWidget* parent)
    : QDialog(parent), twain_(twain), prompter_(prompter), choice_(current.sourceChoice()) {
    setObjectName(QStringLiteral("dlgSource"));
    setWindowTitle(QStringLiteral(u"スキャナ選択"));
    if (choice_.kind == SourceKind::Sane) storedDevice_ = choice_.name;

    lstDevices_ = new QListWidget(this);
    lstDevices_->setObjectName(QStringLiteral("lstDevices"));
    lstDevices_->setMinimumHeight(kListHeight);
    lblListState_ = new QLabel(QStringLiteral(u"スキャナを探しています..."), this);
    lblListState_->setObjectName(QStringLiteral("lblListState"));
    chkFeeder_ = new QCheckBox(QStringLiteral(u"フィーダーの用紙をすべて読み取る(&F)"), this);
    chkFeeder_->setObjectName(QStringLiteral("chkFeeder"));
    chkFeeder_->setChecked(current.saneFeeder);
    spnResolution_ = new QSpinBox(this);
    spnResolution_->setObjectName(QStringLiteral("spnResolution"));
    spnResolution_->setRange(kMinResolution, kMaxResolution);
    spnResolution_->setSuffix(QStringLiteral(" dpi"));
    spnResolution_->setValue(current.saneResolution);
    cmbMode_ = new QComboBox(this);
    cmbMode_->setObjectName(QStringLiteral("cmbMode"));
    for (const ModeItem& item : kModes) {
        cmbMode_->addItem(QString::fromUtf16(item.text), QString(scanModeText(item.mode)));
    }
    cmbMode_->setCurrentIndex(
        std::max(0, cmbMode_->findData(QString(scanModeText(parseScanMode(current.saneMode))))));
    btnTwain_ = new QPushButton(QStringLiteral(u"TWAINソース(&T)..."), this);
    btnTwain_->setObjectName(QStringLiteral("btnTwain"));
    btnTwain_->setEnabled(twain_ != nullptr && twain_->managerInstalled());
    if (!btnTwain_->isEnabled()) {
        btnTwain_->setToolTip(
            QStringLiteral(u"TWAINのソースマネージャがインストールされていません"));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnOk_ = buttons->button(QDialogButtonBox::Ok);
    btnOk_->setObjectName(QStringLiteral("btnOk"));

    auto* options = new QFormLayout;
    options->addRow(QString(), chkFeeder_);
    options->addRow(QStringLiteral(u"解像度(&R)"), spnResolution_);
    options->addRow(QStringLiteral(u"カラーモード(&M)"), cmbMode_);
    auto* layout = new QVBoxLayout(this);
    auto* listLabel = new QLabel(QStringLiteral(u"スキャナ(&S)"), this);
    listLabel->setBuddy(lstDevices_);
    layout->addWidget(listLabel);
    layout->addWidget(lstDevices_);
    layout->addWidget(lblListState_);
    layout->addLayout(options);
    layout->addWidget(btnTwain_, 0, Qt::AlignLeft);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnTwain_, &QPushButton::clicked, this, &SourceDialog::chooseTwain);
    connect(lstDevices_, &QListWidget::currentRowChanged, this, [this] { updateOk(); });
    connect(lstDevices_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    updateOk();

    QPointer<SourceDialog> guard(this);
    sane.listSources([guard](std::vector<SourceInfo> devices) {
        if (guard) guard->showDevices(devices);
    });
}

void SourceDialog::showDevices(const std::vector<SourceInfo>& devices) {
    listed_ = true;
    for (const SourceInfo& device : devices) {
        const QString name = QString::fromStdString(device.name);
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  (%2)").arg(name, QString::fromStdString(device.description)),
            lstDevices_);
        item->setData(Qt::UserRole, name);
        if (device.name == storedDevice_) lstDevices_->setCurrentItem(item);
    }
    if (lstDevices_->currentRow() < 0 && lstDevices_->count() > 0) lstDevices_->setCurrentRow(0);
    lblListState_->setText(devices.empty() ? QStringLiteral(u"スキャナが見つかりません。")
                                           : QString());
    updateOk();
}

void SourceDialog::chooseTwain() {
    if (twain_ == nullptr) return;
    const auto chosen = twain_->selectSource(
        [this](const std::vector<SourceInfo>& sources, const std::string& defaultSource) {
            QStringList names;
            int current = 0;
            for (const SourceInfo& source : sources) {
                if (source.name == defaultSource) current = int(names.size());
                names << QString::fromStdString(source.name);
            }
            const auto item = prompter_.chooseItem(QStringLiteral(u"TWAINソースの選択"),
                                                   QStringLiteral(u"ソース:"), names, current);
            return item ? std::optional<std::string>(item->toStdString()) : std::nullopt;
        });
    if (!chosen) return;
    choice_ = SourceChoice{SourceKind::Twain, *chosen};
    twainChosen_ = true;
    done(QDialog::Accepted);
}

void SourceDialog::updateOk() {
    btnOk_->setEnabled(lstDevices_->currentItem() != nullptr);
}

void SourceDialog::applyTo(ScanSettings& settings) const {
    SourceChoice choice = choice_;
    if (!twainChosen_) {
        if (const QListWidgetItem* item = lstDevices_->currentItem()) {
            choice =
                SourceChoice{SourceKind::Sane, item->data(Qt::UserRole).toString().toStdString()};
        }
    }
    settings.source = choice.text();
    settings.saneFeeder = chkFeeder_->isChecked();
    settings.saneResolution = spnResolution_->value();
    settings.saneMode = cmbMode_->currentData().toString().toStdString();
}

}  // namespace fenwary
