// The editor's questions and dialogs on the desktop: warning boxes titled
// with their captions, Yes/No(/Cancel) questions, the mark settings and
// zero-mark dialogs, and the file dialogs. Window tests derive from it to
// answer the boxes and file dialogs from a script while the settings
// dialogs stay real.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "editor/core/editor_host.h"

namespace dravel {

/// "画像ﾌｧｲﾙ(*.jpg; *.bmp; *.gif)" over every image the decoders read.
QString imageFileFilter();
/// "ﾏｰｸ情報ﾌｧｲﾙ(*.ini)".
QString definitionFileFilter();

enum class OpenDialog { Image, Definition };

class QtEditorPrompter : public EditorPrompter {
public:
    explicit QtEditorPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    QWidget* parentWidget() const { return parent_; }

    void showMessage(const Message& message) override;
    Answer ask(const Question& question) override;
    std::optional<MarkSettings> editMarkSettings(const MarkSettings& current) override;
    std::optional<int> editZeroMarkRadius(int current) override;
    std::optional<BlockCounts> editBlockCounts(const BlockCounts& suggested) override;
    std::optional<int> editBlockNumber(int current, int highest) override;
    QString chooseSavePath(const QString& proposedPath) override;
    /// The open dialog of the open-image or import command; empty when
    /// cancelled.
    virtual QString chooseOpenFile(OpenDialog kind);
    /// The further scans for the test read (several may be chosen); empty
    /// when cancelled.
    virtual QStringList chooseTrialImages();

private:
    QPointer<QWidget> parent_;
};

}  // namespace dravel
