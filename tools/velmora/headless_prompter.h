// The reading application's questions answered without a display, for the
// velmora tool: every question gets the answer the command chose (Yes unless
// told otherwise: read errors skipped, outputs replaced), folders, file
// names and input boxes are answered from what the command line gave,
// warnings are printed on the error stream, and so are the status lines of
// the run feedback when the command is verbose.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <ostream>

#include "reader/core/prompter.h"
#include "reader/core/run_feedback.h"

namespace velmora::cli {

class HeadlessPrompter final : public tarrow::Prompter, public tarrow::RunFeedback {
public:
    /// Messages, and with `verbose` status lines, go to `err` as UTF-8 lines
    /// starting "velmora: ".
    explicit HeadlessPrompter(std::ostream& err, bool verbose = false)
        : err_(err), verbose_(verbose) {}

    /// The answer to the folder browser `id` (others are cancelled).
    void answerFolder(tarrow::FolderId id, const QString& folder) { folders_[id] = folder; }
    /// The answer to the input box `id` (others are cancelled).
    void answerInput(tarrow::InputId id, const QString& text) { inputs_[id] = text; }
    /// The path every save dialog answers with (empty: cancelled).
    void setSaveFile(const QString& path) { saveFile_ = path; }
    /// The answer to the question `id` (default Yes). A question answered
    /// otherwise is printed, so the user sees what was declined.
    void setAnswer(tarrow::QuestionId id, Answer answer) { answers_[id] = answer; }

    /// Every message box shown so far, in order.
    const QStringList& messages() const { return messages_; }
    /// Every question asked so far, in order.
    const QStringList& questions() const { return questions_; }

    void message(const QString& text, Icon icon) override;
    Answer question(tarrow::QuestionId id, const QString& text) override;
    QString chooseFolder(tarrow::FolderId id, const QString& title,
                         const QString& initialFolder = QString()) override;
    QString chooseOpenFile(const QString& title, const QString& filter) override;
    QString chooseSaveFile(const QString& filter, const QString& defaultSuffix) override;
    std::optional<QString> inputText(tarrow::InputId id, const QString& title,
                                     const QString& prompt, const QString& defaultText) override;
    /// The rest of the feedback shows nothing, and there is no pause:
    /// nothing needs to repaint between images.
    void setStatus(const QString& text) override;

private:
    void print(const QString& text);

    std::ostream& err_;
    bool verbose_;
    std::map<tarrow::FolderId, QString> folders_;
    std::map<tarrow::InputId, QString> inputs_;
    QString saveFile_;
    std::map<tarrow::QuestionId, Answer> answers_;
    QStringList messages_;
    QStringList questions_;
};

/// A message as one line: CR LF and lone line breaks become single blanks.
QString oneLine(const QString& text);

}  // namespace velmora::cli
