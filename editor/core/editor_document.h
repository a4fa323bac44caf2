// The editor's document: the editing state with its placing steps, the
// document path and modified flag, and the file operations in the order the
// single-document framework runs them: opening by extension (an image, a
// definition to import, refusals), the proposed file name, saving and the
// question whether to save changes, the recent files, and the test read.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "editor/core/editor_host.h"
#include "editor/core/editor_state.h"
#include "editor/core/placer.h"
#include "editor/core/print_assist.h"
#include "editor/core/proposed_name.h"
#include "editor/core/trial_read.h"

namespace dravel {

class RecentFiles;

class EditorDocument {
public:
    enum class OpenResult {
        Opened,  ///< an image was loaded or a definition imported
        Done,    ///< counts as done, nothing changed (a file of another kind)
        Failed,
    };

    /// `recent` may be null (no recent-file list).
    EditorDocument(EditorHost& host, NameSources names, RecentFiles* recent);

    EditorState& state() { return state_; }
    const EditorState& state() const { return state_; }
    Placer& placer() { return placer_; }

    /// The document's path: a proposed name until the first save.
    const QString& path() const { return path_; }
    /// The file name part of the path, shown in the title and the save
    /// question.
    QString documentName() const;
    bool isModified() const { return modified_; }
    void setModified(bool modified);
    /// Runs after every change of path, modified flag, image or test read.
    void setChangeHook(std::function<void()> hook) { onChange_ = std::move(hook); }

    // ---- The framework's commands.
    /// Ctrl+N: the save question, then a fresh proposed name; the editing
    /// data stays.
    bool newDocument();
    /// Open (menu, import, recent file, command line): nothing when `path`
    /// is the document's own path, else the save question, the open by
    /// extension and a new proposed name.
    OpenResult openDocument(const QString& path);
    /// A dropped file: the open by extension only.
    OpenResult openDropped(const QString& path);
    /// Saves to the path when that file exists, otherwise as saveAs().
    bool save();
    /// Asks for a name (proposing the path) and saves there.
    bool saveAs();
    /// Writes the definition atomically to `path`.
    bool saveTo(const QString& path);
    /// The question whether to save changes, when modified; false when the
    /// user cancelled (or the save failed) and the caller must stop.
    bool saveModified();

    /// Opens by extension: an image, a definition to import, or a refusal.
    OpenResult openFile(const QString& path);

    // ---- Placing steps that end with the status line.
    void undo(Point pointer);
    void redo(Point pointer);
    /// A mouse move: the placing step, then the prompt (or, over a mark the
    /// test read judged, its reading) on the status line.
    void pointerMoved(Point p);

    // ---- The print of the scan.
    /// Replaces the zero marks, sizes and questions with the draft read
    /// from the scan's print (one undo step takes it back) and shows what
    /// was found on the status line. False, with nothing changed, when
    /// there is no scan or the print shows neither a bubble nor a zero mark.
    bool proposeFromPrint();
    const PrintAssist& print() const { return print_; }

    // ---- The test read.
    /// Reads the loaded scan with the current definition; the result stays
    /// until the definition changes.
    bool trialRead();
    const std::optional<TrialResult>& trial() const { return trial_; }
    /// Where every test read takes the reading application's thresholds and
    /// options from, afresh (the reader may have changed them meanwhile).
    /// Without a source: the reader's defaults, or what setReviewSettings()
    /// gave.
    void setReviewSource(std::function<strovik::ReaderReview()> source) {
        reviewSource_ = std::move(source);
    }
    /// Fixed thresholds for the test reads when there is no source.
    void setReviewSettings(const strovik::ReviewSettings& review) { review_.rule = review; }
    const strovik::ReviewSettings& reviewSettings() const { return review_.rule; }
    /// What the last test read judged with.
    const strovik::ReaderReview& review() const { return review_; }
    /// Further scans the test read reads beside the loaded one (UTF-8
    /// paths); they stay until another image is opened.
    void setTrialImages(std::vector<std::string> paths);
    const std::vector<std::string>& trialImages() const { return trialImages_; }
    /// The reads of the further scans, in the order given.
    const std::vector<TrialResult>& otherTrials() const { return otherTrials_; }
    /// One summary line per scan read (the loaded one first), then the dots
    /// warning over all of them when the threshold misses; empty before a
    /// test read.
    QStringList trialReport() const;

private:
    OpenResult loadImage(const QString& path);
    OpenResult importDefinition(const QString& path);
    void proposeName();
    void addRecent(const QString& path);
    void changed();
    void clearTrial();
    std::optional<DotsAdvice> dotsAdvice() const;

    EditorHost& host_;
    NameSources names_;
    RecentFiles* recent_;
    EditorState state_;
    Placer placer_;
    QString path_;
    bool modified_ = false;
    std::optional<TrialResult> trial_;
    std::vector<std::string> trialImages_;
    std::vector<TrialResult> otherTrials_;
    /// The reading application's review thresholds and options.
    strovik::ReaderReview review_;
    std::function<strovik::ReaderReview()> reviewSource_;
    std::function<void()> onChange_;
    PrintAssist print_;
    std::optional<DraftUndo> draftUndo_;
};

}  // namespace dravel
