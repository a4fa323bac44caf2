#include "editor/core/editor_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/atomic_file.h"
#include "editor/core/definition_file.h"
#include "editor/core/editor_texts.h"
#include "editor/core/geometry.h"
#include "editor/core/opening.h"
#include "editor/core/recent_files.h"
#include "editor/core/sheet_draft.h"

namespace dravel {
namespace {

std::string localName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString absolute(const QString& path) {
    return QDir::current().absoluteFilePath(path);
}

/// The whole definition file, or nullopt when it is not a regular file, is
/// larger than a definition can be, or cannot be read.
std::optional<std::string> readDefinitionFile(const QString& path) {
    const std::string name = localName(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(name, ec)) return std::nullopt;
    return velmora::readWholeFile(name, kMaxDefinitionBytes);
}

}  // namespace

EditorDocument::EditorDocument(EditorHost& host, NameSources names, RecentFiles* recent)
    : host_(host),
      names_(std::move(names)),
      recent_(recent),
      placer_(state_, host, [this] { setModified(true); }) {
    placer_.setPrintAssist(&print_);
    proposeName();
}

QString EditorDocument::documentName() const {
    return QFileInfo(path_).fileName();
}

void EditorDocument::setModified(bool modified) {
    bool changedAny = modified != modified_;
    modified_ = modified;
    // A changed definition no longer matches what the test read showed.
    if (modified && trial_) {
        clearTrial();
        host_.redraw(false);
        changedAny = true;
    }
    if (changedAny) changed();
}

void EditorDocument::changed() {
    if (onChange_) onChange_();
}

void EditorDocument::proposeName() {
    const QDate today = names_.today ? names_.today() : QDate::currentDate();
    const int random = names_.random ? names_.random() : 0;
    path_ = proposedFileName(today, random, QString::fromStdString(state_.imagePath));
    changed();
}

void EditorDocument::addRecent(const QString& path) {
    if (recent_ != nullptr) recent_->add(absolute(path));
}

// ---- Framework commands -----------------------------------------------------

bool EditorDocument::newDocument() {
    if (!saveModified()) return false;
    modified_ = false;
    state_.clearPoints();
    proposeName();
    return true;
}

EditorDocument::OpenResult EditorDocument::openDocument(const QString& path) {
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(path_).absoluteFilePath()) {
        return OpenResult::Done;
    }
    if (!saveModified()) return OpenResult::Failed;
    const bool wasModified = modified_;
    modified_ = false;
    const OpenResult result = openFile(path);
    if (result == OpenResult::Failed) {
        modified_ = wasModified;
        changed();
        return result;
    }
    if (result == OpenResult::Opened) addRecent(path);
    proposeName();
    return result;
}

EditorDocument::OpenResult EditorDocument::openDropped(const QString& path) {
    // An image or a definition replaces the marks: unsaved ones are asked
    // about first, as on every other way of leaving them.
    const FileKind kind = fileKindOf(path);
    const bool replaces = kind == FileKind::Image || kind == FileKind::Definition;
    if (replaces && !saveModified()) return OpenResult::Failed;
    return openFile(path);
}

bool EditorDocument::saveModified() {
    if (!modified_) return true;
    switch (host_.ask(questionFor(QuestionId::SaveChanges, documentName()))) {
        case Answer::Yes:
            return save();
        case Answer::No:
            return true;
        case Answer::Cancel:
            return false;
    }
    return false;
}

bool EditorDocument::save() {
    if (QFileInfo(path_).isFile()) return saveTo(path_);
    return saveAs();
}

bool EditorDocument::saveAs() {
    const QString chosen = host_.chooseSavePath(absolute(path_));
    if (chosen.isEmpty()) return false;
    if (!saveTo(chosen)) return false;
    path_ = chosen;
    addRecent(chosen);
    changed();
    return true;
}

bool EditorDocument::saveTo(const QString& path) {
    const std::array<Point, 3>& z = state_.zeroMarks;
    if (z[0].x < 0 || z[0].y < 0 || z[1].x < 0 || z[1].y < 0) {
        host_.showMessage(messageFor(MessageId::ZeroMarksUnset));
        return false;
    }
    // Never a definition the reader would refuse.
    if (strovik::limitViolation(definitionContent(state_).marks)) {
        host_.showMessage(messageFor(MessageId::DefinitionBeyondLimits));
        return false;
    }
    // Written beside the old file and renamed over it: a failed save leaves
    // the previous definition whole.
    if (!velmora::writeFileAtomically(localName(path), definitionBytes(state_))) {
        host_.showMessage(messageFor(MessageId::SaveFailed));
        return false;
    }
    setModified(false);
    return true;
}

