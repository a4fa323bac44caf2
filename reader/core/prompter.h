// Everything the reading application's operations ask of the user or show
// on screen, as one small interface: the windows implement it with message
// boxes and dialogs, tests answer it from a script, the command-line tool
// answers it non-interactively.
#pragma once

#include <QString>
#include <optional>

namespace tarrow {

/// Every question the application's operations ask. Scripted and headless
/// answers go by the id, never by the question's text.
enum class QuestionId {
    SkipReadErrors,      ///< a sheet failed: skip every further read error and go on?
    ReplaceOutputFile,   ///< a results file exists: replace it?
    ReplaceRenamedCopy,  ///< a renamed copy exists in the target folder: replace it?
    DiscardUnsaved,      ///< the table is unsaved: go on and lose it?
    TakeKeySheet,        ///< take the first sheet as the answer key?
    TakePointsSheet,     ///< take the first sheet as the points row?
    ClearCell,           ///< clear the current cell?
    ResetThresholds,     ///< put the default thresholds back?
};

class Prompter {
public:
    enum class Icon { Information, Warning };
    enum class Buttons { YesNo, YesNoCancel };
    enum class Answer { Yes, No, Cancel };

    /// How a question is shown: its icon, its buttons and the answer of the
    /// default button (Enter), which never loses work.
    struct QuestionForm {
        Icon icon;
        Buttons buttons;
        Answer safeAnswer;
    };
    static QuestionForm formOf(QuestionId id);

    virtual ~Prompter() = default;

    /// A message box with an OK button, titled with the application's title.
    virtual void message(const QString& text, Icon icon) = 0;
    /// A question shown as formOf(id) says; closing the box counts as
    /// Cancel (or No for YesNo).
    virtual Answer question(QuestionId id, const QString& text) = 0;
    /// Folder browser; an empty result means cancelled.
    virtual QString chooseFolder(const QString& title) = 0;
    /// File dialogs; an empty result means cancelled. `filter` is in the
    /// form "説明 (*.csv)|*.csv".
    virtual QString chooseOpenFile(const QString& title, const QString& filter) = 0;
    virtual QString chooseSaveFile(const QString& filter, const QString& defaultSuffix) = 0;
    /// Input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt,
                                             const QString& defaultText) = 0;

    /// The main window's status line and resolution label.
    virtual void setStatus(const QString& text) = 0;
    virtual void setDpiLabel(const QString& text) = 0;
    /// Start and stop buttons: running = start disabled, stop enabled.
    virtual void setRunning(bool running) = 0;
    /// Progress of a long run (beyond the status line), current of total.
    virtual void setProgress(int current, int total) = 0;
    /// Lets pending window events run (repaint, a click on stop).
    virtual void processEvents() = 0;
    /// Pauses the given milliseconds (a short breath between images).
    virtual void pause(int milliseconds) = 0;
    /// The platform's information beep.
    virtual void beep() = 0;
};

inline Prompter::QuestionForm Prompter::formOf(QuestionId id) {
    switch (id) {
        case QuestionId::SkipReadErrors:  // going on keeps every sheet
            return {Icon::Warning, Buttons::YesNo, Answer::Yes};
        case QuestionId::ClearCell:
            return {Icon::Warning, Buttons::YesNoCancel, Answer::No};
        case QuestionId::ReplaceOutputFile:
        case QuestionId::ReplaceRenamedCopy:
        case QuestionId::DiscardUnsaved:
        case QuestionId::TakeKeySheet:
        case QuestionId::TakePointsSheet:
        case QuestionId::ResetThresholds:
            break;
    }
    return {Icon::Warning, Buttons::YesNo, Answer::No};
}

}  // namespace tarrow
