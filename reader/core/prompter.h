// Everything the reading application's operations ask of the user, as one
// small interface: the windows implement it with message boxes and dialogs,
// tests answer it from a script, the command-line tool answers it
// non-interactively. What a long operation shows while it works (status
// line, buttons, progress) is run_feedback.h.
#pragma once

#include <QString>
#include <optional>

namespace tarrow {

/// Every question the application's operations ask. Scripted and headless
/// answers go by the id, never by the question's text (as for folders and
/// input boxes below).
enum class QuestionId {
    SkipReadErrors,      ///< a sheet failed: skip every further read error and go on?
    ReplaceOutputFile,   ///< a results file exists: replace it?
    ReplaceRenamedCopy,  ///< a renamed copy exists in the target folder: replace it?
    DiscardUnsaved,      ///< the table is unsaved: go on and lose it?
    TakeKeySheet,        ///< take the first sheet as the answer key?
    TakePointsSheet,     ///< take the first sheet as the points row?
    ClearCell,           ///< clear the current cell?
    ResetThresholds,     ///< put the default thresholds back?
    CropsIntoScans,      ///< the crop folder is a folder of the scans: write the crops there?
};

/// Every folder the application's operations ask for.
enum class FolderId {
    CropFolder,    ///< where a run writes the image-area crops
    ImageFolder,   ///< where the images of a loaded read-values file are
    RenameTarget,  ///< where the batch rename copies the images
    PdfOutput,     ///< where the PDF conversion writes its JPEG images
};

/// Every input box the application's operations show.
enum class InputId {
    MaxChoices,  ///< the answers-by-choice file: the largest choice number
    CellValues,  ///< the result window: values typed into a row from a cell on
};

class Prompter {
public:
    enum class Icon { Information, Warning };
    enum class Buttons { YesNo, YesNoCancel };
    enum class Answer { Yes, No, Cancel };

    /// How a question is shown: its icon, its buttons and the answer of the
    /// default button (Enter), which never loses work the user did not ask
    /// to lose.
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
    /// Folder browser titled `title`, opened at `initialFolder` when one is
    /// given; an empty result means cancelled.
    virtual QString chooseFolder(FolderId id, const QString& title,
                                 const QString& initialFolder = QString()) = 0;
    /// File dialogs; an empty result means cancelled. `filter` is in the
    /// form "説明 (*.csv)|*.csv".
    virtual QString chooseOpenFile(const QString& title, const QString& filter) = 0;
    virtual QString chooseSaveFile(const QString& filter, const QString& defaultSuffix) = 0;
    /// Input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(InputId id, const QString& title,
                                             const QString& prompt, const QString& defaultText) = 0;
};

inline Prompter::QuestionForm Prompter::formOf(QuestionId id) {
    switch (id) {
        case QuestionId::SkipReadErrors:  // going on keeps every sheet
            return {Icon::Warning, Buttons::YesNo, Answer::Yes};
        case QuestionId::ClearCell:  // the user just asked to clear it
            return {Icon::Warning, Buttons::YesNoCancel, Answer::Yes};
        case QuestionId::ReplaceOutputFile:
        case QuestionId::ReplaceRenamedCopy:
        case QuestionId::DiscardUnsaved:
        case QuestionId::TakeKeySheet:
        case QuestionId::TakePointsSheet:
        case QuestionId::ResetThresholds:
        case QuestionId::CropsIntoScans:  // the next run would read the crops as sheets
            break;
    }
    return {Icon::Warning, Buttons::YesNo, Answer::No};
}

}  // namespace tarrow
