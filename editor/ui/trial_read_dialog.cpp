#include "editor/ui/trial_read_dialog.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/core/editor_document.h"

namespace dravel {
namespace {

constexpr int kMinimumWidth = 560;

}  // namespace

TrialReadDialog::TrialReadDialog(EditorDocument& document,
                                 std::function<QStringList()> chooseImages,
                                 std::function<void()> readAgain, QWidget* parent)
    : QDialog(parent),
      document_(document),
      chooseImages_(std::move(chooseImages)),
      readAgain_(std::move(readAgain)) {
    setObjectName(QStringLiteral("TrialReadDialog"));
    setWindowTitle(QStringLiteral(u"試し読みの結果"));
    setMinimumWidth(kMinimumWidth);
    basis_ = new QLabel(this);
    basis_->setObjectName(QStringLiteral("lblReviewBasis"));
    basis_->setWordWrap(true);
    summary_ = new QListWidget(this);
    summary_->setObjectName(QStringLiteral("lstSummary"));
    warning_ = new QLabel(this);
    warning_->setObjectName(QStringLiteral("lblWarning"));
    warning_->setWordWrap(true);
    warning_->setStyleSheet(QStringLiteral("color: #c00000;"));
    auto* legend = new QLabel(
        QStringLiteral(u"枠の色: 青=読取値  赤=ﾏｰｸ無し  橙=薄い  紫紅=二重ﾏｰｸ  紫=ﾄﾞｯﾄ境界"), this);
    legend->setWordWrap(true);
    auto* add = new QPushButton(QStringLiteral(u"画像を追加(&A)..."), this);
    add->setObjectName(QStringLiteral("cmdAddImages"));
    auto* close = new QPushButton(QStringLiteral(u"閉じる"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(add, &QPushButton::clicked, this, &TrialReadDialog::addImages);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(basis_);
    layout->addWidget(summary_);
    layout->addWidget(warning_);
    layout->addWidget(legend);
    layout->addLayout(buttons);
    refresh();
}

void TrialReadDialog::refresh() {
    basis_->setText(reviewBasis(document_.review()));
    const QStringList report = document_.trialReport();
    summary_->clear();
    const auto scans = qsizetype(1 + document_.otherTrials().size());
    // The report lists the scans first; a line after them is the warning.
    summary_->addItems(report.mid(0, std::min(scans, report.size())));
    warning_->setText(report.size() > scans ? report.mid(scans).join(u'\n') : QString());
    warning_->setVisible(report.size() > scans);
}

void TrialReadDialog::addImages() {
    const QStringList chosen = chooseImages_ ? chooseImages_() : QStringList();
    if (chosen.isEmpty()) return;
    std::vector<std::string> paths = document_.trialImages();
    for (const QString& path : chosen) paths.push_back(QFile::encodeName(path).toStdString());
    document_.setTrialImages(std::move(paths));
    if (readAgain_) readAgain_();
    refresh();
}

}  // namespace dravel
