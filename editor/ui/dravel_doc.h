// CDravelDoc: the window side of the editor's document. It holds the core
// document and the shown picture, answers the core's questions through the
// prompter and passes the core's view requests on to the view and frame.
#pragma once

#include <QImage>
#include <QObject>
#include <functional>

#include "editor/core/editor_document.h"
#include "editor/ui/qt_editor_prompter.h"

namespace dravel {

class RecentFiles;

class CDravelDoc final : public QObject, public EditorHost {
    Q_OBJECT
public:
    /// What the view and the frame do for the core.
    struct ViewHooks {
        std::function<void(bool eraseBackground)> redraw;
        std::function<void(bool eraseBackground)> redrawFigure;
        std::function<void(Point image, int screenDy)> movePointer;
        std::function<void(CursorShape)> setCursor;
        std::function<void()> maximise;
    };

    CDravelDoc(QtEditorPrompter& prompter, NameSources names, RecentFiles* recent,
               QObject* parent = nullptr);

    EditorDocument& document() { return document_; }
    const EditorDocument& document() const { return document_; }
    EditorState& state() { return document_.state(); }
    const QImage& picture() const { return picture_; }
    QtEditorPrompter& prompter() { return prompter_; }
    void setViewHooks(ViewHooks hooks) { hooks_ = std::move(hooks); }
    /// Where the status line goes (the frame's message pane).
    void setStatusHook(std::function<void(const QString&)> hook) { status_ = std::move(hook); }

    // EditorPrompter: the prompter's.
    void showMessage(const Message& message) override { prompter_.showMessage(message); }
    Answer ask(const Question& question) override { return prompter_.ask(question); }
    std::optional<MarkSettings> editMarkSettings(const MarkSettings& current) override {
        return prompter_.editMarkSettings(current);
    }
    std::optional<int> editZeroMarkRadius(int current) override {
        return prompter_.editZeroMarkRadius(current);
    }
    std::optional<BlockCounts> editBlockCounts(const BlockCounts& suggested) override {
        return prompter_.editBlockCounts(suggested);
    }
    std::optional<int> editBlockNumber(int current, int highest) override {
        return prompter_.editBlockNumber(current, highest);
    }
    QString chooseSavePath(const QString& proposedPath) override {
        return prompter_.chooseSavePath(proposedPath);
    }

    // EditorView: the hooks.
    void showPicture(strovik::Raster picture) override;
    void maximiseWindow() override;
    void redraw(bool eraseBackground) override;
    void redrawFigure(bool eraseBackground) override;
    void movePointer(Point image, int screenDy) override;
    void setCursor(CursorShape shape) override;
    void setStatus(const QString& text) override;

signals:
    /// A new image is shown.
    void pictureChanged();
    /// The path, the modified flag, the image or the test read changed.
    void documentChanged();
    /// The whole view was asked to redraw (after every change of sizes).
    void redrawn();

private:
    QtEditorPrompter& prompter_;
    EditorDocument document_;
    QImage picture_;
    ViewHooks hooks_;
    std::function<void(const QString&)> status_;
};

}  // namespace dravel
