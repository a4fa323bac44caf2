#include "reader/ui/rename_dialog.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tarrow {

namespace {

QLineEdit* nameBox(const char* name) {
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QPushButton* button(const char* name, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

/// The desktop's viewer for the log; a failure to open it is not reported.
void openWithDesktop(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace

RenameDialog::RenameDialog(AppContext& ctx, Prompter& prompter, QWidget* parent)
    : QDialog(parent), ctx_(ctx), prompter_(prompter), openLog_(openWithDesktop) {
    setObjectName(QStringLiteral("frmRename"));
    setWindowTitle(QStringLiteral("画像ファイル名の一括変換"));
    if (parent) setWindowIcon(parent->windowIcon());

    txtPrefix_ = nameBox("txtPrefix");
    txtPattern_ = nameBox("txtPattern");
    txtPostfix_ = nameBox("txtPostfix");

    auto* patternFrame = new QGroupBox(QStringLiteral("出力ファイル名パターン"));
    auto* grid = new QGridLayout(patternFrame);
    grid->addWidget(new QLabel(QStringLiteral("前置固定文字列")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("読取値の列番号　（カンマ区切りで複数指定可）")), 0,
                    1);
    grid->addWidget(new QLabel(QStringLiteral("後置固定文字列")), 0, 2);
    grid->addWidget(txtPrefix_, 1, 0);
    grid->addWidget(txtPattern_, 1, 1);
    grid->addWidget(txtPostfix_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral(". jpg")), 1, 3);
    grid->addWidget(
        new QLabel(QStringLiteral("例） 1,2,--,0      0は元ﾌｧｲﾙ名、文字や記号はそのまま出力")), 2,
        1);
    grid->setColumnStretch(1, 1);

    QPushButton* run = button("btnRenameRun", QStringLiteral("実行"));
    QPushButton* cancel = button("btnRenameCancel", QStringLiteral("キャンセル"));
    connect(run, &QPushButton::clicked, this, &RenameDialog::runRename);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(run);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("全スキャン画像を、読取値に応じたファイル名を付けて保存します"
                                  "（元スキャン画像ファイルは保持されます）。")));
    layout->addWidget(patternFrame);
    layout->addLayout(buttons);
}

void RenameDialog::runRename() {
    RenameRequest request;
    request.prefix = txtPrefix_->text();
    request.pattern = txtPattern_->text();
    request.postfix = txtPostfix_->text();
    request.dataFolder = ctx_.dataFolder;
    request.openLog = openLog_;
    lastRun_ = runBatchRename(ctx_.table, prompter_, request);
    if (lastRun_.completed) hide();
}

}  // namespace tarrow
