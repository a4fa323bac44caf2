// What the editor's core asks of its surroundings: the user (messages,
// questions with typed ids, the two settings dialogs, the save-file dialog)
// and the view (picture, window, redraw, pointer, cursor, status bar). The
// windows implement it; tests answer it from a script. Texts come with every
// message and question for display only: callers decide by the ids.
#pragma once

#include <QString>
#include <optional>

#include "editor/core/editor_state.h"
#include "engine/image/raster.h"

namespace dravel {

/// Every message the editor shows. Warning boxes with an OK button.
enum class MessageId {
    ImageLoadFailed,  ///< "画像ファイルの読み込みに失敗しました。"
    LowResolution,    ///< "入力画像のスキャン解像度は%ddpiです。"
    LoadImageFirst,   ///< "先に画像ファイルを読み込んでください。"
    PdfRefused,       ///< PDF files are converted by the reading application
    NotImageOrDefinition,
    ZeroMarksUnset,  ///< "基準点が設定されていません。"
    SaveFailed,      ///< "保存に失敗しました。"
    DefinitionUnreadable,
    TrialZeroMarksNotFound,  ///< the test read did not find the zero marks
    DefinitionBeyondLimits,  ///< more than the reader or the editor holds
    ChoicesBeyondLimit,      ///< choices per question outside 1..kMaxChoices
    BlockBeyondLimits,       ///< a block would pass the question, choice or mark limits
};

enum class QuestionId {
    DeleteArea,   ///< Yes / No
    SaveChanges,  ///< Yes / No / Cancel
};

enum class Answer { Yes, No, Cancel };

struct Message {
    MessageId id;
    QString text;
    QString caption;
};

struct Question {
    QuestionId id;
    QString text;
    QString caption;
};

enum class CursorShape { Arrow, Cross, SizeAll };

/// The values of the mark settings dialog.
struct MarkSettings {
    int choices = kDefaultChoices;
    int ovalWidth = kDefaultOvalWidth;
    int ovalHeight = kDefaultOvalHeight;
    friend bool operator==(const MarkSettings&, const MarkSettings&) = default;
};

/// The counts of a block being placed.
struct BlockCounts {
    int questions = 1;
    int choices = 1;
    friend bool operator==(const BlockCounts&, const BlockCounts&) = default;
};

/// The user's side: boxes and dialogs.
class EditorPrompter {
public:
    virtual ~EditorPrompter() = default;
    virtual void showMessage(const Message& message) = 0;
    virtual Answer ask(const Question& question) = 0;
    /// The mark settings dialog opened with `current`; nullopt on Cancel.
    virtual std::optional<MarkSettings> editMarkSettings(const MarkSettings& current) = 0;
    /// The zero-mark dialog opened with the current radius; nullopt on Cancel.
    virtual std::optional<int> editZeroMarkRadius(int current) = 0;
    /// The block dialog opened with the counts the print suggests; nullopt
    /// on Cancel.
    virtual std::optional<BlockCounts> editBlockCounts(const BlockCounts& suggested) = 0;
    /// The new number (1-based) of a block's first question, asked with
    /// `current` in 1..`highest`; nullopt on Cancel.
    virtual std::optional<int> editBlockNumber(int current, int highest) = 0;
    /// The save-as dialog proposing `proposedPath`; empty when cancelled.
    virtual QString chooseSavePath(const QString& proposedPath) = 0;
};

/// The view's side.
class EditorView {
public:
    virtual ~EditorView() = default;
    /// A newly decoded image replaces the shown one.
    virtual void showPicture(strovik::Raster picture) = 0;
    /// Restores and then maximises the main window.
    virtual void maximiseWindow() = 0;
    virtual void redraw(bool eraseBackground) = 0;
    /// The figure in progress or the dragged item follows the pointer:
    /// repaint what it covered and covers (everything when
    /// `eraseBackground`).
    virtual void redrawFigure(bool eraseBackground) = 0;
    /// Moves the mouse pointer to the screen position of `image`, shifted
    /// down by `screenDy` screen pixels.
    virtual void movePointer(Point image, int screenDy) = 0;
    virtual void setCursor(CursorShape shape) = 0;
    virtual void setStatus(const QString& text) = 0;
};

/// Both sides; what the placing steps and the document talk to.
class EditorHost : public EditorPrompter, public EditorView {};

}  // namespace dravel