// ---- Opening ---------------------------------------------------------------------

EditorDocument::OpenResult EditorDocument::openFile(const QString& path) {
    switch (fileKindOf(path)) {
        case FileKind::Image:
            return loadImage(path);
        case FileKind::Definition:
            return importDefinition(path);
        case FileKind::Pdf:
            host_.showMessage(messageFor(MessageId::PdfRefused));
            return OpenResult::Failed;
        case FileKind::Other:
            host_.showMessage(messageFor(MessageId::NotImageOrDefinition));
            return OpenResult::Done;
    }
    return OpenResult::Failed;
}

EditorDocument::OpenResult EditorDocument::loadImage(const QString& path) {
    // Decoded before anything is released: a file that does not decode
    // leaves the shown image and the editing data as they were.
    std::optional<DecodedScan> scan = decodeScan(path);
    if (!scan) {
        host_.showMessage(messageFor(MessageId::ImageLoadFailed));
        return OpenResult::Failed;
    }
    state_.imagePath = localName(QFileInfo(path).absoluteFilePath());
    state_.ovalWidth = kDefaultOvalWidth;
    state_.ovalHeight = kDefaultOvalHeight;
    state_.zeroRadius = kDefaultZeroRadius;
    if (scan->density) {
        state_.dpiX = scan->density->x;
        state_.dpiY = scan->density->y;
        if (const std::optional<SheetSizes> sizes = sizesForDensity(*scan->density)) {
            state_.ovalWidth = sizes->ovalWidth;
            state_.ovalHeight = sizes->ovalHeight;
            state_.zeroRadius = sizes->zeroRadius;
            if (state_.dpiX < kReferenceDpi) {
                host_.showMessage(messageFor(MessageId::LowResolution, state_.dpiX));
            }
        }
    }
    print_.setPrint(scan->raster);
    applyMeasuredSizes(state_, print_.measured());
    draftUndo_.reset();
    placer_.clearHistory();
    state_.clearSelection();
    state_.bitmapWidth = scan->raster.width();
    state_.bitmapHeight = scan->raster.height();
    host_.showPicture(std::move(scan->raster));
    state_.clearPoints();
    state_.drag = Drag{};
    state_.markCount = 0;
    state_.questionCount = 0;
    // Records of the previous sheet are not brought back by redo.
    state_.endRedoChain();
    state_.zeroMarks.fill(Point{});
    // A new sheet starts a new definition file.
    state_.importedBytes.clear();
    state_.importedContent = {};
    clearTrial();
    trialImages_.clear();
    // A new scan starts at half size, where zero marks are placed.
    state_.divisor = kZeroMarkDivisor;
    changed();
    placer_.enterZeroMarkMode();
    state_.imageLoaded = true;
    std::fill(state_.multi.begin(), state_.multi.end(), std::uint8_t(0));
    changed();
    return OpenResult::Opened;
}

EditorDocument::OpenResult EditorDocument::importDefinition(const QString& path) {
    if (!state_.imageLoaded) {
        host_.showMessage(messageFor(MessageId::LoadImageFirst));
        return OpenResult::Failed;
    }
    const std::optional<std::string> bytes = readDefinitionFile(path);
    const ImportResult imported = bytes ? parseDefinition(*bytes) : ImportResult{};
    if (!imported.definition) {
        host_.showMessage(messageFor(imported.refusal == ImportRefusal::BeyondLimits
                                         ? MessageId::DefinitionBeyondLimits
                                         : MessageId::DefinitionUnreadable));
        return OpenResult::Failed;
    }
    state_.clearPoints();
    applyImport(state_, *imported.definition);
    draftUndo_.reset();
    placer_.clearHistory();
    state_.clearSelection();
    state_.zeroMarkMode = false;
    state_.step = 1;
    clearTrial();
    host_.setCursor(CursorShape::Cross);
    host_.redraw(true);
    changed();
    return OpenResult::Opened;
}

// ---- Placing ---------------------------------------------------------------------

