// The batch rename dialog "画像ファイル名の一括変換" (frmRename): a prefix,
// a pattern of result columns and literal tokens, and a postfix; "実行"
// copies every sheet image under its new name into a chosen folder (see
// reader/core/batch_rename.h) and opens the log it wrote.
#pragma once

#include <QDialog>
#include <functional>

#include "reader/core/batch_rename.h"
#include "reader/core/prompter.h"
#include "reader/ui/app_context.h"

class QLineEdit;
class QPushButton;

namespace tarrow {

class RenameDialog : public QDialog {
    Q_OBJECT
public:
    /// Opens a written log file; by default the desktop's viewer for it.
    using LogOpener = std::function<void(const QString& path)>;

    /// Renames the sheets of `ctx.table`, logging into `ctx.dataFolder`;
    /// questions and messages go through `prompter`. Both must outlive the
    /// dialog. It takes the icon of `parent` when there is one.
    RenameDialog(AppContext& ctx, Prompter& prompter, QWidget* parent = nullptr);

    /// Replaces how the log is opened (tests record it instead).
    void setLogOpener(LogOpener opener) { openLog_ = std::move(opener); }

    /// What the last "実行" came to (nothing copied before the first run).
    const RenameSummary& lastRun() const { return lastRun_; }

public slots:
    /// "実行": the whole rename; hides the dialog when it completed.
    void runRename();

private:
    AppContext& ctx_;
    Prompter& prompter_;
    LogOpener openLog_;
    RenameSummary lastRun_;
    QLineEdit* txtPrefix_ = nullptr;
    QLineEdit* txtPattern_ = nullptr;
    QLineEdit* txtPostfix_ = nullptr;
};

}  // namespace tarrow