void EditorDocument::undo(Point pointer) {
    // A block step after the draft leaves the draft's counts as they were:
    // it goes back first.
    if (placer_.undoBlockStep()) {
        placer_.showStatus(pointer);
        return;
    }
    if (draftUndo_ && state_.step <= 1 && draftIsLastStep(state_, *draftUndo_)) {
        undoDraft(state_, *draftUndo_);
        draftUndo_.reset();
        host_.redraw(true);
        setModified(true);
    } else {
        placer_.undo();
    }
    placer_.showStatus(pointer);
}

void EditorDocument::redo(Point pointer) {
    placer_.redo();
    placer_.showStatus(pointer);
}

void EditorDocument::pointerMoved(Point p) {
    placer_.mouseMove(p);
    if (trial_ && !state_.drag.active()) {
        const int hit = markAt(state_, p);
        if (hit >= 0) {
            const int question = state_.marks[std::size_t(hit)].question;
            if (const QuestionReading* reading = trial_->question(question)) {
                host_.setStatus(readingText(question, *reading, review_.tenToZero));
                return;
            }
        }
    }
    host_.setStatus(movePrompt(state_));
}

// ---- The print of the scan ----------------------------------------------------

bool EditorDocument::proposeFromPrint() {
    if (!state_.imageLoaded || !print_.hasPrint()) {
        host_.showMessage(messageFor(MessageId::LoadImageFirst));
        return false;
    }
    const strovik::layout::SheetProposal draft = print_.propose();
    // The summary first; when marks are missing, why, so the user knows what
    // to place by hand.
    std::string status = draftSummary(draft);
    if (const std::string marks = zeroMarkProblem(draft); !marks.empty()) status += "  " + marks;
    host_.setStatus(QString::fromStdString(status));
    if (draft.questions.empty() && draft.zeroMarksFound == 0) return false;
    draftUndo_ = applyDraftWithUndo(state_, draft);
    state_.clearSelection();
    state_.blockMode = false;
    state_.zeroMarkMode = false;
    state_.areaMode = false;
    state_.toggleMode = false;
    state_.step = 1;
    host_.setCursor(CursorShape::Cross);
    host_.redraw(true);
    setModified(true);
    return true;
}

// ---- Test read -------------------------------------------------------------------

bool EditorDocument::trialRead() {
    if (!state_.imageLoaded || state_.imagePath.empty()) {
        host_.showMessage(messageFor(MessageId::LoadImageFirst));
        return false;
    }
    const std::array<Point, 3>& z = state_.zeroMarks;
    if (z[0].x < 0 || z[0].y < 0 || z[1].x < 0 || z[1].y < 0) {
        host_.showMessage(messageFor(MessageId::ZeroMarksUnset));
        return false;
    }
    if (reviewSource_) review_ = reviewSource_();
    TrialResult result = runTrialRead(state_, state_.imagePath, review_);
    if (result.status != 0) {
        host_.showMessage(messageFor(result.status == kTrialImageNotLoaded
                                         ? MessageId::ImageLoadFailed
                                         : MessageId::TrialZeroMarksNotFound));
        return false;
    }
    trial_ = std::move(result);
    otherTrials_.clear();
    for (const std::string& path : trialImages_) {
        otherTrials_.push_back(runTrialRead(state_, path, review_));
    }
    QString status = trialSummary(*trial_);
    const QString warning = dotsWarning(dotsAdvice(), review_.rule.multiValue);
    if (!warning.isEmpty()) status += QStringLiteral("  ") + warning;
    host_.setStatus(status);
    host_.redraw(false);
    changed();
    return true;
}

void EditorDocument::setTrialImages(std::vector<std::string> paths) {
    trialImages_ = std::move(paths);
}

void EditorDocument::clearTrial() {
    trial_.reset();
    otherTrials_.clear();
}

std::optional<DotsAdvice> EditorDocument::dotsAdvice() const {
    std::vector<TrialResult> all;
    if (trial_) all.push_back(*trial_);
    all.insert(all.end(), otherTrials_.begin(), otherTrials_.end());
    return adviseDots(severalAnswerDots(all), review_.rule.multiValue);
}

QStringList EditorDocument::trialReport() const {
    QStringList lines;
    if (!trial_) return lines;
    lines << imageSummary(*trial_);
    for (const TrialResult& other : otherTrials_) lines << imageSummary(other);
    const QString warning = dotsWarning(dotsAdvice(), review_.rule.multiValue);
    if (!warning.isEmpty()) lines << warning;
    return lines;
}

}  // namespace dravel
